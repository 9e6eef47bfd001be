#include "firmware/DownloadRules.h"

#include <QDir>
#include <QFileInfo>

bool DownloadRules::isFetchableUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool DownloadRules::isSafeFileName(const QString &name)
{
    if (name.isEmpty() || name.size() > 255 || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '.' ||
                        u == '_' || u == '-';
        if (!ok)
            return false;
    }
    return true;
}

QString DownloadRules::urlFileName(const QUrl &url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return name.isEmpty() ? QStringLiteral("download") : name;
}

bool DownloadRules::isInsideFolder(const QString &path, const QString &folder)
{
    const QString root = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return target.startsWith(root + QLatin1Char('/')) && target.size() > root.size() + 1;
}
