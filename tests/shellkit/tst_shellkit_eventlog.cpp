// The event log with a log far larger than a screen, on the console's own database file: it opens at its newest rows
// at once, holds only the rows in view, and still shows every row, oldest first, when scrolled to its far end; the
// export writes every row. The dialog is asked only through its widgets, so the same checks read the table as it was
// before it was read a page at a time.

#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QWheelEvent>
#include <QtTest>

#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/UiHelpers.h"
#include "support/TestEnv.h"

namespace {

// More rows than the first read takes on the GUI thread, and more keys than one span of the walk behind it.
constexpr int kRows = 150000;

// The device name of the row inserted n-th.
QString nameOf(int n)
{
    return QStringLiteral("Panel-%1").arg(n, 6, 10, QLatin1Char('0'));
}

QString timeOf(int n)
{
    return QDateTime(QDate(2024, 1, 1), QTime(0, 0))
        .addSecs(qint64(n) * 60)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

class SavedAs : public FileChooser
{
public:
    QString answer;
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return answer; }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};

} // namespace

class TestEventLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void opensAtTheNewestRowsHoldingOnlyThoseInView();
    void scrollingShowsEveryRowDownToTheOldest();
    void exportWritesEveryRow();
    void opensCentredAtItsScaledSize();

private:
    QTableView *view() const { return m_dialog->findChild<QTableView *>(QStringLiteral("tableWidgetLogContent")); }
    // The bar that scrolls the log: the dialog's own, or the table's where it scrolls itself.
    QScrollBar *bar() const
    {
        auto *own = m_dialog->findChild<QScrollBar *>(QStringLiteral("scrollBarLog"));
        return own ? own : view()->verticalScrollBar();
    }
    // The device name in the first or the last row wholly in view.
    QString shownName(bool last) const
    {
        QTableView *table = view();
        const int rowHeight = table->verticalHeader()->defaultSectionSize();
        const int y = last ? (table->viewport()->height() / rowHeight) * rowHeight - rowHeight / 2 : rowHeight / 2;
        return table->indexAt(QPoint(5, y)).data().toString();
    }
    // Scrolls to the log row at the top and checks the row shown there.
    void verifyShownFrom(int top)
    {
        bar()->setValue(top);
        QCOMPARE(bar()->value(), top);
        QTRY_COMPARE(shownName(false), nameOf(top));
        QCOMPARE(view()
                     ->indexAt(QPoint(5, view()->verticalHeader()->defaultSectionSize() / 2))
                     .siblingAtColumn(2)
                     .data()
                     .toString(),
                 timeOf(top));
    }

    TestEnv *m_env = nullptr;
    SavedAs m_chooser;
    EventLogDialog *m_dialog = nullptr;
};

void TestEventLog::initTestCase()
{
    m_env = new TestEnv;
    QVERIFY(m_env->isValid());
    FileChooser::setInstance(&m_chooser);
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    QVERIFY(manager);
    QSqlDatabase db = manager->databaseManager()->database();
    QVERIFY(db.transaction());
    QSqlQuery insert(db);
    QVERIFY(insert.prepare(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 0, ?)")));
    for (int n = 0; n < kRows; ++n) {
        insert.bindValue(0, nameOf(n));
        insert.bindValue(1, timeOf(n));
        QVERIFY(insert.exec());
    }
    QVERIFY(db.commit());
}

void TestEventLog::cleanupTestCase()
{
    delete m_env;
}

void TestEventLog::init()
{
    m_dialog = new EventLogDialog;
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TestEventLog::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
}

void TestEventLog::opensAtTheNewestRowsHoldingOnlyThoseInView()
{
    // At once, before any event is handled: the newest row is the last one in view.
    m_dialog->initial();
    QCOMPARE(shownName(true), nameOf(kRows - 1));
    QVERIFY(!m_dialog->widgetEmptyLog->isVisible());
    QVERIFY(m_dialog->btnExport->isEnabled());
    const int whole = view()->viewport()->height() / view()->verticalHeader()->defaultSectionSize();
    // Three items per row of the whole log made a log of millions freeze the console and cost gigabytes.
    QVERIFY2(view()->model()->rowCount() <= whole + 1, qPrintable(QString::number(view()->model()->rowCount())));

    // The older rows are counted behind it, and the view stays on the newest.
    QTRY_COMPARE(bar()->maximum(), kRows - whole);
    QCOMPARE(bar()->value(), bar()->maximum());
    QCOMPARE(shownName(true), nameOf(kRows - 1));
    QVERIFY(view()->model()->rowCount() <= whole + 1);
}

void TestEventLog::scrollingShowsEveryRowDownToTheOldest()
{
    const int whole = view()->viewport()->height() / view()->verticalHeader()->defaultSectionSize();
    QTRY_COMPARE(bar()->maximum(), kRows - whole);
    // The oldest row, the edges of the pages and of the first read, the middle, the newest.
    for (const int top : {0, 1, 127, 128, 129, 255, 256, kRows / 2, kRows - 2048 - 1, kRows - 2048, kRows - whole}) {
        verifyShownFrom(top);
        QVERIFY(view()->model()->rowCount() <= whole + 1);
    }
    // The wheel moves the log too: three rows a notch, back towards the newest.
    bar()->setValue(0);
    QWheelEvent wheel(QPointF(5, 5), view()->viewport()->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view()->viewport(), &wheel);
    QTRY_COMPARE(shownName(false), nameOf(bar()->value()));
    QVERIFY(bar()->value() > 0);
}

void TestEventLog::exportWritesEveryRow()
{
    m_chooser.answer = m_env->home() + QStringLiteral("/all.txt");
    // Before the walk behind the first read has counted the rows, too.
    m_dialog->btnExport->click();
    // Written on a thread of its own: done once the button takes clicks again.
    QTRY_VERIFY(m_dialog->btnExport->isEnabled());
    QFile file(m_chooser.answer);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(file.readAll());
    QCOMPARE(all.count(QLatin1Char('\n')), kRows + 1);
    QString expected = QStringLiteral("Device Name   Event   Time   \n");
    for (int n = 0; n < kRows; ++n)
        expected += nameOf(n) + QStringLiteral("   Emergency Event   ") + timeOf(n) + QStringLiteral("   \n");
    QVERIFY(all == expected);
}

// At scale 1.4 the dialog grows by the scale once it is built; it was centred at its unscaled size before, and so
// opened too far right and down. Opened again, it is centred anew.
void TestEventLog::opensCentredAtItsScaledSize()
{
    const QSize unscaled = m_dialog->size();
    const auto restore = qScopeGuard([] { initScaleFactorFor(96, 1080); });
    initScaleFactorFor(135, 1080);
    QCOMPARE(getScaleFactor(), 1.4);
    // Opened from the console's window, whose frame tells the one the dialog will get.
    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    EventLogDialog dialog(&owner);
    QVERIFY(dialog.width() > unscaled.width() && dialog.height() > unscaled.height());
    // How far the dialog, with its frame and without, lies from the centre of the screen's available area.
    const auto offCentre = [&dialog]() {
        const QPoint centre = dialog.screen()->availableGeometry().center();
        int off = 0;
        for (const QRect &rect : {dialog.frameGeometry(), dialog.geometry()})
            off = qMax(off, (rect.center() - centre).manhattanLength());
        return off;
    };
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(offCentre() <= 1, qPrintable(QStringLiteral("%1 px off").arg(offCentre())));

    dialog.hide();
    dialog.move(dialog.pos() + QPoint(120, 80));
    dialog.initial();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(offCentre() <= 1, qPrintable(QStringLiteral("%1 px off").arg(offCentre())));
}

QTEST_MAIN(TestEventLog)
#include "tst_shellkit_eventlog.moc"
