#include "shell/app/DatabaseStartupNotice.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include "shell/base/Log.h"
#include "shell/kit/GeneralMsgDialog.h"

namespace {

// With less than this left, a lock file that could not be written is put down to the disk: the console could not keep
// its database and log there anyway.
constexpr qint64 kFullDiskBytes = 64 * 1024;

} // namespace

QString DatabaseStartupNotice::text(const OrvantaDBManager::StartupReport &report)
{
    const QString restore = restoreText(report);
    const QString database = databaseText(report);
    if (restore.isEmpty() || database.isEmpty())
        return restore + database;
    return restore + QStringLiteral("\n\n") + database;
}

QString DatabaseStartupNotice::restoreText(const OrvantaDBManager::StartupReport &report)
{
    switch (report.interruptedRestore) {
    case DatabaseFileOps::NoSwapLeft:
        break;
    case DatabaseFileOps::SwapFinished:
        return tr("A restore of the database was cut short before it ended. It has been finished now: the console "
                  "runs on the restored data, and the data from before the restore is kept as\n%1")
            .arg(QDir::toNativeSeparators(DatabaseFileOps::keptPath(report.databaseFile)));
    case DatabaseFileOps::SwapUndone:
        return tr("A restore of the database was cut short before its copy was whole. The data from before the "
                  "restore has been put back.");
    }
    return QString();
}

QString DatabaseStartupNotice::databaseText(const OrvantaDBManager::StartupReport &report)
{
    // Every step of the start met the full disk in turn; the operator needs the cause once, not each failed step.
    if (report.diskFull)
        return tr("The disk that holds the database %1 is full, so no change can be saved in it. Free space on "
                  "that disk and start the console again.")
            .arg(QDir::toNativeSeparators(report.databaseFile));
    switch (report.state) {
    case OrvantaDBManager::StartupReport::Ready:
        break;
    case OrvantaDBManager::StartupReport::Recreated:
        return tr("The database could not be used. It has been kept as\n%1\nand a new, empty database was "
                  "created.")
            .arg(QDir::toNativeSeparators(report.keptFile));
    case OrvantaDBManager::StartupReport::Degraded:
        return tr("The database %1 was opened, but not every change can be saved in it.\n%2")
            .arg(QDir::toNativeSeparators(report.databaseFile), report.detail);
    case OrvantaDBManager::StartupReport::Unavailable:
        return tr("The database could not be opened.\n%1").arg(report.detail);
    }
    return QString();
}

void DatabaseStartupNotice::showIfNeeded(const OrvantaDBManager::StartupReport &report, QWidget *parent)
{
    const QString message = text(report);
    if (message.isEmpty())
        return;
    if (!report.detail.isEmpty())
        writeLog(report.state == OrvantaDBManager::StartupReport::Recreated ? LOG_LEVEL_WARNING : LOG_LEVEL_ERROR,
                 "DatabaseStartupNotice: %s", report.detail.toUtf8().constData());
    show(message, parent);
}

QString DatabaseStartupNotice::dataFolderText(const QString &folder)
{
    if (diskIsFull(folder))
        return tr("The console cannot start, because the disk that holds its data folder is full:\n%1\nFree space "
                  "on that disk and start the console again.")
            .arg(QDir::toNativeSeparators(folder));
    return tr("The console cannot start, because its data folder cannot be written:\n%1")
        .arg(QDir::toNativeSeparators(folder));
}

bool DatabaseStartupNotice::diskIsFull(const QString &path)
{
    // The folder itself may be what could not be made.
    QString existing = QFileInfo(path).absoluteFilePath();
    while (!QFileInfo::exists(existing) && !QDir(existing).isRoot())
        existing = QFileInfo(existing).absolutePath();
    const QStorageInfo storage(existing);
    return storage.isValid() && storage.isReady() && storage.bytesAvailable() < kFullDiskBytes;
}

QString DatabaseStartupNotice::lockPathText(const QString &lockFile)
{
    return tr("The console cannot start, because its lock file is not a file (a folder or a broken link, for "
              "example):\n%1\nRemove it and start the console again.")
        .arg(QDir::toNativeSeparators(lockFile));
}

QString DatabaseStartupNotice::lockOtherComputerText(const QString &lockFile, const QString &computer)
{
    return tr("The console cannot start, because a console on the computer \"%2\" may be using its data folder. "
              "Its lock file is:\n%1\nEnd the console there, or, if none runs there, remove the file and start "
              "the console again.")
        .arg(QDir::toNativeSeparators(lockFile), computer);
}

void DatabaseStartupNotice::showStartError(const QString &message, const QString &detail, QWidget *parent)
{
    writeLog(LOG_LEVEL_ERROR, "DatabaseStartupNotice: %s", detail.toUtf8().constData());
    show(message, parent);
}

void DatabaseStartupNotice::show(const QString &message, QWidget *parent)
{
    GeneralMsgDialog dialog(parent);
    dialog.setMessage(message);
    dialog.exec();
}
