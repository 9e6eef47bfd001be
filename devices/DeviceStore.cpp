#include "devices/DeviceStore.h"

#include <QCoreApplication>
#include <QSet>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "emergency/CameraLinkStore.h"

namespace {

QSet<QString> keysOf(const QStringList &names)
{
    QSet<QString> keys;
    for (const QString &name : names)
        keys.insert(DeviceRules::key(name));
    return keys;
}

} // namespace

VelkIFPDevice findDeviceByName(OrvantaDBIntf *db, const QString &name)
{
    QList<VelkIFPDevice> devices;
    db->queryAllAvailableIFP(devices);
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        if (DeviceRules::sameKey(device.deviceName, name))
            return device;
    }
    return VelkIFPDevice();
}

QString DeviceStore::nameRuleText()
{
    return tr("Use at most 32 characters and none of \\ / : * ? \" > < |.");
}

QString DeviceStore::unusableMacText()
{
    return tr("No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to match "
              "the device by its IP address.");
}

DeviceStore::Outcome DeviceStore::failure(const QString &message, Field field) const
{
    Outcome outcome;
    outcome.message = message;
    outcome.field = field;
    return outcome;
}

DeviceStore::Outcome DeviceStore::saveRefused() const
{
    // Whole sentences, one per case, so that each translation reads as one.
    if (m_db->lastFailure() == DbFailure::DiskFull)
        return failure(tr("The device could not be saved: the disk is full."), OtherField);
    if (m_db->refusedForNow())
        return failure(tr("The device could not be saved: the database cannot be written at the moment (another "
                          "program may be using it). Please try again later."),
                       OtherField);
    return failure(tr("The device could not be saved."), OtherField);
}

QString DeviceStore::checkDeviceInput(const QString &name, const QString &ipAddress, const QString &macAddress,
                                      quint32 ignoreDid, Field *field, int longestName) const
{
    auto refuse = [field](Field which, const QString &message) {
        if (field)
            *field = which;
        return message;
    };
    if (name.isEmpty())
        return refuse(NameField, tr("Device name is required."));
    if (!DeviceRules::isValidName(name, longestName))
        return refuse(NameField, nameRuleText());
    if (ipAddress.isEmpty() && macAddress.isEmpty())
        return refuse(IpField, tr("Ip Address and Mac Address cannot be emtpy."));
    if (!ipAddress.isEmpty() && !DeviceRules::isValidIpv4(ipAddress))
        return refuse(IpField, tr("Invalid IP Address."));
    if (!macAddress.isEmpty() && !DeviceRules::isValidMac(macAddress))
        return refuse(MacField, tr("Invalid mac address."));

    QList<VelkIFPDevice> devices;
    if (m_db->queryAllAvailableIFP(devices) != DB_OK)
        return refuse(OtherField, tr("The device list could not be read."));
    for (const VelkIFPDevice &other : qAsConst(devices)) {
        if (other.did == ignoreDid)
            continue;
        if (DeviceRules::sameKey(other.deviceName, name))
            return refuse(NameField, tr("Device name is duplicated with other devices."));
        if (!macAddress.isEmpty() && DeviceRules::sameKey(other.macAddress, macAddress))
            return refuse(MacField, tr("Mac address is duplicated with other devices."));
    }
    if (field)
        *field = NoField;
    return QString();
}

DeviceStore::Outcome DeviceStore::addDevice(VelkIFPDevice device, const QStringList &groupNames,
                                            const VelkDeviceCameraMap &camera)
{
    device.macAddress = DeviceRules::normalizeMac(device.macAddress);
    Field field = NoField;
    const QString problem = checkDeviceInput(device.deviceName, device.ipAddress, device.macAddress, 0, &field);
    if (!problem.isEmpty())
        return failure(problem, field);
    if (!device.macAddress.isEmpty() && !DeviceRules::isUsableMac(device.macAddress))
        return failure(unusableMacText(), MacField);

    DbTransaction transaction = m_db->transaction("DeviceStore::addDevice");
    if (!camera.deviceName.isEmpty())
        device.ptzCamera = camera.deviceName;
    const quint32 rc = m_db->createIFPDevice(device);
    if (rc == DB_DEVICE_NAME_EXISTS)
        return failure(tr("Device name is duplicated with other devices."), NameField);
    if (rc == DB_MAC_EXISTS)
        return failure(device.macAddress.isEmpty()
                           ? tr("Another device without Mac address exists; enter this device's Mac address.")
                           : tr("Mac address is duplicated with other devices."),
                       MacField);
    if (rc != DB_OK)
        return saveRefused();

    const VelkIFPDevice stored = findDeviceByName(m_db, device.deviceName);
    if (stored.did == 0)
        return saveRefused();
    const QString groupProblem = setMemberships(stored, groupNames);
    if (!groupProblem.isEmpty())
        return failure(groupProblem, GroupField);
    const QString cameraProblem = pairCamera(stored.did, camera);
    if (!cameraProblem.isEmpty())
        return failure(cameraProblem, OtherField);
    if (transaction.isActive() && !transaction.commit())
        return saveRefused();
    Outcome outcome;
    outcome.device = stored;
    return outcome;
}

DeviceStore::Outcome DeviceStore::editDevice(const VelkIFPDevice &original, const QString &name,
                                             const QString &ipAddress, const QString &macAddress,
                                             const QString &position, const QStringList &groupNames,
                                             const VelkDeviceCameraMap &camera)
{
    const QString mac = DeviceRules::normalizeMac(macAddress);
    Field field = NoField;
    // The editor shows a stored name longer than a typed one may be whole, and shortening it is taken.
    const QString problem = checkDeviceInput(name, ipAddress, mac, original.did, &field, original.deviceName.size());
    if (!problem.isEmpty())
        return failure(problem, field);
    // An address left as the form showed it stays as the record holds it: a panel's handshake may have stored a new
    // one since the dialog opened, and saving the one shown would put the old address back.
    const bool ipGiven = ipAddress != original.ipAddress;
    const bool macGiven = !DeviceRules::sameKey(mac, original.macAddress);
    if (macGiven && !mac.isEmpty() && !DeviceRules::isUsableMac(mac))
        return failure(unusableMacText(), MacField);

    DbTransaction transaction = m_db->transaction("DeviceStore::editDevice");
    // Re-read right before the write: the network layer may have stored firmware, IP or the
    // kick mark since the dialog opened, and only the edited fields may change.
    QList<VelkIFPDevice> devices;
    if (m_db->queryAllAvailableIFP(devices) != DB_OK)
        return failure(tr("The device list could not be read."), OtherField);
    VelkIFPDevice current;
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        if (device.did == original.did)
            current = device;
    }
    if (current.did == 0)
        return failure(tr("The device no longer exists."), OtherField);
    if (macGiven && !DeviceRules::sameKey(mac, current.macAddress) && !current.fwVersion.isEmpty())
        return failure(tr("Cannot modify connected device's Mac address."), MacField);

    current.deviceName = name;
    if (ipGiven)
        current.ipAddress = ipAddress;
    // A MAC the operator gives is entered, even where the panel at the address had reported one before.
    if (macGiven && !DeviceRules::sameKey(mac, current.macAddress)) {
        current.macAddress = mac;
        current.learnedMac.clear();
    }
    current.position = position;
    if (!camera.deviceName.isEmpty())
        current.ptzCamera = camera.deviceName;
    if (m_db->updateIFPDeviceById(current) != DB_OK)
        return saveRefused();
    const QString groupProblem = setMemberships(current, groupNames);
    if (!groupProblem.isEmpty())
        return failure(groupProblem, GroupField);
    const QString cameraProblem = pairCamera(current.did, camera);
    if (!cameraProblem.isEmpty())
        return failure(cameraProblem, OtherField);
    if (transaction.isActive() && !transaction.commit())
        return saveRefused();
    Outcome outcome;
    outcome.device = current;
    return outcome;
}

DeviceStore::Outcome DeviceStore::deleteDevice(const VelkIFPDevice &device)
{
    DbTransaction transaction = m_db->transaction("DeviceStore::deleteDevice");
    QList<VelkDeviceCameraMap> mappings;
    if (m_db->queryDeviceCameraMapping(mappings) != DB_OK)
        return failure(tr("The device could not be deleted."), OtherField);
    VelkIFPDevice target = device;
    if (m_db->deleteIFPDevice(target) != DB_OK)
        return failure(tr("The device could not be deleted."), OtherField);
    for (const VelkDeviceCameraMap &mapping : qAsConst(mappings)) {
        if (mapping.did == int(device.did) && m_db->deleteDeviceCameraMapping(mapping.aid) != DB_OK)
            return failure(tr("The device could not be deleted."), OtherField);
    }
    if (transaction.isActive() && !transaction.commit())
        return failure(tr("The device could not be deleted."), OtherField);
    Outcome outcome;
    outcome.device = device;
    return outcome;
}

QString DeviceStore::setMemberships(const VelkIFPDevice &device, const QStringList &groupNames)
{
    QList<VelkGroups> current;
    if (m_db->queryGroupsByIFP(device, current) != DB_OK)
        return tr("The groups could not be saved.");
    const QSet<QString> wanted = keysOf(groupNames);
    QSet<QString> have;
    for (VelkGroups group : qAsConst(current)) {
        have.insert(DeviceRules::key(group.groupName));
        if (wanted.contains(DeviceRules::key(group.groupName)))
            continue;
        VelkIFPDevice member = device;
        if (m_db->disjoinGroups(member, group) != DB_OK)
            return tr("The groups could not be saved.");
    }
    for (const QString &name : groupNames) {
        if (have.contains(DeviceRules::key(name)))
            continue;
        VelkIFPDevice member = device;
        VelkGroups group;
        group.groupName = name;
        if (m_db->joinGroups(member, group) != DB_OK)
            return tr("The groups could not be saved.");
        have.insert(DeviceRules::key(name));
    }
    return QString();
}

QString DeviceStore::pairCamera(quint32 did, VelkDeviceCameraMap camera)
{
    if (camera.deviceName.isEmpty())
        return QString();
    // The pairing dialog listed the camera under the account the last administrator keeps.
    SosCredentials credentials;
    QList<VelkDeviceCameraMap> mappings;
    if (!CameraLinkStore(m_db).storedCredentials(CameraLinkStore::Pick::LastAdministrator, &credentials) ||
        m_db->queryDeviceCameraMapping(mappings) != DB_OK)
        return tr("The camera link could not be saved.");
    // A device has one camera: the warning and the periodic check read one row per device,
    // whatever account wrote it, so rows of an earlier pairing would only compete with the new one.
    for (const VelkDeviceCameraMap &old : qAsConst(mappings)) {
        if (quint32(old.did) == did && m_db->deleteDeviceCameraMapping(old.aid) != DB_OK)
            return tr("The camera link could not be saved.");
    }
    camera.did = int(did);
    camera.account = credentials.userName;
    camera.aid = 0;
    if (m_db->insertDeviceCameraMapping(camera) != DB_OK)
        return tr("The camera link could not be saved.");
    return QString();
}

DeviceStore::Outcome DeviceStore::saveGroup(const QString &oldName, const QString &name, const QString &groupType,
                                            const QStringList &memberNames)
{
    if (name.isEmpty())
        return failure(tr("Group name is required."), NameField);
    if (!DeviceRules::isValidName(name, oldName.size()))
        return failure(nameRuleText(), NameField);
    // The device file separates a device's groups with commas, so such a name would come back
    // from an export as two groups. A name that already has one may stay as it is.
    if (name.contains(QLatin1Char(',')) && name != oldName)
        return failure(tr("A group name cannot contain a comma."), NameField);
    QList<VelkGroups> groups;
    if (m_db->queryAllGroup(groups) != DB_OK)
        return failure(tr("The groups could not be read."), OtherField);
    for (const VelkGroups &group : qAsConst(groups)) {
        if (DeviceRules::sameKey(group.groupName, name) && !DeviceRules::sameKey(group.groupName, oldName))
            return failure(tr("Group name is duplicated with other groups."), NameField);
    }

    DbTransaction transaction = m_db->transaction("DeviceStore::saveGroup");
    VelkGroups group;
    group.groupName = name;
    group.groupType = groupType;
    quint32 rc = DB_OK;
    if (oldName.isEmpty())
        rc = m_db->createGroups(group);
    else if (name != oldName)
        rc = DeviceRules::sameKey(name, oldName) ? m_db->changeGroupsNameNoCase(name)
                                                 : m_db->changeGroupsName(oldName, name);
    if (rc == DB_GROUP_NAME_EXISTS)
        return failure(tr("Group name is duplicated with other groups."), NameField);
    if (rc != DB_OK)
        return failure(tr("The group could not be saved."), OtherField);

    QList<VelkIFPDevice> members;
    if (!oldName.isEmpty() && m_db->queryIFPByGroup(group, members) != DB_OK)
        return failure(tr("The group could not be saved."), OtherField);
    const QSet<QString> wanted = keysOf(memberNames);
    QSet<QString> have;
    for (VelkIFPDevice member : qAsConst(members)) {
        have.insert(DeviceRules::key(member.deviceName));
        if (wanted.contains(DeviceRules::key(member.deviceName)))
            continue;
        VelkGroups target = group;
        if (m_db->disjoinGroups(member, target) != DB_OK)
            return failure(tr("The group could not be saved."), OtherField);
    }
    for (const QString &memberName : memberNames) {
        if (have.contains(DeviceRules::key(memberName)))
            continue;
        VelkIFPDevice member;
        member.deviceName = memberName;
        VelkGroups target = group;
        if (m_db->joinGroups(member, target) != DB_OK)
            return failure(tr("The group could not be saved."), OtherField);
        have.insert(DeviceRules::key(memberName));
    }
    if (transaction.isActive() && !transaction.commit())
        return failure(tr("The group could not be saved."), OtherField);
    return Outcome();
}

DeviceStore::Outcome DeviceStore::deleteGroup(const QString &name)
{
    VelkGroups group;
    group.groupName = name;
    if (m_db->deleteGroups(group) != DB_OK)
        return failure(tr("The group could not be deleted."), OtherField);
    return Outcome();
}
