#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Another program that holds the database (an SQLite browser) and then saves a change of its own to it, on a second
// connection of the test's thread: the console's statements wait for it a short while and give up.
class SavingProgram
{
public:
    SavingProgram(const QString &file, bool exclusive)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        db.setDatabaseName(file);
        QSqlQuery query(db);
        m_holding = db.open() &&
                    query.exec(exclusive ? QStringLiteral("BEGIN EXCLUSIVE") : QStringLiteral("BEGIN IMMEDIATE")) &&
                    query.exec(QStringLiteral("UPDATE Account SET email = email"));
    }
    ~SavingProgram()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name(), false);
            if (m_holding)
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            db.close();
        }
        QSqlDatabase::removeDatabase(name());
    }
    SavingProgram(const SavingProgram &) = delete;
    SavingProgram &operator=(const SavingProgram &) = delete;

    bool isHolding() const { return m_holding; }
    // Runs sql in the held transaction and commits it: the file is free afterwards.
    bool save(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(name(), false));
        const bool saved = query.exec(sql) && query.exec(QStringLiteral("COMMIT"));
        m_holding = m_holding && !saved;
        return saved;
    }

private:
    static QString name() { return QStringLiteral("saving-program"); }
    bool m_holding = false;
};
