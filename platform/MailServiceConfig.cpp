#include "platform/MailServiceConfig.h"

#include <QDir>
#include <QHostAddress>
#include <QSettings>
#include <QStandardPaths>

MailServiceConfig MailServiceConfig::load(const QString &settingsFile)
{
    MailServiceConfig config;
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Mail"));
    const QString url = settings.value(QStringLiteral("ServiceUrl")).toString().trimmed();
    if (!url.isEmpty())
        config.serviceUrl = QUrl(url, QUrl::TolerantMode);
    bool ok = false;
    const int timeout = settings.value(QStringLiteral("TimeoutMs")).toInt(&ok);
    if (ok && timeout > 0)
        config.timeoutMs = timeout;
    settings.endGroup();
    return config;
}

QString MailServiceConfig::defaultSettingsFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder).filePath(QStringLiteral("settings.ini"));
}

bool MailServiceConfig::isAcceptableUrl(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(url.host());
    return !address.isNull() && address.isLoopback();
}
