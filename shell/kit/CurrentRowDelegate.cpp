#include "shell/kit/CurrentRowDelegate.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>

#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {

// The colour the console's fields show when they have the keyboard.
const QColor MarkColour(0x00, 0xac, 0xff);
constexpr int MarkWidth = 2;

} // namespace

CurrentRowDelegate::CurrentRowDelegate(QAbstractItemView *view) : QStyledItemDelegate(view), m_view(view)
{
    view->installEventFilter(this);
    if (QItemSelectionModel *selection = view->selectionModel()) {
        connect(selection, &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex &current, const QModelIndex &previous) {
                    // The view repaints the two cells; the mark spans their rows.
                    updateRow(previous);
                    updateRow(current);
                });
    }
    if (QAbstractItemModel *model = view->model()) {
        // Answered after the view's own answer, which forgets the current cell of a reset model.
        connect(model, &QAbstractItemModel::modelReset, this, &CurrentRowDelegate::ensureCurrentRow);
        connect(model, &QAbstractItemModel::rowsInserted, this, &CurrentRowDelegate::ensureCurrentRow);
    }
    ensureCurrentRow();
}

bool CurrentRowDelegate::viewIsWhole() const
{
    // The view and its model still report while the view is torn down, when it is no item view any more: a table
    // widget's model empties itself as it goes.
    return qobject_cast<QAbstractItemView *>(m_view);
}

void CurrentRowDelegate::ensureCurrentRow()
{
    if (!viewIsWhole())
        return;
    QAbstractItemModel *model = m_view->model();
    if (!model || m_view->currentIndex().isValid() || model->rowCount(m_view->rootIndex()) == 0)
        return;
    m_view->selectionModel()->setCurrentIndex(model->index(0, 0, m_view->rootIndex()), QItemSelectionModel::NoUpdate);
}

QStyleOptionViewItem CurrentRowDelegate::withoutFocusFrame(const QStyleOptionViewItem &option)
{
    QStyleOptionViewItem cell = option;
    cell.state &= ~QStyle::State_HasFocus;
    return cell;
}

bool CurrentRowDelegate::marksRowOf(const QModelIndex &index) const
{
    const QModelIndex current = m_view->currentIndex();
    return m_view->hasFocus() && index.isValid() && current.isValid() && current.row() == index.row() &&
           current.parent() == index.parent();
}

void CurrentRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, withoutFocusFrame(option), index);
    paintCurrentRow(painter, option, index);
}

void CurrentRowDelegate::paintCurrentRow(QPainter *painter, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    if (!marksRowOf(index))
        return;
    const QRect row = rowRect(index);
    // Each cell draws the part of the frame that crosses it.
    const int width = qMax(1, ScaleMath::truncScaled(MarkWidth, getScaleFactor()));
    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    painter->fillRect(QRect(row.left(), row.top(), row.width(), width), MarkColour);
    painter->fillRect(QRect(row.left(), row.bottom() - width + 1, row.width(), width), MarkColour);
    painter->fillRect(QRect(row.left(), row.top(), width, row.height()), MarkColour);
    painter->fillRect(QRect(row.right() - width + 1, row.top(), width, row.height()), MarkColour);
    painter->restore();
}

QRect CurrentRowDelegate::rowRect(const QModelIndex &index) const
{
    QRect row;
    for (int column = 0; column < index.model()->columnCount(index.parent()); ++column)
        row |= m_view->visualRect(index.sibling(index.row(), column));
    return row;
}

void CurrentRowDelegate::updateRow(const QModelIndex &index) const
{
    if (index.isValid() && viewIsWhole())
        m_view->viewport()->update(rowRect(index));
}

bool CurrentRowDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                     const QModelIndex &index)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QModelIndex box = index.sibling(index.row(), 0);
        const Qt::ItemFlags flags = box.flags();
        if ((key->key() == Qt::Key_Space || key->key() == Qt::Key_Select) && (flags & Qt::ItemIsUserCheckable) &&
            (flags & Qt::ItemIsEnabled)) {
            // A held key ticks once, as a check box takes it.
            if (!key->isAutoRepeat()) {
                const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                model->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

bool CurrentRowDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The view is no editor: the base class would answer its Tab, Enter and Escape as an editor's.
    if (watched != m_view)
        return QStyledItemDelegate::eventFilter(watched, event);
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) && viewIsWhole())
        updateRow(m_view->currentIndex());
    return false;
}
