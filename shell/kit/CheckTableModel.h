#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

/// The rows of a table whose first column is a check box: each row's texts by column, whether it is checked, and a
/// mark for a cell drawn by the delegate (the power light: 1 online, 0 offline). The check state is
/// Qt::CheckStateRole of column 0. A change the operator makes (setData, from the view) is told apart from one the
/// page makes (setChecked), as a check box's clicked() is from its setChecked(): only the first is announced by
/// checkClicked(), so a page that answers it by setting other rows does not answer itself.
///
/// The rows are values, not widgets: a table of 100,000 devices costs 100,000 small records, built only when the
/// page fills the table.
class CheckTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int MarkRole = Qt::UserRole + 1;

    struct Row
    {
        QStringList texts; ///< by column; column 0 shows none
        bool checked = false;
        int mark = 0;
    };

    explicit CheckTableModel(int columns, QObject *parent = nullptr);

    /// Replaces every row.
    void setRows(QVector<Row> rows);
    const Row &row(int row) const { return m_rows.at(row); }
    bool isChecked(int row) const { return m_rows.at(row).checked; }
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    int checkedCount() const { return m_checked; }
    /// Whether no row is left unchecked (so also for an empty table).
    bool allChecked() const { return m_checked == m_rows.size(); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// The operator checked or cleared the row.
    void checkClicked(int row, bool checked);

private:
    int m_columns;
    QVector<Row> m_rows;
    int m_checked = 0;
};
