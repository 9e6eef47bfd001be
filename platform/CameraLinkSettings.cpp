#include "platform/CameraLinkSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const char kGroup[] = "Pellmar";

QVariant readValue(const QString &file, const char *key)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kGroup));
    return settings.value(QLatin1String(key));
}

bool writeValue(const QString &file, const char *key, const QVariant &value)
{
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kGroup));
    settings.setValue(QLatin1String(key), value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

CameraLinkSettings::CameraLinkSettings(const QString &settingsFile) : m_file(settingsFile)
{
}

bool CameraLinkSettings::isEnabled() const
{
    return readValue(m_file, "Enable").toBool();
}

bool CameraLinkSettings::setEnabled(bool enabled)
{
    return writeValue(m_file, "Enable", enabled ? 1 : 0);
}

QString CameraLinkSettings::installPath() const
{
    return readValue(m_file, "InstallPath").toString();
}

bool CameraLinkSettings::setInstallPath(const QString &path)
{
    return writeValue(m_file, "InstallPath", path);
}

QString CameraLinkSettings::programFolder() const
{
    return readValue(m_file, "ProgramFolder").toString();
}

QString CameraLinkSettings::defaultSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/settings.ini");
}
