#pragma once

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

class OrvantaDBIntf;

/// The rows of the Devices tab: the devices of the page mode that pass the search text and the
/// group filter, in the database's name order. Every device is kept; filtering only changes
/// which are shown.
///
/// A device's groups are read from the database when its row is first shown (or asked for):
/// reading every membership of thousands of devices up front would cost more than the device
/// list itself, while only a screenful of rows is ever on display.
class DeviceTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        IpColumn,
        MacColumn,
        GroupsColumn,
        LocationColumn,
        CameraColumn,
        ActionsColumn
    };
    static constexpr int ColumnCount = ActionsColumn + 1;

    explicit DeviceTableModel(OrvantaDBIntf *db, QObject *parent = nullptr);

    /// Takes every device; the groups of each are read again when next needed.
    void setDevices(const QList<VelkIFPDevice> &devices);
    /// 1 audio boxes, anything else panels and control boxes.
    void setPageMode(int mode);
    /// Case-insensitive substring over name, IP address, MAC address and location.
    void setSearchText(const QString &text);
    /// Only the members of groupName (their case-folded names in members); empty for every device.
    void setGroupFilter(const QString &groupName, const QSet<QString> &members = QSet<QString>());

    int pageMode() const { return m_pageMode; }
    QString searchText() const { return m_search; }
    QString groupFilter() const { return m_groupFilter; }
    /// Devices of the page mode, whatever the search and filter.
    int pageDeviceCount() const { return m_pageDeviceCount; }

    /// The device shown in row (an empty record outside the rows).
    VelkIFPDevice deviceAt(int row) const;
    QStringList groupsAt(int row) const;
    int rowOfName(const QString &deviceName) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Entry
    {
        VelkIFPDevice device;
        bool groupsRead = false;
        QStringList groups;
        QString groupText; ///< groups joined for the cell
    };

    void refilter();
    bool passes(const Entry &entry) const;
    const Entry &readGroups(int entryIndex) const;

    OrvantaDBIntf *m_db;
    mutable QVector<Entry> m_entries;
    QVector<int> m_shown;
    int m_pageMode = 0;
    int m_pageDeviceCount = 0;
    QString m_search;
    QString m_groupFilter;
    QSet<QString> m_groupMembers;
};
