#include "shell/kit/CheckTableModel.h"
#include "shell/base/BoundedText.h"

CheckTableModel::CheckTableModel(int columns, QObject *parent) : QAbstractTableModel(parent), m_columns(columns)
{
}

void CheckTableModel::setRows(QVector<Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_checked = 0;
    for (const Row &row : qAsConst(m_rows))
        m_checked += row.checked ? 1 : 0;
    endResetModel();
}

void CheckTableModel::setChecked(int row, bool checked)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).checked == checked)
        return;
    m_rows[row].checked = checked;
    m_checked += checked ? 1 : -1;
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void CheckTableModel::setAllChecked(bool checked)
{
    if (m_rows.isEmpty())
        return;
    for (Row &row : m_rows)
        row.checked = checked;
    m_checked = checked ? m_rows.size() : 0;
    emit dataChanged(index(0, 0), index(m_rows.size() - 1, 0), {Qt::CheckStateRole});
}

int CheckTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int CheckTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant CheckTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    if (index.column() == 0)
        return role == Qt::CheckStateRole ? QVariant(row.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role == Qt::DisplayRole)
        return BoundedText::shown(row.texts.value(index.column()));
    if (role == MarkRole)
        return row.mark;
    return QVariant();
}

bool CheckTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || index.row() >= m_rows.size())
        return false;
    const bool checked = value.toInt() == Qt::Checked;
    setChecked(index.row(), checked);
    emit checkClicked(index.row(), checked);
    return true;
}

Qt::ItemFlags CheckTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return index.column() == 0 ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled;
}
