#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QString>

#include "datastore/DatabaseManager.h"
#include "support/DataFolders.h"
#include "support/DbProbe.h"

// Console databases made for a test in data folders of their own, and copies of them in the shapes an operator may be
// handed them: changed by hand, or carried off while a writer was inside a transaction.
class ConsoleCopies
{
public:
    ConsoleCopies(const QString &home, const QString &prefix) : m_home(home), m_folders(home, prefix) {}

    QString newDataFolder() { return m_folders.next(); }

    // A new console database in a data folder of its own; its file's path.
    QString newDatabase(const QString &connection)
    {
        const QString data = newDataFolder();
        DatabaseManager manager(data, connection);
        return DataFolders::dbFile(data);
    }

    // A new console database in a data folder of its own with `events` event-log rows, enough to make its copies take
    // a while; the data folder, empty when the rows could not be written.
    QString newDataFolderWithEvents(const QString &connection, int events)
    {
        const QString data = newDataFolder();
        DatabaseManager manager(data, connection);
        QSqlQuery query(manager.connection());
        bool done = query.exec(QStringLiteral("BEGIN")) &&
                    query.prepare(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 1, ?)"));
        for (int n = 0; done && n < events; ++n) {
            query.addBindValue(QStringLiteral("Classroom Panel %1 on the second floor").arg(n));
            query.addBindValue(QStringLiteral("2024-05-06 07:30:00"));
            done = query.exec();
        }
        return done && query.exec(QStringLiteral("COMMIT")) ? data : QString();
    }

    // A copy of a new console database at home/<name>.db, changed by statements separated by "; "; empty, with the
    // failure in *error, when a statement fails.
    QString changedCopy(const QString &name, const QString &statements, QString *error)
    {
        const QString path = m_home + QLatin1Char('/') +
                             QString(name).replace(QRegularExpression(QStringLiteral("\\W+")), QStringLiteral("-")) +
                             QStringLiteral(".db");
        QFile::remove(path);
        if (!QFile::copy(newDatabase(QStringLiteral("tochange")), path)) {
            *error = QStringLiteral("cannot copy a console database to ") + path;
            return QString();
        }
        DbProbe file(path, QStringLiteral("changer"));
        return file.execAll(statements, error) ? path : QString();
    }

    // A backup taken while a writer was inside a transaction, at folder/carried/backup.db: the file holds pages of that
    // transaction, its journal beside it the pages as they were. Committed: the e-mail address
    // "committed@school.example" and `events` events; never committed: "never" in both. With everyPageInFile, every
    // page the transaction changed is in the file, also the last one it put in the journal. Empty when it failed.
    QString deadWriterBackup(const QString &folder, int events, bool everyPageInFile = false)
    {
        const QString shelf = folder + QStringLiteral("/shelf/backup.db");
        const QString carried = folder + QStringLiteral("/carried/backup.db");
        if (!QDir().mkpath(QFileInfo(shelf).absolutePath()) || !QDir().mkpath(QFileInfo(carried).absolutePath()) ||
            !QFile::copy(newDatabase(QStringLiteral("deadwriter")), shelf))
            return QString();
        DbProbe writer(shelf, QStringLiteral("dying"));
        bool done = writer.exec(QStringLiteral("UPDATE Account SET email = 'committed@school.example'")) &&
                    writer.exec(QStringLiteral("BEGIN"));
        for (int n = 0; done && n < events; ++n) {
            done = writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 1, ?)"),
                               {QStringLiteral("Hall Panel %1").arg(n), QStringLiteral("2024-05-06 07:30:00")});
        }
        // A cache of two pages sends the changed pages into the file before the end of the transaction, the old ones
        // into the journal: what a writer killed then leaves.
        done = done && writer.exec(QStringLiteral("COMMIT")) && writer.exec(QStringLiteral("PRAGMA cache_size = 2")) &&
               writer.exec(QStringLiteral("BEGIN")) &&
               writer.exec(QStringLiteral("UPDATE Account SET email = 'never@school.example'")) &&
               writer.exec(QStringLiteral("UPDATE EventLog SET deviceName = 'never'")) &&
               // Pages read into the cache of two push the changed ones out into the file.
               (!everyPageInFile ||
                writer.exec(QStringLiteral("SELECT (SELECT count(*) FROM Device) + (SELECT count(*) FROM Groups) + "
                                           "(SELECT count(*) FROM AppInfo) + (SELECT count(*) FROM Schedule)"))) &&
               QFile::copy(shelf, carried) &&
               QFile::copy(shelf + QStringLiteral("-journal"), carried + QStringLiteral("-journal"));
        writer.exec(QStringLiteral("ROLLBACK"));
        return done ? carried : QString();
    }

private:
    QString m_home;
    DataFolders m_folders;
};
