#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

/// Paints the Devices tab's cells with their small buttons drawn in place (the information
/// button beside the IP address, edit and delete in the last column) and reports clicks on
/// them. Drawing rather than one widget per cell keeps a table of thousands of devices quick.
class DeviceTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit DeviceTableDelegate(QObject *parent = nullptr);

    void setScale(double scale) { m_scale = scale; }

    /// Where the buttons lie inside a cell.
    QRect infoRect(const QRect &cell) const;
    QRect editRect(const QRect &cell) const;
    QRect deleteRect(const QRect &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

signals:
    void infoClicked(int row);
    void editClicked(int row);
    void deleteClicked(int row);

private:
    int iconSize() const;
    void paintIcon(QPainter *painter, const QIcon &icon, const QRect &rect, bool hovered) const;

    double m_scale = 1.0;
    QIcon m_info;
    QIcon m_edit;
    QIcon m_delete;
};
