#include "shell/kit/CheckCellDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

#include "shell/kit/CheckTableModel.h"

CheckCellDelegate::CheckCellDelegate(QAbstractItemView *view)
    : CurrentRowDelegate(view), m_view(view), m_viewport(view->viewport())
{
    // The box shows the pointer over it, as the widget did: that needs moves without a button held.
    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
}

CheckCellDelegate *CheckCellDelegate::drawRows(CheckTableModel *rows, QAbstractItemView *view)
{
    view->setModel(rows);
    // A table of a thousand rows held the keyboard for five thousand presses of Tab.
    view->setTabKeyNavigation(false);
    auto *cells = new CheckCellDelegate(view);
    view->setItemDelegate(cells);
    return cells;
}

CheckCellDelegate::~CheckCellDelegate()
{
    delete m_checkCell;
    for (const QPointer<QWidget> &stamp : qAsConst(m_markStamps))
        delete stamp;
}

void CheckCellDelegate::adopt(QWidget *stamp)
{
    stamp->setParent(m_viewport);
    // What it holds is shown, as in a row widget, so that its layout places it; the stamp itself is never on screen.
    for (QWidget *child : stamp->findChildren<QWidget *>()) {
        if (!child->testAttribute(Qt::WA_WState_ExplicitShowHide))
            child->show();
    }
    stamp->hide();
}

void CheckCellDelegate::setCheckStamp(QWidget *cell, QCheckBox *box)
{
    delete m_checkCell;
    m_checkCell = cell;
    m_box = box;
    adopt(cell);
    m_pressed = QPersistentModelIndex();
    m_viewport->update();
}

void CheckCellDelegate::setMarkStamps(int column, const QVector<QWidget *> &stamps)
{
    for (const QPointer<QWidget> &stamp : qAsConst(m_markStamps))
        delete stamp;
    m_markStamps.clear();
    m_markPixmaps.clear();
    m_markColumn = column;
    for (QWidget *stamp : stamps) {
        adopt(stamp);
        m_markStamps.append(stamp);
    }
    m_viewport->update();
}

void CheckCellDelegate::fit(QWidget *stamp, const QSize &size)
{
    stamp->ensurePolished();
    for (QWidget *child : stamp->findChildren<QWidget *>())
        child->ensurePolished();
    if (stamp->size() == size)
        return;
    stamp->resize(size);
    // A hidden widget's layout waits for the show; the stamp is never shown.
    if (QLayout *layout = stamp->layout())
        layout->setGeometry(QRect(QPoint(), size));
}

QPixmap CheckCellDelegate::markPixmap(QWidget *stamp, const QSize &size, qreal ratio) const
{
    // Every cell of a mark looks the same: drawn once, into a picture of its own, rather than painting the stamp
    // into the view's painter, whose offset inside the window the stamp's painting would not see.
    QPixmap &pixmap = m_markPixmaps[stamp];
    if (pixmap.size() != size * ratio || pixmap.devicePixelRatioF() != ratio) {
        fit(stamp, size);
        pixmap = QPixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        stamp->render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    return pixmap;
}

QStyleOptionViewItem CheckCellDelegate::cellOption(const QModelIndex &index) const
{
    // What the view's own description of a cell holds that the placing below reads.
    QStyleOptionViewItem option;
    option.initFrom(m_view);
    option.state &= ~QStyle::State_HasFocus;
    option.widget = m_view;
    option.font = m_view->font();
    option.showDecorationSelected = true;
    const int icon = m_view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, m_view);
    option.decorationSize = m_view->iconSize().isValid() ? m_view->iconSize() : QSize(icon, icon);
    option.rect = m_view->visualRect(index);
    return option;
}

QRect CheckCellDelegate::stampRect(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // The cell held no item of its own, only the widget, and the view gave the widget the place of the cell's text.
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.features &= ~(QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                       QStyleOptionViewItem::HasDecoration);
    cell.text.clear();
    cell.icon = QIcon();
    cell.showDecorationSelected = true;
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    return style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
}

QRect CheckCellDelegate::boxRect(const QRect &stamp) const
{
    if (!m_checkCell)
        return QRect();
    fit(m_checkCell, stamp.size());
    const QRect box = m_box == m_checkCell ? QRect(QPoint(), stamp.size())
                                           : QRect(m_box->mapTo(m_checkCell, QPoint()), m_box->size());
    return box.translated(stamp.topLeft());
}

QStyleOptionButton CheckCellDelegate::boxOption(const QSize &box, bool checked) const
{
    // As the box describes itself to its style when it paints.
    QStyleOptionButton option;
    option.initFrom(m_box);
    option.rect = QRect(QPoint(), box);
    option.state &= ~QStyle::State_MouseOver;
    option.state |= checked ? QStyle::State_On : QStyle::State_Off;
    option.text = m_box->text();
    option.icon = m_box->icon();
    option.iconSize = m_box->iconSize();
    return option;
}

QRect CheckCellDelegate::checkClickRect(const QModelIndex &index) const
{
    if (!m_checkCell || !index.isValid() || index.column() != 0)
        return QRect();
    const QStyleOptionViewItem cell = cellOption(index);
    const QRect box = boxRect(stampRect(cell, index));
    const QStyleOptionButton option = boxOption(box.size(), false);
    const QRect click = m_box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, m_box);
    return click.translated(box.topLeft()) & cell.rect;
}

void CheckCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool check = index.column() == 0 && m_checkCell;
    const bool marked = index.column() == m_markColumn && !m_markStamps.isEmpty();
    if (!check && !marked) {
        CurrentRowDelegate::paint(painter, option, index);
        return;
    }
    // The cell itself as every other cell of the row, then the widget it held over it, then the current row's mark.
    QStyleOptionViewItem cell = withoutFocusFrame(option);
    initStyleOption(&cell, index);
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cell.text.clear();
    cell.icon = QIcon();
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    if (marked) {
        if (QWidget *stamp = m_markStamps.value(index.data(CheckTableModel::MarkRole).toInt())) {
            const QRect place = stampRect(option, index);
            painter->drawPixmap(place.topLeft(),
                                markPixmap(stamp, place.size(), painter->device()->devicePixelRatioF()));
        }
        paintCurrentRow(painter, option, index);
        return;
    }
    const QRect box = boxRect(stampRect(option, index));
    QStyleOptionButton button = boxOption(box.size(), index.data(Qt::CheckStateRole).toInt() == Qt::Checked);
    // The box showed the pointer over it where its style sheet asks for it, and a press in it.
    if (m_box->testAttribute(Qt::WA_Hover) && m_hovered == index)
        button.state |= QStyle::State_MouseOver;
    if (m_pressed == index)
        button.state |= QStyle::State_Sunken;
    painter->save();
    painter->translate(box.topLeft());
    // The widget painted inside its own rectangle only; its border's smoothed corners reach past it.
    painter->setClipRect(QRect(QPoint(), box.size()), Qt::IntersectClip);
    painter->setFont(m_box->font());
    painter->setPen(m_box->palette().color(QPalette::WindowText));
    m_box->style()->drawControl(QStyle::CE_CheckBox, &button, painter, m_box);
    painter->restore();
    paintCurrentRow(painter, option, index);
}

bool CheckCellDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    // The drawn box takes its clicks in the viewport's event filter; the view's own toggling of a checkable cell, on a
    // click anywhere near the style's indicator, is not what the box did. Space ticks the current row's box.
    if (index.column() == 0 && event->type() != QEvent::KeyPress)
        return false;
    return CurrentRowDelegate::editorEvent(event, model, option, index);
}

QModelIndex CheckCellDelegate::boxClickedAt(const QPoint &pos) const
{
    const QModelIndex index = m_view->indexAt(pos);
    if (!index.isValid() || index.column() != 0 || !m_checkCell)
        return QModelIndex();
    return checkClickRect(index).contains(pos) ? index : QModelIndex();
}

void CheckCellDelegate::updateCell(const QModelIndex &index) const
{
    if (index.isValid())
        m_viewport->update(m_view->visualRect(index));
}

void CheckCellDelegate::setHovered(const QModelIndex &index)
{
    if (QModelIndex(m_hovered) == index)
        return;
    updateCell(m_hovered);
    m_hovered = index;
    updateCell(index);
}

bool CheckCellDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport still reports while the view is torn down, when the view is no item view any more.
    if (watched != m_viewport || !m_checkCell || !qobject_cast<QAbstractItemView *>(m_view))
        return CurrentRowDelegate::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        if (!m_box->testAttribute(Qt::WA_Hover))
            break;
        // The box counted as under the pointer over its whole place in the cell.
        const QPoint pos = static_cast<QMouseEvent *>(event)->pos();
        const QModelIndex index = m_view->indexAt(pos);
        const bool onBox =
            index.isValid() && index.column() == 0 && boxRect(stampRect(cellOption(index), index)).contains(pos);
        setHovered(onBox ? index : QModelIndex());
        break;
    }
    case QEvent::Leave:
        setHovered(QModelIndex());
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QModelIndex index = boxClickedAt(mouse->pos());
        if (!index.isValid())
            break;
        m_pressed = index;
        updateCell(index);
        m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_pressed.isValid())
            break;
        const QModelIndex pressed = m_pressed;
        m_pressed = QPersistentModelIndex();
        updateCell(pressed);
        if (boxClickedAt(mouse->pos()) == pressed) {
            const bool checked = pressed.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            m_view->model()->setData(pressed, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    }
    default:
        break;
    }
    return CurrentRowDelegate::eventFilter(watched, event);
}
