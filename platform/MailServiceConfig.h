#pragma once

#include <QString>
#include <QUrl>

/// Where the maker's mail web service lives and how long a request may take, read from the
/// group "Mail" of "settings.ini" in the data folder:
///
///     [Mail]
///     ServiceUrl=https://mail.velk.example
///     TimeoutMs=30000
///
/// Missing keys take the defaults. The service receives a new password, so only HTTPS is
/// accepted, except for a service on this machine (loopback), which may speak plain HTTP.
struct MailServiceConfig
{
    QUrl serviceUrl = QUrl(QString::fromLatin1(defaultServiceUrl));
    int timeoutMs = defaultTimeoutMs;

    static constexpr const char *defaultServiceUrl = "https://mail.velk.example";
    static constexpr int defaultTimeoutMs = 30000;

    /// Reads the group "Mail" of the INI file; a missing file or group gives the defaults, a
    /// time-out that is not a positive number the default time-out.
    static MailServiceConfig load(const QString &settingsFile);
    /// "settings.ini" in the data folder (Qt's writable application data location).
    static QString defaultSettingsFile();
    /// HTTPS with a host, or HTTP to 127.0.0.0/8, ::1 or "localhost".
    static bool isAcceptableUrl(const QUrl &url);
};
