#include "broadcast/BroadcastTargetModel.h"

#include <QCoreApplication>

#include <algorithm>

void BroadcastTargetModel::setDevices(const QList<VelkIFPDevice> &supported,
                                      const std::function<bool(const VelkIFPDevice &)> &online,
                                      const std::function<QList<VelkGroups>(const VelkIFPDevice &)> &groupsOf)
{
    m_devices = supported;
    m_groups.clear();
    m_groupDevices.clear();
    QHash<quint32, int> groupByGid;
    for (int i = 0; i < m_devices.size(); ++i) {
        VelkIFPDevice &device = m_devices[i];
        device.isOnline = online(device);
        const QList<VelkGroups> groups = groupsOf(device);
        QStringList names;
        for (const VelkGroups &group : groups) {
            names.append(group.groupName);
            m_groupDevices[group.groupName].append(i);
            if (!groupByGid.contains(group.gid)) {
                groupByGid.insert(group.gid, m_groups.size());
                m_groups.append(group);
            }
        }
        device.extraText = names.join(QStringLiteral(", "));
    }
    for (VelkGroups &group : m_groups)
        group.extraValue = m_groupDevices.value(group.groupName).size();
    m_checkedDevices.clear();
    m_checkedGroups.clear();
    m_shownDevices.clear();
    for (int i = 0; i < m_devices.size(); ++i)
        m_shownDevices.append(i);
    m_shownGroups.clear();
    for (int i = 0; i < m_groups.size(); ++i)
        m_shownGroups.append(i);
    m_deviceArrows.reset(Device);
    m_groupArrows.reset(Group);
    sortDevices(Device, true);
    sortGroups(Group, true);
}

void BroadcastTargetModel::filterDevices(const QString &text, bool byName, bool byGroups, bool byType)
{
    m_shownDevices.clear();
    for (int i = 0; i < m_devices.size(); ++i) {
        const VelkIFPDevice &d = m_devices.at(i);
        if ((byName && d.deviceName.contains(text, Qt::CaseInsensitive)) ||
            (byGroups && d.extraText.contains(text, Qt::CaseInsensitive)) ||
            (byType && d.deviceType.contains(text, Qt::CaseInsensitive)))
            m_shownDevices.append(i);
    }
    bool ascending = true;
    const int column = m_deviceArrows.active(&ascending);
    if (column >= 0)
        sortDevices(DeviceColumn(column), ascending);
}

void BroadcastTargetModel::filterGroups(const QString &text, bool byName, bool byCount)
{
    m_shownGroups.clear();
    for (int i = 0; i < m_groups.size(); ++i) {
        const VelkGroups &g = m_groups.at(i);
        if ((byName && g.groupName.contains(text, Qt::CaseInsensitive)) ||
            (byCount && QString::number(g.extraValue).contains(text, Qt::CaseInsensitive)))
            m_shownGroups.append(i);
    }
    bool ascending = true;
    const int column = m_groupArrows.active(&ascending);
    if (column >= 0)
        sortGroups(GroupColumn(column), ascending);
}

void BroadcastTargetModel::clickDeviceColumn(DeviceColumn column)
{
    sortDevices(column, m_deviceArrows.click(column));
}

void BroadcastTargetModel::clickGroupColumn(GroupColumn column)
{
    sortGroups(column, m_groupArrows.click(column));
}

void BroadcastTargetModel::sortDevices(DeviceColumn column, bool ascending)
{
    // Descending is ascending reversed (ties by name included); names compare by code unit, letter case counting.
    const auto &devices = m_devices;
    std::sort(m_shownDevices.begin(), m_shownDevices.end(), [&devices, column, ascending](int x, int y) {
        const VelkIFPDevice &a = devices.at(ascending ? x : y);
        const VelkIFPDevice &b = devices.at(ascending ? y : x);
        if (column == Power && a.isOnline != b.isOnline)
            return a.isOnline;
        if (column == DeviceGroup && a.extraText != b.extraText)
            return a.extraText < b.extraText;
        return a.deviceName < b.deviceName;
    });
}

void BroadcastTargetModel::sortGroups(GroupColumn column, bool ascending)
{
    const auto &groups = m_groups;
    std::sort(m_shownGroups.begin(), m_shownGroups.end(), [&groups, column, ascending](int x, int y) {
        const VelkGroups &a = groups.at(ascending ? x : y);
        const VelkGroups &b = groups.at(ascending ? y : x);
        if (column == DeviceCount && a.extraValue != b.extraValue)
            return a.extraValue < b.extraValue;
        return a.groupName < b.groupName;
    });
}

void BroadcastTargetModel::setDeviceChecked(int device, bool checked)
{
    if (checked)
        m_checkedDevices.insert(m_devices.at(device).deviceName);
    else
        m_checkedDevices.remove(m_devices.at(device).deviceName);
}

void BroadcastTargetModel::setGroupChecked(int group, bool checked)
{
    if (checked)
        m_checkedGroups.insert(m_groups.at(group).groupName);
    else
        m_checkedGroups.remove(m_groups.at(group).groupName);
}

QList<VelkIFPDevice> BroadcastTargetModel::checkedDevices() const
{
    QList<VelkIFPDevice> result;
    for (int i : m_shownDevices) {
        if (isDeviceChecked(i))
            result.append(m_devices.at(i));
    }
    return result;
}

QList<VelkGroups> BroadcastTargetModel::checkedGroups() const
{
    QList<VelkGroups> result;
    for (int i : m_shownGroups) {
        if (isGroupChecked(i))
            result.append(m_groups.at(i));
    }
    return result;
}

QList<int> BroadcastTargetModel::devicesOfCheckedGroups() const
{
    QList<int> result;
    for (int i : m_shownGroups) {
        if (!isGroupChecked(i))
            continue;
        for (int device : m_groupDevices.value(m_groups.at(i).groupName)) {
            if (!result.contains(device))
                result.append(device);
        }
    }
    return result;
}

QList<int> BroadcastTargetModel::chosenDevices(bool groupPage) const
{
    if (groupPage)
        return devicesOfCheckedGroups();
    QList<int> devices;
    for (int i : m_shownDevices) {
        if (isDeviceChecked(i))
            devices.append(i);
    }
    return devices;
}

void BroadcastTargetModel::kindsOf(bool groupPage, bool *controlBox, bool *audioBox) const
{
    *controlBox = false;
    *audioBox = false;
    const QList<int> devices = chosenDevices(groupPage);
    for (int i : qAsConst(devices)) {
        *controlBox = *controlBox || m_devices.at(i).deviceType == QLatin1String("Control Box");
        *audioBox = *audioBox || m_devices.at(i).deviceType == QLatin1String("Audio Box");
    }
}

int BroadcastTargetModel::unwakeableCount(bool groupPage,
                                          const std::function<bool(const VelkIFPDevice &)> &canWake) const
{
    const QList<int> devices = chosenDevices(groupPage);
    return int(std::count_if(devices.begin(), devices.end(), [&](int i) { return !canWake(m_devices.at(i)); }));
}

namespace {

QString devicesClosing(int n)
{
    return QString::number(n) + (n > 1 ? QCoreApplication::translate("BroadcastSchedule", " devices)")
                                       : QCoreApplication::translate("BroadcastSchedule", " device)"));
}

} // namespace

QString BroadcastTargetModel::deviceTotalText() const
{
    const int n = m_devices.size();
    return QString::number(n) + (n > 1 ? QCoreApplication::translate("BroadcastSchedule", " devices in total")
                                       : QCoreApplication::translate("BroadcastSchedule", " device in total"));
}

QString BroadcastTargetModel::groupTotalText() const
{
    if (m_shownGroups.isEmpty())
        return QString();
    QSet<int> devices;
    for (int i : m_shownGroups) {
        for (int device : m_groupDevices.value(m_groups.at(i).groupName))
            devices.insert(device);
    }
    const int n = m_shownGroups.size();
    return QString::number(n) +
           (n > 1 ? QCoreApplication::translate("BroadcastSchedule", " groups in total (")
                  : QCoreApplication::translate("BroadcastSchedule", " group in total (")) +
           devicesClosing(devices.size());
}

QString BroadcastTargetModel::selectionText(bool groupPage) const
{
    if (!groupPage) {
        const int n = checkedDevices().size();
        return QString::number(n) + (n > 1 ? QCoreApplication::translate("BroadcastSchedule", " devices selected")
                                           : QCoreApplication::translate("BroadcastSchedule", " device selected"));
    }
    const int n = checkedGroups().size();
    return QString::number(n) +
           (n > 1 ? QCoreApplication::translate("BroadcastSchedule", " groups selected (")
                  : QCoreApplication::translate("BroadcastSchedule", " group selected (")) +
           devicesClosing(devicesOfCheckedGroups().size());
}
