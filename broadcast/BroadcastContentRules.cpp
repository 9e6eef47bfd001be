#include "broadcast/BroadcastContentRules.h"

#include "broadcast/BroadcastAudio.h"
#include "network/PanelFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace BroadcastContentRules {

TextCut limitText(const QString &text, int cursor)
{
    TextCut result;
    result.text = text;
    result.cursor = cursor;
    const int n = text.size();
    result.remaining = qMax(kMaxTextLength - n, 0);
    if (n <= kMaxTextLength)
        return result;
    const int excess = n - kMaxTextLength;
    // The excess ends at the cursor; a cursor too near the start (text set from outside) cuts the end instead.
    const int from = cursor - excess >= 0 ? cursor - excess : kMaxTextLength;
    result.text.remove(from, excess);
    result.cursor = from;
    result.cut = true;
    return result;
}

bool uploadTooLarge(qint64 bytes)
{
    return float(bytes) * (1.0f / 1024) * (1.0f / 1024) > 10.0f;
}

QString uploadTargetName(const QString &audioFolder, const QString &fileName, const std::function<quint32()> &random)
{
    const QFileInfo info(PanelFileName::plain(QFileInfo(fileName).fileName()));
    const QString name = info.fileName();
    if (!QFileInfo::exists(QDir(audioFolder).filePath(name)))
        return name;
    const QString base = info.baseName();
    const QString suffix = info.completeSuffix();
    for (;;) {
        QString candidate = base + QLatin1Char('(') + QString::number(random()) + QLatin1Char(')');
        if (!suffix.isEmpty())
            candidate += QLatin1Char('.') + suffix;
        if (!QFileInfo::exists(QDir(audioFolder).filePath(candidate)))
            return candidate;
    }
}

bool copyUpload(const QString &sourcePath, const QString &audioFolder, const QString &targetName, QString *error)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    if (!QDir().mkpath(audioFolder)) {
        *error = QStringLiteral("cannot create %1").arg(audioFolder);
        return false;
    }
    const QString target = QDir(audioFolder).filePath(targetName);
    if (!source.copy(target)) {
        *error = source.errorString();
        QFile::remove(target);
        return false;
    }
    BroadcastAudio::makeReadable(target);
    return true;
}

} // namespace BroadcastContentRules
