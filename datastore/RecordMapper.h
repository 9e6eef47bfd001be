#pragma once

#include <QSqlQuery>
#include <QVariantList>

#include "datastore/SqlTransaction.h"
#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

/// Conversions between the Device / Groups rows and their records, shared by every query that
/// reads whole devices or groups (lists, report rows, schedule targets).
class RecordMapper
{
public:
    /// The 17 Device columns, in the order LinkQueries::deviceColumns() names them.
    static constexpr int deviceColumnCount = 17;

    /// Fills a fresh record from the 17 Device columns that start at firstColumn
    /// (did, deviceName ... ptzCamera, learnedMac). A NULL column reads as empty text or false.
    static VelkIFPDevice deviceFromQuery(const QSqlQuery &query, int firstColumn = 0);

    static VelkIFPDevice deviceFromQuery(const SqlStatement &query, int firstColumn = 0);

    /// Fills a fresh record from the three Groups columns that start at firstColumn (gid, groupName, groupType).
    static VelkGroups groupFromQuery(const QSqlQuery &query, int firstColumn = 0);
    static VelkGroups groupFromQuery(const SqlStatement &query, int firstColumn = 0);

    /// The values of the sixteen written Device columns, deviceName to learnedMac, in column order.
    /// An empty MAC address is written as NULL so that any number of devices entered by IP
    /// address alone fit under the column's UNIQUE constraint; isKicked is written as 0 or 1; an
    /// empty learnedMac as NULL, as older versions left it.
    static QVariantList deviceValues(const VelkIFPDevice &device);

    /// The value to bind for a MAC address: NULL when empty, else the text.
    static QVariant macValue(const QString &macAddress);
};
