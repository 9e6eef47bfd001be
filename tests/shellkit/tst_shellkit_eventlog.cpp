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

#include <algorithm>
#include <csignal>
#include <limits>
#include <sqlite3.h>
#include <sys/resource.h>

#include "datastore/CameraEventTables.h"
#include "datastore/DatabaseManager.h"
#include "datastore/EventLogReader.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/UiHelpers.h"
#include "support/DbProbe.h"
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

// A text of that many characters, made by SQLite itself so that the test does not hold it too.
QString repeatedSql(qint64 characters)
{
    return QStringLiteral("replace(hex(zeroblob(%1)), '0', 'x')").arg(characters / 2);
}

// The export of the model's log to a file, once it is written.
QString exported(EventLogModel &model, const QString &fileName)
{
    bool done = false;
    bool written = false;
    if (!model.exportTo(fileName, [&](bool ok) {
            done = true;
            written = ok;
        }))
        return QStringLiteral("(not started)");
    if (!QTest::qWaitFor([&] { return done; }, 60000) || !written)
        return QStringLiteral("(not written)");
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(not readable)");
}

void prepareModel(EventLogModel &model, const QString &databaseFile)
{
    model.setDatabaseFile(databaseFile);
    model.setHeaders({QStringLiteral("Device Name"), QStringLiteral("Event"), QStringLiteral("Time")});
    model.setEventText(QStringLiteral("Emergency Event"));
    model.setCutNote(QStringLiteral("cut"));
    model.setViewRows(10, 10);
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
    void exportWritesEveryRowOnceWhateverItsKey_data();
    void exportWritesEveryRowOnceWhateverItsKey();
    void opensCentredAtItsScaledSize();
    void logOfAnOlderTableWithoutItsOwnKeyShowsAndExportsEveryRow();
    void cellKeepsAtMostItsCharacters_data();
    void cellKeepsAtMostItsCharacters();
    void hugeValueIsReadOnlyAsFarAsItsCellShowsAndExportedCut();

private:
    // A database made by start-up in a folder of its own under the test's home; its file.
    QString startedDatabase(const QString &folder, const QString &encoding = QString());

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

void TestEventLog::exportWritesEveryRowOnceWhateverItsKey_data()
{
    QTest::addColumn<qint64>("firstKey");
    QTest::newRow("keys from 1") << qint64(1);
    QTest::newRow("keys across 2^31") << (qint64(1) << 31) - 100;
    QTest::newRow("keys beyond 2^32") << (qint64(1) << 32) + 7;
    QTest::newRow("keys up to the largest") << std::numeric_limits<qint64>::max() - 4999;
}

// The export went on after the key of each piece's last row, kept as an int: once keys passed 2^31 (a restored log
// may hold such keys) it began again at the oldest rows, and wrote them for ever, 707 MB in 12 s. Each row is written
// once, whatever its key, in more rows than one piece holds.
void TestEventLog::exportWritesEveryRowOnceWhateverItsKey()
{
    QFETCH(qint64, firstKey);
    constexpr int rows = 5000;
    static int made = 0;
    const QString file = startedDatabase(QStringLiteral("keys-%1").arg(++made));
    QVERIFY(!file.isEmpty());
    {
        DbProbe writer(file, QStringLiteral("keys-writer"));
        QVERIFY(writer.db().transaction());
        for (int n = 0; n < rows; ++n)
            QVERIFY(
                writer.exec(QStringLiteral("INSERT INTO EventLog (did, deviceName, event, time) VALUES (?, ?, 0, ?)"),
                            {firstKey + n, nameOf(n), timeOf(n)}));
        QVERIFY(writer.db().commit());
    }
    // An export that starts over never ends: it stops where the file may grow no further, instead of filling the disk.
    struct rlimit before;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit bounded = before;
    bounded.rlim_cur = std::min<rlim_t>(before.rlim_cur, rlim_t(64) << 20);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &bounded) == 0);
    const auto unbound = qScopeGuard([&]() {
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
    });

    EventLogModel model;
    prepareModel(model, file);
    QVERIFY(model.reload());
    QString expected = QStringLiteral("Device Name   Event   Time   \n");
    for (int n = 0; n < rows; ++n)
        expected += nameOf(n) + QStringLiteral("   Emergency Event   ") + timeOf(n) + QStringLiteral("   \n");
    const QString written = exported(model, m_env->home() + QStringLiteral("/keys.txt"));
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
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

QString TestEventLog::startedDatabase(const QString &folder, const QString &encoding)
{
    const QString path = m_env->home() + QLatin1Char('/') + folder;
    const QString file = path + QStringLiteral("/dbManagement/QuorvinDatabase.db");
    if (!encoding.isEmpty()) {
        // A restore keeps the encoding of the file it was given.
        QDir().mkpath(path + QStringLiteral("/dbManagement"));
        DbProbe made(file, folder + QStringLiteral("-made"));
        made.exec(QStringLiteral("PRAGMA encoding = '%1'").arg(encoding));
        made.exec(QStringLiteral("CREATE TABLE Made (x)"));
    }
    DatabaseManager startUp(path, folder + QStringLiteral("-startup"));
    return startUp.openState() == DatabaseManager::Ready ? file : QString();
}

// A log that an older version began, whose table had no `did`: start-up adds it as a plain column, empty in every row
// and in every row written since, an SOS's too. Paged by `did` the log showed nothing and offered no export; a restore
// of an old backup makes just such a table.
void TestEventLog::logOfAnOlderTableWithoutItsOwnKeyShowsAndExportsEveryRow()
{
    // More than the first read takes: the older rows are counted and read on the loader's thread.
    const int rows = int(EventLogModel::FirstSpan) + 500;
    const QString folder = m_env->home() + QStringLiteral("/older");
    const QString file = folder + QStringLiteral("/dbManagement/QuorvinDatabase.db");
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/dbManagement")));
    {
        DbProbe older(file, QStringLiteral("older"));
        QVERIFY(older.exec(QStringLiteral("CREATE TABLE EventLog (deviceName TEXT, event INTEGER, time TEXT)")));
        QVERIFY(older.db().transaction());
        for (int n = 0; n < rows - 1; ++n)
            QVERIFY(older.exec(QStringLiteral("INSERT INTO EventLog VALUES (?, 0, ?)"), {nameOf(n), timeOf(n)}));
        QVERIFY(older.db().commit());
    }
    {
        DatabaseManager startUp(folder, QStringLiteral("older-startup"));
        QCOMPARE(startUp.openState(), DatabaseManager::Ready);
        VelkEventLog sos;
        sos.deviceName = nameOf(rows - 1);
        sos.time = timeOf(rows - 1);
        QCOMPARE(CameraEventTables::insertEventLog(startUp.database(), sos), DB_OK);
    }
    {
        DbProbe probe(file, QStringLiteral("older-probe"));
        QSqlQuery keys(probe.db());
        QVERIFY(keys.exec(QStringLiteral("SELECT count(*) FROM EventLog WHERE did IS NULL")) && keys.next());
        QCOMPARE(keys.value(0).toInt(), rows);
    }

    EventLogModel model;
    prepareModel(model, file);
    QVERIFY(model.reload());
    QVERIFY(!model.logIsEmpty());
    // At once, the newest row: the SOS written since start-up added the column.
    VelkEventLog row;
    QVERIFY(model.rowAt(model.totalRows() - 1, &row));
    QCOMPARE(row.deviceName, nameOf(rows - 1));
    QTRY_VERIFY(model.isComplete());
    QCOMPARE(model.totalRows(), qint64(rows));
    QVERIFY(!model.readFailed());
    model.setFirstRow(0);
    QTRY_VERIFY(model.rowAt(0, &row));
    QCOMPARE(row.deviceName, nameOf(0));
    QCOMPARE(row.time, timeOf(0));

    QString expected = QStringLiteral("Device Name   Event   Time   \n");
    for (int n = 0; n < rows; ++n)
        expected += nameOf(n) + QStringLiteral("   Emergency Event   ") + timeOf(n) + QStringLiteral("   \n");
    QCOMPARE(exported(model, m_env->home() + QStringLiteral("/older.txt")), expected);
}

void TestEventLog::cellKeepsAtMostItsCharacters_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("characters");
    QTest::addColumn<bool>("cut");
    constexpr int most = EventLogReader::CellChars;
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    for (const QString &encoding : {QStringLiteral("UTF-8"), QStringLiteral("UTF-16le"), QStringLiteral("UTF-16be")}) {
        const QByteArray in = encoding.toLatin1();
        QTest::addRow("%s: as many as a cell holds", in.constData())
            << encoding << QStringLiteral("a") << most << false;
        QTest::addRow("%s: one more", in.constData()) << encoding << QStringLiteral("a") << most + 1 << true;
        // Characters outside the basic plane take two units of a QString, and four bytes in either encoding.
        QTest::addRow("%s: as many wide ones", in.constData()) << encoding << clef << most << false;
        QTest::addRow("%s: one wide one more", in.constData()) << encoding << clef << most + 1 << true;
        QTest::addRow("%s: many more", in.constData()) << encoding << QStringLiteral("\u00e9") << 5 * most << true;
    }
}

// A cell keeps at most CellChars characters of a value, counted as the operator sees them, in whichever encoding the
// file holds its texts; a longer value is cut there and says so.
void TestEventLog::cellKeepsAtMostItsCharacters()
{
    QFETCH(QString, encoding);
    QFETCH(QString, unit);
    QFETCH(int, characters);
    QFETCH(bool, cut);
    static int made = 0;
    const QString file = startedDatabase(QStringLiteral("cells-%1").arg(++made), encoding);
    QVERIFY(!file.isEmpty());
    const QString value = unit.repeated(characters);
    {
        DbProbe writer(file, QStringLiteral("cells-writer"));
        QVERIFY(writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 0, ?)"),
                            {value, QStringLiteral("2024-01-01 00:00:00")}));
    }
    EventLogReader reader;
    QCOMPARE(reader.open(file, 1000), DB_OK);
    QList<VelkEventLog> rows;
    QCOMPARE(reader.pageFrom(1000, 10, rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    const QString shown = rows.first().deviceName;
    QCOMPARE(EventLogReader::isCut(shown), cut);
    QCOMPARE(shown, cut ? unit.repeated(EventLogReader::CellChars) + EventLogReader::CutMark : value);
    QCOMPARE(rows.first().time, QStringLiteral("2024-01-01 00:00:00"));
}

// A restore takes values of up to 64 MB: one such row made opening the Event Log keep the GUI thread for minutes and
// take gigabytes, and no SOS warning could show meanwhile. Only what a cell shows is read of it (SQLite's own reading,
// even cut short in SQL, takes the value whole first); the table shows it cut and says so, and the export writes the
// row with the same cut text.
void TestEventLog::hugeValueIsReadOnlyAsFarAsItsCellShowsAndExportedCut()
{
    constexpr qint64 huge = 60 * 1024 * 1024;
    const QString file = startedDatabase(QStringLiteral("huge"));
    QVERIFY(!file.isEmpty());
    {
        DbProbe writer(file, QStringLiteral("huge-writer"));
        QVERIFY(
            writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES ('Before', 0, 'a')")));
        QVERIFY(writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (%1, %1, %2)")
                                .arg(repeatedSql(huge), repeatedSql(2 * EventLogReader::CellChars))));
        QVERIFY(writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES ('After', 0, 'c')")));
    }
    const QString cut = QString(EventLogReader::CellChars, QLatin1Char('x')) + EventLogReader::CutMark;

    // What SQLite takes for it while the rows are read: the whole value would be 60 MB and more.
    sqlite3_int64 current = 0;
    sqlite3_int64 highest = 0;
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 1);
    if (current == 0)
        QSKIP("this SQLite library keeps no account of its memory");
    EventLogModel model;
    prepareModel(model, file);
    QVERIFY(model.reload());
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 0);
    QVERIFY2(highest < 16 * 1024 * 1024, qPrintable(QString::number(highest)));

    QCOMPARE(model.totalRows(), qint64(3));
    const QModelIndex name = model.index(model.rowCount() - 2, 0);
    QCOMPARE(name.data().toString(), cut);
    QCOMPARE(name.data(Qt::ToolTipRole).toString(), QStringLiteral("cut"));
    QCOMPARE(name.siblingAtColumn(2).data().toString(), cut);
    QVERIFY(!model.index(model.rowCount() - 1, 0).data(Qt::ToolTipRole).isValid());

    const QString expected = QStringLiteral("Device Name   Event   Time   \nBefore   Emergency Event   a   \n") + cut +
                             QStringLiteral("   Emergency Event   ") + cut +
                             QStringLiteral("   \nAfter   Emergency Event   c   \n");
    // The export reads the rows again, and takes as little of the value.
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 1);
    QCOMPARE(exported(model, m_env->home() + QStringLiteral("/huge.txt")), expected);
    sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 0);
    QVERIFY2(highest < 16 * 1024 * 1024, qPrintable(QString::number(highest)));
}

QTEST_MAIN(TestEventLog)
#include "tst_shellkit_eventlog.moc"
