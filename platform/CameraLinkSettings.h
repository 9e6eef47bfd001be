#pragma once

#include <QString>

/// The group "Pellmar" of "settings.ini" in the data folder: the link to the camera-management
/// program.
///
///     [Pellmar]
///     Enable=1                       ; 0 or 1, written by the link settings; read as a boolean
///     InstallPath=/opt/pellmar       ; the program's install folder, recorded when the link is switched on
///     ProgramFolder=/opt/pellmar     ; Linux only: where to look for the program (there is no registry)
///
/// Every call opens the file afresh, so a value another dialog wrote is seen at once.
class CameraLinkSettings
{
public:
    explicit CameraLinkSettings(const QString &settingsFile = defaultSettingsFile());

    /// "Enable", false when missing.
    bool isEnabled() const;
    /// Writes "Enable" as the integer 0 or 1; false when the file could not be written.
    bool setEnabled(bool enabled);
    /// "InstallPath", empty when missing.
    QString installPath() const;
    /// false when the file could not be written.
    bool setInstallPath(const QString &path);
    /// "ProgramFolder", empty when missing.
    QString programFolder() const;

    QString settingsFile() const { return m_file; }
    /// The data folder followed by "/settings.ini".
    static QString defaultSettingsFile();

private:
    QString m_file;
};
