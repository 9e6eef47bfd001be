#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include "support/DatabaseHold.h"

// The two holds a test of what the console does while another program holds the database plays, as rows of an int
// column "kind": the write lock (reads still go through) and the file held exclusively (reads refused too).
inline void addHoldKindRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("write lock") << int(DatabaseHold::Writer);
    QTest::newRow("held exclusively") << int(DatabaseHold::Exclusive);
}

// The holds of a fixed length that a test of an action due during the hold plays, as rows of an int column "kind" and
// an int column "holdMs": held exclusively for 1, 3 and 6 s, and the write lock for 3 s.
inline void addTimedHoldRows()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("holdMs");
    QTest::newRow("exclusive 1 s") << int(DatabaseHold::Exclusive) << 1000;
    QTest::newRow("exclusive 3 s") << int(DatabaseHold::Exclusive) << 3000;
    QTest::newRow("exclusive 6 s") << int(DatabaseHold::Exclusive) << 6000;
    QTest::newRow("write lock 3 s") << int(DatabaseHold::Writer) << 3000;
}

// The rows of a table of the default connection's database; -1 when it cannot be read.
inline int storedRowCount(const QString &table)
{
    QSqlQuery query(QSqlDatabase::database());
    return query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)) && query.next() ? query.value(0).toInt()
                                                                                            : -1;
}
