#pragma once

#include "datastore/DbReadRetry.h"
#include "datastore/VelkAppInfo.h"
#include "datastore/VelkAppPermission.h"
#include "datastore/VelkMultiUser.h"
#include "datastore/VelkMultiUserAdmin.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

class OrvantaDBIntf;

/// What the account synchronisation of the panels reads from the data store, kept for as long as nothing changed
/// it (OrvantaDBIntf::accountDataVersion): the multi-user settings with their message for each tier of display
/// client, and, for a run over many panels, every user, app permission and assignment read at once, with each
/// distinct account file built once for each distinct set of users.
///
/// Read panel by panel, the same settings and the same 48 users' permissions were read from SQLite again for each
/// of hundreds of panels, and the same file built each time; that was most of a synchronisation run. Any write of
/// users, permissions, assignments or settings (a panel's first synchronisation takes its users in between the
/// question and the file it gets) moves the data store's version, and nothing kept from before it is used again.
///
/// A read the database refuses for now (another program holds the file exclusively) is "not known yet": refused() says
/// so, and no further read is made until readsDue(), after a pause that grows while the refusals go on (DbReadRetry).
/// Read panel by panel, a hold cost the GUI thread a busy wait for every panel that asked for its users, back to back
/// for a whole run, and every one of them was failed although its users were only not readable yet.
///
/// GUI thread only, like the data store.
class AccountSyncCache : public QObject
{
    Q_OBJECT

public:
    explicit AccountSyncCache(OrvantaDBIntf *db, QObject *parent = nullptr);

    /// The first multi-user settings record. False when there is none, or it cannot be read (*rc is then not 0).
    bool settings(VelkMultiUserAdmin *settings, quint32 *rc);
    /// The settings message for a panel whose display client has this version; empty without settings.
    QByteArray settingsMessage(const QString &displayClientVersion);

    /// Reads every user, app permission and assignment at once, ahead of a run over many panels, unless what was
    /// read before still holds. Without it, or once a write has made it stale, accountFile() reads the device's
    /// own users and permissions.
    void prepareRun();
    /// The account file of the device's users, in the order they were assigned. When they cannot be read (another
    /// program holds the database), *read is set false and the file is empty: it must not be sent, since a panel
    /// replaces its users with those of the file.
    QByteArray accountFile(quint32 deviceId, bool *read);

    /// Whether a run's reading is in use and still holds: accountFile() then builds no file from the store.
    bool holdsRun() const;

    /// Whether the database refused the last read for now: what settings() or accountFile() could not give is not
    /// known yet, and a synchronisation that needs it waits for readsDue().
    bool refused() const { return m_refused; }
    /// Another read that a synchronisation needs (the devices of a run) was refused for now: taken as the cache's own,
    /// so that the next read waits for readsDue() instead of waiting on the database again at once.
    void readRefusedElsewhere();
    /// The first pause before reading again what was refused, and the longest the pauses grow to (tests shorten them).
    void setRetryIntervalMs(int first, int longest);

signals:
    /// Time to read again what was refused: a synchronisation that waits asks again.
    void readsDue();

private:
    /// Whether a read of the store may be made now: not while refused and the next read is not due.
    bool mayRead() const { return !m_refused || !m_retry.isWaiting(); }
    /// After a read of the store that returned rc: a refusal for now begins or prolongs the wait (told once), any other
    /// outcome ends it. Returns whether rc is DB_OK.
    bool noteRead(quint32 rc);
    void beginWait();

    bool settingsHold(quint64 version) const { return version != 0 && version == m_settingsVersion; }
    QByteArray fileFromRun(quint32 deviceId);
    QByteArray fileFromStore(quint32 deviceId, bool *read);

    OrvantaDBIntf *m_db;
    DbReadRetry m_retry;
    bool m_refused = false;

    quint64 m_settingsVersion = 0;
    bool m_hasSettings = false;
    VelkMultiUserAdmin m_settings;
    QHash<int, QByteArray> m_settingsMessages;      // by the display client's tier
    QHash<QString, QByteArray> m_settingsByVersion; // the same by the version's text, as the panels report it

    // A run's reading; m_runVersion 0 when there is none.
    quint64 m_runVersion = 0;
    QList<VelkAppInfo> m_apps;
    QHash<quint32, VelkMultiUser> m_users;
    QHash<quint32, QList<VelkAppPermission>> m_permissions; // by user
    QHash<quint32, QVector<quint32>> m_usersOfDevice;       // each user once, in assignment order
    QHash<QVector<quint32>, QByteArray> m_files;            // by the set of users, in order
    QHash<quint32, QByteArray> m_fileOfDevice;              // the same by device, once asked for
};
