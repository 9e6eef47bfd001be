#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include "datastore/VelkMultiUser.h"

/// The rows of the user table: one per panel user, in the order the data store returns them,
/// with whether the user has a password (and whether it is the well-known one) and a card, and
/// the names of the user's devices. The table holds no state of its own: every refresh replaces
/// all rows.
class AccountTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        UserNameColumn,
        PasswordColumn,
        BindCardColumn,
        UserSettingsColumn,
        SeparatorColumn,
        IfpAccessColumn,
        SelectColumn,
        StatusColumn,
        ColumnCount
    };
    /// What a cell shows beside its text.
    enum Mark
    {
        NoMark,
        CheckMark,
        WarningMark,
        ButtonMark,
        SeparatorMark,
    };
    static constexpr int MarkRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    struct Row
    {
        VelkMultiUser user;
        QString devices; ///< the names of the user's devices, joined with ", "
    };
    void setRows(const QList<Row> &rows);
    const VelkMultiUser &user(int row) const { return m_rows.at(row).user; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QList<Row> m_rows;
};
