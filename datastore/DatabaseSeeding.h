#pragma once

#include <QStringList>

#include "datastore/DatabaseSchema.h"

/// The rows a database needs to be usable, written by the table steps of DatabaseSchema right
/// after their table was made, inside the same step: the console's two accounts, the default
/// apps, the one multi-user settings row and the database identifier. A seeder that fails
/// marks its step failed, so the step is rolled back and tried again at the next start.
class DatabaseSeeding
{
public:
    /// A new Account table, or one that lost every row, gets the administrator ("kelvo") and
    /// the normal user ("qeno"). A table from before the normal user (addedColumns holds
    /// "isAdmin") makes its first account the administrator and gains the normal user.
    static void accounts(DatabaseSchema::Step &step, const QStringList &addedColumns);
    /// An empty AppInfo table gets the twelve default apps; one holding the eleven of older
    /// versions gains the Settings app.
    static void apps(DatabaseSchema::Step &step, const QStringList &addedColumns);
    /// The one multi-user settings row, whenever the table is empty: the panels' settings pages need it.
    static void multiUserAdmin(DatabaseSchema::Step &step, const QStringList &addedColumns);
    /// A new identifier, whenever the table is empty: the panels need one for this database.
    static void databaseIdentifier(DatabaseSchema::Step &step, const QStringList &addedColumns);
};
