#include "broadcast/BroadcastAudio.h"

#include "network/CmdServer.h"
#include "platform/LogLevel.h"
#include "shell/base/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace BroadcastAudio {

QString folder()
{
    return CmdServer::getInstance()->config().effectiveAudioFolder();
}

QString builtinFileName(int audioSelection)
{
    if (audioSelection < 1 || audioSelection > 3)
        return QString();
    return QStringLiteral("Default_Audio_%1.mp3").arg(audioSelection);
}

QString fileNameOf(const VelkBroadcast &broadcast)
{
    if (broadcast.audioSelection == 4)
        return QFileInfo(broadcast.savedAudioFilename).fileName();
    return builtinFileName(broadcast.audioSelection);
}

QString pathIn(const QString &audioFolder, const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    if (name.isEmpty())
        return QString();
    return QDir(audioFolder).filePath(name);
}

QString duplicateName(const QString &audioFolder, const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    // A name without a dot has no extension to keep behind the number.
    const QString base = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    for (int n = 1;; ++n) {
        const QString candidate = base + QLatin1Char('_') + QString::number(n) + extension;
        if (!QFileInfo::exists(pathIn(audioFolder, candidate)))
            return candidate;
    }
}

bool makeReadable(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                           QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

bool duplicateCustomAudioFile(const QString &audioFolder, VelkBroadcast &broadcast)
{
    const QString name = QFileInfo(broadcast.savedAudioFilename).fileName();
    const QString source = pathIn(audioFolder, name);
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        writeLog(LOG_LEVEL_WARNING, "duplicateCustomAudioFile, file not exists: %s", qPrintable(name));
        return false;
    }
    const QString candidate = duplicateName(audioFolder, name);
    const QString target = pathIn(audioFolder, candidate);
    if (!QFile::copy(source, target)) {
        writeLog(LOG_LEVEL_ERROR, "duplicateCustomAudioFile, failed to copy file: %s", qPrintable(name));
        return false;
    }
    makeReadable(target);
    writeLog(LOG_LEVEL_INFO, "duplicateCustomAudioFile, copiedFilename: %s", qPrintable(candidate));
    broadcast.savedAudioFilename = candidate;
    return true;
}

bool removeOwnSound(const QString &audioFolder, const QString &fileName)
{
    const QString path = pathIn(audioFolder, fileName);
    if (path.isEmpty() || !QFile::exists(path))
        return true;
    if (!QFile::remove(path)) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastAudio: cannot remove %s", qPrintable(QFileInfo(path).fileName()));
        return false;
    }
    writeLog(LOG_LEVEL_INFO, "BroadcastAudio: removed %s", qPrintable(QFileInfo(path).fileName()));
    return true;
}

} // namespace BroadcastAudio
