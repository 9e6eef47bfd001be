#include "datastore/DatabaseFileSource.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/base/Log.h"

namespace {

// How long reading a file waits for another connection's write to end.
constexpr int kBusyTimeoutMs = 5000;
// The longest text or blob a chosen file may make SQLite build: the console keeps nothing near it, and a default or a
// generated column of the file's own could otherwise ask for a gigabyte per row.
constexpr int kLongestValue = 64 << 20;
constexpr qint64 kCopyChunk = 1 << 20;

// The bytes that begin a journal's header and end the record naming its super-journal.
const char kJournalMagic[8] = {'\xd9', '\xd5', '\x05', '\xf9', '\x20', '\xa1', '\x63', '\xd7'};

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

// What lies under a name beside a chosen file, looked at without opening it: opening a FIFO blocked the copy for good,
// and a device may act on being opened.
enum class Beside
{
    Nothing,   ///< no file, or an empty one: nothing to play back
    File,      ///< a regular file with bytes in it
    NotAFile,  ///< a FIFO, a device, a socket or a folder
    Unreadable ///< it cannot even be looked at
};

Beside lookBeside(const QString &path, qint64 *size)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Beside::Nothing : Beside::Unreadable;
    if (!S_ISREG(info.st_mode))
        return Beside::NotAFile;
    *size = info.st_size;
    return info.st_size > 0 ? Beside::File : Beside::Nothing;
}

// Copies at most maxBytes of a regular file into the private folder. The file is opened so that a FIFO or a device put
// under its name meanwhile neither blocks nor acts, and is refused; a file that grows while it is copied takes no more
// room than was counted for it.
DatabaseFileOps::Result copyFile(const QString &from, const QString &to, qint64 maxBytes)
{
    const int fd = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return DatabaseFileOps::SourceUnreadable;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return DatabaseFileOps::SideFileNotRegular;
    }
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        ::close(fd);
        return DatabaseFileOps::SourceUnreadable;
    }
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return DatabaseFileOps::CopyFailed;
    QByteArray chunk;
    qint64 left = maxBytes;
    while (left > 0 && !(chunk = in.read(qMin(left, kCopyChunk))).isEmpty()) {
        left -= chunk.size();
        // A write cut short by a full disk reports no error of its own; the next one tells why.
        qint64 written = 0;
        for (qint64 part = 0; written < chunk.size() && part >= 0; written += qMax<qint64>(part, 0))
            part = out.write(chunk.constData() + written, chunk.size() - written);
        if (written != chunk.size()) {
            writeLog(LOG_LEVEL_ERROR, "DatabaseFileSource: copying %s to %s failed: %s", utf8(from).constData(),
                     utf8(to).constData(), utf8(out.errorString()).constData());
            return out.error() == QFileDevice::ResourceError ? DatabaseFileOps::DiskFull : DatabaseFileOps::CopyFailed;
        }
    }
    return in.error() == QFileDevice::NoError ? DatabaseFileOps::Ok : DatabaseFileOps::SourceUnreadable;
}

// Whether SQLite, rolling the journal back, would follow a super-journal name stored at its end: it reads the last 16
// bytes as the name's length, the name's checksum and the journal magic, and takes the name (the length's bytes just
// before them) only when the length is 1 to the longest path its file layer names, fits in the file, the name does
// not begin with NUL, and the checksum is the sum of the name's bytes. A tail that merely looks like such a record is
// part of the journal, and SQLite plays the journal back whole.
bool namesSuperJournal(QFile &journal)
{
    const qint64 size = journal.size();
    if (size < 16 || !journal.seek(size - 16))
        return false;
    const QByteArray tail = journal.read(16);
    if (tail.size() != 16 || std::memcmp(tail.constData() + 8, kJournalMagic, sizeof kJournalMagic) != 0)
        return false;
    const sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    const quint32 length = qFromBigEndian<quint32>(tail.constData());
    if (!vfs || length == 0 || length > quint32(vfs->mxPathname) || qint64(length) > size - 16 ||
        !journal.seek(size - 16 - length))
        return false;
    const QByteArray name = journal.read(length);
    if (name.size() != int(length) || name.at(0) == '\0')
        return false;
    // As SQLite sums them: each byte a char of this platform, widened to an int.
    quint32 sum = qFromBigEndian<quint32>(tail.constData() + 4);
    for (const char c : name)
        sum -= quint32(int(c));
    return sum == 0;
}

// A journal that names a super-journal gets the last byte of the record's magic changed: SQLite then reads no name at
// its end, plays the journal back as the rollback of this one file, and reads, changes or deletes no file the name
// points to. The journal keeps its size: SQLite counts the page records of a journal written without syncs (its header
// says 0xffffffff records) from its size, and 16 bytes appended completed a record of the bytes before them, a page
// SQLite would not have played. SQLite writes the record behind the page records, so the byte changed is no byte of a
// page played back. Cutting the record off instead trusted its length, which SQLite checks against the checksum, and
// shortened the pages in front of it.
bool hideSuperJournalName(const QString &path, const QString &original)
{
    QFile journal(path);
    if (!journal.open(QIODevice::ReadWrite))
        return false;
    if (!namesSuperJournal(journal))
        return true;
    writeLog(LOG_LEVEL_WARNING,
             "DatabaseFileSource: %s names a super-journal; its copy is played back as the rollback of its own file",
             utf8(original).constData());
    char last = 0;
    if (!journal.seek(journal.size() - 1) || !journal.getChar(&last) || !journal.seek(journal.size() - 1) ||
        !journal.putChar(char(~last)) || !journal.flush())
        return false;
    return !namesSuperJournal(journal);
}

} // namespace

DatabaseFileSource::DatabaseFileSource(const QString &path, const QString &livePath, Origin origin)
    : m_path(path), m_livePath(livePath), m_origin(origin)
{
}

DatabaseFileSource::~DatabaseFileSource()
{
    close();
}

void DatabaseFileSource::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

int DatabaseFileSource::openAt(const QString &file, const QString &options)
{
    close();
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    url.setQuery(options);
    m_uri = url.toString(QUrl::FullyEncoded);
    const int flags =
        SQLITE_OPEN_URI | (options.startsWith(QLatin1String("mode=ro")) ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    int rc = sqlite3_open_v2(m_uri.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc == SQLITE_OK) {
        guard(m_db, m_origin);
        if (m_origin == Elsewhere)
            rc = sqlite3_exec(m_db, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
        // Opening reads nothing; the schema read does, and plays back a journal where it may.
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        close();
    } else {
        m_encoding = readEncoding();
    }
    return rc;
}

void DatabaseFileSource::guard(sqlite3 *db, Origin origin)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Functions named in the file's schema (in a CHECK, a default or a generated column) run only when harmless.
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    if (origin == Elsewhere)
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kLongestValue);
}

QString DatabaseFileSource::readEncoding() const
{
    sqlite3_stmt *pragma = nullptr;
    QString name;
    if (m_db && sqlite3_prepare_v2(m_db, "PRAGMA encoding", -1, &pragma, nullptr) == SQLITE_OK &&
        sqlite3_step(pragma) == SQLITE_ROW)
        name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(pragma, 0)));
    sqlite3_finalize(pragma);
    return name;
}

DatabaseFileOps::Result DatabaseFileSource::open()
{
    m_error.clear();
    m_notAFile.clear();
    if (m_origin == Own) {
        const int rc = openAt(m_path, QStringLiteral("mode=ro"));
        if (rc == SQLITE_OK)
            return DatabaseFileOps::Ok;
        // A writer that died inside a transaction left its journal, which SQLite plays back before it reads; a
        // connection that may only read cannot.
        qint64 size = 0;
        if ((rc & 0xff) == SQLITE_READONLY && lookBeside(m_path + QStringLiteral("-journal"), &size) == Beside::File)
            return readThroughCopy({QStringLiteral("-journal")});
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
                 utf8(m_error).constData());
        return readFailure(rc);
    }
    // SQLite takes the journal and the WAL file from beside the file a link leads to, not from beside the link: looked
    // for beside a link, a backup chosen through one was read without its journal, and a half-written state was
    // restored and called a success.
    const QString itself = QFileInfo(m_path).canonicalFilePath();
    if (!itself.isEmpty())
        m_path = itself;
    // SQLite never sees the chosen file's folder: opened there it plays a journal back into the operator's file, makes
    // a shared-memory and a WAL file beside a file whose header asks for WAL mode, and deletes a WAL file beside an
    // empty file. What lies beside it to be played back is copied into the private folder and played back there.
    QStringList played;
    for (const QString &suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        qint64 size = 0;
        switch (lookBeside(m_path + suffix, &size)) {
        case Beside::Nothing:
            break;
        case Beside::File:
            played << suffix;
            break;
        case Beside::NotAFile:
            m_notAFile = m_path + suffix;
            writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s is not a regular file; %s is not read",
                     utf8(m_notAFile).constData(), utf8(m_path).constData());
            return DatabaseFileOps::SideFileNotRegular;
        case Beside::Unreadable:
            writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be looked at: %s",
                     utf8(m_path + suffix).constData(), qPrintable(qt_error_string(errno)));
            return DatabaseFileOps::SourceUnreadable;
        }
    }
    if (!played.isEmpty())
        return readThroughCopy(played);
    // Nothing beside it to play back: the file is all there is, read as a file that nothing changes, for which SQLite
    // looks at nothing beside it.
    const int rc = openAt(m_path, QStringLiteral("mode=ro&immutable=1"));
    if (rc != SQLITE_OK) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
                 utf8(m_error).constData());
        return readFailure(rc);
    }
    return DatabaseFileOps::Ok;
}

DatabaseFileOps::Result DatabaseFileSource::readThroughCopy(const QStringList &played)
{
    // The room is counted before anything is copied: a sparse journal of 3 GiB takes a few blocks where it lies and
    // all of its size in the copy, which filled the disk of the live database.
    QStringList parts{QString()};
    parts << played;
    QList<qint64> sizes;
    qint64 needed = 0;
    for (const QString &part : qAsConst(parts)) {
        qint64 size = 0;
        if (lookBeside(m_path + part, &size) == Beside::NotAFile) {
            m_notAFile = m_path + part;
            return DatabaseFileOps::SideFileNotRegular;
        }
        sizes << size;
        needed += size;
    }
    const QString folder = QFileInfo(m_livePath).absolutePath();
    const qint64 free = DatabaseFileOps::freeRoom(folder);
    if (free >= 0 && needed > free) {
        m_roomNeeded = needed;
        m_roomFree = free;
        writeLog(LOG_LEVEL_WARNING,
                 "DatabaseFileSource: a copy of %s and what lies beside it needs %lld bytes, %s has %lld free",
                 utf8(m_path).constData(), needed, utf8(folder).constData(), free);
        return DatabaseFileOps::NotEnoughRoom;
    }
    m_folder = std::make_unique<QTemporaryDir>(m_livePath + QStringLiteral(".rollback-XXXXXX"));
    if (!m_folder->isValid()) {
        const int error = errno;
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileSource: no folder for a copy of %s: %s", utf8(m_path).constData(),
                 utf8(m_folder->errorString()).constData());
        return error == ENOSPC || error == EDQUOT ? DatabaseFileOps::DiskFull : DatabaseFileOps::CopyFailed;
    }
    const QString copy = m_folder->filePath(QStringLiteral("source.db"));
    for (int n = 0; n < parts.size(); ++n) {
        const DatabaseFileOps::Result copied = copyFile(m_path + parts.at(n), copy + parts.at(n), sizes.at(n));
        if (copied == DatabaseFileOps::SideFileNotRegular)
            m_notAFile = m_path + parts.at(n);
        if (copied != DatabaseFileOps::Ok)
            return copied;
    }
    const QString journal = QStringLiteral("-journal");
    if (played.contains(journal) && !hideSuperJournalName(copy + journal, m_path + journal))
        return DatabaseFileOps::CopyFailed;
    const int rc = openAt(copy, QStringLiteral("mode=rw"));
    if (rc != SQLITE_OK) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
                 utf8(m_error).constData());
        return readFailure(rc);
    }
    writeLog(LOG_LEVEL_INFO, "DatabaseFileSource: %s is read through a copy with its %s played back",
             utf8(m_path).constData(), utf8(played.join(QLatin1String(" and "))).constData());
    return DatabaseFileOps::Ok;
}

DatabaseFileOps::Result DatabaseFileSource::check()
{
    if (!m_db)
        return DatabaseFileOps::SourceUnreadable;
    sqlite3_stmt *quick = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &quick, nullptr);
    QStringList problems;
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(quick)) == SQLITE_ROW)
            problems << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(quick, 0)));
    }
    sqlite3_finalize(quick);
    if (rc != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: checking %s failed: %s", utf8(m_path).constData(),
                 utf8(m_error).constData());
        return readFailure(rc);
    }
    if (problems != QStringList{QStringLiteral("ok")}) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s is damaged: %s", utf8(m_path).constData(),
                 utf8(problems.join(QLatin1String(", "))).constData());
        return DatabaseFileOps::Damaged;
    }
    // Start-up finds its tables in any letter case.
    sqlite3_stmt *account = nullptr;
    rc =
        sqlite3_prepare_v2(m_db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'Account' COLLATE NOCASE",
                           -1, &account, nullptr);
    const bool hasAccount = rc == SQLITE_OK && sqlite3_step(account) == SQLITE_ROW;
    sqlite3_finalize(account);
    return hasAccount ? DatabaseFileOps::Ok : DatabaseFileOps::NotConsoleDatabase;
}

DatabaseFileOps::Result DatabaseFileSource::copyInto(const QString &target)
{
    if (!m_db)
        return DatabaseFileOps::SourceUnreadable;
    sqlite3_stmt *vacuum = nullptr;
    const QByteArray name = QFile::encodeName(target);
    int rc = sqlite3_prepare_v2(m_db, "VACUUM INTO ?", -1, &vacuum, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_bind_text(vacuum, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(vacuum);
    sqlite3_finalize(vacuum);
    if (rc != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileSource: copying %s into %s failed: %s", utf8(m_path).constData(),
                 utf8(target).constData(), utf8(m_error).constData());
        return copyFailure(rc);
    }
    // The console runs in rollback-journal mode. A copy left in WAL mode would keep its later changes in a file
    // beside it, which the next copy of the file alone would miss.
    sqlite3 *copy = nullptr;
    rc = sqlite3_open_v2(name.constData(), &copy, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(copy, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileSource: %s cannot be put in rollback-journal mode: %s",
                 utf8(target).constData(), copy ? sqlite3_errmsg(copy) : "out of memory");
    sqlite3_close_v2(copy);
    return rc == SQLITE_OK ? DatabaseFileOps::Ok : writeFailure(rc);
}

DatabaseFileOps::Result DatabaseFileSource::readFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_ERROR: // SQL the file's schema makes fail: no database of this program's
        return DatabaseFileOps::NotConsoleDatabase;
    case SQLITE_CORRUPT:
        return DatabaseFileOps::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseFileOps::InUse;
    case SQLITE_FULL:
        return DatabaseFileOps::DiskFull;
    default:
        return DatabaseFileOps::SourceUnreadable;
    }
}

DatabaseFileOps::Result DatabaseFileSource::copyFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DatabaseFileOps::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DatabaseFileOps::InUse;
    case SQLITE_IOERR:
        return DatabaseFileOps::SourceUnreadable;
    default:
        return writeFailure(code);
    }
}

DatabaseFileOps::Result DatabaseFileSource::writeFailure(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return DatabaseFileOps::DiskFull;
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
        // Rows the console's own tables cannot hold.
        return DatabaseFileOps::NotConsoleDatabase;
    case SQLITE_TOOBIG:
        // A value beyond what a chosen file is read with: the file may well be the console's own.
        return DatabaseFileOps::ValueTooLarge;
    default:
        return DatabaseFileOps::CopyFailed;
    }
}
