#include "devices/DeviceTableDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "devices/DeviceTableModel.h"

DeviceTableDelegate::DeviceTableDelegate(QObject *parent)
    : QStyledItemDelegate(parent), m_info(QStringLiteral(":/resource/mangement/icon_info.png")),
      m_edit(QStringLiteral(":/resource/mangement/icon_edit.png")),
      m_delete(QStringLiteral(":/resource/mangement/icon_delete.png"))
{
}

int DeviceTableDelegate::iconSize() const
{
    return int(18 * m_scale);
}

QRect DeviceTableDelegate::infoRect(const QRect &cell) const
{
    const int size = iconSize();
    return QRect(cell.right() - int(10 * m_scale) - size + 1, cell.center().y() - size / 2, size, size);
}

QRect DeviceTableDelegate::editRect(const QRect &cell) const
{
    const int size = iconSize();
    const int gap = int(14 * m_scale);
    const int left = cell.center().x() - (2 * size + gap) / 2;
    return QRect(left, cell.center().y() - size / 2, size, size);
}

QRect DeviceTableDelegate::deleteRect(const QRect &cell) const
{
    const QRect edit = editRect(cell);
    return edit.translated(edit.width() + int(14 * m_scale), 0);
}

void DeviceTableDelegate::paintIcon(QPainter *painter, const QIcon &icon, const QRect &rect, bool hovered) const
{
    painter->save();
    painter->setOpacity(hovered ? 1.0 : 0.8);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    icon.paint(painter, rect);
    painter->restore();
}

void DeviceTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int column = index.column();
    if (column != DeviceTableModel::IpColumn && column != DeviceTableModel::ActionsColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    const QString text = opt.text;
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QPoint cursor;
    if (auto *view = qobject_cast<const QAbstractItemView *>(widget))
        cursor = view->viewport()->mapFromGlobal(QCursor::pos());
    const bool rowHovered = opt.state & QStyle::State_MouseOver;

    if (column == DeviceTableModel::IpColumn) {
        const QRect icon = infoRect(opt.rect);
        // The address is drawn by the style like every other cell, only in a cell narrowed to end before the
        // info icon, so it lines up with its neighbours under the table's style sheet.
        QStyleOptionViewItem textOpt = opt;
        textOpt.rect.setRight(icon.left() - int(6 * m_scale));
        textOpt.text = text;
        textOpt.textElideMode = Qt::ElideRight;
        style->drawControl(QStyle::CE_ItemViewItem, &textOpt, painter, widget);
        paintIcon(painter, m_info, icon, rowHovered && icon.contains(cursor));
        return;
    }
    const QRect edit = editRect(opt.rect);
    const QRect remove = deleteRect(opt.rect);
    paintIcon(painter, m_edit, edit, rowHovered && edit.contains(cursor));
    paintIcon(painter, m_delete, remove, rowHovered && remove.contains(cursor));
}

bool DeviceTableDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                      const QModelIndex &index)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPoint pos = mouse->pos();
            if (index.column() == DeviceTableModel::IpColumn && infoRect(option.rect).contains(pos)) {
                emit infoClicked(index.row());
                return true;
            }
            if (index.column() == DeviceTableModel::ActionsColumn) {
                if (editRect(option.rect).contains(pos)) {
                    emit editClicked(index.row());
                    return true;
                }
                if (deleteRect(option.rect).contains(pos)) {
                    emit deleteClicked(index.row());
                    return true;
                }
            }
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
