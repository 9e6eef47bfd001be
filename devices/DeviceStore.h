#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/VelkDeviceCameraMap.h"
#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

class OrvantaDBIntf;

/// The first device whose name equals name, letter case ignored (an empty record when none):
/// the database treats names that differ only in case as the same name.
VelkIFPDevice findDeviceByName(OrvantaDBIntf *db, const QString &name);

/// The checks and writes behind the page's add, edit, group and delete actions, apart from the
/// dialogs that collect the input. Every refusal comes back as a translated text for the red
/// badge (context "DeviceStore") together with the field it concerns; an empty text is success.
class DeviceStore
{
    Q_DECLARE_TR_FUNCTIONS(DeviceStore)

public:
    enum Field
    {
        NoField,
        NameField,
        IpField,
        MacField,
        GroupField,
        OtherField
    };

    struct Outcome
    {
        QString message; ///< empty on success
        Field field = NoField;
        VelkIFPDevice device; ///< the stored record, read back (did set) on success
        bool ok() const { return message.isEmpty(); }
    };

    explicit DeviceStore(OrvantaDBIntf *db) : m_db(db) {}

    /// Validates and creates the device, then puts it into the named groups. deviceType must be
    /// set; the MAC is stored in lower case. A camera with a deviceName (its name and MAC in the
    /// camera-management program) pairs the device with it, all in one transaction.
    Outcome addDevice(VelkIFPDevice device, const QStringList &groupNames,
                      const VelkDeviceCameraMap &camera = VelkDeviceCameraMap());
    /// Changes name, IP, MAC (only while the device never reported firmware), location and group
    /// memberships of the device with original.did, and pairs it with camera when that has a
    /// deviceName. Fields the form does not edit are taken from the database right before the
    /// write, so what the network layer stored meanwhile survives; so are an IP and a MAC given as
    /// original holds them, which the operator left as the form showed them.
    Outcome editDevice(const VelkIFPDevice &original, const QString &name, const QString &ipAddress,
                       const QString &macAddress, const QString &position, const QStringList &groupNames,
                       const VelkDeviceCameraMap &camera = VelkDeviceCameraMap());
    /// Deletes the device with its group, schedule and report links and its camera links.
    Outcome deleteDevice(const VelkIFPDevice &device);

    /// Creates a group, or renames the group called oldName, and sets its members to exactly the
    /// named devices. groupType is the page's device type.
    Outcome saveGroup(const QString &oldName, const QString &name, const QString &groupType,
                      const QStringList &memberNames);
    Outcome deleteGroup(const QString &name);

    /// Checks of the typed values shared by add and edit; ignoreDid is the device being edited, longestName what
    /// DeviceRules::isValidName() takes of an edit of its stored name.
    QString checkDeviceInput(const QString &name, const QString &ipAddress, const QString &macAddress,
                             quint32 ignoreDid, Field *field, int longestName = 0) const;

private:
    static QString nameRuleText();
    static QString unusableMacText();
    Outcome failure(const QString &message, Field field) const;
    /// "The device could not be saved", with the reason when it is one that passes: the disk is full, or another
    /// program holds the database. Asked right after the refused statement, before anything else reaches it.
    Outcome saveRefused() const;
    QString setMemberships(const VelkIFPDevice &device, const QStringList &groupNames);
    QString pairCamera(quint32 did, VelkDeviceCameraMap camera);

    OrvantaDBIntf *m_db;
};
