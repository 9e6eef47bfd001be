#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/VelkMultiUser.h"
#include "datastore/VelkUserDevice.h"

#include <optional>

class OrvantaDBIntf;

/// The writes of a panel user's life that touch more than one row, and the reads the user
/// table needs, apart from any widget. Every call returns a result code of DbResult.h.
class UserStore
{
public:
    /// One app's switch in the app-permission window.
    struct AppSwitch
    {
        quint32 appId = 0;
        bool on = false;
    };

    /// The fields of a user that one dialog changes; the others stay as stored.
    struct UserEdit
    {
        std::optional<QString> userName;
        std::optional<QString> password;
        std::optional<QString> rfidId;
        std::optional<bool> hasPermission;
    };

    /// The user with that muid, read now. DB_ROW_NOT_FOUND when there is none.
    static quint32 findUser(OrvantaDBIntf *db, quint32 muid, VelkMultiUser *user);

    /// Writes a new user (no install permission, a new unique id); the data store grants every
    /// known app.
    static quint32 addUser(OrvantaDBIntf *db, const QString &name, const QString &password, const QString &card);

    /// The user's assignments to devices that exist; order as OrvantaDBIntf::queryUserDevice.
    static quint32 assignmentsOfUser(OrvantaDBIntf *db, quint32 muid, int order, QList<VelkUserDevice> &rows);

    /// Writes the edited fields over the user as stored now, so that what another window
    /// changed meanwhile stays. DB_ROW_NOT_FOUND, and nothing written, when the user is gone.
    static quint32 editUser(OrvantaDBIntf *db, quint32 muid, const UserEdit &edit);

    /// Removes the user with its app permissions and device assignments, all or nothing.
    static quint32 removeUser(OrvantaDBIntf *db, quint32 muid);

    /// Writes the app-permission window: a permission row is created for an app switched on
    /// that has none, every row of an app switched off is deleted, and the user's install flag
    /// is set, all or nothing. The user is read again by muid first and only the flag is written
    /// back, so an edit made while the window was open stays; a user removed meanwhile gets
    /// nothing (DB_ROW_NOT_FOUND).
    static quint32 saveAppPermissions(OrvantaDBIntf *db, quint32 muid, const QList<AppSwitch> &switches,
                                      bool hasPermission);

    /// The names of each user's devices, by muid, each list in device-name order. Only devices
    /// that exist are listed.
    static quint32 deviceNamesByUser(OrvantaDBIntf *db, QHash<quint32, QStringList> &names);
};
