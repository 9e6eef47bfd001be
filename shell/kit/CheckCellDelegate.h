#pragma once

#include <QHash>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QVector>

#include "shell/kit/CurrentRowDelegate.h"

class CheckTableModel;
class QAbstractItemView;
class QCheckBox;
class QStyleOptionButton;

/// Draws a table's check-box column, and a column of cells that each show a small widget, the way the widgets the
/// page used to put in every row looked in the cell, without a widget per row. The page hands over one stamp of
/// each, built as it built each row's widget: the check cell (a check box, or a container that lays one out) and,
/// for the marked column, one container per mark (the model's CheckTableModel::MarkRole). The stamps live hidden in
/// the view's viewport, so the style sheets and the font that reached the row widgets reach them; each paint lays a
/// stamp out in the cell's size and draws it there. A page that rebuilt its row widgets at each fill hands over new
/// stamps at each fill, so they take what a row widget built then would have taken.
///
/// A press and release on the drawn check box checks or clears the row through the model's Qt::CheckStateRole, as
/// a click on the box did, and the view never sees them; presses elsewhere in the cell go to the view, as the box
/// let them through. The box shows the pointer over it and a press in it as the widget did; a press on it makes its
/// row the current one, as the widget took the keyboard. From the keyboard the view is one stop of the Tab chain
/// rather than one per row: the arrows move its current row, which is marked while it has the keyboard, and Space
/// ticks or clears that row's box (CurrentRowDelegate).
class CheckCellDelegate : public CurrentRowDelegate
{
    Q_OBJECT
public:
    explicit CheckCellDelegate(QAbstractItemView *view);
    ~CheckCellDelegate() override;

    /// Shows `rows` in `view`, drawn by a new delegate of this kind, which the view owns. Tab leaves the view rather
    /// than walking its cells.
    static CheckCellDelegate *drawRows(CheckTableModel *rows, QAbstractItemView *view);

    /// The check column's stamp: `cell` is `box` or lays it out. Replaces (and deletes) the previous one.
    void setCheckStamp(QWidget *cell, QCheckBox *box);
    /// The cells of `column` show stamps[mark]. Replaces (and deletes) the previous ones.
    void setMarkStamps(int column, const QVector<QWidget *> &stamps);

    /// Where the check box of a cell of the check column takes clicks, in viewport coordinates.
    QRect checkClickRect(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void adopt(QWidget *stamp);
    /// Lays the stamp out in a place of `size`.
    static void fit(QWidget *stamp, const QSize &size);
    /// The cell as the view describes it to its delegate.
    QStyleOptionViewItem cellOption(const QModelIndex &index) const;
    /// Where the view put a row widget in the cell: inside the cell's padding, as it places an editor.
    QRect stampRect(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    /// The box's place, in viewport coordinates, when the check stamp lies at `stamp`.
    QRect boxRect(const QRect &stamp) const;
    QStyleOptionButton boxOption(const QSize &box, bool checked) const;
    QPixmap markPixmap(QWidget *stamp, const QSize &size, qreal ratio) const;
    /// The check cell under `pos` when `pos` is where its box takes clicks; else invalid.
    QModelIndex boxClickedAt(const QPoint &pos) const;
    void setHovered(const QModelIndex &index);
    void updateCell(const QModelIndex &index) const;

    QAbstractItemView *m_view;
    QWidget *m_viewport;
    QPointer<QWidget> m_checkCell;
    QCheckBox *m_box = nullptr;
    int m_markColumn = -1;
    QVector<QPointer<QWidget>> m_markStamps;
    mutable QHash<QWidget *, QPixmap> m_markPixmaps;
    QPersistentModelIndex m_pressed;
    QPersistentModelIndex m_hovered;
};
