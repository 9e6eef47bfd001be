#pragma once

#include <QChar>
#include <QString>

/// How much of a stored text the console shows at once: in a cell, a tool tip, a label, a message or an editor it
/// fills in. The database keeps every value whole (a restore brings values of up to 64 MB back as they were, and the
/// device and user imports store a cell of any length), but laying out such a value held the GUI thread for seconds
/// to minutes at every hover, click or paint of a view that showed it, and an SOS waited behind it.
///
/// The bound lies above the longest value the console's own fields and everyday files give: 32 characters of a name,
/// 64 of a Location typed in, 256 of what a panel reports, 300 of a broadcast message, a path of up to 4,096 bytes,
/// the 4,096 bytes an earlier Restore kept of a value, and the few thousand characters of a Location or a user name
/// that a device or user file may hold (their imports take a cell of any length). A longer value shows its first
/// kShownChars characters and kCutMark; laying out that many takes a view a few milliseconds.
class BoundedText
{
public:
    /// The most characters of a stored value shown (a surrogate pair counts as one character).
    static constexpr int kShownChars = 8192;
    /// What follows the characters shown of a longer value.
    static constexpr QChar kCutMark = QChar(0x2026);

    /// text whole when it holds at most kShownChars characters, else its first kShownChars characters (a surrogate
    /// pair is never split) followed by kCutMark. more: text is already a part of a value that goes on beyond it, and
    /// is marked cut however short it is.
    static QString shown(const QString &text, bool more = false);
    /// Whether a text shown() gave is a longer value cut.
    static bool isCut(const QString &shown);
};
