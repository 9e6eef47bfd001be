#include "platform/CameraProgramLocator.h"

#include "platform/CameraLinkSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QStringList>

namespace {

const int kMinimumBuild = 1045;

// DisplayVersion "a.b.c..." with c at least 1045; "1.2" has no third field and never qualifies.
bool isSupportedVersion(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() < 3)
        return false;
    // A field that is not a number reads as 0.
    return parts.at(2).toInt() >= kMinimumBuild;
}

} // namespace

CameraProgramLocator::~CameraProgramLocator() = default;

QString CameraProgramLocator::programName()
{
    return QStringLiteral("Pellmar.exe");
}

std::unique_ptr<CameraProgramLocator> CameraProgramLocator::create(const QString &settingsFile)
{
#ifdef Q_OS_WIN
    Q_UNUSED(settingsFile)
    return std::make_unique<RegistryCameraProgramLocator>(RegistryCameraProgramLocator::uninstallKey());
#else
    return std::make_unique<ConfiguredCameraProgramLocator>(settingsFile);
#endif
}

ConfiguredCameraProgramLocator::ConfiguredCameraProgramLocator(const QString &settingsFile)
    : m_settingsFile(settingsFile)
{
}

QString ConfiguredCameraProgramLocator::installFolder() const
{
    const QString folder = CameraLinkSettings(m_settingsFile).programFolder();
    if (folder.isEmpty())
        return QString();
    const QFileInfo program(QDir(folder).filePath(programName()));
    return program.isFile() && program.isExecutable() ? folder : QString();
}

RegistryCameraProgramLocator::RegistryCameraProgramLocator(const QString &root, bool iniFile)
    : m_root(root), m_iniFile(iniFile)
{
}

QString RegistryCameraProgramLocator::uninstallKey()
{
    return QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
}

QString RegistryCameraProgramLocator::installFolder() const
{
    QSettings uninstall(m_root, m_iniFile ? QSettings::IniFormat : QSettings::NativeFormat);
    QSet<QString> seen;
    // allKeys() lists every value as "entry/value"; the entries are taken in that order, once each.
    const QStringList keys = uninstall.allKeys();
    for (const QString &key : keys) {
        const QString entry = key.section(QLatin1Char('/'), 0, 0);
        if (seen.contains(entry))
            continue;
        seen.insert(entry);
        uninstall.beginGroup(entry);
        const QString name = uninstall.value(QStringLiteral("DisplayName")).toString();
        const QString version = uninstall.value(QStringLiteral("DisplayVersion")).toString();
        const QString location = uninstall.value(QStringLiteral("InstallLocation")).toString();
        uninstall.endGroup();
        // An entry without a folder could not be started from anyway.
        if (name.contains(QLatin1String("Pellmar")) && isSupportedVersion(version) && !location.isEmpty())
            return location;
    }
    return QString();
}
