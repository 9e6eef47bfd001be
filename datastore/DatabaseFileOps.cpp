#include "datastore/DatabaseFileOps.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTextCodec>
#include <QUrl>
#include <QVariant>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "datastore/DatabaseRecovery.h"
#include "datastore/DatabaseSchema.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

// How long reading the live file waits for a write of the data store's own connection to end.
constexpr int kBusyTimeoutMs = 5000;
constexpr qint64 kCopyChunk = 1 << 20;

// A database file and the journals SQLite keeps beside it under its name.
const QLatin1String kFileAndJournals[] = {QLatin1String(""), QLatin1String("-journal"), QLatin1String("-wal"),
                                          QLatin1String("-shm")};

void removeWithJournals(const QString &path)
{
    for (const QLatin1String suffix : kFileAndJournals)
        QFile::remove(path + suffix);
}

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

    /// Keeps folder, and what it holds, until the connection is closed.
    void keepFolder(std::unique_ptr<QTemporaryDir> folder) { m_folder = std::move(folder); }

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

    std::unique_ptr<QTemporaryDir> m_folder;
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

// What a failure to read a database file means for a backup or a restore.
DatabaseFileOps::Result unreadable(const QString &path, const QSqlError &error)
{
    writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: %s cannot be read: %s", path.toUtf8().constData(),
             error.text().toUtf8().constData());
    if (DatabaseRecovery::meansNotADatabase(error))
        return DatabaseFileOps::NotConsoleDatabase;
    if (DatabaseRecovery::meansBrokenFile(error))
        return DatabaseFileOps::Damaged;
    return DatabaseFileOps::SourceUnreadable;
}

// Copies a file byte for byte; only the console's own files are written.
DatabaseFileOps::Result copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return DatabaseFileOps::SourceUnreadable;
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return DatabaseFileOps::CopyFailed;
    QByteArray chunk;
    while (!(chunk = in.read(kCopyChunk)).isEmpty()) {
        if (out.write(chunk) != chunk.size()) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: copying %s to %s failed: %s", from.toUtf8().constData(),
                     to.toUtf8().constData(), out.errorString().toUtf8().constData());
            return out.error() == QFileDevice::ResourceError ? DatabaseFileOps::DiskFull : DatabaseFileOps::CopyFailed;
        }
    }
    return in.error() == QFileDevice::NoError ? DatabaseFileOps::Ok : DatabaseFileOps::SourceUnreadable;
}

// A writer that died inside a transaction left its journal beside the file, and SQLite plays that back before it
// reads; on a read-only connection it cannot, and the sound file was refused as unreadable wherever it lay. The file
// and its journal are copied into a folder of the console's own beside the live database, where SQLite plays the
// journal back into the copy; the operator's files are never written.
DatabaseFileOps::Result readThroughRollback(FileConnection &connection, const QString &path, const QString &livePath)
{
    auto folder = std::make_unique<QTemporaryDir>(livePath + QStringLiteral(".rollback-XXXXXX"));
    if (!folder->isValid()) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: no folder for a copy of %s: %s", path.toUtf8().constData(),
                 folder->errorString().toUtf8().constData());
        return DatabaseFileOps::CopyFailed;
    }
    const QString copy = folder->filePath(QFileInfo(path).fileName());
    for (const QLatin1String suffix : {QLatin1String(""), QLatin1String("-journal")}) {
        const DatabaseFileOps::Result copied = copyFile(path + suffix, copy + suffix);
        if (copied != DatabaseFileOps::Ok)
            return copied;
    }
    QSqlDatabase &db = connection.db();
    db.close();
    db.setConnectOptions(QString());
    db.setDatabaseName(copy);
    connection.keepFolder(std::move(folder));
    const QSqlError error = connection.openAndRead();
    if (error.isValid())
        return unreadable(path, error);
    writeLog(LOG_LEVEL_INFO,
             "DatabaseFileOps: %s has the journal of a write that never ended; read through a copy "
             "with the journal played back",
             path.toUtf8().constData());
    return DatabaseFileOps::Ok;
}

// Opens path on connection to read it, never writing beside it; livePath names the live database, beside which a file
// with a journal to play back is copied.
DatabaseFileOps::Result openForReading(FileConnection &connection, const QString &path, const QString &livePath)
{
    QSqlDatabase &db = connection.db();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.setDatabaseName(path);
    QSqlError error = db.open() ? connection.openAndRead() : db.lastError();
    if (!error.isValid())
        return DatabaseFileOps::Ok;
    if (DatabaseRecovery::meansReadOnly(error) && QFileInfo(path + QLatin1String("-journal")).size() > 0)
        return readThroughRollback(connection, path, livePath);
    // A database in WAL mode is read through a shared-memory file beside it, which SQLite cannot make in a folder
    // that may not be written. Without a WAL file holding changes the database file is all there is, and it is read
    // as a file that nothing changes; with one, the file alone would lack those changes, so it stays unreadable.
    if (DatabaseRecovery::meansBrokenFile(error) || !inWalMode(path) ||
        QFileInfo(path + QLatin1String("-wal")).size() > 0)
        return unreadable(path, error);
    db.close();
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QStringLiteral("immutable=1"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    error = connection.openAndRead();
    if (error.isValid())
        return unreadable(path, error);
    writeLog(LOG_LEVEL_INFO, "DatabaseFileOps: %s is in WAL mode in a folder that cannot be written; read as it is",
             path.toUtf8().constData());
    return DatabaseFileOps::Ok;
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
            if (DatabaseRecovery::meansBrokenFile(vacuum.lastError()))
                return DatabaseFileOps::Damaged;
            return DatabaseRecovery::meansDiskFull(vacuum.lastError()) ? DatabaseFileOps::DiskFull
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
        return DatabaseRecovery::meansDiskFull(mode.lastError()) ? DatabaseFileOps::DiskFull
                                                                 : DatabaseFileOps::CopyFailed;
    }
    return DatabaseFileOps::Ok;
}

// Whether bytes, text in the file's encoding as SQLite keeps it, are text an operator can type: well-formed, without
// NUL, and without the replacement character SQLite puts where it met bytes that were not text.
bool isTypeableText(const QByteArray &bytes, const QByteArray &encoding)
{
    QTextCodec *codec = QTextCodec::codecForName(encoding);
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 && text.isValidUtf16() &&
           !text.contains(QChar(QChar::Null)) && !text.contains(QChar(QChar::ReplacementCharacter));
}

// What keeps log-in from using the accounts of db; empty when nothing does. Log-in takes the first account marked
// administrator and the first one not marked, read as queryAccount reads them (a mark of 'yes' marks none), refuses
// the number 0 (its stand-in for "no such account") and compares the typed text with the stored password.
QString loginAccountsProblem(QSqlDatabase db)
{
    QSqlQuery encoding(db);
    if (!encoding.exec(QStringLiteral("PRAGMA encoding")) || !encoding.next())
        return QStringLiteral("its text encoding cannot be read: %1").arg(encoding.lastError().text());
    const QByteArray codecName = encoding.value(0).toString().toLatin1();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT aid, isAdmin, CAST(password AS BLOB) FROM Account")))
        return QStringLiteral("its accounts cannot be read: %1").arg(query.lastError().text());
    bool found[2] = {false, false};
    while (query.next()) {
        const bool admin = query.value(1).toInt() != 0;
        if (found[admin])
            continue;
        found[admin] = true;
        const QString kind = admin ? QStringLiteral("administrator") : QStringLiteral("normal account");
        if (query.value(0).toUInt() == 0)
            return QStringLiteral("its %1 has the number 0").arg(kind);
        const QByteArray password = query.value(2).toByteArray();
        if (password.isEmpty())
            return QStringLiteral("its %1 has no password").arg(kind);
        if (!isTypeableText(password, codecName))
            return QStringLiteral("the password of its %1 is not well-formed text").arg(kind);
    }
    if (!found[1])
        return QStringLiteral("it has no administrator");
    if (!found[0])
        return QStringLiteral("it has no normal account");
    return QString();
}

// Brings the staged copy up to date as the next start will, then checks that the console can run on it. A file whose
// other tables belonged to another program passed on its accounts alone: the console then started on pages that stayed
// empty and saved nothing. One whose accounts log-in could not use locked the operator out, or let anyone in with an
// empty password.
DatabaseFileOps::Result checkStagedCopy(const QString &path)
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
        return DatabaseFileOps::DiskFull;
    const QString problem = steps == DatabaseSchema::StepOk ? loginAccountsProblem(copy.db()) : errors;
    if (!problem.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: the console cannot run on %s: %s", path.toUtf8().constData(),
                 problem.toUtf8().constData());
        return DatabaseFileOps::NotConsoleDatabase;
    }
    return DatabaseFileOps::Ok;
}

// Writes what the copy at path holds to the disk before it takes the place of another file.
DatabaseFileOps::Result syncToDisk(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DatabaseFileOps::CopyFailed;
    if (::fsync(file.handle()) == 0)
        return DatabaseFileOps::Ok;
    return errno == ENOSPC || errno == EDQUOT ? DatabaseFileOps::DiskFull : DatabaseFileOps::CopyFailed;
}

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
DatabaseFileOps::Result checkConsoleDatabase(const QString &livePath, const QString &path)
{
    FileConnection source;
    const DatabaseFileOps::Result opened = openForReading(source, path, livePath);
    if (opened != DatabaseFileOps::Ok)
        return opened;
    const DatabaseRecovery::FileCheck check = DatabaseRecovery::checkOpenFile(source.db());
    if (check.result == DatabaseRecovery::FileCheck::Damaged)
        return DatabaseFileOps::Damaged;
    if (check.result == DatabaseRecovery::FileCheck::Unreadable)
        return unreadable(path, check.error);
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
    // SQLite writes the copy once, under a name of its own beside the target, and the whole copy then takes the
    // target's name: a failed copy leaves an existing target as it was, and the disk needs room for one copy only.
    QTemporaryFile part(targetInfo.absoluteFilePath() + QStringLiteral(".XXXXXX"));
    if (!part.open())
        return CopyFailed;
    part.close();
    Result result = Ok;
    {
        FileConnection source;
        result = openForReading(source, livePath, livePath);
        if (result == Ok)
            result = copyDatabase(source.db(), part.fileName());
    }
    if (result == Ok)
        result = syncToDisk(part.fileName());
    if (result == Ok) {
        // Journals of the file replaced would be played into the copy when it is next opened.
        for (const QLatin1String suffix : kFileAndJournals) {
            if (!suffix.isEmpty())
                QFile::remove(target + suffix);
        }
        if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: the copy cannot take the name %s: %s",
                     target.toUtf8().constData(), qPrintable(qt_error_string(errno)));
            result = CopyFailed;
        }
    }
    if (result != Ok) {
        removeWithJournals(part.fileName());
        return result;
    }
    part.setAutoRemove(false);
    return Ok;
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
    return checkConsoleDatabase(livePath, source);
}

DatabaseFileOps::Result DatabaseFileOps::stageRestore(const QString &livePath, const QString &source)
{
    discardStaged(livePath);
    const QString staged = stagedPath(livePath);
    Result result = Ok;
    {
        FileConnection in;
        result = openForReading(in, source, livePath);
        if (result == Ok)
            result = copyDatabase(in.db(), staged);
    }
    if (result == Ok)
        result = checkStagedCopy(staged);
    if (result != Ok)
        discardStaged(livePath);
    return result;
}

void DatabaseFileOps::discardStaged(const QString &livePath)
{
    removeWithJournals(stagedPath(livePath));
}

void DatabaseFileOps::removeLeftovers(const QString &livePath)
{
    const QFileInfo live(livePath);
    QStringList left;
    for (const QLatin1String suffix : kFileAndJournals) {
        if (QFile::remove(stagedPath(livePath) + suffix))
            left << stagedPath(livePath) + suffix;
    }
    QDir folder(live.absolutePath());
    const QStringList copies = folder.entryList({live.fileName() + QStringLiteral(".rollback-*")},
                                                QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : copies) {
        if (QDir(folder.filePath(name)).removeRecursively())
            left << folder.filePath(name);
    }
    for (const QString &path : qAsConst(left))
        writeLog(LOG_LEVEL_INFO, "DatabaseFileOps: removed %s, left by a restore that did not end",
                 path.toUtf8().constData());
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
