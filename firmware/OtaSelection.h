#pragma once

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkOtaSchedule.h"
#include "shell/base/SortArrows.h"

#include <QList>
#include <QMultiHash>
#include <QSet>
#include <QString>

#include <functional>

class OrvantaDBIntf;

/// What the OTA schedule page offers to choose, free of widgets: the out-of-date devices one row each ("By
/// Device"), the groups that hold them one row each ("By Group"), each view's search filter, sort and check marks,
/// and the summary lines.
///
/// Rows are kept by value and named by their index in the shown order; check marks stay with the record, not the
/// row, so a sort keeps them. Nothing outside holds a pointer into the rows, so a reload leaves none dangling.
class OtaSelection
{
public:
    enum View
    {
        DeviceView = 0,
        GroupView = 1
    };
    enum DeviceColumn
    {
        PowerColumn = 0,
        DeviceNameColumn,
        ModelColumn,
        GroupsColumn,
        VersionColumn,
        DeviceColumnCount
    };
    enum GroupColumn
    {
        GroupNameColumn = 0,
        DeviceCountColumn,
        GroupColumnCount
    };
    /// The fields a search looks in, as flags: the first four for the device view, the last two for the group view.
    enum Field
    {
        FieldDeviceName = 0x01,
        FieldModel = 0x02,
        FieldGroups = 0x04,
        FieldFwVersion = 0x08,
        FieldGroupName = 0x10,
        FieldDeviceCount = 0x20,
        AllFields = 0x3f
    };

    using OnlineTest = std::function<bool(const VelkIFPDevice &)>;

    OtaSelection();

    /// Rebuilds both views from the update manager's out-of-date devices, in its order. Each device gets its online
    /// flag (isOnline) and the names of its groups joined by ", " (extraText); each group that holds one of them
    /// becomes one row, with the number of those devices it holds (extraValue). No filter, no check mark, both views
    /// sorted by name ascending.
    void load(const QList<VelkIFPDevice> &oldDevices, OrvantaDBIntf *db, const OnlineTest &isOnline);

    int rowCount(View view) const;
    const VelkIFPDevice &device(int row) const;
    const VelkGroups &group(int row) const;
    /// All out-of-date devices, whatever the filter.
    int deviceCount() const { return m_devices.size(); }

    bool isChecked(View view, int row) const;
    void setChecked(View view, int row, bool checked);
    void setAllChecked(View view, bool checked);
    int checkedCount(View view) const;
    /// True when the view has rows and every one is checked.
    bool allChecked(View view) const;
    /// Checks the rows that `schedule` names (its devices by name for target 2, its groups by name for target 3)
    /// and returns the view that shows them; any other target checks nothing and gives the device view.
    View checkTargets(const VelkOtaSchedule &schedule);

    /// Keeps the view's rows in which one of the chosen fields contains `text` (names, models and groups ignore
    /// letter case, versions and counts do not; an empty text is in every field, no field keeps nothing), sorted as
    /// before. The view's check marks are cleared.
    void applyFilter(View view, const QString &text, int fields);
    /// A header click (the shared arrow rule); check marks stay.
    void clickHeader(View view, int column);
    /// Device and group name ascending in both views.
    void resetSorting();
    const SortArrows &indicators(View view) const;

    /// "n devices in total need to be updated".
    QString deviceTotalText() const;
    /// "g groups in total (d devices) need to be updated" over the group rows shown, a device in two groups counted
    /// once; empty when no group row is shown.
    QString groupTotalText() const;
    /// "c devices selected" or "c groups selected (d devices)".
    QString selectionText(View view) const;

    /// Sets the schedule's target and its device or group list from the checked rows of the view, in row order
    /// (target 2 with copies of the device records, target 3 with copies of the group records); the other list is
    /// emptied.
    void fillTargets(View view, VelkOtaSchedule &schedule) const;

private:
    bool deviceBefore(int a, int b, int column) const;
    bool groupBefore(int a, int b, int column) const;
    void sortView(View view);
    int distinctDevices(const QList<int> &groupIndexes) const;
    const QList<int> &shown(View view) const { return view == DeviceView ? m_shownDevices : m_shownGroups; }

    QList<VelkIFPDevice> m_devices;
    QList<int> m_shownDevices;
    QList<VelkGroups> m_groups;
    QList<int> m_shownGroups;
    QMultiHash<quint32, int> m_groupDevices; ///< gid -> index in m_devices
    QSet<int> m_checkedDevices;              ///< indexes in m_devices
    QSet<int> m_checkedGroups;               ///< indexes in m_groups
    SortArrows m_deviceSort;
    SortArrows m_groupSort;
};
