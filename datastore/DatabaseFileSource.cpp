#include "datastore/DatabaseFileSource.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <cstring>
#include <sqlite3.h>

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

// Whether the file's header puts it in WAL mode (read and write version 2).
bool inWalMode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith("SQLite format 3") && header.at(18) == 2;
}

// Copies a file byte for byte into the private folder.
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

// A journal that names a super-journal gets 16 zero bytes appended: SQLite then reads no name at its end, plays the
// journal back as the rollback of this one file, and reads, changes or deletes no file the name points to. The pages
// played back are the same as without them, since SQLite reads its page records where the journal's headers place
// them. Cutting the record off instead trusted its length, which SQLite checks against the checksum, and shortened
// the pages in front of it.
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
    return journal.seek(journal.size()) && journal.write(QByteArray(16, '\0')) == 16;
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

QString DatabaseFileSource::encoding() const
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
    const QString journal = m_path + QStringLiteral("-journal");
    const QString wal = m_path + QStringLiteral("-wal");
    if (m_origin == Elsewhere && inWalMode(m_path)) {
        // SQLite reads a WAL database through a shared-memory file beside it, which it makes where it may (and leaves
        // there, with an empty WAL file) and cannot make in a folder it may not write. Without changes in a WAL file
        // the database file is all there is, read as a file that nothing changes.
        if (QFileInfo(wal).size() > 0)
            return readThroughCopy("-wal");
        const int rc = openAt(m_path, QStringLiteral("mode=ro&immutable=1"));
        if (rc != SQLITE_OK) {
            writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
                     utf8(m_error).constData());
            return readFailure(rc);
        }
        return DatabaseFileOps::Ok;
    }
    const int rc = openAt(m_path, QStringLiteral("mode=ro"));
    if (rc == SQLITE_OK)
        return DatabaseFileOps::Ok;
    // A writer that died inside a transaction left its journal, which SQLite plays back before it reads; a connection
    // that may only read cannot.
    if ((rc & 0xff) == SQLITE_READONLY && QFileInfo(journal).size() > 0)
        return readThroughCopy("-journal");
    writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
             utf8(m_error).constData());
    return readFailure(rc);
}

DatabaseFileOps::Result DatabaseFileSource::readThroughCopy(const char *journalSuffix)
{
    m_folder = std::make_unique<QTemporaryDir>(m_livePath + QStringLiteral(".rollback-XXXXXX"));
    if (!m_folder->isValid()) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseFileSource: no folder for a copy of %s: %s", utf8(m_path).constData(),
                 utf8(m_folder->errorString()).constData());
        return DatabaseFileOps::CopyFailed;
    }
    const QString copy = m_folder->filePath(QStringLiteral("source.db"));
    const QLatin1String suffix(journalSuffix);
    for (const QLatin1String part : {QLatin1String(""), suffix}) {
        const DatabaseFileOps::Result copied = copyFile(m_path + part, copy + part);
        if (copied != DatabaseFileOps::Ok)
            return copied;
    }
    if (suffix == QLatin1String("-journal") && !hideSuperJournalName(copy + suffix, m_path + suffix))
        return DatabaseFileOps::CopyFailed;
    const int rc = openAt(copy, QStringLiteral("mode=rw"));
    if (rc != SQLITE_OK) {
        writeLog(LOG_LEVEL_WARNING, "DatabaseFileSource: %s cannot be read: %s", utf8(m_path).constData(),
                 utf8(m_error).constData());
        return readFailure(rc);
    }
    writeLog(LOG_LEVEL_INFO, "DatabaseFileSource: %s is read through a copy with its %s file played back",
             utf8(m_path).constData(), journalSuffix + 1);
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
    case SQLITE_TOOBIG:
        // Rows the console's own tables cannot hold.
        return DatabaseFileOps::NotConsoleDatabase;
    default:
        return DatabaseFileOps::CopyFailed;
    }
}
