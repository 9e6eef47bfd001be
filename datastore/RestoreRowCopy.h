#pragma once

#include <QString>

#include "datastore/DatabaseFileOps.h"

class DatabaseFileSource;

/// Copies the rows of the console's tables from a file chosen for a restore into a new file made by the console's own
/// schema (DatabaseSchema), so that nothing of the chosen file's own comes along: no trigger (a RAISE on Account
/// updates kept everyone on the e-mail page, one on EventLog inserts dropped every SOS row), no view, no constraint or
/// key of its own (a NOT NULL on Device.sku failed every Add Device, a Device table without its key stored every new
/// device with no number), no index (one made log-in and the restore's check meet the accounts in another order).
///
/// Each table is made as start-up would find it in the chosen file: a column that older versions lack and start-up
/// adds is left out where the file lacks it, so that start-up's own steps (DatabaseSchema::update) then add it as
/// they would. Columns this version does not know are not copied. Every value is copied as SQLite holds it, and the
/// AUTOINCREMENT counters in the file's order, so a backup of the console's restores row for row, every value whole
/// however long (a value beyond the bound a chosen file is read under, DatabaseFileSource::guard, stops the copy).
///
/// What the console's tables cannot hold is made to fit, as the console would have kept it, and reported: of rows that
/// repeat a key, a device name, a MAC address or a group name, the first is kept (a file of an older version or one
/// edited by hand may hold them; refused, the operator lost the whole backup); a counter beyond any number the
/// console's records hold (every insert into its table then failed with "database or disk is full") is set to the
/// largest key of its table.
class RestoreRowCopy
{
public:
    /// Writes the copy to target, a new file, from source, open; report, when given, learns what was made to fit.
    /// Ok; NotConsoleDatabase, with problem saying why, when a table the console reads is missing columns it needs, is
    /// a view, an index or a virtual table of a module this program lacks, or its schema makes a statement fail; or the
    /// failure met reading the source or writing the copy.
    static DatabaseFileOps::Result copy(const DatabaseFileSource &source, const QString &target, QString &problem,
                                        DatabaseFileOps::RestoreReport *report = nullptr);
};
