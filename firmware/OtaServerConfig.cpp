#include "firmware/OtaServerConfig.h"

#include "firmware/DownloadRules.h"
#include "platform/MailServiceConfig.h"

#include <QSettings>
#include <QUrl>

OtaServerConfig OtaServerConfig::load(const QString &settingsFile)
{
    OtaServerConfig config;
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Ota"));
    config.updateServer = normaliseBase(settings.value(QStringLiteral("UpdateServer")).toString());
    config.downloadServer = normaliseBase(settings.value(QStringLiteral("DownloadServer")).toString());
    settings.endGroup();
    return config;
}

QString OtaServerConfig::defaultSettingsFile()
{
    // One settings file for the whole console; the mail settings already name where it lives.
    return MailServiceConfig::defaultSettingsFile();
}

QString OtaServerConfig::manifestUrl() const
{
    return updateServer.isEmpty() ? QString() : updateServer + QStringLiteral("/IFP3/OTAUpdate/manifest.xml");
}

QString OtaServerConfig::panelManifestUrl() const
{
    return updateServer.isEmpty() ? QString() : updateServer + QStringLiteral("/IFP3/OTAUpdate/manifest_panel.xml");
}

QString OtaServerConfig::updateConfigUrl() const
{
    return downloadServer.isEmpty() ? QString() : downloadServer + QStringLiteral("/AudioBox/check4Update/update.cfg");
}

QString OtaServerConfig::normaliseBase(const QString &text)
{
    QString base = text.trimmed();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base.isEmpty() || !DownloadRules::isFetchableUrl(QUrl(base, QUrl::StrictMode)))
        return QString();
    return base;
}
