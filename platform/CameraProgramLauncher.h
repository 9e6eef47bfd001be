#pragma once

#include <QString>
#include <QStringList>

/// Starts the camera-management program on one camera: "<install path>/Pellmar.exe -mode 1
/// -user U -password P -mac <camera MAC> -pid <console pid>", in the folder that holds the
/// install path.
///
/// The arguments are handed over as a list, so a user name or password with blanks stays one
/// argument. The program is detached: nothing waits for it and it outlives the dialog (and the
/// console) that started it. The command line carries the clear-text password, so neither it nor
/// the arguments are ever logged.
class CameraProgramLauncher
{
public:
    static QString programPath(const QString &installPath);
    /// QFileInfo(installPath).absolutePath(): the folder that contains the install path's last
    /// component, or the install path itself when it ends with a separator.
    static QString workingFolder(const QString &installPath);
    static QStringList arguments(const QString &user, const QString &password, const QString &cameraMac, qint64 pid);

    /// Starts the program; false when the install path is empty or the program could not be
    /// started, with the reason (never the command line) in `error`.
    static bool launch(const QString &installPath, const QString &user, const QString &password,
                       const QString &cameraMac, QString *error = nullptr);
};
