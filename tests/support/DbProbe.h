#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// A second connection onto a database file, to see what the code under test really wrote
// (and to prepare files in the shape older versions left them).
class DbProbe
{
public:
    explicit DbProbe(const QString &file, const QString &name = QStringLiteral("probe")) : m_name(name)
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(file);
        m_db.open();
    }
    ~DbProbe()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    QSqlDatabase db() const { return m_db; }

    bool exec(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery query(m_db);
        if (!query.prepare(sql)) {
            m_error = query.lastError().text();
            return false;
        }
        for (const QVariant &v : values)
            query.addBindValue(v);
        if (!query.exec()) {
            m_error = query.lastError().text();
            return false;
        }
        return true;
    }

    // Runs statements separated by "; " (the statements of a trigger's body end with ";" alone); false, with the
    // failing statement and its error in *error, when one fails.
    bool execAll(const QString &statements, QString *error)
    {
        for (const QString &sql : statements.split(QStringLiteral("; "))) {
            if (!exec(sql)) {
                *error = sql + QStringLiteral(": ") + m_error;
                return false;
            }
        }
        return true;
    }

    QVariant value(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery query(m_db);
        query.prepare(sql);
        for (const QVariant &v : values)
            query.addBindValue(v);
        if (!query.exec() || !query.next())
            return QVariant();
        return query.value(0);
    }

    QStringList column(const QString &sql, const QVariantList &values = {})
    {
        QStringList out;
        QSqlQuery query(m_db);
        query.prepare(sql);
        for (const QVariant &v : values)
            query.addBindValue(v);
        if (query.exec()) {
            while (query.next())
                out << query.value(0).toString();
        }
        return out;
    }

    int count(const QString &table) { return value(QStringLiteral("SELECT count(*) FROM ") + table).toInt(); }

    QStringList columns(const QString &table)
    {
        return column(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
    }

    QStringList tables() { return m_db.tables(QSql::Tables); }

    // Every row of every table as text, tables by name and rows by rowid: what a copy of the database must hold,
    // whatever the pages of its file look like.
    QStringList content()
    {
        QStringList out;
        const QStringList names =
            column(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        for (const QString &table : names) {
            QSqlQuery query(m_db);
            if (!query.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table))) {
                out << table + QStringLiteral(": ") + query.lastError().text();
                continue;
            }
            while (query.next()) {
                QStringList values;
                for (int n = 0; n < query.record().count(); ++n)
                    values << (query.value(n).isNull() ? QStringLiteral("NULL") : query.value(n).toString());
                out << table + QStringLiteral(": ") + values.join(QLatin1Char('|'));
            }
        }
        return out;
    }

    // The journal mode the file opens in.
    QString journalMode() { return value(QStringLiteral("PRAGMA journal_mode")).toString().toLower(); }

    QString lastError() const { return m_error; }

private:
    QString m_name;
    QSqlDatabase m_db;
    QString m_error;
};
