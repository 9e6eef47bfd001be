#include "datastore/DatabaseFileOps.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <QVariant>

#include "datastore/CoreTables.h"
#include "datastore/DatabaseRecovery.h"
#include "datastore/DatabaseSchema.h"
#include "datastore/DbResult.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

// How long reading the live file waits for a write of the data store's own connection to end.
constexpr int kBusyTimeoutMs = 5000;

// A connection of its own onto one database file, closed and removed with the object.
class FileConnection
{
public:
    FileConnection()
        : m_name(QStringLiteral("DatabaseFileOps%1").arg(serial().fetchAndAddRelaxed(1))),
          m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name))
    {
    }
    ~FileConnection()
    {
        SqlStatement::clearCache(m_name);
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    FileConnection(const FileConnection &) = delete;
    FileConnection &operator=(const FileConnection &) = delete;

    QSqlDatabase &db() { return m_db; }

    // Opens the file named as set and reads its schema, since opening alone reads nothing. Invalid when both worked.
    QSqlError openAndRead()
    {
        if (!m_db.open())
            return m_db.lastError();
        QSqlQuery schema(m_db);
        if (!schema.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            return schema.lastError();
        return QSqlError();
    }

private:
    static QAtomicInt &serial()
    {
        static QAtomicInt counter;
        return counter;
    }

    QString m_name;
    QSqlDatabase m_db;
};

// Whether the file's header puts it in WAL mode (read and write version 2).
bool inWalMode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header.at(18) == 2;
}

// Opens path read-only on connection.
QSqlError openForReading(FileConnection &connection, const QString &path)
{
    QSqlDatabase &db = connection.db();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.setDatabaseName(path);
    QSqlError error = db.open() ? connection.openAndRead() : db.lastError();
    // A database in WAL mode is read through a shared-memory file beside it, which SQLite cannot make in a folder
    // that may not be written. Without a WAL file holding changes the database file is all there is, and it is read
    // as a file that nothing changes; with one, the file alone would lack those changes, so it stays unreadable.
    if (!error.isValid() || DatabaseRecovery::meansBrokenFile(error) || !inWalMode(path) ||
        QFileInfo(path + QLatin1String("-wal")).size() > 0)
        return error;
    db.close();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("immutable=1"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    error = connection.openAndRead();
    if (!error.isValid())
        writeLog(LOG_LEVEL_INFO, "DatabaseFileOps: %s is in WAL mode in a folder that cannot be written; read as it is",
                 path.toUtf8().constData());
    return error;
}

// What a failure to read a database file means for a backup or a restore.
DatabaseFileOps::Result unreadable(const QSqlError &error)
{
    if (DatabaseRecovery::meansNotADatabase(error))
        return DatabaseFileOps::NotConsoleDatabase;
    if (DatabaseRecovery::meansBrokenFile(error))
        return DatabaseFileOps::Damaged;
    return DatabaseFileOps::SourceUnreadable;
}

// Writes a copy of the database open on source to target, which must be missing or empty. SQLite reads the source in
// one transaction, so the copy holds every committed change, also those still in a WAL file, and none half-written.
DatabaseFileOps::Result copyDatabase(QSqlDatabase &source, const QString &target)
{
    {
        QSqlQuery vacuum(source);
        const auto copied = [&]() {
            if (!vacuum.prepare(QStringLiteral("VACUUM INTO ?")))
                return false;
            vacuum.addBindValue(target);
            return vacuum.exec();
        };
        if (!copied()) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: copying into %s failed: %s", target.toUtf8().constData(),
                     vacuum.lastError().text().toUtf8().constData());
            return DatabaseRecovery::meansBrokenFile(vacuum.lastError()) ? DatabaseFileOps::Damaged
                                                                         : DatabaseFileOps::CopyFailed;
        }
    }
    // The console runs in rollback-journal mode. A copy left in WAL mode would keep its later changes in a file
    // beside it, which the next copy of the file alone would miss.
    FileConnection copy;
    copy.db().setDatabaseName(target);
    if (copy.openAndRead().isValid())
        return DatabaseFileOps::CopyFailed;
    QSqlQuery mode(copy.db());
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode = DELETE")) || !mode.next() ||
        mode.value(0).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: %s cannot be put in rollback-journal mode: %s",
                 target.toUtf8().constData(), mode.lastError().text().toUtf8().constData());
        return DatabaseFileOps::CopyFailed;
    }
    return DatabaseFileOps::Ok;
}

// Brings the staged copy up to date as the next start will, then reads its accounts as log-in does. A file with an
// Account table of another program passed every check of the file itself; swapped in, log-in read no account, and the
// operator was locked out while the data lay in a file the restore cannot pick.
DatabaseFileOps::Result checkAccountsAfterStartup(const QString &path)
{
    FileConnection copy;
    copy.db().setDatabaseName(path);
    if (copy.openAndRead().isValid())
        return DatabaseFileOps::CopyFailed;
    QString errors;
    const DatabaseSchema::StepResult steps = DatabaseSchema::update([&copy]() { return copy.db(); }, errors);
    if (steps == DatabaseSchema::StepBroken)
        return DatabaseFileOps::Damaged;
    if (steps == DatabaseSchema::StepDiskFull)
        return DatabaseFileOps::CopyFailed;
    QList<VelkAccount> accounts;
    if (CoreTables::queryAccount(copy.db(), accounts) != DB_OK || accounts.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: the accounts of %s cannot be read: %s", path.toUtf8().constData(),
                 errors.toUtf8().constData());
        return DatabaseFileOps::NotConsoleDatabase;
    }
    return DatabaseFileOps::Ok;
}

bool copyReplacing(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

// A database file and the journals SQLite keeps beside it under its name.
const QLatin1String kFileAndJournals[] = {QLatin1String(""), QLatin1String("-journal"), QLatin1String("-wal"),
                                          QLatin1String("-shm")};

// Renames from to to with its journals: left behind, they would be played into the file that takes from's name next.
// Puts back what moved when a rename fails.
bool renameWithJournals(const QString &from, const QString &to)
{
    QList<QLatin1String> moved;
    for (const QLatin1String suffix : kFileAndJournals) {
        if (!suffix.isEmpty() && !QFile::exists(from + suffix))
            continue;
        if (!QFile::rename(from + suffix, to + suffix)) {
            for (const QLatin1String back : qAsConst(moved))
                QFile::rename(to + back, from + back);
            return false;
        }
        moved << suffix;
    }
    return true;
}

// The check start-up makes of the live file, then whether the file is this console's at all. Reads
// the file only.
DatabaseFileOps::Result checkConsoleDatabase(const QString &path)
{
    FileConnection source;
    const QSqlError error = openForReading(source, path);
    if (error.isValid())
        return unreadable(error);
    const DatabaseRecovery::FileCheck check = DatabaseRecovery::checkOpenFile(source.db());
    if (check.result == DatabaseRecovery::FileCheck::Damaged)
        return DatabaseFileOps::Damaged;
    if (check.result == DatabaseRecovery::FileCheck::Unreadable)
        return unreadable(check.error);
    QSqlQuery query(source.db());
    const bool hasAccount =
        query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Account'")) &&
        query.next();
    return hasAccount ? DatabaseFileOps::Ok : DatabaseFileOps::NotConsoleDatabase;
}

} // namespace

QString DatabaseFileOps::liveDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/dbManagement/") +
           QStringLiteral("QuorvinDatabase.db");
}

QString DatabaseFileOps::stagedPath(const QString &livePath)
{
    return livePath + QStringLiteral(".restore");
}

QString DatabaseFileOps::keptPath(const QString &livePath)
{
    return livePath + QStringLiteral(".bak");
}

DatabaseFileOps::Result DatabaseFileOps::backup(const QString &livePath, const QString &target)
{
    // Written over by the copy, the file the data store has open would be replaced by another
    // one, and SQLite refuses every later write to a file that was moved away under it.
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == QFileInfo(livePath).canonicalFilePath())
        return IsLiveFile;
    FileConnection source;
    const QSqlError error = openForReading(source, livePath);
    if (error.isValid()) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: %s cannot be read: %s", livePath.toUtf8().constData(),
                 error.text().toUtf8().constData());
        return unreadable(error);
    }
    // SQLite writes the copy under a name of its own, and only the finished copy replaces the target.
    QTemporaryFile part(targetInfo.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!part.open())
        return CopyFailed;
    part.close();
    const Result copied = copyDatabase(source.db(), part.fileName());
    if (copied != Ok)
        return copied;
    return copyReplacing(part.fileName(), target) ? Ok : CopyFailed;
}

DatabaseFileOps::Result DatabaseFileOps::checkRestoreSource(const QString &livePath, const QString &source)
{
    const QFileInfo info(source);
    if (info.suffix() != QLatin1String("db"))
        return WrongSuffix;
    const QFileInfo live(livePath);
    if (live.exists() && info.exists() && info.canonicalFilePath() == live.canonicalFilePath())
        return IsLiveFile;
    if (!info.isFile() || !info.isReadable())
        return SourceUnreadable;
    return checkConsoleDatabase(source);
}

DatabaseFileOps::Result DatabaseFileOps::stageRestore(const QString &livePath, const QString &source)
{
    discardStaged(livePath);
    const QString staged = stagedPath(livePath);
    Result result = Ok;
    {
        FileConnection in;
        const QSqlError error = openForReading(in, source);
        result = error.isValid() ? unreadable(error) : copyDatabase(in.db(), staged);
    }
    if (result == Ok)
        result = checkAccountsAfterStartup(staged);
    if (result != Ok)
        discardStaged(livePath);
    return result;
}

void DatabaseFileOps::discardStaged(const QString &livePath)
{
    const QString staged = stagedPath(livePath);
    for (const QLatin1String suffix : kFileAndJournals)
        QFile::remove(staged + suffix);
}

DatabaseFileOps::Result DatabaseFileOps::swapInStaged(const QString &livePath)
{
    const QString staged = stagedPath(livePath);
    const QString kept = keptPath(livePath);
    if (!QFile::exists(staged))
        return SwapFailed;
    const bool hadLive = QFile::exists(livePath);
    if (hadLive) {
        for (const QLatin1String suffix : kFileAndJournals)
            QFile::remove(kept + suffix);
        if (!renameWithJournals(livePath, kept))
            return SwapFailed;
    }
    if (!QFile::rename(staged, livePath)) {
        if (hadLive)
            renameWithJournals(kept, livePath);
        return SwapFailed;
    }
    return Ok;
}
