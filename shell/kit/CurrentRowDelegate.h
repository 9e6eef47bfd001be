#pragma once

#include <QStyledItemDelegate>

class QAbstractItemView;

/// Marks a table's current row while the table has the keyboard, and lets Space tick the row's box (its first cell)
/// from any cell of the row. The tables of the console show no selection, and their style sheets hide the style's
/// focus frame: the arrows moved a current cell nobody could see, and Space ticked a row the operator had not chosen
/// knowingly. The mark is a frame around the whole row, drawn only while the view has the keyboard, so a table the
/// mouse works sees no change.
///
/// A view with rows always has a current row (its first, when the rows come), so the keys reach a row as soon as the
/// view takes them. Made once the view has its model: it follows that model and its selection model.
class CurrentRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CurrentRowDelegate(QAbstractItemView *view);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// The cell as the delegate draws it: without the style's frame around the current cell, which the row's mark
    /// stands for.
    static QStyleOptionViewItem withoutFocusFrame(const QStyleOptionViewItem &option);
    /// Draws the part of the current row's mark that lies in the cell at `option.rect`, when `index` is in that row.
    void paintCurrentRow(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

private:
    bool viewIsWhole() const;
    bool marksRowOf(const QModelIndex &index) const;
    /// The row of `index` across every column, in viewport coordinates.
    QRect rowRect(const QModelIndex &index) const;
    void updateRow(const QModelIndex &index) const;
    void ensureCurrentRow();

    QAbstractItemView *m_view;
};
