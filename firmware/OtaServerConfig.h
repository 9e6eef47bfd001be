#pragma once

#include <QString>

/// Where the maker's servers live, read from the group "Ota" of "settings.ini" in the data folder:
///
///     [Ota]
///     UpdateServer=http://updates.example          ; manifest.xml, manifest_panel.xml
///     DownloadServer=http://downloads.example      ; the audio boxes' update.cfg
///
/// The makers' hosts are not known here, so both default to empty: a check against a server that is not
/// configured fails with a log line that names the key. Read anew for every server check, so a change takes
/// effect without a restart.
struct OtaServerConfig
{
    QString updateServer;   ///< base address, http or https, without a trailing "/"; empty when unusable
    QString downloadServer; ///< the same for the download server

    static OtaServerConfig load(const QString &settingsFile);
    /// "settings.ini" in the data folder.
    static QString defaultSettingsFile();

    /// Base + "/IFP3/OTAUpdate/manifest.xml"; empty without an update server.
    QString manifestUrl() const;
    /// Base + "/IFP3/OTAUpdate/manifest_panel.xml"; empty without an update server.
    QString panelManifestUrl() const;
    /// Base + "/AudioBox/check4Update/update.cfg"; empty without a download server.
    QString updateConfigUrl() const;

    /// The base address cleaned of trailing "/", or empty when it is not an http or https address with a host.
    static QString normaliseBase(const QString &text);
};
