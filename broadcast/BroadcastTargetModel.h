#pragma once

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "shell/base/SortArrows.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

/// The targets a broadcast can be aimed at, apart from the editor's tables: the devices that can take a broadcast
/// (each with its online flag in isOnline and its group names in extraText), the groups that hold at least one of
/// them (their device count in extraValue), the rows each table shows after search and filter, in sort order, and
/// which rows are checked, by name, so a checked row stays checked however the table is rebuilt.
class BroadcastTargetModel
{
public:
    enum DeviceColumn
    {
        Power,
        Device,
        DeviceGroup,
        DeviceColumns
    };
    enum GroupColumn
    {
        Group,
        DeviceCount,
        GroupColumns
    };

    BroadcastTargetModel() = default;

    /// Rebuilds everything from the capable devices; online() and groupsOf() are asked once per device. Nothing is
    /// checked afterwards; both tables in their default order (device name, group name).
    void setDevices(const QList<VelkIFPDevice> &supported, const std::function<bool(const VelkIFPDevice &)> &online,
                    const std::function<QList<VelkGroups>(const VelkIFPDevice &)> &groupsOf);

    const QList<VelkIFPDevice> &devices() const { return m_devices; }
    const QList<VelkGroups> &groups() const { return m_groups; }
    /// Indexes into devices() / groups() of the rows shown, in row order.
    const QList<int> &shownDevices() const { return m_shownDevices; }
    const QList<int> &shownGroups() const { return m_shownGroups; }

    /// Keeps the devices whose name, group names or stored type (as ticked) hold the text, ignoring case.
    void filterDevices(const QString &text, bool byName, bool byGroups, bool byType);
    /// Keeps the groups whose name or device count in decimal (as ticked) hold the text, ignoring case.
    void filterGroups(const QString &text, bool byName, bool byCount);

    const SortArrows &deviceArrows() const { return m_deviceArrows; }
    const SortArrows &groupArrows() const { return m_groupArrows; }
    void clickDeviceColumn(DeviceColumn column);
    void clickGroupColumn(GroupColumn column);

    // Checked rows, by name.
    bool isDeviceChecked(int device) const { return m_checkedDevices.contains(m_devices.at(device).deviceName); }
    bool isGroupChecked(int group) const { return m_checkedGroups.contains(m_groups.at(group).groupName); }
    void setDeviceChecked(int device, bool checked);
    void setGroupChecked(int group, bool checked);
    /// Checked devices / groups in row order of the shown table.
    QList<VelkIFPDevice> checkedDevices() const;
    QList<VelkGroups> checkedGroups() const;
    /// Distinct devices of the checked groups.
    QList<int> devicesOfCheckedGroups() const;

    /// Whether the devices checked on a page (groups: their devices) include a "Control Box" / an "Audio Box".
    void kindsOf(bool groupPage, bool *controlBox, bool *audioBox) const;
    /// How many of the devices checked on a page (groups: their devices) canWake() refuses (the caller's rule: the
    /// command server's, with devices that need no waking let through).
    int unwakeableCount(bool groupPage, const std::function<bool(const VelkIFPDevice &)> &canWake) const;

    /// "N device(s) in total"; "N group(s) in total (M device(s))", empty without groups.
    QString deviceTotalText() const;
    QString groupTotalText() const;
    /// "N device(s) selected"; "N group(s) selected (M device(s))".
    QString selectionText(bool groupPage) const;

private:
    /// Indexes into devices() of those checked on a page (groups: the distinct devices of the checked groups).
    QList<int> chosenDevices(bool groupPage) const;
    void sortDevices(DeviceColumn column, bool ascending);
    void sortGroups(GroupColumn column, bool ascending);

    QList<VelkIFPDevice> m_devices;
    QList<VelkGroups> m_groups;
    QHash<QString, QList<int>> m_groupDevices;
    QList<int> m_shownDevices;
    QList<int> m_shownGroups;
    QSet<QString> m_checkedDevices;
    QSet<QString> m_checkedGroups;
    SortArrows m_deviceArrows{DeviceColumns, Device};
    SortArrows m_groupArrows{GroupColumns, Group};
};
