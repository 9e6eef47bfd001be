#include "platform/audio/AudioFolder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Windows only needs the read-only flag cleared. On Linux the same two bits (0006) would leave
// the owner unable to read the sounds, and the alarm would never play.
QFileDevice::Permissions soundPermissions()
{
#ifdef Q_OS_WIN
    return QFileDevice::ReadOther | QFileDevice::WriteOther;
#else
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser |
           QFileDevice::ReadGroup | QFileDevice::ReadOther;
#endif
}

} // namespace

QString AudioFolder::path()
{
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/Audio/");
}

QStringList AudioFolder::builtInNames()
{
    return {QStringLiteral("Default_Audio_1.mp3"), QStringLiteral("Default_Audio_2.mp3"),
            QStringLiteral("Default_Audio_3.mp3"), alarmName()};
}

QString AudioFolder::alarmName()
{
    return QStringLiteral("Sos_Alert_Audio.mp3");
}

QString AudioFolder::resourcePath(const QString &name)
{
    return QStringLiteral(":/resource/audio/") + name;
}

QStringList AudioFolder::installBuiltInSounds(const QString &folder, QStringList *errors)
{
    QStringList failed;
    for (const QString &name : builtInNames()) {
        QString error;
        if (!installBuiltInSound(name, folder, &error)) {
            failed.append(name);
            if (errors)
                errors->append(error);
        }
    }
    return failed;
}

bool AudioFolder::installBuiltInSound(const QString &name, const QString &folder, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString target = withSlash(folder) + name;
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("AudioFolder: cannot create the folder ") + folder);
    QFile source(resourcePath(name));
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("AudioFolder: built-in sound missing: ") + name);
    // Written beside the old file and renamed over it, so a full disk leaves the previous copy
    // in place instead of no sound at all.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(source.readAll()) != source.size() || !file.commit())
        return fail(QStringLiteral("AudioFolder: cannot write %1: %2").arg(target, file.errorString()));
    QFile::setPermissions(target, soundPermissions());
    return true;
}
