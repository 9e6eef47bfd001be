#pragma once

#include "datastore/VelkBroadcastReport.h"
#include "shell/base/SortArrows.h"

#include <QList>
#include <QString>
#include <QtGlobal>

/// The state of the broadcast report apart from its widgets: every row of one broadcast, the rows that match the
/// search text in display order, the status filter over them, the counts on the filter buttons and the four sort
/// arrows with their click rules.
///
/// Arrow states: 0 ascending active, 1 descending active, 2 ascending idle, 3 descending idle. A click on the active
/// column reverses it; a click on another column sorts it in the direction the last sort had.
class BroadcastReportModel
{
public:
    enum Column
    {
        Device,
        Group,
        Status,
        Notes,
        ColumnCount
    };
    enum StatusFilter
    {
        All = 0,
        Successful = 1,
        Failed = 2
    };

    BroadcastReportModel() = default;
    // The shown rows point into the model's own rows.
    Q_DISABLE_COPY(BroadcastReportModel)

    /// The texts the operator sees, translated: they are also what the search matches.
    static QString statusText(int status);
    static QString noteText(int note);

    /// New rows: every row matches, all shown, sorted by device ascending.
    void setRows(const QList<VelkBroadcastReport> &rows);
    int total() const { return m_rows.size(); }

    /// Keeps the rows whose device name, group text, status text or note text holds the text (case ignored) and
    /// sorts them by the active column.
    void setFilterText(const QString &text);
    void setStatusFilter(int filter) { m_statusFilter = filter; }
    int statusFilter() const { return m_statusFilter; }

    /// The rows to show: text-matched, of the filtered status, in sort order.
    QList<const VelkBroadcastReport *> shownRows() const;
    /// The counts of the filter buttons, over the text-matched rows whatever the status filter.
    int matchedCount() const { return m_matched.size(); }
    int matchedCount(int status) const;

    int arrowState(Column column) const { return m_arrows.state(column); }
    void clickColumn(Column column);

private:
    void sortMatched(Column column, bool ascending);
    void sortByActiveColumn();

    QList<VelkBroadcastReport> m_rows;
    QList<const VelkBroadcastReport *> m_matched;
    int m_statusFilter = All;
    SortArrows m_arrows{ColumnCount, Device};
};
