#pragma once

// A table drawn from a model with a check-box column (CheckCellDelegate): a row's texts, and its box reached as
// the operator reaches it, by a click on the drawn box.

#include <QAbstractItemView>
#include <QSet>
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

// The rows the view draws otherwise while it has the keyboard than without it: where it marks its current row. The
// view has the keyboard before and after.
inline QSet<int> rowsMarkedForTheKeys(QAbstractItemView *view)
{
    const QImage withKeys = view->viewport()->grab().toImage();
    view->clearFocus();
    const QImage without = view->viewport()->grab().toImage();
    view->setFocus(Qt::OtherFocusReason);
    QSet<int> rows;
    for (int y = 0; y < withKeys.height(); ++y) {
        for (int x = 0; x < withKeys.width(); ++x) {
            if (withKeys.pixel(x, y) != without.pixel(x, y))
                rows.insert(view->indexAt(QPoint(x, y)).row());
        }
    }
    return rows;
}

// The names (in `column`) of the rows whose box is ticked, in the table's order.
inline QStringList tickedRows(const QAbstractItemView *view, int column)
{
    QStringList names;
    for (int row = 0; row < rowCount(view); ++row) {
        if (view->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked)
            names << cellText(view, row, column);
    }
    return names;
}

// What an operator does to a page's device table, step by step: "Tab" from the select-all box into the table, which
// then marks one row; "Down" and "Space" typed there; "click" on the second row's box; "all" on the select-all box;
// "sort" by name; "search <text>" typed with Enter.
template <class Page> void operateDeviceTable(Page *page, const QStringList &steps)
{
    QWindow *window = page->window()->windowHandle();
    for (const QString &step : steps) {
        if (step == QLatin1String("Tab")) {
            page->deviceCheckBoxAll->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(window, Qt::Key_Tab);
            QVERIFY(page->tableWidgetDevice->hasFocus());
            QCOMPARE(rowsMarkedForTheKeys(page->tableWidgetDevice).size(), 1);
        } else if (step == QLatin1String("Down") || step == QLatin1String("Space")) {
            QTest::keyClick(window, step == QLatin1String("Down") ? Qt::Key_Down : Qt::Key_Space);
        } else if (step == QLatin1String("click")) {
            CheckCell(page->tableWidgetDevice, 1).click();
        } else if (step == QLatin1String("all")) {
            page->deviceCheckBoxAll->click();
        } else if (step == QLatin1String("sort")) {
            emit page->deviceHeaderDevice->clicked();
        } else {
            QVERIFY(step.startsWith(QLatin1String("search ")));
            page->lineEditFilter->setText(step.mid(7));
            QTest::keyClick(page->lineEditFilter, Qt::Key_Return);
        }
    }
}
