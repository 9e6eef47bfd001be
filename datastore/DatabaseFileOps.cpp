#include "datastore/DatabaseFileOps.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include "datastore/DatabaseRecovery.h"

namespace {

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

// The check start-up makes of the live file, then whether the file is this console's at all. Reads
// the file only.
DatabaseFileOps::Result checkConsoleDatabase(const QString &path)
{
    static QAtomicInt serial;
    const QString connection = QStringLiteral("RestoreCheck%1").arg(serial.fetchAndAddRelaxed(1));
    DatabaseFileOps::Result result = DatabaseFileOps::SourceUnreadable;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(path);
        if (db.open()) {
            const DatabaseRecovery::FileCheck check = DatabaseRecovery::checkOpenFile(db);
            if (check.result == DatabaseRecovery::FileCheck::Damaged) {
                result = DatabaseFileOps::Damaged;
            } else if (check.result == DatabaseRecovery::FileCheck::Unreadable) {
                if (DatabaseRecovery::meansNotADatabase(check.error))
                    result = DatabaseFileOps::NotConsoleDatabase;
                else if (DatabaseRecovery::meansBrokenFile(check.error))
                    result = DatabaseFileOps::Damaged;
            } else {
                QSqlQuery query(db);
                const bool hasAccount =
                    query.exec(
                        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'Account'")) &&
                    query.next();
                result = hasAccount ? DatabaseFileOps::Ok : DatabaseFileOps::NotConsoleDatabase;
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
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
    QFile source(livePath);
    if (!source.open(QIODevice::ReadOnly))
        return SourceUnreadable;
    source.close();
    // Written over by the copy, the file the data store has open would be replaced by another
    // one, and SQLite refuses every later write to a file that was moved away under it.
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == QFileInfo(livePath).canonicalFilePath())
        return IsLiveFile;
    return copyReplacing(livePath, target) ? Ok : CopyFailed;
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
    return copyReplacing(source, stagedPath(livePath)) ? Ok : CopyFailed;
}

void DatabaseFileOps::discardStaged(const QString &livePath)
{
    QFile::remove(stagedPath(livePath));
}

DatabaseFileOps::Result DatabaseFileOps::swapInStaged(const QString &livePath)
{
    const QString staged = stagedPath(livePath);
    const QString kept = keptPath(livePath);
    if (!QFile::exists(staged))
        return SwapFailed;
    const bool hadLive = QFile::exists(livePath);
    if (hadLive) {
        QFile::remove(kept);
        if (!QFile::rename(livePath, kept))
            return SwapFailed;
    }
    if (!QFile::rename(staged, livePath)) {
        if (hadLive)
            QFile::rename(kept, livePath);
        return SwapFailed;
    }
    return Ok;
}
