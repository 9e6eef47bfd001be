#include <QtTest>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>

#include "shell/kit/CheckCellDelegate.h"
#include "shell/kit/CheckTableModel.h"
#include "shell/kit/FormStyle.h"
#include "support/CheckCells.h"

// A table whose rows each held a check box widget (and a power light) now draws them from one stamp of each. The
// cases below compare the drawn cells with the widgets they stand for, in a table of the same style, pixel by pixel,
// and click the drawn box as an operator would.
class TestCheckTable : public QObject
{
    Q_OBJECT

private slots:
    void drawnCellsLookLikeTheirWidgets_data();
    void drawnCellsLookLikeTheirWidgets();
    void aClickOnTheBoxChecksTheRowAsTheWidgetDid();
    void theKeysTickTheCurrentRow();

private:
    enum Stamp
    {
        BareBox,
        BoxInContainer,
    };
};

namespace {

constexpr int Rows = 3;
constexpr int RowHeight = 39;
const int Widths[] = {40, 70, 160};

const QString BoxStyle =
    QStringLiteral("QCheckBox{padding-left:10px;}"
                   "QCheckBox::indicator:checked{image: url(:/resource/scheduling/im_check_b.png);}"
                   "QCheckBox::indicator:unchecked{image: url(:/resource/scheduling/im_checkbox.png);}");

// The check cell as the pages build it: a bare check box, or one laid out in a container with a left margin.
QWidget *checkCell(bool container, QCheckBox **box)
{
    *box = new QCheckBox;
    if (!container) {
        (*box)->setStyleSheet(BoxStyle);
        return *box;
    }
    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(12, 0, 0, 0);
    (*box)->setParent(cell);
    (*box)->setStyleSheet(FormStyle::indicatorStyle("QCheckBox"));
    layout->addWidget(*box);
    return cell;
}

// The power light as the broadcast targets show it.
QWidget *lightCell(bool online)
{
    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setAlignment(Qt::AlignCenter);
    auto *light = new QLabel;
    light->setFixedSize(12, 12);
    light->setStyleSheet(online ? QStringLiteral("QLabel{border-image: url(:/resource/scheduling/power_on.PNG);}")
                                : QStringLiteral("QLabel{border-image: url(:/resource/scheduling/power_off.PNG);}"));
    layout->addWidget(light);
    return cell;
}

void shape(QTableView *table)
{
    table->setStyleSheet(FormStyle::tableStyle());
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->resize(Widths[0] + Widths[1] + Widths[2] + 2, Rows * RowHeight + 2);
}

// The table as the pages filled it: a widget in each check cell and light cell, the names in items.
struct WidgetTable
{
    QTableWidget table;
    QList<QCheckBox *> boxes;

    WidgetTable(bool container, const QList<bool> &checked)
    {
        shape(&table);
        table.setRowCount(Rows);
        table.setColumnCount(3);
        for (int column = 0; column < 3; ++column)
            table.setColumnWidth(column, Widths[column]);
        for (int row = 0; row < Rows; ++row) {
            table.setRowHeight(row, RowHeight);
            QCheckBox *box = nullptr;
            table.setCellWidget(row, 0, checkCell(container, &box));
            box->setChecked(checked.at(row));
            boxes << box;
            table.setCellWidget(row, 1, lightCell(row % 2 == 0));
            table.setItem(row, 2, new QTableWidgetItem(QStringLiteral("Room %1").arg(row)));
        }
    }
};

// The same table from a model, drawn by the delegate.
struct DrawnTable
{
    QTableView table;
    CheckTableModel model{3};
    CheckCellDelegate *delegate;

    DrawnTable(bool container, const QList<bool> &checked)
    {
        shape(&table);
        delegate = CheckCellDelegate::drawRows(&model, &table);
        table.verticalHeader()->setDefaultSectionSize(RowHeight);
        for (int column = 0; column < 3; ++column)
            table.setColumnWidth(column, Widths[column]);
        QCheckBox *box = nullptr;
        QWidget *cell = checkCell(container, &box);
        delegate->setCheckStamp(cell, box);
        delegate->setMarkStamps(1, {lightCell(false), lightCell(true)});
        QVector<CheckTableModel::Row> rows;
        for (int row = 0; row < Rows; ++row)
            rows.append({{QString(), QString(), QStringLiteral("Room %1").arg(row)}, checked.at(row), row % 2 == 0});
        model.setRows(rows);
    }

    QPoint boxCentre(int row) const { return delegate->checkClickRect(model.index(row, 0)).center(); }
};

QImage shot(QTableView &table)
{
    // What the screen shows: a widget's grab() paints afresh, and not every state it paints is the one on screen.
    QWidget *viewport = table.viewport();
    const QPoint at = viewport->mapTo(viewport->window(), QPoint());
    return viewport->screen()
        ->grabWindow(viewport->window()->winId(), at.x(), at.y(), viewport->width(), viewport->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

void TestCheckTable::drawnCellsLookLikeTheirWidgets_data()
{
    QTest::addColumn<int>("stamp");
    QTest::addColumn<bool>("hovered");
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::newRow("bare box") << int(BareBox) << false << Qt::LeftToRight;
    QTest::newRow("box in a container") << int(BoxInContainer) << false << Qt::LeftToRight;
    QTest::newRow("bare box, right to left") << int(BareBox) << false << Qt::RightToLeft;
    QTest::newRow("box in a container, right to left") << int(BoxInContainer) << false << Qt::RightToLeft;
    // Its style sheet gives the box a blue border under the pointer.
    QTest::newRow("box in a container, pointer on the middle row's box")
        << int(BoxInContainer) << true << Qt::LeftToRight;
}

void TestCheckTable::drawnCellsLookLikeTheirWidgets()
{
    QFETCH(int, stamp);
    QFETCH(bool, hovered);
    QFETCH(Qt::LayoutDirection, direction);
    const QList<bool> checked = {true, false, true};
    WidgetTable before(stamp == BoxInContainer, checked);
    DrawnTable after(stamp == BoxInContainer, checked);
    before.table.setLayoutDirection(direction);
    after.table.setLayoutDirection(direction);
    before.table.move(0, 0);
    after.table.move(0, 200);
    before.table.show();
    after.table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&before.table));
    QVERIFY(QTest::qWaitForWindowExposed(&after.table));
    QImage widgets;
    if (hovered) {
        // There is one pointer: it rests on the widget's box for the first picture, on the drawn box for the second.
        QCheckBox *box = before.boxes.at(1);
        QTest::mouseMove(box, box->rect().center());
        QTRY_VERIFY(box->underMouse());
        QTRY_VERIFY(shot(before.table) != shot(after.table));
        widgets = shot(before.table);
        QTest::mouseMove(after.table.viewport(), after.boxCentre(1));
    } else {
        widgets = shot(before.table);
    }
    QTRY_COMPARE(shot(after.table), widgets);
    if (hovered) {
        // The pointer leaves the box: the border goes back to grey.
        QTest::mouseMove(after.table.viewport(), after.table.visualRect(after.model.index(1, 2)).center());
        QTRY_VERIFY(!before.boxes.at(1)->underMouse());
        QTRY_COMPARE(shot(after.table), shot(before.table));
    }
}

void TestCheckTable::aClickOnTheBoxChecksTheRowAsTheWidgetDid()
{
    DrawnTable drawn(true, {false, false, false});
    drawn.table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&drawn.table));
    QSignalSpy clicked(&drawn.model, &CheckTableModel::checkClicked);
    QSignalSpy viewPressed(&drawn.table, &QAbstractItemView::pressed);
    QWidget *viewport = drawn.table.viewport();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, drawn.boxCentre(1));
    QCOMPARE(drawn.model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0), QVariantList({1, true}));
    // The box took the press: the view never saw it, as it never saw a press on the widget.
    QCOMPARE(viewPressed.count(), 0);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, drawn.boxCentre(1));
    QCOMPARE(drawn.model.index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(clicked.at(1), QVariantList({1, false}));

    // Beside the box, in the same cell and in the next one, a click changes nothing and reaches the view.
    const QRect cell = drawn.table.visualRect(drawn.model.index(2, 0));
    const QRect box = drawn.delegate->checkClickRect(drawn.model.index(2, 0));
    QVERIFY(box.isValid() && cell.contains(box));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(cell.left() + 2, cell.center().y()));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(cell.center().x(), cell.bottom() - 1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, drawn.table.visualRect(drawn.model.index(2, 2)).center());
    QCOMPARE(drawn.model.checkedCount(), 0);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(viewPressed.count(), 3);

    // Pressed on the box and let go elsewhere: no click, as with the widget.
    QTest::mousePress(viewport, Qt::LeftButton, {}, drawn.boxCentre(0));
    QTest::mouseMove(viewport, drawn.table.visualRect(drawn.model.index(0, 2)).center());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, drawn.table.visualRect(drawn.model.index(0, 2)).center());
    QVERIFY(!drawn.model.isChecked(0));

    // The page's own changes are not the operator's clicks.
    drawn.model.setChecked(0, true);
    drawn.model.setAllChecked(true);
    QVERIFY(drawn.model.allChecked());
    QCOMPARE(clicked.count(), 2);
}

// The table took no keys: nothing was current, and Space ticked nothing. Its current row is marked while it has the
// keys, the arrows move it, and Space ticks or clears the row's box from any cell of the row, as the operator's
// change; a click on a box makes its row the current one, and rows filled anew (a search, a sort) start at the first.
void TestCheckTable::theKeysTickTheCurrentRow()
{
    DrawnTable drawn(true, {false, false, false});
    drawn.table.setFocusPolicy(Qt::StrongFocus);
    drawn.table.show();
    QVERIFY(QTest::qWaitForWindowActive(&drawn.table));
    drawn.table.setFocus(Qt::TabFocusReason);
    QSignalSpy clicked(&drawn.model, &CheckTableModel::checkClicked);
    QCOMPARE(rowsMarkedForTheKeys(&drawn.table), QSet<int>({0}));
    QTest::keyClick(&drawn.table, Qt::Key_Down);
    QCOMPARE(rowsMarkedForTheKeys(&drawn.table), QSet<int>({1}));
    for (int column = 0; column < 3; ++column) {
        QTest::keyClick(&drawn.table, Qt::Key_Space);
        QCOMPARE(drawn.model.isChecked(1), column != 1);
        QTest::keyClick(&drawn.table, Qt::Key_Right);
    }
    QCOMPARE(QList<QVariantList>(clicked), QList<QVariantList>({{1, true}, {1, false}, {1, true}}));

    QTest::mouseClick(drawn.table.viewport(), Qt::LeftButton, {}, drawn.boxCentre(2));
    QCOMPARE(rowsMarkedForTheKeys(&drawn.table), QSet<int>({2}));
    QTest::keyClick(&drawn.table, Qt::Key_Space);
    QVERIFY(!drawn.model.isChecked(2));
    QCOMPARE(drawn.model.checkedCount(), 1);
    drawn.model.setRows({{{QString(), QString(), QStringLiteral("Room 1")}, true, 1}});
    QCOMPARE(rowsMarkedForTheKeys(&drawn.table), QSet<int>({0}));
}

QTEST_MAIN(TestCheckTable)
#include "tst_shellkit_checktable.moc"
