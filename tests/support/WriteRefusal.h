#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>

#include "support/DatabaseHold.h"
#include "support/FullDisk.h"
#include "support/HoldKinds.h"

// What refuses a change of the operator for a while, as a row of an int column "kind": another program's hold of the
// database (DatabaseHold::Kind) or a full disk for the writes to `tables` (kFullDisk).
class WriteRefusal
{
public:
    static constexpr int kFullDisk = -1;

    // The rows of addHoldKindRows() and a full disk.
    static void addRows()
    {
        addHoldKindRows();
        QTest::newRow("disk full") << kFullDisk;
    }

    WriteRefusal(int kind, const QString &databaseFile, const QStringList &tables)
    {
        if (kind == kFullDisk)
            m_full = std::make_unique<FullDisk>(tables);
        else
            m_hold = std::make_unique<DatabaseHold>(databaseFile, DatabaseHold::Kind(kind));
    }
    bool isActive() const { return m_full ? m_full->isActive() : m_hold->isHeld(); }
    // Why the hold did not take; empty for a full disk, which says nothing.
    QString error() const { return m_hold ? m_hold->error() : QString(); }

private:
    std::unique_ptr<DatabaseHold> m_hold;
    std::unique_ptr<FullDisk> m_full;
};
