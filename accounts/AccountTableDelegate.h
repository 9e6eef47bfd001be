#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

/// Paints the user table's cells: the names elided in white, the password and card marks, the
/// separator, and the three row buttons (user actions, device assignment, synchronisation
/// report) with their hover look. Drawing rather than one widget per cell keeps the rebuild of
/// a table of thousands of users quick.
class AccountTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit AccountTableDelegate(QObject *parent = nullptr);

    /// Sizes are the unscaled ones times this.
    void setScale(double scale) { m_scale = scale; }
    /// Where a mark or a button lies inside its cell.
    QRect markRect(const QRect &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const QPixmap &buttonImage(int column, bool hovered) const;

    double m_scale = 1.0;
    QPixmap m_check;
    QPixmap m_warning;
    QPixmap m_buttons[3][2]; // user settings, select device, status; normal and hovered
};
