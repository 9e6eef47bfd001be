#include "datastore/DatabaseFileOps.h"

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QThread>
#include <QVariant>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "datastore/CameraEventTables.h"
#include "datastore/CoreTables.h"
#include "datastore/DatabaseFileSource.h"
#include "datastore/DatabaseSchema.h"
#include "datastore/DbResult.h"
#include "datastore/LoginAccountRule.h"
#include "datastore/RestoreRowCopy.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

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

// Whether bytes, text in the file's encoding as SQLite keeps it, are well-formed text; *text is that text. A NUL or a
// U+FFFD stored as text is a character like any other, which the password fields of earlier versions stored from a
// paste and log-in reads as it is stored; bytes that were no text the codec counts, and where SQLite hands log-in
// other characters for them, the caller's comparison sees it.
bool isWellFormedText(const QByteArray &bytes, const QByteArray &encoding, QString *text)
{
    QTextCodec *codec = QTextCodec::codecForName(encoding);
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    *text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 && text->isValidUtf16();
}

// What keeps log-in from using the accounts of db, read as log-in reads them (CoreTables::queryAccount) and picked
// as log-in picks them (LoginAccountRule), so that an index of the file's own cannot hand the check other accounts than
// log-in gets; empty when nothing does. The account's number must find its row again, as the first e-mail entry writes
// the account by that number (one beyond what the record holds, or below 1, found none and the e-mail page stayed), and
// the stored bytes must be well-formed text that log-in reads as it is stored: SQLite hands log-in some bytes that are
// no text as other characters.
QString loginAccountsProblem(QSqlDatabase db)
{
    QSqlQuery encoding(db);
    if (!encoding.exec(QStringLiteral("PRAGMA encoding")) || !encoding.next())
        return QStringLiteral("its text encoding cannot be read: %1").arg(encoding.lastError().text());
    const QByteArray codecName = encoding.value(0).toString().toLatin1();
    QList<VelkAccount> accounts;
    if (CoreTables::queryAccount(db, accounts) != DB_OK)
        return QStringLiteral("its accounts cannot be read");
    for (const bool administrator : {true, false}) {
        const QString kind = administrator ? QStringLiteral("administrator") : QStringLiteral("normal account");
        const VelkAccount account = LoginAccountRule::pick(accounts, administrator);
        const QString problem = LoginAccountRule::problem(account);
        if (!problem.isEmpty())
            return QStringLiteral("log-in cannot use its %1: %2").arg(kind, problem);
        QSqlQuery stored(db);
        if (!sqlExec(stored,
                     QStringLiteral("SELECT CAST(password AS BLOB) FROM Account WHERE aid = ? AND aid BETWEEN 1 AND "
                                    "4294967295"),
                     {qint64(account.aid)}, "loginAccountsProblem"))
            return QStringLiteral("its accounts cannot be read: %1").arg(stored.lastError().text());
        if (!stored.next())
            return QStringLiteral("the number of its %1 finds no account").arg(kind);
        QString text;
        if (!isWellFormedText(stored.value(0).toByteArray(), codecName, &text))
            return QStringLiteral("the password of its %1 is not well-formed text").arg(kind);
        // A password stored as bytes (a BLOB) reaches log-in as UTF-8 up to its first NUL, whatever the file's
        // encoding: in a UTF-16 file, "kelvo" stored so reached log-in as "k".
        if (text != account.password)
            return QStringLiteral("the password of its %1 reaches log-in as other text than it holds").arg(kind);
    }
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

// Where the file a path names lies: a link is followed to where it leads, however many links that takes; empty when
// the links go round.
QString throughLinks(const QString &path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int n = 0; n < 40; ++n) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    return QString();
}

// Why a file cannot be made in folder.
DatabaseFileOps::Result cannotCreateIn(const QString &folder, int error)
{
    if (!QFileInfo(folder).isDir())
        return DatabaseFileOps::FolderMissing;
    if (error == ENOSPC || error == EDQUOT)
        return DatabaseFileOps::DiskFull;
    if (error == EACCES || error == EPERM || error == EROFS)
        return DatabaseFileOps::FolderReadOnly;
    return DatabaseFileOps::CopyFailed;
}

// Notes the part file a backup is about to write, so that the next start removes it when the backup is killed; false
// when the note cannot be written.
bool noteBackupPart(const QString &livePath, const QString &part)
{
    QFile note(DatabaseFileOps::backupPartNotePath(livePath));
    return note.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           note.write(QFile::encodeName(part)) == QFile::encodeName(part).size() && note.flush();
}

// A new, empty part file of a name of its own beside path ("<path>.part-XXXXXX"), made as any new file is (its
// permissions as the umask leaves them), and noted beside the live file; empty, with *result saying why, when none can
// be made.
QString newPartFileBeside(const QString &path, const QString &livePath, DatabaseFileOps::Result *result)
{
    static const QLatin1String letters("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = path + QStringLiteral(".part-");
        for (int n = 0; n < 6; ++n)
            name += QLatin1Char(letters.at(int(QRandomGenerator::global()->bounded(quint32(letters.size())))));
        // Noted before it exists: a backup killed at any moment after leaves nothing the next start does not know.
        if (!noteBackupPart(livePath, name))
            writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: %s cannot be noted for removal after a kill",
                     name.toUtf8().constData());
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        if (errno != EEXIST) {
            const int error = errno;
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: no file can be made beside %s: %s", path.toUtf8().constData(),
                     qPrintable(qt_error_string(error)));
            *result = cannotCreateIn(QFileInfo(path).absolutePath(), error);
            QFile::remove(DatabaseFileOps::backupPartNotePath(livePath));
            return QString();
        }
    }
    *result = DatabaseFileOps::CopyFailed;
    QFile::remove(DatabaseFileOps::backupPartNotePath(livePath));
    return QString();
}

// Whether path names a file the file dialog could not name: the bytes of its name that are no text in this system's
// encoding came as U+FFFD, so the path leads nowhere, or to another file. A name that truly holds U+FFFD is found.
bool nameIsNotText(const QString &path)
{
    return path.contains(QChar(QChar::ReplacementCharacter)) && !QFileInfo::exists(path);
}

// Removes the part file a backup killed midway left beside its target, as the backup noted it.
void removeKilledBackupPart(const QString &livePath)
{
    QFile note(DatabaseFileOps::backupPartNotePath(livePath));
    if (!note.open(QIODevice::ReadOnly))
        return;
    const QString part = QFile::decodeName(note.readAll());
    note.close();
    note.remove();
    // Only a part file of the backup's own naming, and never what a link of that name leads to.
    if (!QFileInfo(part).fileName().contains(QLatin1String(".part-")))
        return;
    for (const QLatin1String suffix : kFileAndJournals) {
        const QFileInfo file(part + suffix);
        if (file.isFile() && !file.isSymLink() && QFile::remove(file.filePath()))
            writeLog(LOG_LEVEL_INFO, "DatabaseFileOps: removed %s, left by a backup that did not end",
                     file.filePath().toUtf8().constData());
    }
}

// The folders of the console's own beside the live file: the private copies of files being read or staged.
QStringList privateFolders(const QDir &folder, const QString &liveName)
{
    return folder.entryList({liveName + QStringLiteral(".rollback-*")},
                            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Whether the staged copy at path is whole: it opens, and start-up's check finds nothing wrong.
bool isWholeDatabase(const QString &path, const QString &livePath)
{
    if (!QFileInfo(path).isFile())
        return false;
    DatabaseFileSource source(path, livePath);
    return source.open() == DatabaseFileOps::Ok && source.check() == DatabaseFileOps::Ok;
}

} // namespace

namespace {

std::function<qint64(const QString &)> &freeRoomLookup()
{
    static std::function<qint64(const QString &)> lookup;
    return lookup;
}

} // namespace

qint64 DatabaseFileOps::freeRoom(const QString &folder)
{
    if (freeRoomLookup())
        return freeRoomLookup()(folder);
    struct statvfs disk;
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return -1;
    return qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

void DatabaseFileOps::setFreeRoom(std::function<qint64(const QString &folder)> lookup)
{
    freeRoomLookup() = std::move(lookup);
}

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

QString DatabaseFileOps::backupPartNotePath(const QString &livePath)
{
    return livePath + QStringLiteral(".backup-part");
}

DatabaseFileOps::Result DatabaseFileOps::backup(const QString &livePath, const QString &target)
{
    // Written under the name the file dialog gave, the copy went to a file of another name, and was called a
    // success; a folder of such a name was said not to exist.
    if (nameIsNotText(target))
        return NameNotText;
    // A link stays a link: the copy replaces the file it leads to.
    const QString path = throughLinks(target);
    if (path.isEmpty())
        return CopyFailed;
    // Written over by the copy, the file the data store has open would be replaced by another
    // one, and SQLite refuses every later write to a file that was moved away under it.
    const QFileInfo targetInfo(path);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == QFileInfo(livePath).canonicalFilePath())
        return IsLiveFile;
    if (!QFileInfo(targetInfo.absolutePath()).isDir())
        return FolderMissing;
    // SQLite writes the copy once, under a name of its own beside the target, and the whole copy then takes the
    // target's name: a failed copy leaves an existing target as it was, and the disk needs room for one copy only.
    Result result = Ok;
    const QString part = newPartFileBeside(path, livePath, &result);
    if (part.isEmpty())
        return result;
    {
        DatabaseFileSource source(livePath, livePath, DatabaseFileSource::Own);
        result = source.open();
        if (result == Ok)
            result = source.copyInto(part);
    }
    if (result == Ok)
        result = syncToDisk(part);
    struct stat replaced;
    if (result == Ok && ::stat(QFile::encodeName(path).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode) &&
        ::chmod(QFile::encodeName(part).constData(), replaced.st_mode & 07777) != 0) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: the copy cannot take the permissions of %s: %s",
                 path.toUtf8().constData(), qPrintable(qt_error_string(errno)));
    }
    if (result == Ok) {
        // Journals of the file replaced would be played into the copy when it is next opened.
        for (const QLatin1String suffix : kFileAndJournals) {
            if (!suffix.isEmpty())
                QFile::remove(path + suffix);
        }
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: the copy cannot take the name %s: %s",
                     path.toUtf8().constData(), qPrintable(qt_error_string(errno)));
            result = CopyFailed;
        }
    }
    if (result != Ok)
        removeWithJournals(part);
    QFile::remove(backupPartNotePath(livePath));
    return result;
}

namespace {

// What the opening of a restore source found that the operator is to be told.
void tellOpening(const DatabaseFileSource &source, DatabaseFileOps::RestoreReport *report)
{
    if (!report)
        return;
    report->notAFile = source.notAFile();
    report->roomNeeded = source.roomNeeded();
    report->roomFree = source.roomFree();
}

// What the name and kind of a restore source already tell, before the file is opened.
DatabaseFileOps::Result restoreSourceName(const QString &livePath, const QString &source)
{
    const QFileInfo info(source);
    if (info.suffix() != QLatin1String("db"))
        return DatabaseFileOps::WrongSuffix;
    if (nameIsNotText(source))
        return DatabaseFileOps::NameNotText;
    const QFileInfo live(livePath);
    if (live.exists() && info.exists() && info.canonicalFilePath() == live.canonicalFilePath())
        return DatabaseFileOps::IsLiveFile;
    if (!info.isFile() || !info.isReadable())
        return DatabaseFileOps::SourceUnreadable;
    return DatabaseFileOps::Ok;
}

} // namespace

DatabaseFileOps::Result DatabaseFileOps::checkRestoreSource(const QString &livePath, const QString &source,
                                                            RestoreReport *report)
{
    const Result named = restoreSourceName(livePath, source);
    if (named != Ok)
        return named;
    DatabaseFileSource file(source, livePath);
    const Result opened = file.open();
    tellOpening(file, report);
    return opened == Ok ? file.check() : opened;
}

DatabaseFileOps::Result DatabaseFileOps::stageRestore(const QString &livePath, const QString &source,
                                                      RestoreReport *report)
{
    // The file is checked as it is copied, opened once: a source with a journal or a write-ahead log is copied into
    // a private folder to be opened, and a second opening copied it again, and could meet another file.
    const Result named = restoreSourceName(livePath, source);
    if (named != Ok)
        return named;
    discardStaged(livePath);
    // The copy is made in a folder of the console's own and takes the staged name only when whole, so a staged copy
    // beside the live file is always a whole one.
    QTemporaryDir folder(livePath + QStringLiteral(".rollback-XXXXXX"));
    if (!folder.isValid()) {
        const int error = errno;
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileOps: no folder to stage %s in: %s", source.toUtf8().constData(),
                 folder.errorString().toUtf8().constData());
        return error == ENOSPC || error == EDQUOT ? DiskFull : CopyFailed;
    }
    const QString copy = folder.filePath(QStringLiteral("restored.db"));
    Result result = Ok;
    {
        DatabaseFileSource in(source, livePath);
        result = in.open();
        tellOpening(in, report);
        QString problem;
        if (result == Ok) {
            // The check reads the whole file on its connection while the copy reads it on another; one after the
            // other, they took a third longer. A check that finds the file damaged or foreign outweighs the copy.
            Result checked = Ok;
            std::unique_ptr<QThread> check(QThread::create([&in, &checked]() { checked = in.check(); }));
            check->start();
            result = RestoreRowCopy::copy(in, copy, problem, report);
            check->wait();
            if (checked != Ok)
                result = checked;
        }
        if (result != Ok && !problem.isEmpty())
            writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: %s cannot be restored: %s", source.toUtf8().constData(),
                     problem.toUtf8().constData());
    }
    if (result == Ok)
        result = checkStagedCopy(copy);
    if (result == Ok)
        result = syncToDisk(copy);
    if (result == Ok && !QFile::rename(copy, stagedPath(livePath)))
        result = CopyFailed;
    if (result != Ok)
        discardStaged(livePath);
    return result;
}

DatabaseFileOps::Result DatabaseFileOps::addEventLogToStaged(const QString &livePath, const QList<VelkEventLog> &events)
{
    if (events.isEmpty())
        return Ok;
    FileConnection staged;
    staged.db().setDatabaseName(stagedPath(livePath));
    if (!QFileInfo(stagedPath(livePath)).isFile() || staged.openAndRead().isValid())
        return CopyFailed;
    SqlTransaction transaction(staged.db(), "DatabaseFileOps::addEventLogToStaged");
    bool written = transaction.isActive();
    for (int n = 0; written && n < events.size(); ++n) {
        VelkEventLog event = events.at(n);
        written = CameraEventTables::insertEventLog(staged.db(), event) == DB_OK;
    }
    if (written && transaction.commit())
        return Ok;
    return lastStatementFailure(staged.db()) == DbFailure::DiskFull ? DiskFull : CopyFailed;
}

void DatabaseFileOps::discardStaged(const QString &livePath)
{
    removeWithJournals(stagedPath(livePath));
}

void DatabaseFileOps::removeLeftovers(const QString &livePath)
{
    removeKilledBackupPart(livePath);
    const QFileInfo live(livePath);
    QStringList left;
    for (const QLatin1String suffix : kFileAndJournals) {
        if (QFile::remove(stagedPath(livePath) + suffix))
            left << stagedPath(livePath) + suffix;
    }
    QDir folder(live.absolutePath());
    for (const QString &name : privateFolders(folder, live.fileName())) {
        const QFileInfo entry(folder.filePath(name));
        // A link of that name is removed itself: followed, it emptied whatever folder it led to.
        const bool removed = entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                                 : QFile::remove(entry.filePath());
        if (removed)
            left << entry.filePath();
    }
    for (const QString &path : qAsConst(left))
        writeLog(LOG_LEVEL_INFO, "DatabaseFileOps: removed %s, left by a restore that did not end",
                 path.toUtf8().constData());
}

DatabaseFileOps::Result DatabaseFileOps::waitForLiveFile(const QString &livePath, int waitMs)
{
    if (!QFileInfo(livePath).isFile())
        return Ok;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(livePath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QElapsedTimer waited;
    waited.start();
    while (rc == SQLITE_OK) {
        // The lock no other connection may hold beside it, tried without a busy wait and given back at once. Waiting
        // for it under SQLite's busy wait held the lock that keeps new readers out the whole time: every read of the
        // console's own failed while another program merely read the file.
        rc = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            break;
        }
        const qint64 left = waitMs - waited.elapsed();
        if (((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) || left <= 0)
            break;
        QThread::msleep(quint64(qMin<qint64>(left, kLiveFileTryMs)));
        rc = SQLITE_OK;
    }
    const QString error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
    sqlite3_close_v2(db);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileOps: another program holds %s: %s", livePath.toUtf8().constData(),
                 error.toUtf8().constData());
        return InUse;
    }
    // Any other failure is the swap's own to meet.
    return Ok;
}

DatabaseFileOps::Result DatabaseFileOps::swapInStaged(const QString &livePath)
{
    if (!QFile::exists(stagedPath(livePath)))
        return SwapFailed;
    const bool hadLive = QFile::exists(livePath);
    if (hadLive && setLiveAside(livePath) != Ok)
        return SwapFailed;
    if (putStagedInPlace(livePath) != Ok) {
        if (hadLive)
            renameWithJournals(keptPath(livePath), livePath);
        return SwapFailed;
    }
    return Ok;
}

DatabaseFileOps::Result DatabaseFileOps::setLiveAside(const QString &livePath)
{
    const QString kept = keptPath(livePath);
    for (const QLatin1String suffix : kFileAndJournals)
        QFile::remove(kept + suffix);
    return renameWithJournals(livePath, kept) ? Ok : SwapFailed;
}

DatabaseFileOps::Result DatabaseFileOps::putStagedInPlace(const QString &livePath)
{
    return QFile::rename(stagedPath(livePath), livePath) ? Ok : SwapFailed;
}

DatabaseFileOps::SwapEnd DatabaseFileOps::finishInterruptedSwap(const QString &livePath)
{
    const QFileInfo live(livePath);
    const QString staged = stagedPath(livePath);
    const QString kept = keptPath(livePath);
    // A swap runs while a staged copy lies beside the live file; the staged copy takes the live name in its second
    // step. A kept file alone is the data of an earlier restore: with the live file deleted to start afresh, or set
    // aside as damaged, it came back as though a restore had been cut short, old passwords and all.
    if (live.exists() || live.isSymLink() || !QFileInfo(staged).isFile())
        return NoSwapLeft;
    // The first step may have stopped among the journals: what is left under the live name belongs to the file set
    // aside, and played into the file that takes the name next it would overwrite its pages.
    for (const QLatin1String suffix : kFileAndJournals) {
        if (suffix.isEmpty() || !QFile::exists(livePath + suffix))
            continue;
        if (!QFileInfo(kept).isFile() || QFile::exists(kept + suffix) ||
            !QFile::rename(livePath + suffix, kept + suffix))
            QFile::remove(livePath + suffix);
    }
    if (isWholeDatabase(staged, livePath) && QFile::rename(staged, livePath)) {
        writeLog(LOG_LEVEL_WARNING,
                 "DatabaseFileOps: a restore was cut short before %s took its place; it has been put in place now, "
                 "and the data from before the restore is kept as %s",
                 staged.toUtf8().constData(), kept.toUtf8().constData());
        return SwapFinished;
    }
    if (QFileInfo(kept).isFile() && renameWithJournals(kept, livePath)) {
        writeLog(LOG_LEVEL_WARNING,
                 "DatabaseFileOps: a restore was cut short without a whole restored copy; the data from before the "
                 "restore is back from %s",
                 kept.toUtf8().constData());
        return SwapUndone;
    }
    return NoSwapLeft;
}
