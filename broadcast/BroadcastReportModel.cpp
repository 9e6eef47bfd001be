#include "broadcast/BroadcastReportModel.h"

#include <QCoreApplication>

#include <algorithm>

QString BroadcastReportModel::statusText(int status)
{
    switch (status) {
    case 1:
        return QCoreApplication::translate("BroadcastReportDialog", "Successfully");
    case 2:
        return QCoreApplication::translate("BroadcastReportDialog", "Failed");
    default:
        return QString();
    }
}

QString BroadcastReportModel::noteText(int note)
{
    switch (note) {
    case 1:
        return QCoreApplication::translate("BroadcastReportDialog", "Power-off");
    case 2:
        return QCoreApplication::translate("BroadcastReportDialog", "No connection");
    default:
        return QString();
    }
}

void BroadcastReportModel::setRows(const QList<VelkBroadcastReport> &rows)
{
    m_rows = rows;
    m_statusFilter = All;
    m_matched.clear();
    for (const VelkBroadcastReport &row : qAsConst(m_rows))
        m_matched.append(&row);
    m_arrows.reset(Device);
    sortMatched(Device, true);
}

void BroadcastReportModel::setFilterText(const QString &text)
{
    m_matched.clear();
    for (const VelkBroadcastReport &row : qAsConst(m_rows)) {
        if (text.isEmpty() || row.device.deviceName.contains(text, Qt::CaseInsensitive) ||
            row.groupText.contains(text, Qt::CaseInsensitive) ||
            statusText(row.status).contains(text, Qt::CaseInsensitive) ||
            noteText(row.note).contains(text, Qt::CaseInsensitive))
            m_matched.append(&row);
    }
    sortByActiveColumn();
}

QList<const VelkBroadcastReport *> BroadcastReportModel::shownRows() const
{
    if (m_statusFilter == All)
        return m_matched;
    QList<const VelkBroadcastReport *> shown;
    for (const VelkBroadcastReport *row : m_matched) {
        if (row->status == m_statusFilter)
            shown.append(row);
    }
    return shown;
}

int BroadcastReportModel::matchedCount(int status) const
{
    return int(std::count_if(m_matched.begin(), m_matched.end(),
                             [status](const VelkBroadcastReport *row) { return row->status == status; }));
}

void BroadcastReportModel::clickColumn(Column column)
{
    sortMatched(column, m_arrows.click(column));
}

void BroadcastReportModel::sortByActiveColumn()
{
    bool ascending = true;
    const int column = m_arrows.active(&ascending);
    if (column >= 0)
        sortMatched(Column(column), ascending);
}

void BroadcastReportModel::sortMatched(Column column, bool ascending)
{
    // Ties on the column go by device name in the same direction; names compare by code unit, case-sensitive.
    auto key = [column](const VelkBroadcastReport *row) -> int { return column == Status ? row->status : row->note; };
    auto less = [column, ascending, key](const VelkBroadcastReport *a, const VelkBroadcastReport *b) {
        const QString &nameA = a->device.deviceName;
        const QString &nameB = b->device.deviceName;
        switch (column) {
        case Device:
            return ascending ? nameA < nameB : nameB < nameA;
        case Group:
            if (a->groupText != b->groupText)
                return ascending ? a->groupText < b->groupText : b->groupText < a->groupText;
            return ascending ? nameA < nameB : nameB < nameA;
        default:
            if (key(a) != key(b))
                return ascending ? key(a) < key(b) : key(a) > key(b);
            return ascending ? nameA < nameB : nameB < nameA;
        }
    };
    std::sort(m_matched.begin(), m_matched.end(), less);
}
