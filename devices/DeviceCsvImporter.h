#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "datastore/DbResult.h"
#include "datastore/PellmarAccount.h"
#include "datastore/PellmarDevice.h"
#include "datastore/PellmarGroup.h"
#include "datastore/VelkDeviceCameraMap.h"
#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceCsv.h"

class OrvantaDBIntf;

/// The database side of the device CSV import: checks every row first, then applies the rows
/// in file order. A row whose MAC address or name matches a managed device (letter case
/// ignored) updates it, any other row creates a device; the group cell replaces the device's
/// group memberships, creating groups as needed; an audio box's SOS camera is looked up in the
/// camera-management lists and recorded.
///
/// The first problem stops the import. Rows before it stay applied; the failing row leaves
/// nothing behind, not even when the database refused one of its writes half-way. A write that
/// the database file refuses (the disk full, the file read-only) is no row's fault and every
/// later row would meet it: the import then stops whole, keeping nothing, and says why.
class DeviceCsvImporter : public QObject
{
    Q_OBJECT
public:
    explicit DeviceCsvImporter(OrvantaDBIntf *db, QObject *parent = nullptr);

    /// Reads the file's bytes (DeviceCsv::parseBytes) and imports its rows. A file that cannot be
    /// opened has no rows; bytes that are no text are refused at their cell, nothing written.
    DeviceCsvError importFile(const QString &path);
    /// Both passes over the rows of a file (rows[0] is the header; blank lines that only end the
    /// file are skipped). Returns the first problem, or no error. A file with no row after its
    /// header is stopped (CsvImportError::stopped) with a message saying so.
    DeviceCsvError importRows(const QList<QStringList> &fileRows);
    /// Data rows applied by the last importRows, also when it stopped at an error.
    int appliedRows() const { return m_appliedRows; }

    /// Finds the camera-management account userName and, among the cameras it may use, the camera
    /// cameraName. -1: no such account; -2: no such camera; 0: mapping filled in (account,
    /// camera name, camera MAC).
    static int resolveSosCamera(VelkDeviceCameraMap &mapping, const QString &userName, const QString &cameraName,
                                const QList<PellmarAccount> &accounts, const QList<PellmarDevice> &cameras,
                                const QList<PellmarGroup> &cameraGroups);

signals:
    /// A row created a device; the record is read back from the database (it carries its did).
    void addDeviceSuccess(VelkIFPDevice device);

private:
    struct Entry
    {
        VelkIFPDevice device;
        QSet<QString> groupKeys; ///< case-folded names of the groups holding the device
    };

    /// One attempt at the data rows in one transaction. Returns false, with everything rolled
    /// back, when the attempt without savepointPerRow met a failing row or could not begin.
    bool applyRows(const QList<QStringList> &rows, bool savepointPerRow, DeviceCsvError &error);
    bool loadWorkingLists();
    DeviceCsvError applyRow(const DeviceCsvRow &row, int rowNumber, int *createdIndex);
    DeviceCsvError cameraStep(Entry &entry, const DeviceCsvRow &row, int rowNumber);
    DeviceCsvError groupStep(Entry &entry, const DeviceCsvRow &row, int rowNumber);
    /// The error of a write (or a read it needs) that failed at the row: the row's, unless the
    /// database file refused it.
    DeviceCsvError writeFailed(int column, int rowNumber, const char *reason) const;
    /// The import stopped by the database file, with nothing kept, and the failure that stopped it.
    static DeviceCsvError stoppedBy(DbFailure failure);
    bool refreshDeviceIds();
    bool refreshCameraMappings();
    void emitCreatedDevices(const QList<int> &indexes);

    OrvantaDBIntf *m_db;
    int m_appliedRows = 0;

    QVector<Entry> m_entries;
    QHash<QString, int> m_byName;        ///< case-folded name -> index in m_entries
    QHash<QString, int> m_byMac;         ///< lower-case MAC -> index in m_entries
    QHash<QString, VelkGroups> m_groups; ///< case-folded group name -> group
    QString m_adminSosUser;
    QList<VelkDeviceCameraMap> m_mappings;
    QList<PellmarAccount> m_cameraAccounts;
    QList<PellmarDevice> m_cameras;
    QList<PellmarGroup> m_cameraGroups;
};
