#include "accounts/AccountTableModel.h"

#include "accounts/UserRules.h"
#include "shell/base/BoundedText.h"

void AccountTableModel::setRows(const QList<Row> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int AccountTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

int AccountTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant AccountTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    const bool defaultPassword = row.user.password == UserRules::defaultPassword();
    switch (index.column()) {
    case UserNameColumn:
        return role == Qt::DisplayRole ? QVariant(BoundedText::shown(row.user.userName)) : QVariant();
    case IfpAccessColumn:
        return role == Qt::DisplayRole ? QVariant(BoundedText::shown(row.devices)) : QVariant();
    case PasswordColumn:
        if (role == MarkRole)
            return row.user.password.isEmpty() ? NoMark : (defaultPassword ? WarningMark : CheckMark);
        if (role == Qt::ToolTipRole && defaultPassword)
            return tr("Please edit user account to change password.");
        return QVariant();
    case BindCardColumn:
        return role == MarkRole ? QVariant(row.user.rfidId.isEmpty() ? NoMark : CheckMark) : QVariant();
    case UserSettingsColumn:
    case SelectColumn:
    case StatusColumn:
        return role == MarkRole ? QVariant(ButtonMark) : QVariant();
    case SeparatorColumn:
        return role == MarkRole ? QVariant(SeparatorMark) : QVariant();
    default:
        return QVariant();
    }
}
