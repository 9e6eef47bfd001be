#include "devices/DeviceTableModel.h"

#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "shell/base/BoundedText.h"
#include "shell/kit/UiHelpers.h"

DeviceTableModel::DeviceTableModel(OrvantaDBIntf *db, QObject *parent) : QAbstractTableModel(parent), m_db(db)
{
}

void DeviceTableModel::setDevices(const QList<VelkIFPDevice> &devices)
{
    QVector<Entry> entries(devices.size());
    for (int i = 0; i < devices.size(); ++i)
        entries[i].device = devices.at(i);
    m_entries.swap(entries);
    refilter();
}

const DeviceTableModel::Entry &DeviceTableModel::readGroups(int entryIndex) const
{
    Entry &entry = m_entries[entryIndex];
    if (!entry.groupsRead) {
        entry.groupsRead = true;
        QList<VelkGroups> groups;
        if (m_db)
            m_db->queryGroupsByIFP(entry.device, groups);
        for (const VelkGroups &group : qAsConst(groups))
            entry.groups.append(group.groupName);
        entry.groupText = entry.groups.join(QStringLiteral(", "));
    }
    return entry;
}

void DeviceTableModel::setPageMode(int mode)
{
    m_pageMode = mode == 1 ? 1 : 0;
    refilter();
}

void DeviceTableModel::setSearchText(const QString &text)
{
    m_search = text;
    refilter();
}

void DeviceTableModel::setGroupFilter(const QString &groupName, const QSet<QString> &members)
{
    m_groupFilter = groupName;
    m_groupMembers = groupName.isEmpty() ? QSet<QString>() : members;
    refilter();
}

bool DeviceTableModel::passes(const Entry &entry) const
{
    if (!m_groupFilter.isEmpty() && !m_groupMembers.contains(DeviceRules::key(entry.device.deviceName)))
        return false;
    if (m_search.isEmpty())
        return true;
    const VelkIFPDevice &device = entry.device;
    return device.deviceName.contains(m_search, Qt::CaseInsensitive) ||
           device.ipAddress.contains(m_search, Qt::CaseInsensitive) ||
           device.macAddress.contains(m_search, Qt::CaseInsensitive) ||
           device.position.contains(m_search, Qt::CaseInsensitive);
}

void DeviceTableModel::refilter()
{
    beginResetModel();
    m_shown.clear();
    m_pageDeviceCount = 0;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (!DeviceRules::belongsToPageMode(m_entries.at(i).device.deviceType, m_pageMode))
            continue;
        ++m_pageDeviceCount;
        if (passes(m_entries.at(i)))
            m_shown.append(i);
    }
    endResetModel();
}

VelkIFPDevice DeviceTableModel::deviceAt(int row) const
{
    if (row < 0 || row >= m_shown.size())
        return VelkIFPDevice();
    return m_entries.at(m_shown.at(row)).device;
}

QStringList DeviceTableModel::groupsAt(int row) const
{
    if (row < 0 || row >= m_shown.size())
        return QStringList();
    return readGroups(m_shown.at(row)).groups;
}

int DeviceTableModel::rowOfName(const QString &deviceName) const
{
    for (int row = 0; row < m_shown.size(); ++row) {
        if (DeviceRules::sameKey(m_entries.at(m_shown.at(row)).device.deviceName, deviceName))
            return row;
    }
    return -1;
}

int DeviceTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown.size();
}

int DeviceTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeviceTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size())
        return QVariant();
    const Entry &entry = m_entries.at(m_shown.at(index.row()));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    QString text;
    switch (index.column()) {
    case NameColumn:
        text = entry.device.deviceName;
        break;
    case IpColumn:
        text = entry.device.ipAddress;
        break;
    case MacColumn:
        text = DeviceRules::macCellText(entry.device.macAddress);
        break;
    case GroupsColumn:
        text = readGroups(m_shown.at(index.row())).groupText;
        break;
    case LocationColumn:
        text = entry.device.position;
        break;
    case CameraColumn:
        text = entry.device.ptzCamera;
        break;
    default:
        return QVariant();
    }
    // A tool tip that looks like markup is rendered as such; names and locations are shown as typed.
    return role == Qt::ToolTipRole ? plainToolTip(text) : BoundedText::shown(text);
}

QVariant DeviceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return tr("Device Name");
    case IpColumn:
        return tr("IP Address");
    case MacColumn:
        return tr("MAC Address");
    case GroupsColumn:
        return tr("Groups");
    case LocationColumn:
        return tr("Location");
    case CameraColumn:
        return tr("PTZ Camera");
    default:
        return QString();
    }
}
