#pragma once

#include <QList>
#include <QString>

#include "datastore/VelkAutoTestSchedule.h"
#include "datastore/VelkAutoTestScheduleReport.h"
#include "shell/base/SortArrows.h"

class OrvantaDBIntf;

/// The rows of one auto-test report and what the report dialog does with them, free of widgets:
/// which rows there are, which pass the search text, how many of those are in each state, which
/// the state filter shows and in which order.
class AutoTestReportModel
{
public:
    enum Column
    {
        DeviceColumn = 0,
        GroupColumn = 1,
        StatusColumn = 2,
        NotesColumn = 3,
    };

    struct Counts
    {
        int all = 0;
        int notStarted = 0;
        int scheduling = 0;
        int failed = 0;
        int successful = 0;
    };

    /// Loads the report of the schedule: its stored rows once it has run, else one "Not Started"
    /// row per target device. Each row gets its device's group names.
    void load(OrvantaDBIntf *db, const VelkAutoTestSchedule &schedule);
    const QList<VelkAutoTestScheduleReport> &rows() const { return m_rows; }

    /// Keeps the rows whose device name, groups, state text or note text contain the text
    /// (letter case ignored); the sort order is then the rows' order until sorted again.
    void setSearchText(const QString &text);
    /// The counts over the rows the search keeps, whatever the state filter.
    Counts counts() const;
    /// The rows shown for a state filter (0: all), in the current order.
    QList<const VelkAutoTestScheduleReport *> visibleRows(int statusFilter) const;

    /// The four sort indicators' states (SortArrows: 0 ascending, 1 descending, 2 and 3 idle after either).
    int indicator(int column) const { return m_arrows.state(column); }
    /// A click on a column header, by the shared arrow rule.
    void clickColumn(int column);
    /// By device name ascending, every other indicator idle.
    void applyDefaultSorting();
    /// Sorts by the first active indicator (Device, Group, Status, Notes); none: the search order.
    void applyCurrentSorting();

    static QString statusText(int status);
    static QString notesText(int notes);

private:
    /// The column's ascending order, ties broken by the unique device name.
    bool before(int a, int b, int column) const;

    QList<VelkAutoTestScheduleReport> m_rows;
    QList<int> m_shown;
    SortArrows m_arrows{4, DeviceColumn};
};
