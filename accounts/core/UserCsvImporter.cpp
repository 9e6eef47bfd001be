#include "accounts/core/UserCsvImporter.h"

#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"
#include "shell/kit/ImportStoppedNotice.h"
#include "shell/kit/UiHelpers.h"

#include <QFile>

UserCsvImporter::UserCsvImporter(OrvantaDBIntf *db) : m_db(db)
{
}

UserCsvError UserCsvImporter::importRows(QList<QStringList> rows)
{
    m_created = 0;
    m_updated = 0;
    rows = UserCsv::withoutTrailingBlankLines(rows);

    // One transaction from the first read to the last write: the checks and the writing see the
    // same database, a refused file writes nothing, and a write that fails takes back the rows
    // written before it. It also spares SQLite a disk sync per statement.
    DbTransaction transaction = m_db->transaction("UserCsvImporter::importRows");
    // The transaction takes the write lock as it begins: a database file that refuses writes stops the import here.
    if (!transaction.isActive() && ImportStoppedNotice::stopsImport(m_db->lastFailure())) {
        writeLog(LOG_LEVEL_ERROR, "UserCsvImporter::importRows, the database refused the writing; nothing imported");
        return stoppedBy(m_db->lastFailure());
    }
    if (!transaction.isActive() || !load()) {
        writeLog(LOG_LEVEL_ERROR, "UserCsvImporter::importRows, the stored users could not be read");
        return UserCsvError::at(
            UserCsv::ColumnName, 1,
            UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "The user accounts could not be read.")));
    }

    UserCsvError error = checkRows(rows);
    if (error.isError()) {
        writeLog(LOG_LEVEL_WARNING, "UserCsvImporter::importRows, file refused at column %d, row %d", error.column + 1,
                 error.row);
        return error;
    }
    if (rows.size() < 2) {
        // A header alone closed the dialog as a success that imported nothing.
        writeLog(LOG_LEVEL_WARNING, "UserCsvImporter::importRows, no row after the header");
        return UserCsvError::stoppedWith(UserCsv::text(
            QT_TRANSLATE_NOOP("ImportListDialog", "No user was imported: the file has no row after its header line.")));
    }

    for (int i = 1; i < rows.size(); ++i) {
        error = writeRow(UserCsv::readRow(rows.at(i)), i + 1);
        if (error.isError())
            break;
    }
    // A failed commit is no row's doing: it writes what every row wrote.
    if (!error.isError() && !transaction.commit())
        error = stoppedBy(m_db->lastFailure());
    if (error.isError()) {
        transaction.rollback();
        m_created = 0;
        m_updated = 0;
        if (error.stopped)
            writeLog(LOG_LEVEL_ERROR,
                     "UserCsvImporter::importRows, the database refused the writing; nothing imported");
        else
            writeLog(LOG_LEVEL_ERROR,
                     "UserCsvImporter::importRows, writing failed at column %d, row %d; nothing imported",
                     error.column + 1, error.row);
        return error;
    }
    writeLog(LOG_LEVEL_INFO, "UserCsvImporter::importRows, %d users created, %d updated", m_created, m_updated);
    return UserCsvError();
}

UserCsvError UserCsvImporter::importFile(const QString &path)
{
    QFile file(path);
    QList<QStringList> rows;
    if (file.open(QIODevice::ReadOnly)) {
        const UserCsvError unreadable = UserCsv::parseBytes(file.readAll(), &rows);
        if (unreadable.isError()) {
            m_created = 0;
            m_updated = 0;
            writeLog(LOG_LEVEL_WARNING,
                     "UserCsvImporter::importFile, bytes that cannot be decoded at column %d, row %d",
                     unreadable.column + 1, unreadable.row);
            return unreadable;
        }
    }
    return importRows(rows);
}

bool UserCsvImporter::load()
{
    m_userByName.clear();
    m_cardHolder.clear();
    m_devices.clear();
    m_usersOnDevice.clear();
    m_assigned.clear();
    m_apps.clear();
    m_granted.clear();

    // A lookup that fails must stop the import: taken as "no such user" it would create a second
    // user of a name, or hand a card to two users.
    QList<VelkMultiUser> users;
    if (m_db->queryAllMultiUser(users) != DB_OK)
        return false;
    // In muid order, so the first user of a name or card is the one the name and card lookups
    // give first.
    for (const VelkMultiUser &user : qAsConst(users)) {
        if (!m_userByName.contains(user.userName))
            m_userByName.insert(user.userName, user);
        if (!user.rfidId.isEmpty() && !m_cardHolder.contains(user.rfidId))
            m_cardHolder.insert(user.rfidId, user.userName);
    }

    // No row may take the panels' administrator card: it is held under no user's name.
    QList<VelkMultiUserAdmin> settings;
    if (m_db->queryMultiUserAdmin(settings) != DB_OK)
        return false;
    if (!settings.isEmpty() && !settings.first().adminRfidId.isEmpty())
        m_cardHolder.insert(settings.first().adminRfidId, QString());

    QList<VelkUserDevice> assignments;
    QList<VelkAppPermission> permissions;
    if (m_db->queryAllAvailableIFP(m_devices) != DB_OK || m_db->queryUserDevice(assignments, 1) != DB_OK ||
        m_db->queryAllAppInfo(m_apps) != DB_OK || m_db->queryAllAppPermission(permissions) != DB_OK)
        return false;
    for (const VelkUserDevice &assignment : qAsConst(assignments)) {
        m_usersOnDevice[assignment.deviceId].insert(assignment.multiUserId);
        m_assigned.insert(pairKey(assignment.multiUserId, assignment.deviceId));
    }
    for (const VelkAppPermission &permission : qAsConst(permissions))
        m_granted.insert(pairKey(permission.multiUserId, permission.appId));
    return true;
}

UserCsvError UserCsvImporter::checkRows(const QList<QStringList> &rows)
{
    UserCsvError error = UserCsv::checkHeader(rows.value(0));
    if (error.isError())
        return error;

    // Pass 1: each row's values, and its card against the stored users.
    for (int i = 1; i < rows.size(); ++i) {
        error = UserCsv::checkRow(rows.at(i), i + 1, m_cardHolder);
        if (error.isError())
            return error;
    }

    // Pass 2: a card carried by an earlier row, whatever the names.
    QList<UserCsvRow> data;
    data.reserve(rows.size());
    QSet<QString> cards;
    for (int i = 1; i < rows.size(); ++i) {
        data.append(UserCsv::readRow(rows.at(i)));
        const QString &card = data.last().card;
        if (card.isEmpty())
            continue;
        if (cards.contains(card))
            return UserCsvError::at(
                UserCsv::ColumnCard, i + 1,
                UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "There have same RFID ID in different account.")));
        cards.insert(card);
    }

    // Pass 3: the places left on each device the file names.
    return checkDeviceLimits(data);
}

UserCsvError UserCsvImporter::checkDeviceLimits(const QList<UserCsvRow> &rows)
{
    QStringList named;
    QList<QSet<QString>> namesOfRow;
    QList<quint32> storedId; // the row's stored user, 0 for a user the file creates
    QSet<QString> seen;
    for (const UserCsvRow &row : rows) {
        const QStringList names = row.deviceNames();
        for (const QString &name : names) {
            if (!seen.contains(name)) {
                seen.insert(name);
                named.append(name);
            }
        }
        namesOfRow.append(QSet<QString>(names.begin(), names.end()));
        storedId.append(m_userByName.value(row.name).muid);
    }

    QHash<QString, quint32> deviceIds;
    for (const VelkIFPDevice &device : qAsConst(m_devices))
        deviceIds.insert(device.deviceName, device.did);

    for (const QString &name : qAsConst(named)) {
        const auto device = deviceIds.constFind(name);
        if (device == deviceIds.constEnd())
            continue;
        // The users holding a place now, less those the file takes off the device.
        QSet<quint32> holders = m_usersOnDevice.value(device.value());
        for (int i = 0; i < rows.size(); ++i) {
            if (storedId.at(i) != 0 && !namesOfRow.at(i).contains(name))
                holders.remove(storedId.at(i));
        }
        int free = UsersPerDevice - holders.size();
        for (int i = 0; i < rows.size(); ++i) {
            if (!namesOfRow.at(i).contains(name) || holders.contains(storedId.at(i)))
                continue;
            // A new user takes a place at each row that names the device, even a second row of
            // the same name: the count stays on the safe side.
            if (free <= 0)
                return UserCsvError::at(
                    UserCsv::ColumnAccess, i + 2,
                    UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog",
                                                    "At least one device cannot be set due to exceed the limit.")));
            --free;
        }
    }
    return UserCsvError();
}

UserCsvError UserCsvImporter::writeRow(const UserCsvRow &row, int rowNumber)
{
    VelkMultiUser user = m_userByName.value(row.name);
    if (user.muid != 0) {
        user.password = row.password;
        user.rfidId = row.card;
        user.hasPermission = row.hasPermission();
        if (m_db->updateMultiUser(user) != DB_OK)
            return writeFailure(UserCsv::ColumnName, rowNumber);
        m_userByName.insert(row.name, user);
        ++m_updated;
    } else {
        user.userName = row.name;
        user.password = row.password;
        user.rfidId = row.card;
        user.hasPermission = row.hasPermission();
        // The data store gives a new user a unique id and every app; the apps the row disables
        // are taken away below.
        if (m_db->createMultiUser(user) != DB_OK || user.muid == 0)
            return writeFailure(UserCsv::ColumnName, rowNumber);
        m_userByName.insert(row.name, user);
        for (const VelkAppInfo &app : qAsConst(m_apps))
            m_granted.insert(pairKey(user.muid, app.aiid));
        ++m_created;
    }

    const QStringList deviceNames = row.deviceNames();
    for (const VelkIFPDevice &device : qAsConst(m_devices)) {
        const quint64 key = pairKey(user.muid, device.did);
        const bool wanted = deviceNames.contains(device.deviceName);
        const bool assigned = m_assigned.contains(key);
        if (wanted && !assigned && isMultiUserSupportedModel(device.modelName, device.displayClientVersion)) {
            VelkUserDevice assignment;
            assignment.multiUserId = user.muid;
            assignment.deviceId = device.did;
            assignment.syncStatus = 0;
            if (m_db->createUserDevice(assignment) != DB_OK)
                return writeFailure(UserCsv::ColumnAccess, rowNumber);
            m_assigned.insert(key);
        } else if (!wanted && assigned) {
            // An assignment that stays is left alone, with its synchronisation status.
            if (m_db->deleteUserDevice(user.muid, device.did) != DB_OK)
                return writeFailure(UserCsv::ColumnAccess, rowNumber);
            m_assigned.remove(key);
        }
    }

    for (const VelkAppInfo &app : qAsConst(m_apps)) {
        const quint64 key = pairKey(user.muid, app.aiid);
        const bool allowed = row.appValue(app.appName) != QLatin1String("Disable");
        const bool granted = m_granted.contains(key);
        const int column = qMax(UserCsv::appColumn(app.appName), UserCsv::ColumnName);
        if (allowed && !granted) {
            VelkAppPermission permission;
            permission.multiUserId = user.muid;
            permission.appId = app.aiid;
            if (m_db->createAppPermission(permission) != DB_OK)
                return writeFailure(column, rowNumber);
            m_granted.insert(key);
        } else if (!allowed && granted) {
            if (m_db->deleteAppPermission(user.muid, app.aiid) != DB_OK)
                return writeFailure(column, rowNumber);
            m_granted.remove(key);
        }
    }
    return UserCsvError();
}

UserCsvError UserCsvImporter::writeFailure(int column, int rowNumber) const
{
    const DbFailure failure = m_db->lastFailure();
    if (ImportStoppedNotice::stopsImport(failure))
        return stoppedBy(failure);
    return UserCsvError::at(
        column, rowNumber,
        UserCsv::text(QT_TRANSLATE_NOOP("ImportListDialog", "This row could not be saved. Nothing was imported.")));
}

UserCsvError UserCsvImporter::stoppedBy(DbFailure failure)
{
    return UserCsvError::stoppedWith(ImportStoppedNotice::text(failure));
}
