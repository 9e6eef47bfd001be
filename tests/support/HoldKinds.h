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

// The rows of a table of the default connection's database; -1 when it cannot be read.
inline int storedRowCount(const QString &table)
{
    QSqlQuery query(QSqlDatabase::database());
    return query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)) && query.next() ? query.value(0).toInt()
                                                                                            : -1;
}
