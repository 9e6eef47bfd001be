#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

/// Statements shared by the schedule, auto-test, OTA and broadcast tables: reading the devices
/// and groups linked to a row through its link tables, the device set of a schedule, the link
/// inserts and the small existence checks. Table and column names passed in are always
/// constants of the callers; values are always bound.
class LinkQueries
{
public:
    /// "did, deviceName, ... ptzCamera" qualified with Device, in the order RecordMapper reads.
    static QString deviceColumns();
    /// "gid, groupName, groupType" qualified with Groups.
    static QString groupColumns();

    /// Prepares, binds and executes sql; DB_OK or DB_STATEMENT_FAILED.
    static quint32 exec(QSqlDatabase db, const QString &sql, const QVariantList &values, const char *context);
    /// Runs an INSERT; the new row's key goes to id. DB_OK or DB_STATEMENT_FAILED.
    static quint32 insertRow(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id,
                             const char *context);
    /// Inserts a row and then, with its new key, its links (insertLinks), in one transaction. The key goes to key
    /// only when both were stored, so a caller's record never holds the key of a row that was rolled back.
    static quint32 insertWithLinks(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                   const std::function<quint32(quint32 key)> &insertLinks, quint32 &key,
                                   const char *context);
    /// DB_OK when "SELECT 1 FROM table WHERE keyColumn = key" finds a row, else DB_ROW_NOT_FOUND
    /// or DB_STATEMENT_FAILED.
    static quint32 rowExists(QSqlDatabase db, const char *table, const char *keyColumn, quint32 key,
                             const char *context);
    /// Column 0 of the first row of a SELECT as an unsigned id: DB_OK, DB_ROW_NOT_FOUND or
    /// DB_STATEMENT_FAILED.
    static quint32 firstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id,
                           const char *context);
    /// Column 0 of the first row of a SELECT as an integer (0 when there is no row).
    static quint32 firstInt(QSqlDatabase db, const QString &sql, const QVariantList &values, int &value,
                            const char *context);

    /// Appends the Device rows of a SELECT whose columns are deviceColumns().
    static quint32 appendDevices(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                 QList<VelkIFPDevice> &devices, const char *context);
    /// Appends the Groups rows of a SELECT whose columns are groupColumns().
    static quint32 appendGroups(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                QList<VelkGroups> &groups, const char *context);

    /// Every device, ascending deviceName.
    static quint32 allDevices(QSqlDatabase db, QList<VelkIFPDevice> &devices, const char *context);
    /// The devices linked to the row key of keyColumn in linkTable, ascending deviceName.
    static quint32 linkedDevices(QSqlDatabase db, const char *linkTable, const char *keyColumn, quint32 key,
                                 QList<VelkIFPDevice> &devices, const char *context);
    /// The groups linked to the row key of keyColumn in linkTable, ascending groupName.
    static quint32 linkedGroups(QSqlDatabase db, const char *linkTable, const char *keyColumn, quint32 key,
                                QList<VelkGroups> &groups, const char *context);
    /// The links a schedule or broadcast is shown with: for target 2 its linked devices, for
    /// target 3 its linked groups, for any other target none (left-over link rows do not count).
    static quint32 targetLinks(QSqlDatabase db, int target, const char *deviceLinkTable, const char *groupLinkTable,
                               const char *keyColumn, quint32 key, QList<VelkIFPDevice> &devices,
                               QList<VelkGroups> &groups, const char *context);
    /// The devices a schedule acts on: every device for target 1; otherwise the directly linked
    /// devices by name, then the members of the linked groups by name whose deviceName is not
    /// yet in the list (exact comparison). Devices appended before a failure stay.
    static quint32 deviceSet(QSqlDatabase db, int target, const char *deviceLinkTable, const char *groupLinkTable,
                             const char *keyColumn, quint32 key, QList<VelkIFPDevice> &devices, const char *context);

    /// Inserts the links of a schedule or broadcast for its target: target 2 one row per
    /// device (its did), target 3 one row per group (its gid), any other target none.
    static quint32 insertLinks(QSqlDatabase db, int target, const QList<VelkIFPDevice> &devices,
                               const QList<VelkGroups> &groups, const char *deviceLinkTable, const char *groupLinkTable,
                               const char *keyColumn, quint32 key, const char *context);
    /// Deletes every device and group link of the row key.
    static quint32 deleteLinks(QSqlDatabase db, const char *deviceLinkTable, const char *groupLinkTable,
                               const char *keyColumn, quint32 key, const char *context);

    /// Deletes the row key of a schedule or broadcast table together with its device links, group links and report
    /// rows (none for a null reportTable), in one transaction; DB_ROW_NOT_FOUND when the row does not exist.
    static quint32 deleteWithLinks(QSqlDatabase db, const char *table, const char *deviceLinkTable,
                                   const char *groupLinkTable, const char *reportTable, const char *keyColumn,
                                   quint32 key, const char *context);

    /// Reads the device of a report row. found is false when the Device row is gone.
    static quint32 reportDevice(QSqlDatabase db, quint32 did, VelkIFPDevice &device, bool &found, const char *context);
    /// Runs a report SELECT (bound to key) whose first two columns are the report row's key and its did, and hands
    /// each row with its device to append. A row whose device is gone is skipped with a warning: one orphaned row
    /// must not hide the rest of the report.
    static quint32 reportRows(QSqlDatabase db, const QString &sql, quint32 key, const char *context,
                              const std::function<void(const QSqlQuery &row, const VelkIFPDevice &device)> &append);
    /// The same with the values bound as given.
    static quint32 reportRows(QSqlDatabase db, const QString &sql, const QVariantList &values, const char *context,
                              const std::function<void(const QSqlQuery &row, const VelkIFPDevice &device)> &append);
};
