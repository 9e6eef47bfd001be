#include "datastore/DatabaseRecovery.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "shell/base/Log.h"

namespace {

const char kDatabaseFile[] = "QuorvinDatabase.db";
const char kFormerDatabaseFile[] = "OrvantaDatabase.db";
const char kFormerFolderName[] = "/Orvanta";

// SQLite primary result codes.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteNotADatabase = 26;

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

DatabaseRecovery::FileCheck DatabaseRecovery::checkOpenFile(const QSqlDatabase &db)
{
    FileCheck check;
    {
        QSqlQuery schema(db);
        if (!schema.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            check.result = FileCheck::Unreadable;
            check.what = QStringLiteral("reading the schema");
            check.error = schema.lastError();
            return check;
        }
    }
    QSqlQuery quick(db);
    if (!quick.exec(QStringLiteral("PRAGMA quick_check"))) {
        check.result = FileCheck::Unreadable;
        check.what = QStringLiteral("checking the database");
        check.error = quick.lastError();
        return check;
    }
    while (quick.next())
        check.problems << quick.value(0).toString();
    if (check.problems != QStringList{QStringLiteral("ok")}) {
        check.result = FileCheck::Damaged;
        check.what = QStringLiteral("checking the database");
    } else {
        check.problems.clear();
    }
    return check;
}

bool DatabaseRecovery::meansBrokenFile(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

bool DatabaseRecovery::meansDiskFull(const QSqlError &error)
{
    return sqliteCode(error) == kSqliteFull;
}

bool DatabaseRecovery::setBrokenFileAside(const QString &path, QString &keptAs, QString &error)
{
    if (!QFile::exists(path))
        return false;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = path + QLatin1String(".broken-") + stamp;
    for (int n = 1; QFile::exists(target); ++n)
        target = path + QLatin1String(".broken-") + stamp + QLatin1Char('-') + QString::number(n);

    if (!QFile::rename(path, target)) {
        error = QStringLiteral("the damaged database could not be moved aside");
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: cannot rename %s to %s; it is left as it is",
                 utf8(path).constData(), utf8(target).constData());
        return false;
    }
    keptAs = target;
    writeLog(LOG_LEVEL_WARNING,
             "DatabaseManager: %s is not a usable database; moved aside to %s and a new one is created",
             utf8(path).constData(), utf8(target).constData());

    // A journal left beside the old file would be played into the new one.
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFile::exists(side) && !QFile::rename(side, target + QLatin1String(suffix))) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseManager: cannot move %s aside", utf8(side).constData());
            error = QStringLiteral("the journal of the damaged database could not be moved aside");
            return false;
        }
    }
    error.clear();
    return true;
}

void DatabaseRecovery::migrateFormerFolder(const QString &dataFolder)
{
    const QString parent = QDir::cleanPath(dataFolder + QLatin1String("/.."));
    const QString former = QDir::cleanPath(parent + QLatin1String(kFormerFolderName));
    // The data of the former name moves into the current data folder, whatever the
    // executable is called, so the migration and the folder in use never drift apart.
    const QString target = dataFolder;
    if (former == target || !QFileInfo(former).isDir())
        return;

    if (migrateDatabaseFolder(former, target)) {
        if (!QDir(former).removeRecursively())
            writeLog(LOG_LEVEL_WARNING, "DatabaseManager: migrated %s but could not remove it",
                     utf8(former).constData());
        else
            writeLog(LOG_LEVEL_INFO, "DatabaseManager: migrated %s to %s", utf8(former).constData(),
                     utf8(target).constData());
    } else {
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: migration of %s to %s incomplete; the former folder is kept",
                 utf8(former).constData(), utf8(target).constData());
    }
}

bool DatabaseRecovery::migrateDatabaseFolder(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (info.isDir()) {
        const QFileInfo targetInfo(target);
        QDir(targetInfo.absolutePath()).mkdir(targetInfo.fileName());
        const QStringList entries = QDir(source).entryList(
            QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &name : entries) {
            if (!migrateDatabaseFolder(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name))
                return false;
        }
        return true;
    }
    QString to = target;
    to.replace(QLatin1String(kFormerDatabaseFile), QLatin1String(kDatabaseFile));
    if (!QFile::copy(source, to)) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: cannot copy %s to %s", utf8(source).constData(),
                 utf8(to).constData());
        return false;
    }
    return true;
}
