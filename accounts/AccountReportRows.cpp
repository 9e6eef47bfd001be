#include "accounts/AccountReportRows.h"

#include "accounts/UserStore.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"

#include <algorithm>

quint32 AccountReportRows::rowsOfUser(OrvantaDBIntf *db, quint32 muid, QList<VelkUserDevice> &rows)
{
    QList<VelkUserDevice> assignments;
    const quint32 rc = UserStore::assignmentsOfUser(db, muid, 0, assignments);
    rows.clear();
    for (const VelkUserDevice &row : qAsConst(assignments)) {
        if (!row.lastSyncTime.isEmpty() && row.syncStatus != 0)
            rows.append(row);
    }
    return rc;
}

QString AccountReportRows::statusText(int status)
{
    switch (status) {
    case 1:
        return tr("Success");
    case 2:
        return tr("Failed");
    case 3:
        return tr("Failed, because setup from server is off");
    default:
        return QString();
    }
}

QString AccountReportRows::statusWord(int status)
{
    return status == 1 ? tr("Successfully") : statusText(status);
}

bool AccountReportRows::passes(Filter filter, int status)
{
    switch (filter) {
    case AllRows:
        return true;
    case SuccessfulRows:
        return status == 1;
    case FailedRows:
        return isFailure(status);
    }
    return true;
}

void AccountReportRows::sort(QList<VelkUserDevice> &rows, Column column, bool reversed)
{
    // -1, 0 or 1 in the column's first order.
    const auto compare = [column](const VelkUserDevice &a, const VelkUserDevice &b) {
        const auto cmp = [](const auto &x, const auto &y) { return x < y ? -1 : (y < x ? 1 : 0); };
        int order = 0;
        switch (column) {
        case PowerColumn:
            order = -cmp(a.powerStatus, b.powerStatus);
            break;
        case DeviceColumn:
            break;
        case GroupColumn:
            order = cmp(a.groupNames, b.groupNames);
            break;
        case SyncStatusColumn:
            order = cmp(a.syncStatus, b.syncStatus);
            break;
        case TimeColumn:
            order = -cmp(a.lastSyncTime, b.lastSyncTime);
            break;
        }
        return order != 0 ? order : cmp(a.deviceName, b.deviceName);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const VelkUserDevice &a, const VelkUserDevice &b) {
        const int order = compare(a, b);
        return reversed ? order > 0 : order < 0;
    });
}

QString AccountReportRows::totalText(int devices)
{
    return devices <= 1 ? tr("%1 device in total").arg(devices) : tr("%1 devices in total").arg(devices);
}
