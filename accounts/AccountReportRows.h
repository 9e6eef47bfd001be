#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>

#include "datastore/VelkUserDevice.h"

class OrvantaDBIntf;

/// The synchronisation report's rows apart from the window: which assignments it lists, the
/// words of a status, the status filter and the orders of its five columns.
class AccountReportRows
{
    Q_DECLARE_TR_FUNCTIONS(AccountReportRows)

public:
    enum Filter
    {
        AllRows,
        SuccessfulRows,
        FailedRows,
    };
    enum Column
    {
        PowerColumn,
        DeviceColumn,
        GroupColumn,
        SyncStatusColumn,
        TimeColumn,
    };

    /// The user's assignments that were synchronised, newest first.
    static quint32 rowsOfUser(OrvantaDBIntf *db, quint32 muid, QList<VelkUserDevice> &rows);

    /// The status cell: "Success", "Failed", "Failed, because setup from server is off", or empty.
    static QString statusText(int status);
    /// The status as the search finds it: "Successfully" for a success, else the cell's text.
    static QString statusWord(int status);
    static bool isFailure(int status) { return status == 2 || status == 3; }
    static bool passes(Filter filter, int status);

    /// Sorts by the column: state 0 is the column's first order (power: online first; time:
    /// newest first; the others ascending), state 1 its exact reverse. Ties go by device name in
    /// the same direction. The sort keys are the rows' powerStatus, deviceName and groupNames.
    static void sort(QList<VelkUserDevice> &rows, Column column, bool reversed);

    /// "N device in total" / "N devices in total".
    static QString totalText(int devices);
};
