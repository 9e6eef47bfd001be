#pragma once

// A table drawn from a model with a check-box column (CheckCellDelegate): a row's texts, and its box reached as
// the operator reaches it, by a click on the drawn box.

#include <QAbstractItemView>
#include <QtTest>

#include "shell/kit/CheckCellDelegate.h"

class CheckCell
{
public:
    CheckCell(QAbstractItemView *view, int row) : m_view(view), m_index(view->model()->index(row, 0)) {}

    bool isValid() const { return m_index.isValid(); }
    bool isChecked() const { return m_index.data(Qt::CheckStateRole).toInt() == Qt::Checked; }
    // A press and release on the middle of the drawn box, the row scrolled into view first.
    void click() const
    {
        auto *cells = qobject_cast<CheckCellDelegate *>(m_view->itemDelegate());
        QVERIFY(cells && m_index.isValid());
        m_view->scrollTo(m_index);
        const QRect box = cells->checkClickRect(m_index);
        QVERIFY(box.isValid());
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, box.center());
    }

private:
    QAbstractItemView *m_view;
    QPersistentModelIndex m_index;
};

inline QString cellText(const QAbstractItemView *view, int row, int column)
{
    return view->model()->index(row, column).data().toString();
}

inline int rowCount(const QAbstractItemView *view)
{
    return view->model()->rowCount();
}

// What a view's viewport holds must not grow with its rows: the few stamps the rows are drawn from.
inline void checkViewportHoldsFewWidgets(const QAbstractItemView *view)
{
    const int held = view->viewport()->findChildren<QWidget *>().size();
    QVERIFY2(held < 10,
             qPrintable(QStringLiteral("%1 widgets in the viewport of %2").arg(held).arg(view->objectName())));
}
