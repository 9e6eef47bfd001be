#include "devices/DeviceCsvImporter.h"

#include <QCoreApplication>
#include <QFile>

#include <optional>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceCatalog.h"
#include "devices/DeviceCsvExporter.h"
#include "devices/DeviceRules.h"
#include "shell/base/Log.h"
#include "shell/kit/ImportStoppedNotice.h"
#include "shell/kit/UiHelpers.h"

DeviceCsvImporter::DeviceCsvImporter(OrvantaDBIntf *db, QObject *parent) : QObject(parent), m_db(db)
{
}

int DeviceCsvImporter::resolveSosCamera(VelkDeviceCameraMap &mapping, const QString &userName,
                                        const QString &cameraName, const QList<PellmarAccount> &accounts,
                                        const QList<PellmarDevice> &cameras, const QList<PellmarGroup> &cameraGroups)
{
    const PellmarAccount *account = nullptr;
    for (const PellmarAccount &candidate : accounts) {
        if (candidate.accountName == userName) {
            account = &candidate;
            break;
        }
    }
    if (!account)
        return -1;
    const QList<PellmarDevice> allowed =
        account->accessLevel == 0 ? cameras : filterListByIds(*account, cameraGroups, cameras);
    for (const PellmarDevice &camera : allowed) {
        if (camera.deviceName == cameraName) {
            mapping.account = userName;
            mapping.deviceName = cameraName;
            mapping.mac = camera.macAddress;
            return 0;
        }
    }
    return -2;
}

DeviceCsvError DeviceCsvImporter::importFile(const QString &path)
{
    m_appliedRows = 0;
    QFile file(path);
    QList<QStringList> rows;
    if (file.open(QIODevice::ReadOnly)) {
        const DeviceCsvError unreadable = DeviceCsv::parseBytes(file.readAll(), &rows);
        if (unreadable.isError()) {
            writeLog(LOG_LEVEL_WARNING,
                     "DeviceCsvImporter::importFile, bytes that cannot be decoded at column %d, row %d",
                     unreadable.column + 1, unreadable.row);
            return unreadable;
        }
    }
    return importRows(rows);
}

DeviceCsvError DeviceCsvImporter::importRows(const QList<QStringList> &fileRows)
{
    m_appliedRows = 0;
    const QList<QStringList> rows = DeviceCsv::withoutBlankEnd(fileRows);
    // A group list that cannot be read leaves the set empty: every group name is then checked.
    QList<VelkGroups> groups;
    m_db->queryAllGroup(groups);
    QSet<QString> storedGroupKeys;
    for (const VelkGroups &group : qAsConst(groups))
        storedGroupKeys.insert(DeviceRules::key(group.groupName));
    const DeviceCsvError formError = DeviceCsv::checkRows(rows, storedGroupKeys);
    if (formError.isError())
        return formError;
    if (rows.size() < 2) {
        // An empty file, or a header with nothing but blank lines after it: closing without a word looked like success.
        writeLog(LOG_LEVEL_WARNING, "DeviceCsvImporter::importRows, no row after the header");
        return DeviceCsvError::stoppedWith(DeviceCsv::text(
            QT_TRANSLATE_NOOP("ImportDialog", "No device was imported: the file has no row after its header line.")));
    }

    // A row that fails half-way must leave nothing behind while the rows before it stay. A
    // savepoint per row gives that, but SQLite then copies aside every page a row touches before
    // changing it, which costs more than the row's own writes. So the rows run without one
    // first; should a row fail, the whole attempt is rolled back and the file applied again with
    // a savepoint per row, which stops at the same row with the same outcome.
    DeviceCsvError error;
    if (applyRows(rows, false, error))
        return error;
    m_appliedRows = 0;
    applyRows(rows, true, error);
    return error;
}

bool DeviceCsvImporter::applyRows(const QList<QStringList> &rows, bool savepointPerRow, DeviceCsvError &error)
{
    // One transaction for the whole file: a commit per row would cost a disk sync each. It is also what lets an
    // import that the database stops take back every row it wrote.
    DbTransaction whole = m_db->transaction("DeviceCsvImporter::importRows");
    if (!whole.isActive()) {
        error = stoppedBy(m_db->lastFailure());
        return true;
    }
    if (!loadWorkingLists()) {
        error = DeviceCsvError::at(
            DeviceCsv::ColumnGroup, 1,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The device list could not be read.")));
        return true;
    }

    error = DeviceCsvError();
    QList<int> created;
    for (int i = 1; i < rows.size(); ++i) {
        const int rowNumber = i + 1;
        std::optional<DbTransaction> rowScope;
        if (savepointPerRow)
            rowScope.emplace(m_db->transaction("DeviceCsvImporter::importRows row"));
        int createdIndex = -1;
        error = applyRow(DeviceCsv::readRow(rows.at(i)), rowNumber, &createdIndex);
        if (!error.isError() && rowScope && rowScope->isActive() && !rowScope->commit())
            error = writeFailed(DeviceCsv::ColumnName, rowNumber,
                                QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));
        if (error.stopped) {
            // The database file refused a write, which no row causes and every row after it would meet: nothing of
            // the file is kept, and the notice says so instead of blaming this row.
            rowScope.reset();
            whole.rollback();
            m_appliedRows = 0;
            writeLog(LOG_LEVEL_ERROR, "DeviceCsvImporter::importRows, the database refused a write at row %d",
                     rowNumber);
            return true;
        }
        if (error.isError()) {
            if (!savepointPerRow) {
                // Part of this row may be written; undo the attempt and take the careful way.
                whole.rollback();
                return false;
            }
            break;
        }
        ++m_appliedRows;
        if (createdIndex >= 0)
            created.append(createdIndex);
    }
    if (!whole.commit()) {
        // No row's doing: the commit writes what every row before it wrote.
        m_appliedRows = 0;
        created.clear();
        error = stoppedBy(m_db->lastFailure());
        writeLog(LOG_LEVEL_ERROR, "DeviceCsvImporter::importRows, the import could not be committed; nothing imported");
    }
    emitCreatedDevices(created);
    return true;
}

bool DeviceCsvImporter::loadWorkingLists()
{
    m_entries.clear();
    m_byName.clear();
    m_byMac.clear();
    m_groups.clear();
    m_mappings.clear();
    m_cameraAccounts.clear();
    m_cameras.clear();
    m_cameraGroups.clear();

    DeviceCatalog catalog;
    if (catalog.load(m_db) != DB_OK)
        return false;
    m_entries.reserve(catalog.devices().size());
    for (const VelkIFPDevice &device : catalog.devices()) {
        Entry entry;
        entry.device = device;
        for (const QString &group : catalog.groupNamesOf(device.deviceName))
            entry.groupKeys.insert(DeviceRules::key(group));
        m_byName.insert(DeviceRules::key(device.deviceName), m_entries.size());
        if (!device.macAddress.isEmpty())
            m_byMac.insert(DeviceRules::normalizeMac(device.macAddress), m_entries.size());
        m_entries.append(entry);
    }
    for (const VelkGroups &group : catalog.groups())
        m_groups.insert(DeviceRules::key(group.groupName), group);

    m_adminSosUser = DeviceCsvExporter::adminSosUser(m_db);
    m_db->queryDeviceCameraMapping(m_mappings);
    m_db->reloadPellmarDatabase(m_cameraAccounts, m_cameras, m_cameraGroups);
    return true;
}

DeviceCsvError DeviceCsvImporter::applyRow(const DeviceCsvRow &row, int rowNumber, int *createdIndex)
{
    const QString nameKey = DeviceRules::key(row.name);
    const bool byMac = !row.macAddress.isEmpty() && m_byMac.contains(row.macAddress);
    int index = byMac ? m_byMac.value(row.macAddress) : m_byName.value(nameKey, -1);
    // A device created by an earlier row of this file has no id yet. It is looked up by the name it
    // was stored under, so before this row renames it in the working lists.
    if (index >= 0 && m_entries.at(index).device.did == 0 && !refreshDeviceIds())
        return writeFailed(DeviceCsv::ColumnName, rowNumber,
                           QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));
    if (byMac) {
        // Matched by MAC: the row may rename the device.
        Entry &entry = m_entries[index];
        const QString oldKey = DeviceRules::key(entry.device.deviceName);
        if (nameKey != oldKey && m_byName.contains(nameKey))
            return DeviceCsvError::at(
                DeviceCsv::ColumnName, rowNumber,
                DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Device name is duplicated with other devices.")));
        if (row.deviceType != entry.device.deviceType)
            return DeviceCsvError::at(
                DeviceCsv::ColumnType, rowNumber,
                DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Cannot modify device type of existing device.")));
        const DeviceCsvError cameraError = cameraStep(entry, row, rowNumber);
        if (cameraError.isError())
            return cameraError;
        if (nameKey != oldKey) {
            m_byName.remove(oldKey);
            m_byName.insert(nameKey, index);
        }
        entry.device.ipAddress = row.ipAddress;
        entry.device.deviceName = row.name;
        entry.device.position = row.position;
    } else if (index >= 0) {
        // Matched by name, letter case ignored as everywhere else: the row may give the device a MAC
        // address. The name takes the row's spelling, as a row matched by MAC renames its device.
        Entry &entry = m_entries[index];
        if (row.deviceType != entry.device.deviceType)
            return DeviceCsvError::at(
                DeviceCsv::ColumnType, rowNumber,
                DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Cannot modify device type of existing device.")));
        const DeviceCsvError cameraError = cameraStep(entry, row, rowNumber);
        if (cameraError.isError())
            return cameraError;
        const QString oldMac = DeviceRules::normalizeMac(entry.device.macAddress);
        if (row.macAddress != oldMac) {
            if (!entry.device.fwVersion.isEmpty())
                return DeviceCsvError::at(DeviceCsv::ColumnMac, rowNumber,
                                          DeviceCsv::text(QT_TRANSLATE_NOOP(
                                              "ImportDialog", "Cannot modify connected device's Mac address.")));
            m_byMac.remove(oldMac);
            if (!row.macAddress.isEmpty())
                m_byMac.insert(row.macAddress, index);
            entry.device.macAddress = row.macAddress;
            entry.device.learnedMac.clear(); // entered now, by the file
        }
        entry.device.deviceName = row.name;
        entry.device.ipAddress = row.ipAddress;
        entry.device.position = row.position;
    }

    if (index >= 0) {
        Entry &entry = m_entries[index];
        if (m_db->updateIFPDeviceById(entry.device) != DB_OK)
            return writeFailed(DeviceCsv::ColumnName, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));
        return groupStep(entry, row, rowNumber);
    }

    // A new device.
    Entry entry;
    entry.device.deviceName = row.name;
    entry.device.ipAddress = row.ipAddress;
    entry.device.macAddress = row.macAddress;
    entry.device.deviceType = row.deviceType;
    entry.device.position = row.position;
    VelkDeviceCameraMap mapping;
    const bool withCamera =
        row.deviceType == DeviceRules::audioBoxType() && !row.sosUser.isEmpty() && !row.cameraName.isEmpty();
    if (withCamera) {
        const int rc =
            resolveSosCamera(mapping, row.sosUser, row.cameraName, m_cameraAccounts, m_cameras, m_cameraGroups);
        if (rc == -1)
            return DeviceCsvError::at(
                DeviceCsv::ColumnSosUser, rowNumber,
                DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The username does not exist.")));
        if (rc == -2)
            return DeviceCsvError::at(DeviceCsv::ColumnCamera, rowNumber,
                                      DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The camera does not exist.")));
        if (row.sosUser == m_adminSosUser)
            entry.device.ptzCamera = row.cameraName;
    }
    const quint32 rc = m_db->createIFPDevice(entry.device);
    if (rc == DB_DEVICE_NAME_EXISTS)
        return DeviceCsvError::at(
            DeviceCsv::ColumnName, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Device name is duplicated with other devices.")));
    if (rc == DB_MAC_EXISTS)
        return DeviceCsvError::at(
            DeviceCsv::ColumnMac, rowNumber,
            DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "Mac address is duplicated with other devices.")));
    if (rc != DB_OK)
        return writeFailed(DeviceCsv::ColumnName, rowNumber,
                           QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));

    index = m_entries.size();
    m_entries.append(entry);
    m_byName.insert(nameKey, index);
    if (!row.macAddress.isEmpty())
        m_byMac.insert(row.macAddress, index);
    *createdIndex = index;

    if (withCamera) {
        if (!refreshDeviceIds() || m_entries.at(index).device.did == 0)
            return writeFailed(DeviceCsv::ColumnName, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));
        mapping.did = int(m_entries.at(index).device.did);
        if (m_db->insertDeviceCameraMapping(mapping) != DB_OK)
            return writeFailed(DeviceCsv::ColumnCamera, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The camera link could not be saved."));
        m_mappings.append(mapping);
    }
    return groupStep(m_entries[index], row, rowNumber);
}

DeviceCsvError DeviceCsvImporter::cameraStep(Entry &entry, const DeviceCsvRow &row, int rowNumber)
{
    if (row.deviceType != DeviceRules::audioBoxType() || row.sosUser.isEmpty() || row.cameraName.isEmpty())
        return DeviceCsvError();
    VelkDeviceCameraMap mapping;
    const int rc = resolveSosCamera(mapping, row.sosUser, row.cameraName, m_cameraAccounts, m_cameras, m_cameraGroups);
    if (rc == -1)
        return DeviceCsvError::at(DeviceCsv::ColumnSosUser, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The username does not exist.")));
    if (rc == -2)
        return DeviceCsvError::at(DeviceCsv::ColumnCamera, rowNumber,
                                  DeviceCsv::text(QT_TRANSLATE_NOOP("ImportDialog", "The camera does not exist.")));
    if (entry.device.did == 0 && !refreshDeviceIds())
        return writeFailed(DeviceCsv::ColumnName, rowNumber,
                           QT_TRANSLATE_NOOP("ImportDialog", "The device could not be saved."));
    mapping.did = int(entry.device.did);

    int found = -1;
    for (int i = 0; i < m_mappings.size(); ++i) {
        if (m_mappings.at(i).did == mapping.did && m_mappings.at(i).account == row.sosUser) {
            found = i;
            break;
        }
    }
    if (found >= 0 && m_mappings.at(found).deviceName == row.cameraName)
        return DeviceCsvError();
    if (found >= 0) {
        // Replace the link rather than rewrite it in place: the old row goes, the new one comes.
        if (m_mappings.at(found).aid == 0) {
            if (!refreshCameraMappings())
                return writeFailed(DeviceCsv::ColumnCamera, rowNumber,
                                   QT_TRANSLATE_NOOP("ImportDialog", "The camera link could not be saved."));
            return cameraStep(entry, row, rowNumber);
        }
        if (m_db->deleteDeviceCameraMapping(m_mappings.at(found).aid) != DB_OK)
            return writeFailed(DeviceCsv::ColumnCamera, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The camera link could not be saved."));
        m_mappings.removeAt(found);
    }
    if (m_db->insertDeviceCameraMapping(mapping) != DB_OK)
        return writeFailed(DeviceCsv::ColumnCamera, rowNumber,
                           QT_TRANSLATE_NOOP("ImportDialog", "The camera link could not be saved."));
    m_mappings.append(mapping);
    if (row.sosUser == m_adminSosUser)
        entry.device.ptzCamera = row.cameraName;
    return DeviceCsvError();
}

DeviceCsvError DeviceCsvImporter::groupStep(Entry &entry, const DeviceCsvRow &row, int rowNumber)
{
    QSet<QString> wanted;
    for (const QString &name : row.groupNames()) {
        const QString key = DeviceRules::key(name);
        if (!m_groups.contains(key)) {
            VelkGroups group;
            group.groupName = name;
            group.groupType = row.deviceType;
            if (m_db->createGroups(group) != DB_OK)
                return writeFailed(DeviceCsv::ColumnGroup, rowNumber,
                                   QT_TRANSLATE_NOOP("ImportDialog", "The group could not be saved."));
            m_groups.insert(key, group);
        }
        // A group of the other device family is left alone; the device just does not join it.
        if (m_groups.value(key).groupType == entry.device.deviceType)
            wanted.insert(key);
    }
    // The cell replaces the memberships: leave what is not wanted, join what is new.
    const QSet<QString> current = entry.groupKeys;
    for (const QString &key : current) {
        if (wanted.contains(key))
            continue;
        VelkGroups group = m_groups.value(key);
        if (group.groupName.isEmpty() || m_db->disjoinGroups(entry.device, group) != DB_OK)
            return writeFailed(DeviceCsv::ColumnGroup, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The group could not be saved."));
        entry.groupKeys.remove(key);
    }
    for (const QString &key : qAsConst(wanted)) {
        if (entry.groupKeys.contains(key))
            continue;
        VelkGroups group = m_groups.value(key);
        if (m_db->joinGroups(entry.device, group) != DB_OK)
            return writeFailed(DeviceCsv::ColumnGroup, rowNumber,
                               QT_TRANSLATE_NOOP("ImportDialog", "The group could not be saved."));
        entry.groupKeys.insert(key);
    }
    return DeviceCsvError();
}

bool DeviceCsvImporter::refreshDeviceIds()
{
    QList<VelkIFPDevice> stored;
    if (m_db->queryAllAvailableIFP(stored) != DB_OK)
        return false;
    for (const VelkIFPDevice &device : qAsConst(stored)) {
        const int index = m_byName.value(DeviceRules::key(device.deviceName), -1);
        if (index >= 0 && m_entries.at(index).device.did == 0)
            m_entries[index].device.did = device.did;
    }
    return true;
}

bool DeviceCsvImporter::refreshCameraMappings()
{
    QList<VelkDeviceCameraMap> mappings;
    if (m_db->queryDeviceCameraMapping(mappings) != DB_OK)
        return false;
    m_mappings = mappings;
    return true;
}

void DeviceCsvImporter::emitCreatedDevices(const QList<int> &indexes)
{
    if (indexes.isEmpty())
        return;
    QList<VelkIFPDevice> stored;
    if (m_db->queryAllAvailableIFP(stored) != DB_OK)
        return;
    QHash<QString, int> byName;
    for (int i = 0; i < stored.size(); ++i)
        byName.insert(DeviceRules::key(stored.at(i).deviceName), i);
    // By the entry's name at the end: a later row may have renamed the new device.
    for (const int entryIndex : indexes) {
        const QString name = m_entries.at(entryIndex).device.deviceName;
        const int index = byName.value(DeviceRules::key(name), -1);
        if (index >= 0)
            emit addDeviceSuccess(stored.at(index));
    }
}

DeviceCsvError DeviceCsvImporter::writeFailed(int column, int rowNumber, const char *reason) const
{
    const DbFailure failure = m_db->lastFailure();
    if (ImportStoppedNotice::stopsImport(failure))
        return stoppedBy(failure);
    return DeviceCsvError::at(column, rowNumber, DeviceCsv::text(reason));
}

DeviceCsvError DeviceCsvImporter::stoppedBy(DbFailure failure)
{
    return DeviceCsvError::stoppedWith(ImportStoppedNotice::text(failure));
}
