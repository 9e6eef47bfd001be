#pragma once

#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkOtaSchedule.h"
#include "datastore/VelkOtaScheduleReport.h"
#include "shell/base/SortArrows.h"

#include <QList>
#include <QString>

class OrvantaDBIntf;

/// The rows of one OTA schedule's report and what the report dialog does with them, free of widgets: which rows
/// there are, which pass the search text, how many of those are in each status, which the status filter shows and
/// in which order.
class OtaReportModel
{
public:
    enum Column
    {
        DeviceColumn = 0,
        ModelColumn,
        GroupColumn,
        FwVersionColumn,
        StatusColumn,
        UpdateDateColumn,
        ColumnCount
    };

    struct Counts
    {
        int all = 0;
        int notStarted = 0;
        int updating = 0;
        int failed = 0;
        int successful = 0;
    };

    OtaReportModel();

    /// Loads the report of `schedule` for a new opening: its stored rows once it has started; before that one "Not
    /// Started" row per chosen device (target 2), or per out-of-date device of its groups, each once at its first
    /// group (target 3). `oldDevices` is the update manager's out-of-date list. The search text and status filter
    /// are cleared and the rows sorted by device name ascending.
    void load(const VelkOtaSchedule &schedule, OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices);
    /// Reloads the rows when `schedule` is the one shown, keeping the search text, status filter and sort; returns
    /// false and changes nothing for another schedule.
    bool refresh(const VelkOtaSchedule &schedule, OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices);

    const VelkOtaSchedule &schedule() const { return m_schedule; }
    /// Every row of the report, whatever the filters.
    int rowCount() const { return m_rows.size(); }

    /// Keeps the rows in which the text occurs (device name, model, groups and status text ignore letter case;
    /// firmware version and date do not), in the current sort.
    void setSearchText(const QString &text);
    QString searchText() const { return m_searchText; }
    /// The counts over the rows the search keeps, whatever the status filter.
    Counts counts() const;
    /// 0 for all rows, else an UpdateStatus value.
    void setStatusFilter(int status) { m_statusFilter = status; }
    int statusFilter() const { return m_statusFilter; }
    /// The rows shown: those the search keeps, in the current order, of the status filtered for.
    QList<const VelkOtaScheduleReport *> visibleRows() const;

    /// A header click (the shared arrow rule).
    void clickColumn(int column);
    const SortArrows &indicators() const { return m_sort; }

    /// "Not Started", "Updating...", "Failed", "Successfully"; empty for any other value.
    static QString statusText(int status);
    /// The table's text colour of a status, empty when it has none.
    static QString statusColour(int status);
    /// "n devices in total".
    static QString totalText(int rows);

private:
    void readRows(OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices);
    void addRow(OrvantaDBIntf *db, const VelkIFPDevice &device);
    void fillTexts(OrvantaDBIntf *db, VelkOtaScheduleReport &row) const;
    void filter();
    void sort();
    bool before(int a, int b, int column) const;

    VelkOtaSchedule m_schedule;
    QList<VelkOtaScheduleReport> m_rows;
    QList<int> m_shown; ///< indexes in m_rows that pass the search, in display order
    QString m_searchText;
    int m_statusFilter = 0;
    SortArrows m_sort;
};
