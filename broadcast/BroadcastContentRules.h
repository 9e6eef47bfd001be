#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

/// The rules of a broadcast's content apart from the editor's widgets: the length of its text and the files
/// operators upload as its sound.
namespace BroadcastContentRules {

constexpr int kMaxTextLength = 300;
constexpr qint64 kMaxUploadBytes = 10 * 1024 * 1024;

struct TextCut
{
    QString text;
    int cursor = 0;
    int remaining = 0; ///< characters still allowed (0 after a cut)
    bool cut = false;
};

/// A text longer than the limit loses the characters that end at the cursor, so typing or pasting past the limit
/// keeps the first part of what was inserted; the cursor stays after what was kept.
TextCut limitText(const QString &text, int cursor);

/// More than 10 MiB (exactly 10 MiB is allowed).
bool uploadTooLarge(qint64 bytes);

/// The name an upload gets in the Audio folder, which is also the name the panels receive: its own as a plain file name
/// (PanelFileName::plain) when free, else "base(N).suffix" with N a random decimal number, drawn until the name is
/// free ("a.b.mp3" becomes "a(N).b.mp3"). random() draws N.
QString uploadTargetName(const QString &audioFolder, const QString &fileName, const std::function<quint32()> &random);

/// Copies an upload into the Audio folder under the target name, readable by its owner; false with *error set
/// (nothing left behind) when it cannot be read or written.
bool copyUpload(const QString &sourcePath, const QString &audioFolder, const QString &targetName, QString *error);

} // namespace BroadcastContentRules
