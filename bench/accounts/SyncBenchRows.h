#pragma once

// The rows the Sync Now benchmarks seed, set back and count, on the console's own connection to its database.

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace syncbench {

// The stamp the console writes into every assignment a run reaches: the minute.
extern const QString StampFormat;

// The console's own connection to its database.
QSqlDatabase consoleConnection();

// Users, their app permissions and their assignments: panel i holds the usersPerPanel users of block i / panelsPerBlock
// (panelsPerBlock = panels: the same users on every panel), and the multi-user settings a synchronisation sends.
bool seedUsers(int panels, int usersPerPanel, int panelsPerBlock);

// The stored device of each panel of the fleet, by rank (bench::panelMac); 0 for a panel with none.
QList<quint32> deviceIdsByRank(int panels);

// Sets every assignment's time of synchronisation to stamp (a minute back), as they stand when the operator presses
// Sync Now a minute or more after the last run, so that the run must write a new time into every row: the console
// leaves rows alone that already hold the minute it writes. Written through the console's own connection, as the
// console wrote the last run's times: a second connection would make the console's first read in a measured span drop
// and read again its whole page cache, which it does not do in use. Returns the rows set back, -1 on a failure.
int setSyncTimesBack(const QString &stamp);

// Assignments without that status, or still with the time set back; -1 when they could not be counted. A count that
// another program's write refuses is made again.
int rowsWithout(int status, const QString &setBack);

} // namespace syncbench
