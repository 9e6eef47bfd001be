#include "firmware/OtaSelection.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

QString devicesText(int n)
{
    return n > 1 ? QCoreApplication::translate("OtaScheduleSetting", "%1 devices").arg(n)
                 : QCoreApplication::translate("OtaScheduleSetting", "%1 device").arg(n);
}

QString groupsText(int n)
{
    return n > 1 ? QCoreApplication::translate("OtaScheduleSetting", "%1 groups").arg(n)
                 : QCoreApplication::translate("OtaScheduleSetting", "%1 group").arg(n);
}
} // namespace

OtaSelection::OtaSelection()
    : m_deviceSort(DeviceColumnCount, DeviceNameColumn), m_groupSort(GroupColumnCount, GroupNameColumn)
{
    resetSorting();
}

void OtaSelection::load(const QList<VelkIFPDevice> &oldDevices, OrvantaDBIntf *db, const OnlineTest &isOnline)
{
    m_devices = oldDevices;
    m_groups.clear();
    m_groupDevices.clear();
    m_checkedDevices.clear();
    m_checkedGroups.clear();
    for (int i = 0; i < m_devices.size(); ++i) {
        VelkIFPDevice &device = m_devices[i];
        device.isOnline = isOnline && isOnline(device);
        QList<VelkGroups> groups;
        if (db->queryGroupsByIFP(device, groups) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "prepareShowedDevice, queryGroupsByIFP error");
        QStringList names;
        for (const VelkGroups &group : qAsConst(groups)) {
            names.append(group.groupName);
            if (!m_groupDevices.contains(group.gid))
                m_groups.append(group);
            m_groupDevices.insert(group.gid, i);
        }
        device.extraText = names.join(QStringLiteral(", "));
    }
    for (VelkGroups &group : m_groups)
        group.extraValue = m_groupDevices.count(group.gid);
    applyFilter(DeviceView, QString(), AllFields);
    applyFilter(GroupView, QString(), AllFields);
    resetSorting();
}

int OtaSelection::rowCount(View view) const
{
    return shown(view).size();
}

const VelkIFPDevice &OtaSelection::device(int row) const
{
    return m_devices.at(m_shownDevices.at(row));
}

const VelkGroups &OtaSelection::group(int row) const
{
    return m_groups.at(m_shownGroups.at(row));
}

bool OtaSelection::isChecked(View view, int row) const
{
    const int index = shown(view).value(row, -1);
    return view == DeviceView ? m_checkedDevices.contains(index) : m_checkedGroups.contains(index);
}

void OtaSelection::setChecked(View view, int row, bool checked)
{
    const int index = shown(view).value(row, -1);
    if (index < 0)
        return;
    QSet<int> &marks = view == DeviceView ? m_checkedDevices : m_checkedGroups;
    if (checked)
        marks.insert(index);
    else
        marks.remove(index);
}

void OtaSelection::setAllChecked(View view, bool checked)
{
    for (int row = 0; row < rowCount(view); ++row)
        setChecked(view, row, checked);
}

int OtaSelection::checkedCount(View view) const
{
    return view == DeviceView ? m_checkedDevices.size() : m_checkedGroups.size();
}

bool OtaSelection::allChecked(View view) const
{
    return rowCount(view) > 0 && checkedCount(view) == rowCount(view);
}

OtaSelection::View OtaSelection::checkTargets(const VelkOtaSchedule &schedule)
{
    m_checkedDevices.clear();
    m_checkedGroups.clear();
    if (schedule.scheduleTarget == 2) {
        for (const VelkIFPDevice &wanted : schedule.devices) {
            for (int row = 0; row < rowCount(DeviceView); ++row) {
                if (device(row).deviceName == wanted.deviceName) {
                    setChecked(DeviceView, row, true);
                    break;
                }
            }
        }
        return DeviceView;
    }
    if (schedule.scheduleTarget == 3) {
        for (const VelkGroups &wanted : schedule.groups) {
            for (int row = 0; row < rowCount(GroupView); ++row) {
                if (group(row).groupName == wanted.groupName) {
                    setChecked(GroupView, row, true);
                    break;
                }
            }
        }
        return GroupView;
    }
    return DeviceView;
}

void OtaSelection::applyFilter(View view, const QString &text, int fields)
{
    const auto has = [&text](const QString &field, Qt::CaseSensitivity cs) { return field.contains(text, cs); };
    if (view == DeviceView) {
        m_shownDevices.clear();
        m_checkedDevices.clear();
        for (int i = 0; i < m_devices.size(); ++i) {
            const VelkIFPDevice &d = m_devices.at(i);
            if (((fields & FieldDeviceName) && has(d.deviceName, Qt::CaseInsensitive)) ||
                ((fields & FieldModel) && has(d.modelName, Qt::CaseInsensitive)) ||
                ((fields & FieldGroups) && has(d.extraText, Qt::CaseInsensitive)) ||
                ((fields & FieldFwVersion) && has(d.fwVersion, Qt::CaseSensitive)))
                m_shownDevices.append(i);
        }
    } else {
        m_shownGroups.clear();
        m_checkedGroups.clear();
        for (int i = 0; i < m_groups.size(); ++i) {
            const VelkGroups &g = m_groups.at(i);
            if (((fields & FieldGroupName) && has(g.groupName, Qt::CaseInsensitive)) ||
                ((fields & FieldDeviceCount) && has(QString::number(g.extraValue), Qt::CaseSensitive)))
                m_shownGroups.append(i);
        }
    }
    sortView(view);
}

const SortArrows &OtaSelection::indicators(View view) const
{
    return view == DeviceView ? m_deviceSort : m_groupSort;
}

void OtaSelection::clickHeader(View view, int column)
{
    (view == DeviceView ? m_deviceSort : m_groupSort).click(column);
    sortView(view);
}

void OtaSelection::resetSorting()
{
    m_deviceSort.reset(DeviceNameColumn);
    m_groupSort.reset(GroupNameColumn);
    sortView(DeviceView);
    sortView(GroupView);
}

// The state-0 order of each column; state 1 is its exact reverse. Names are unique, so every order is total; the
// index settles what a damaged list might still hold twice.
bool OtaSelection::deviceBefore(int a, int b, int column) const
{
    const VelkIFPDevice &x = m_devices.at(a);
    const VelkIFPDevice &y = m_devices.at(b);
    switch (column) {
    case PowerColumn:
        if (x.isOnline != y.isOnline)
            return x.isOnline;
        break;
    case ModelColumn:
        if (x.modelName != y.modelName)
            return y.modelName < x.modelName;
        break;
    case GroupsColumn:
        if (x.extraText != y.extraText)
            return x.extraText < y.extraText;
        break;
    case VersionColumn:
        if (x.fwVersion != y.fwVersion)
            return x.fwVersion < y.fwVersion;
        break;
    default:
        break;
    }
    if (x.deviceName != y.deviceName)
        return x.deviceName < y.deviceName;
    return a < b;
}

bool OtaSelection::groupBefore(int a, int b, int column) const
{
    const VelkGroups &x = m_groups.at(a);
    const VelkGroups &y = m_groups.at(b);
    if (column == DeviceCountColumn && x.extraValue != y.extraValue)
        return x.extraValue < y.extraValue;
    if (x.groupName != y.groupName)
        return x.groupName < y.groupName;
    return a < b;
}

void OtaSelection::sortView(View view)
{
    if (view == DeviceView)
        m_deviceSort.sortRows(m_shownDevices, [this](int a, int b, int column) { return deviceBefore(a, b, column); });
    else
        m_groupSort.sortRows(m_shownGroups, [this](int a, int b, int column) { return groupBefore(a, b, column); });
}

int OtaSelection::distinctDevices(const QList<int> &groupIndexes) const
{
    QSet<int> devices;
    for (int index : groupIndexes) {
        const QList<int> members = m_groupDevices.values(m_groups.at(index).gid);
        for (int member : members)
            devices.insert(member);
    }
    return devices.size();
}

QString OtaSelection::deviceTotalText() const
{
    return QCoreApplication::translate("OtaScheduleSetting", "%1 in total need to be updated")
        .arg(devicesText(m_devices.size()));
}

QString OtaSelection::groupTotalText() const
{
    if (m_shownGroups.isEmpty())
        return QString();
    return QCoreApplication::translate("OtaScheduleSetting", "%1 in total (%2) need to be updated")
        .arg(groupsText(m_shownGroups.size()), devicesText(distinctDevices(m_shownGroups)));
}

QString OtaSelection::selectionText(View view) const
{
    if (view == DeviceView)
        return QCoreApplication::translate("OtaScheduleSetting", "%1 selected")
            .arg(devicesText(m_checkedDevices.size()));
    return QCoreApplication::translate("OtaScheduleSetting", "%1 selected (%2)")
        .arg(groupsText(m_checkedGroups.size()), devicesText(distinctDevices(m_checkedGroups.values())));
}

void OtaSelection::fillTargets(View view, VelkOtaSchedule &schedule) const
{
    schedule.devices.clear();
    schedule.groups.clear();
    schedule.scheduleTarget = view == DeviceView ? 2 : 3;
    for (int row = 0; row < rowCount(view); ++row) {
        if (!isChecked(view, row))
            continue;
        if (view == DeviceView)
            schedule.devices.append(device(row));
        else
            schedule.groups.append(group(row));
    }
}
