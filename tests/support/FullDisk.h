#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

#include <memory>

#include "support/DatabaseFault.h"

// A full disk for the writes to some tables of the console's database, for as long as the object lives: each row
// written to them comes with a megabyte the database has no room for (DatabaseFault's full disk leaves a small row
// the room of the pages it has).
class FullDisk
{
public:
    explicit FullDisk(const QStringList &tables, QSqlDatabase db = QSqlDatabase::database()) : m_db(db)
    {
        QSqlQuery sql(m_db);
        if (!sql.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS Filler (b BLOB)")))
            return;
        for (const QString &table : tables) {
            for (const QString &event :
                 {QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE")}) {
                const QString trigger = QStringLiteral("fill_%1_%2").arg(table, event);
                if (!sql.exec(QStringLiteral("CREATE TEMP TRIGGER %1 AFTER %2 ON %3 BEGIN INSERT INTO Filler VALUES "
                                             "(zeroblob(1000000)); END")
                                  .arg(trigger, event, table)))
                    return;
                m_triggers << trigger;
            }
        }
        m_fault = std::make_unique<DatabaseFault>(DatabaseFault::DiskFull, m_db);
    }
    ~FullDisk()
    {
        m_fault.reset();
        QSqlQuery sql(m_db);
        for (const QString &trigger : qAsConst(m_triggers))
            sql.exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool isActive() const { return m_fault && m_fault->isActive(); }

private:
    QSqlDatabase m_db;
    QStringList m_triggers;
    std::unique_ptr<DatabaseFault> m_fault;
};
