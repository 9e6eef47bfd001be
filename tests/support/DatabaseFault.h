#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTest>

// SQLite itself refusing the writes of a connection, as a full disk or a read-only database file makes it, for as long
// as the object lives. Full: the database may not grow by a page (its free pages are given back first, so the next
// pages a write needs are new ones); read-only: every write fails with SQLITE_READONLY.
class DatabaseFault
{
public:
    enum Kind
    {
        DiskFull,
        ReadOnly
    };

    explicit DatabaseFault(Kind kind, QSqlDatabase db = QSqlDatabase::database()) : m_kind(kind), m_db(db)
    {
        QSqlQuery query(m_db);
        if (m_kind == ReadOnly) {
            m_active = query.exec(QStringLiteral("PRAGMA query_only = ON"));
            return;
        }
        if (!query.exec(QStringLiteral("VACUUM")) || !query.exec(QStringLiteral("PRAGMA max_page_count")) ||
            !query.next())
            return;
        m_maxPages = query.value(0).toLongLong();
        if (!query.exec(QStringLiteral("PRAGMA page_count")) || !query.next())
            return;
        const qint64 pages = query.value(0).toLongLong();
        m_active = query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages));
    }
    ~DatabaseFault()
    {
        if (!m_active)
            return;
        QSqlQuery query(m_db);
        if (m_kind == ReadOnly)
            query.exec(QStringLiteral("PRAGMA query_only = OFF"));
        else
            query.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(m_maxPages));
    }
    DatabaseFault(const DatabaseFault &) = delete;
    DatabaseFault &operator=(const DatabaseFault &) = delete;

    bool isActive() const { return m_active; }

    /// The rows of a _data() table of both faults ("fault", as an int) with the notice an import they stop shows
    /// ("message"): the device and the user import stop alike.
    static void addImportStoppedRows()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("disk full") << int(DiskFull)
                                   << "The import stopped because the disk is full. Nothing of the file was kept.";
        QTest::newRow("read-only database") << int(ReadOnly)
                                            << "The import stopped because the database file is read-only. Nothing "
                                               "of the file was kept.";
    }

private:
    Kind m_kind;
    QSqlDatabase m_db;
    qint64 m_maxPages = 0;
    bool m_active = false;
};
