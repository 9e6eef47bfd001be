#pragma once

#include <QList>
#include <QString>

#include "datastore/PellmarAccount.h"
#include "datastore/PellmarDevice.h"
#include "datastore/PellmarGroup.h"
#include "datastore/VelkDeviceCameraMap.h"
#include "datastore/VelkIFPDevice.h"

class OrvantaDBIntf;

/// The camera-management account the console uses, as the administrator account keeps it: the
/// user name and the password in its stored base64 form. The form is the data store's; base64
/// hides nothing, so the password is never written to a log.
struct SosCredentials
{
    QString userName;
    QString encodedPassword;

    bool isComplete() const { return !userName.isEmpty() && !encodedPassword.isEmpty(); }
    QString password() const;
};

/// A paired camera that the camera-management account no longer offers.
struct UnreachableCamera
{
    QString deviceName;
    QString ipAddress;
    QString account;
};

/// What the camera link reads and writes in the two databases, apart from any dialog: the
/// stored credentials, the check of typed credentials against the camera-management program's
/// accounts, the cameras an account may see, and a panel's paired camera.
class CameraLinkStore
{
public:
    enum class Pick
    {
        FirstAdministrator, ///< the link settings show the first administrator account's
        LastAdministrator   ///< the warning and the pairing take the last one's
    };

    explicit CameraLinkStore(OrvantaDBIntf *db);

    /// The credentials of one administrator account (empty when there is none); false when the
    /// accounts cannot be read.
    bool storedCredentials(Pick pick, SosCredentials *credentials) const;

    /// True when the camera-management program has an account with exactly this user name and
    /// password (case-sensitive, untrimmed; the password in clear text).
    bool accountExists(const QString &userName, const QString &password) const;

    struct StoreResult
    {
        bool stored = false;  ///< every administrator account was written
        bool changed = false; ///< the user name or the password differs from what was stored
    };
    /// Writes the credentials into every administrator account.
    StoreResult storeCredentials(const QString &userName, const QString &password);

    /// The cameras with a MAC address that the account may see, in the camera-management
    /// database's order: all of them for access level 0, else those of its groups and its own.
    static QList<PellmarDevice> visibleCameras(const SosCredentials &credentials, const QList<PellmarAccount> &accounts,
                                               const QList<PellmarGroup> &groups, const QList<PellmarDevice> &cameras);
    /// visibleCameras on the camera-management data read now; false when it cannot be read.
    bool readVisibleCameras(const SosCredentials &credentials, QList<PellmarDevice> *cameras) const;

    /// The MAC of the camera paired with the device (the last pairing row of its id wins);
    /// false when the pairings cannot be read, with what was read still used.
    bool pairedCameraMac(quint32 did, QString *mac) const;

    /// The paired cameras of stored devices that the account no longer sees, one per device.
    QList<UnreachableCamera> unreachableCameras(const SosCredentials &credentials) const;

private:
    OrvantaDBIntf *m_db;
};
