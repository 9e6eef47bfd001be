#include "platform/CameraProgramLauncher.h"

#include "platform/CameraProgramLocator.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

QString CameraProgramLauncher::programPath(const QString &installPath)
{
    return installPath + QLatin1Char('/') + CameraProgramLocator::programName();
}

QString CameraProgramLauncher::workingFolder(const QString &installPath)
{
    return QFileInfo(installPath).absolutePath();
}

QStringList CameraProgramLauncher::arguments(const QString &user, const QString &password, const QString &cameraMac,
                                             qint64 pid)
{
    return {QStringLiteral("-mode"),     QStringLiteral("1"),
            QStringLiteral("-user"),     user,
            QStringLiteral("-password"), password,
            QStringLiteral("-mac"),      cameraMac,
            QStringLiteral("-pid"),      QString::number(pid)};
}

bool CameraProgramLauncher::launch(const QString &installPath, const QString &user, const QString &password,
                                   const QString &cameraMac, QString *error)
{
    if (installPath.isEmpty()) {
        if (error)
            *error = QStringLiteral("no install path recorded");
        return false;
    }
    const QString program = programPath(installPath);
    if (!QProcess::startDetached(program, arguments(user, password, cameraMac, QCoreApplication::applicationPid()),
                                 workingFolder(installPath))) {
        if (error)
            *error = program + QStringLiteral(" cannot be run");
        return false;
    }
    return true;
}
