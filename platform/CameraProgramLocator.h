#pragma once

#include <QString>

#include <memory>

/// Finds the installed camera-management program: its install folder, which holds "Pellmar.exe".
///
/// On Windows the program registers an uninstall entry (RegistryCameraProgramLocator). Linux has
/// no such registry, so the program is found only where the operator configured it
/// (ConfiguredCameraProgramLocator, settings.ini [Pellmar] ProgramFolder); without that setting
/// it counts as not installed.
class CameraProgramLocator
{
public:
    virtual ~CameraProgramLocator();

    /// The install folder, or empty when the program is not installed.
    virtual QString installFolder() const = 0;

    /// The program's file name inside its install folder.
    static QString programName();
    /// This platform's locator, reading its configuration from the settings file.
    static std::unique_ptr<CameraProgramLocator> create(const QString &settingsFile);
};

/// The folder named in settings.ini [Pellmar] ProgramFolder, when it holds an executable
/// "Pellmar.exe".
class ConfiguredCameraProgramLocator : public CameraProgramLocator
{
public:
    explicit ConfiguredCameraProgramLocator(const QString &settingsFile);
    QString installFolder() const override;

private:
    QString m_settingsFile;
};

/// The uninstall entries below a registry key (on Windows the 32-bit programs' key of
/// HKEY_LOCAL_MACHINE; tests hand in an INI file laid out the same way). The first entry, in key
/// order, whose DisplayName contains "Pellmar" and whose DisplayVersion's third field is at least
/// 1045 gives its InstallLocation. Each entry is read once; a version of fewer than three fields,
/// or an entry without an InstallLocation, is passed over.
class RegistryCameraProgramLocator : public CameraProgramLocator
{
public:
    /// `root` is a native registry path, or an INI file when `iniFile` is true.
    explicit RegistryCameraProgramLocator(const QString &root, bool iniFile = false);
    QString installFolder() const override;

    /// "HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\"
    static QString uninstallKey();

private:
    QString m_root;
    bool m_iniFile;
};
