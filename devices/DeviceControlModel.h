#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <functional>

#include "datastore/VelkIFPDevice.h"

/// What the Device Control page knows of the managed devices, kept apart from its widgets: every device's record,
/// the state it is shown in, whether the group filter lets it through, and which devices a power command reaches.
///
/// Each device gets a key of its own that stays with it across renames and reloads (records are matched by their
/// database id, or by name for a record that was never stored), so the page can keep one list item per key.
class DeviceControlModel
{
public:
    /// How a device is shown. A kick mark outranks the connection: it stays until the operator clears it.
    enum State
    {
        Offline,
        Online,
        Locked,
        Kicked
    };
    /// The device's connection as the command server sees it.
    enum Link
    {
        LinkOffline,
        LinkConnected,
        LinkLocked
    };
    using LinkLookup = std::function<Link(const QString &mac)>;
    /// The same by the database id, for a device without a MAC of its own (entered by address, or holding a MAC no
    /// network card can have): the command server knows its panel by the device its address matched.
    using DeviceLinkLookup = std::function<Link(quint32 did)>;
    /// Whether Wake-on-LAN can reach a device: the command server's CmdServer::canWake().
    using WakeCheck = std::function<bool(const VelkIFPDevice &device)>;

    struct Entry
    {
        quint32 key = 0;
        VelkIFPDevice device;
        Link link = LinkOffline;
        bool visible = true;

        State state() const;
    };

    /// What a reload changed, by key.
    struct Diff
    {
        QList<quint32> added;
        QList<quint32> changed;
        QList<quint32> removed;

        bool isEmpty() const { return added.isEmpty() && changed.isEmpty() && removed.isEmpty(); }
    };

    struct Counts
    {
        int total = 0;
        int online = 0;
        int locked = 0;
        int kicked = 0;
        int offline = 0;
    };

    /// True when the stored fields and the kick mark agree: what the page shows or hands on.
    static bool sameRecord(const VelkIFPDevice &a, const VelkIFPDevice &b);

    /// Replaces the devices with the store's list, in its order. New devices are visible unless a group filter is
    /// active; they pass it once the filter is applied again.
    Diff setDevices(const QList<VelkIFPDevice> &devices);

    // Single edits, for when the store cannot be read back and the page must still follow what it was told.
    quint32 insertDevice(const VelkIFPDevice &device);
    /// The device whose name was lastDeviceName (letter case ignored) takes the new record; 0 when none.
    quint32 updateDevice(const VelkIFPDevice &device, const QString &lastDeviceName);
    /// Removes the device with that id, or else that name; its key, or 0 when none.
    quint32 removeDevice(const VelkIFPDevice &device);

    /// Replaces the record of the device with the same database id (the command server refreshes a record when
    /// its panel connects); the key, or 0 when no device has that id.
    quint32 replaceRecord(const VelkIFPDevice &device);
    /// Sets the kick mark; true when it changed.
    bool setKicked(quint32 key, bool kicked);

    /// Asks the lookups for every device's connection: `lookup` by its MAC, `byDevice` (when given) by its id for a
    /// device without a MAC of its own; the keys whose shown state changed.
    QList<quint32> refreshLinks(const LinkLookup &lookup, const DeviceLinkLookup &byDevice = DeviceLinkLookup());

    /// Every device visible; the keys whose visibility changed.
    QList<quint32> showAll();
    /// Only the devices with these database ids visible; the keys whose visibility changed.
    QList<quint32> showOnly(const QSet<quint32> &deviceIds);
    bool isFiltered() const { return m_filtered; }

    int size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    QList<Entry> entries() const { return m_entries; }
    const Entry *entry(quint32 key) const;
    /// The key of the device with that database id, or of the one with that name (letter case ignored); 0 when none.
    quint32 keyOf(const VelkIFPDevice &device) const;
    /// The key of the device with that MAC address; 0 when none.
    quint32 keyOfMac(const QString &mac) const;
    QList<VelkIFPDevice> devices() const;

    /// The chosen devices that are visible, have no connection and that canWake() lets through: those a power-on wakes.
    QList<VelkIFPDevice> powerOnTargets(const QList<quint32> &chosen, const WakeCheck &canWake) const;
    /// The chosen devices that are visible and have no connection, which canWake() refuses: Wake-on-LAN, which goes
    /// by MAC, cannot wake them.
    QList<VelkIFPDevice> unwakeable(const QList<quint32> &chosen, const WakeCheck &canWake) const;
    /// The chosen devices that are visible and connected: those a power-off or a reboot reaches, over the connection
    /// (a device without a MAC of its own by the panel its address matched).
    QList<VelkIFPDevice> connectedTargets(const QList<quint32> &chosen) const;
    /// Every connected device, whether the filter shows it or not, with a MAC of its own or not.
    QList<VelkIFPDevice> connectedDevices() const;

    /// The visible devices by shown state.
    Counts visibleCounts() const;
    int visibleCount() const;

private:
    /// The chosen devices that are visible and that keep() lets through, in list order.
    QList<VelkIFPDevice> chosenWhere(const QList<quint32> &chosen,
                                     const std::function<bool(const Entry &)> &keep) const;
    int indexOfKey(quint32 key) const;
    Entry *find(quint32 key);
    quint32 nextKey() { return ++m_lastKey; }

    QList<Entry> m_entries;
    /// Where each key stands in m_entries; emptied whenever entries come, go or move, and built again when next
    /// asked for.
    mutable QHash<quint32, int> m_keyIndex;
    QSet<quint32> m_filterIds;
    bool m_filtered = false;
    quint32 m_lastKey = 0;
};
