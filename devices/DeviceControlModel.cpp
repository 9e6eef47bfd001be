#include "devices/DeviceControlModel.h"

#include "devices/DeviceRules.h"
#include "network/PanelIdentity.h"

namespace {

// False for a record entered by address alone and for one holding a MAC no network card can have: the command server
// knows the connection of such a device's panel by its id.
bool hasOwnMac(const VelkIFPDevice &device)
{
    if (device.macAddress.isEmpty())
        return false;
    const QString normal = PanelIdentity::normaliseMac(device.macAddress);
    return normal.isEmpty() || DeviceRules::isUsableMac(normal);
}

DeviceControlModel::State stateOf(bool kicked, DeviceControlModel::Link link)
{
    if (kicked)
        return DeviceControlModel::Kicked;
    switch (link) {
    case DeviceControlModel::LinkConnected:
        return DeviceControlModel::Online;
    case DeviceControlModel::LinkLocked:
        return DeviceControlModel::Locked;
    case DeviceControlModel::LinkOffline:
        break;
    }
    return DeviceControlModel::Offline;
}

} // namespace

// Working state of other subsystems (otaState, isOnline, extraText) does not make a record different.
bool DeviceControlModel::sameRecord(const VelkIFPDevice &a, const VelkIFPDevice &b)
{
    return a.did == b.did && a.deviceName == b.deviceName && a.modelName == b.modelName &&
           a.macAddress == b.macAddress && a.ipAddress == b.ipAddress && a.fwVersion == b.fwVersion &&
           a.lastPassword == b.lastPassword && a.subnetMask == b.subnetMask && a.gateway == b.gateway &&
           a.panelFwVersion == b.panelFwVersion && a.displayClientVersion == b.displayClientVersion && a.sku == b.sku &&
           a.isKicked == b.isKicked && a.deviceType == b.deviceType && a.position == b.position &&
           a.ptzCamera == b.ptzCamera;
}

DeviceControlModel::State DeviceControlModel::Entry::state() const
{
    return stateOf(device.isKicked, link);
}

DeviceControlModel::Diff DeviceControlModel::setDevices(const QList<VelkIFPDevice> &devices)
{
    QHash<quint32, int> byId;
    QHash<QString, int> byName;
    for (int i = 0; i < m_entries.size(); ++i) {
        const VelkIFPDevice &old = m_entries.at(i).device;
        if (old.did != 0)
            byId.insert(old.did, i);
        byName.insert(old.deviceName.toLower(), i);
    }

    Diff diff;
    QVector<bool> taken(m_entries.size(), false);
    QList<Entry> next;
    next.reserve(devices.size());
    for (const VelkIFPDevice &device : devices) {
        int match = -1;
        if (device.did != 0)
            match = byId.value(device.did, -1);
        if (match < 0) {
            // A record that was never stored (or an old one without id) is known by its name only.
            const int byNameIndex = byName.value(device.deviceName.toLower(), -1);
            if (byNameIndex >= 0 && (m_entries.at(byNameIndex).device.did == 0 || device.did == 0))
                match = byNameIndex;
        }
        if (match >= 0 && taken.at(match))
            match = -1;

        Entry entry;
        if (match >= 0) {
            taken[match] = true;
            entry = m_entries.at(match);
            if (!sameRecord(entry.device, device))
                diff.changed.append(entry.key);
            entry.device = device;
        } else {
            entry.key = nextKey();
            entry.device = device;
            entry.visible = !m_filtered || m_filterIds.contains(device.did);
            diff.added.append(entry.key);
        }
        next.append(entry);
    }
    for (int i = 0; i < m_entries.size(); ++i) {
        if (!taken.at(i))
            diff.removed.append(m_entries.at(i).key);
    }
    m_entries = next;
    m_keyIndex.clear();
    return diff;
}

quint32 DeviceControlModel::insertDevice(const VelkIFPDevice &device)
{
    const quint32 existing = keyOf(device);
    if (existing != 0) {
        find(existing)->device = device;
        return existing;
    }
    Entry entry;
    entry.key = nextKey();
    entry.device = device;
    entry.visible = !m_filtered || m_filterIds.contains(device.did);
    m_entries.append(entry);
    m_keyIndex.clear();
    return entry.key;
}

quint32 DeviceControlModel::updateDevice(const VelkIFPDevice &device, const QString &lastDeviceName)
{
    for (Entry &entry : m_entries) {
        if (entry.device.deviceName.compare(lastDeviceName, Qt::CaseInsensitive) == 0 ||
            (device.did != 0 && entry.device.did == device.did)) {
            entry.device = device;
            return entry.key;
        }
    }
    return 0;
}

quint32 DeviceControlModel::removeDevice(const VelkIFPDevice &device)
{
    const quint32 key = keyOf(device);
    const int index = indexOfKey(key);
    if (index < 0)
        return 0;
    m_entries.removeAt(index);
    m_keyIndex.clear();
    return key;
}

quint32 DeviceControlModel::replaceRecord(const VelkIFPDevice &device)
{
    if (device.did == 0)
        return 0;
    for (Entry &entry : m_entries) {
        if (entry.device.did == device.did) {
            entry.device = device;
            return entry.key;
        }
    }
    return 0;
}

bool DeviceControlModel::setKicked(quint32 key, bool kicked)
{
    Entry *entry = find(key);
    if (!entry || entry->device.isKicked == kicked)
        return false;
    entry->device.isKicked = kicked;
    return true;
}

QList<quint32> DeviceControlModel::refreshLinks(const LinkLookup &lookup, const DeviceLinkLookup &byDevice)
{
    QList<quint32> changed;
    for (Entry &entry : m_entries) {
        Link link = LinkOffline;
        if (hasOwnMac(entry.device))
            link = lookup(entry.device.macAddress);
        else if (byDevice && entry.device.did != 0)
            link = byDevice(entry.device.did);
        if (link == entry.link)
            continue;
        const State before = entry.state();
        entry.link = link;
        if (entry.state() != before)
            changed.append(entry.key);
    }
    return changed;
}

QList<quint32> DeviceControlModel::showAll()
{
    m_filtered = false;
    m_filterIds.clear();
    QList<quint32> changed;
    for (Entry &entry : m_entries) {
        if (!entry.visible) {
            entry.visible = true;
            changed.append(entry.key);
        }
    }
    return changed;
}

QList<quint32> DeviceControlModel::showOnly(const QSet<quint32> &deviceIds)
{
    m_filtered = true;
    m_filterIds = deviceIds;
    QList<quint32> changed;
    for (Entry &entry : m_entries) {
        const bool visible = deviceIds.contains(entry.device.did);
        if (visible != entry.visible) {
            entry.visible = visible;
            changed.append(entry.key);
        }
    }
    return changed;
}

const DeviceControlModel::Entry *DeviceControlModel::entry(quint32 key) const
{
    const int index = indexOfKey(key);
    return index < 0 ? nullptr : &m_entries.at(index);
}

quint32 DeviceControlModel::keyOf(const VelkIFPDevice &device) const
{
    if (device.did != 0) {
        for (const Entry &entry : m_entries) {
            if (entry.device.did == device.did)
                return entry.key;
        }
    }
    if (device.deviceName.isEmpty())
        return 0;
    for (const Entry &entry : m_entries) {
        if (entry.device.deviceName.compare(device.deviceName, Qt::CaseInsensitive) == 0)
            return entry.key;
    }
    return 0;
}

quint32 DeviceControlModel::keyOfMac(const QString &mac) const
{
    if (mac.isEmpty())
        return 0;
    // The command server reports the normal form; a stored MAC may be upper case or use dashes.
    const QString wanted = PanelIdentity::normaliseMac(mac);
    for (const Entry &entry : m_entries) {
        if (entry.device.macAddress == mac ||
            (!wanted.isEmpty() && PanelIdentity::normaliseMac(entry.device.macAddress) == wanted))
            return entry.key;
    }
    return 0;
}

QList<VelkIFPDevice> DeviceControlModel::devices() const
{
    QList<VelkIFPDevice> out;
    out.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        out.append(entry.device);
    return out;
}

QList<VelkIFPDevice> DeviceControlModel::chosenWhere(const QList<quint32> &chosen,
                                                     const std::function<bool(const Entry &)> &keep) const
{
    const QSet<quint32> wanted(chosen.begin(), chosen.end());
    QList<VelkIFPDevice> out;
    for (const Entry &entry : m_entries) {
        if (entry.visible && wanted.contains(entry.key) && keep(entry))
            out.append(entry.device);
    }
    return out;
}

QList<VelkIFPDevice> DeviceControlModel::powerOnTargets(const QList<quint32> &chosen, const WakeCheck &canWake) const
{
    return chosenWhere(chosen, [&](const Entry &entry) { return entry.link == LinkOffline && canWake(entry.device); });
}

QList<VelkIFPDevice> DeviceControlModel::unwakeable(const QList<quint32> &chosen, const WakeCheck &canWake) const
{
    return chosenWhere(chosen, [&](const Entry &entry) { return entry.link == LinkOffline && !canWake(entry.device); });
}

QList<VelkIFPDevice> DeviceControlModel::connectedTargets(const QList<quint32> &chosen) const
{
    return chosenWhere(chosen, [](const Entry &entry) { return entry.link == LinkConnected; });
}

QList<VelkIFPDevice> DeviceControlModel::connectedDevices() const
{
    QList<VelkIFPDevice> out;
    for (const Entry &entry : m_entries) {
        if (entry.link == LinkConnected)
            out.append(entry.device);
    }
    return out;
}

DeviceControlModel::Counts DeviceControlModel::visibleCounts() const
{
    Counts counts;
    for (const Entry &entry : m_entries) {
        if (!entry.visible)
            continue;
        ++counts.total;
        switch (entry.state()) {
        case Online:
            ++counts.online;
            break;
        case Locked:
            ++counts.locked;
            break;
        case Kicked:
            ++counts.kicked;
            break;
        case Offline:
            ++counts.offline;
            break;
        }
    }
    return counts;
}

int DeviceControlModel::visibleCount() const
{
    int count = 0;
    for (const Entry &entry : m_entries)
        count += entry.visible ? 1 : 0;
    return count;
}

int DeviceControlModel::indexOfKey(quint32 key) const
{
    if (key == 0)
        return -1;
    // The page looks up every key of a reload's changes: a walk of the list for each added six seconds to a log-in
    // with 100,000 devices.
    if (m_keyIndex.isEmpty()) {
        m_keyIndex.reserve(m_entries.size());
        for (int i = 0; i < m_entries.size(); ++i)
            m_keyIndex.insert(m_entries.at(i).key, i);
    }
    return m_keyIndex.value(key, -1);
}

DeviceControlModel::Entry *DeviceControlModel::find(quint32 key)
{
    const int index = indexOfKey(key);
    return index < 0 ? nullptr : &m_entries[index];
}
