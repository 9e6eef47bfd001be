// How the account synchronisation report looks, at the scales the console runs at: the Sync
// button of an online panel whose synchronisation failed, and the sort arrows.

#include "AccountsTestSupport.h"
#include "support/TestEnv.h"

#include "accounts/AccountReportDialog.h"
#include "accounts/AccountReportRows.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTranslator>

#include <memory>

class TestAccountsReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void syncButtonShowsItsWholeText_data();
    void syncButtonShowsItsWholeText();
    void reasonGetsItsRoomBack_data() { syncButtonShowsItsWholeText_data(); }
    void reasonGetsItsRoomBack();
    void wholeReasonInBothLanguages_data();
    void wholeReasonInBothLanguages();
    void cutNamesShowWholeAsToolTips_data();
    void cutNamesShowWholeAsToolTips();
    void arrowsPointAsTheReportSorts();

private:
    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_dir;
    std::unique_ptr<SimulatedPanel> m_panel;
    VelkMultiUser m_user;
    VelkMultiUser m_setupOffUser;
    VelkMultiUser m_longNamesUser;
};

void TestAccountsReport::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_dir.path()));
    QVERIFY(testDb());
    wipeAccounts();
    m_user = seedUser(QStringLiteral("Ann"));
    // One online panel that failed, and enough offline ones to need the scroll bar.
    assign(m_user.muid, seedPanel(QStringLiteral("Online"), testMac(1)).did, 2, QStringLiteral("2024-05-09 09:00"));
    for (int i = 0; i < 11; ++i)
        assign(m_user.muid,
               seedPanel(QStringLiteral("Offline %1").arg(i),
                         QStringLiteral("02:51:4d:00:02:%1").arg(i, 2, 10, QLatin1Char('0')))
                   .did,
               2, QStringLiteral("2024-05-01 09:%1").arg(i, 2, 10, QLatin1Char('0')));
    // A user whose panels answered that setup from server is off, failed and succeeded, in short-named groups.
    m_setupOffUser = seedUser(QStringLiteral("Chen Wei"));
    VelkGroups floor;
    floor.groupName = QStringLiteral("Floor 1");
    floor.groupType = QStringLiteral("IFP");
    QCOMPARE(testDb()->createGroups(floor), DB_OK);
    for (int i = 0; i < 3; ++i) {
        VelkIFPDevice room = seedPanel(QStringLiteral("Room %1").arg(101 + i),
                                       QStringLiteral("02:51:4d:00:03:%1").arg(i, 2, 10, QLatin1Char('0')));
        QCOMPARE(testDb()->joinGroups(room, floor), DB_OK);
        assign(m_setupOffUser.muid, room.did, 3 - i, QStringLiteral("2024-05-09 10:0%1").arg(i));
    }
    // A user whose panels' names share their first 36 characters, in a long-named group, beside a short one.
    m_longNamesUser = seedUser(QStringLiteral("Dana"));
    VelkGroups building;
    building.groupName = QStringLiteral("Building North Wing Second Floor East");
    building.groupType = QStringLiteral("IFP");
    QCOMPARE(testDb()->createGroups(building), DB_OK);
    const QStringList names = {QStringLiteral("Velk TM B-Series 86 Science Lab Room 301"),
                               QStringLiteral("Velk TM B-Series 86 Science Lab Room 302"), QStringLiteral("Hall")};
    for (int i = 0; i < names.size(); ++i) {
        VelkIFPDevice panel =
            seedPanel(names.at(i), QStringLiteral("02:51:4d:00:04:%1").arg(i, 2, 10, QLatin1Char('0')));
        if (i < 2)
            QCOMPARE(testDb()->joinGroups(panel, building), DB_OK);
        assign(m_longNamesUser.muid, panel.did, 3 - i, QStringLiteral("2024-05-09 11:0%1").arg(i));
    }
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    m_panel = std::make_unique<SimulatedPanel>(identityWith(1, QStringLiteral("kelvo")), directSettings(1));
    m_panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(m_panel->isConnected() && CmdServer::getInstance()->getChannel(m_panel->mac()),
                             QuorvinTryCeilingMs);
}

void TestAccountsReport::cleanupTestCase()
{
    m_panel.reset();
    initScaleFactorFor(96, 1080);
}

void TestAccountsReport::syncButtonShowsItsWholeText_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("screenHeight");
    QTest::newRow("1.0") << 96.0 << 1080;
    QTest::newRow("1.4") << 134.4 << 1080;
    QTest::newRow("2.0") << 192.0 << 2160;
    QTest::newRow("2.25") << 216.0 << 2160;
}

// The six column widths filled the table exactly, so the last one lost the frame and the scroll
// bar, and its button showed "Sy".
void TestAccountsReport::syncButtonShowsItsWholeText()
{
    QFETCH(double, dpi);
    QFETCH(int, screenHeight);
    initScaleFactorFor(dpi, screenHeight);
    AccountReportDialog report;
    report.refreshReport(m_user);
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    QTableWidget *table = report.tableWidgetReport;
    QVERIFY(table->verticalScrollBar()->isVisible());

    QList<QPushButton *> buttons;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (QWidget *cell = table->cellWidget(row, 5))
            buttons << cell->findChildren<QPushButton *>();
    }
    QCOMPARE(buttons.size(), 1);
    QPushButton *sync = buttons.first();
    QCOMPARE(sync->text(), QStringLiteral("Sync"));
    QVERIFY2(sync->width() >= sync->sizeHint().width(),
             qPrintable(QStringLiteral("%1 < %2").arg(sync->width()).arg(sync->sizeHint().width())));
    const QRect inView(sync->mapTo(table->viewport(), QPoint(0, 0)), sync->size());
    QVERIFY2(table->viewport()->rect().contains(inView),
             qPrintable(QStringLiteral("button from x %1 to %2, viewport %3 wide")
                            .arg(inView.left())
                            .arg(inView.right())
                            .arg(table->viewport()->width())));

    // The headers still stand over their columns.
    const QList<QWidget *> headers = {report.reportHeaderPower, report.reportHeaderDevice, report.reportHeaderGroup,
                                      report.reportHeaderSyncStatus, report.reportHeaderTime};
    for (int column = 0; column < headers.size(); ++column) {
        QCOMPARE(headers.at(column)->x() - headers.first()->x(), table->columnViewportPosition(column));
        QCOMPARE(headers.at(column)->width(), table->columnWidth(column));
    }
}

// The Sync button's column was taken from Sync Status, and a failed panel's reason read "Failed, because s...". The
// times need less than their column: the reason gets its room back from Time, whose texts still show whole, and the
// dialog keeps its size.
void TestAccountsReport::reasonGetsItsRoomBack()
{
    QFETCH(double, dpi);
    QFETCH(int, screenHeight);
    initScaleFactorFor(dpi, screenHeight);
    const double scale = getScaleFactor();
    AccountReportDialog report;
    report.refreshReport(m_user);
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    QCOMPARE(report.size(), QSize(ScaleMath::truncScaled(760, scale), ScaleMath::truncScaled(520, scale)));
    QTableWidget *table = report.tableWidgetReport;
    const int statusWidth = table->columnWidth(AccountReportRows::SyncStatusColumn);
    QVERIFY2(statusWidth >= ScaleMath::truncScaled(160, scale),
             qPrintable(QStringLiteral("Sync Status %1 px wide").arg(statusWidth)));
    QStringList cut;
    for (int row = 0; row < table->rowCount(); ++row) {
        auto *time = qobject_cast<QLabel *>(table->cellWidget(row, AccountReportRows::TimeColumn));
        QVERIFY(time);
        const QRect inView(time->mapTo(table->viewport(), QPoint(0, 0)), time->size());
        if (!time->text().startsWith(QStringLiteral("2024-05-")) || time->text().size() != 16 ||
            time->fontMetrics().horizontalAdvance(time->text()) > time->contentsRect().width() || inView.left() < 0 ||
            inView.right() >= table->viewport()->width())
            cut << time->text();
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    QCOMPARE(report.reportHeaderTime->text(), report.reportHeaderTime->toolTip());
    QCOMPARE(report.reportHeaderPower->text(), report.reportHeaderPower->toolTip());
}

void TestAccountsReport::wholeReasonInBothLanguages_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QString>("language");
    QTest::newRow("1.0 en") << 96.0 << QString();
    QTest::newRow("1.4 en") << 134.4 << QString();
    QTest::newRow("1.0 zh_TW") << 96.0 << QStringLiteral("zh_TW");
    QTest::newRow("1.4 zh_TW") << 134.4 << QStringLiteral("zh_TW");
}

// "Failed, because setup from server is off" read "Failed, because setu..." at 1.0 and less at 1.4 while Group, with
// "Floor 1" in it, had room to spare: the reason shows whole, in the dialog's size, and the names and groups too.
void TestAccountsReport::wholeReasonInBothLanguages()
{
    QFETCH(double, dpi);
    QFETCH(QString, language);
    initScaleFactorFor(dpi, 1080);
    const double scale = getScaleFactor();
    QTranslator translator;
    if (!language.isEmpty()) {
        QVERIFY(translator.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_%1.qm").arg(language)));
        QCoreApplication::installTranslator(&translator);
    }
    const auto removeTranslator = qScopeGuard([&translator] { QCoreApplication::removeTranslator(&translator); });
    const QString reason = AccountReportRows::statusText(3);
    QCOMPARE(reason == QStringLiteral("Failed, because setup from server is off"), language.isEmpty());

    AccountReportDialog report;
    report.refreshReport(m_setupOffUser);
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    QCOMPARE(report.size(), QSize(ScaleMath::truncScaled(760, scale), ScaleMath::truncScaled(520, scale)));
    QTableWidget *table = report.tableWidgetReport;
    QCOMPARE(table->rowCount(), 3);
    QStringList cut;
    int reasons = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem *status = table->item(row, AccountReportRows::SyncStatusColumn);
        QVERIFY(status);
        reasons += status->text() == reason ? 1 : 0;
        QCOMPARE(status->toolTip(), status->text());
        for (int column : {int(AccountReportRows::DeviceColumn), int(AccountReportRows::GroupColumn)}) {
            auto *label = qobject_cast<QLabel *>(table->cellWidget(row, column));
            QVERIFY(label);
            const QStringList whole{QStringLiteral("Room 101"), QStringLiteral("Room 102"), QStringLiteral("Room 103"),
                                    QStringLiteral("Floor 1")};
            if (!whole.contains(label->text()))
                cut << label->text();
        }
    }
    QCOMPARE(reasons, 1);
    // The view draws an item's text after the cell's padding and its own margins, and elides what does not fit.
    const int width = table->columnWidth(AccountReportRows::SyncStatusColumn);
    const int text = table->fontMetrics().horizontalAdvance(reason);
    const int drawn = static_cast<QAbstractItemView *>(table)->sizeHintForColumn(AccountReportRows::SyncStatusColumn);
    QVERIFY2(width >= text && width >= drawn,
             qPrintable(QStringLiteral("Sync Status %1 px wide, its reason %2 px, drawn with margins %3 px")
                            .arg(width)
                            .arg(text)
                            .arg(drawn)));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));

    // Every header still stands over its column, and the columns fill the table beside its scroll bar.
    const QList<QWidget *> headers = {report.reportHeaderPower, report.reportHeaderDevice, report.reportHeaderGroup,
                                      report.reportHeaderSyncStatus, report.reportHeaderTime};
    int total = 0;
    for (int column = 0; column < 6; ++column)
        total += table->columnWidth(column);
    QVERIFY(total <= table->viewport()->width() + table->verticalScrollBar()->sizeHint().width());
    for (int column = 0; column < headers.size(); ++column) {
        QCOMPARE(headers.at(column)->x() - headers.first()->x(), table->columnViewportPosition(column));
        QCOMPARE(headers.at(column)->width(), table->columnWidth(column));
    }
}

void TestAccountsReport::cutNamesShowWholeAsToolTips_data()
{
    QTest::addColumn<double>("dpi");
    QTest::newRow("1.0") << 96.0;
    QTest::newRow("1.4") << 134.4;
}

// The reason takes its room from Device and Group, so two panels whose names share their start read alike
// ("Velk TM B-Seri..."), with no tool tip to tell them apart. Every name and group cell carries its whole text as tool
// tip, as the device tables do; the columns keep their widths.
void TestAccountsReport::cutNamesShowWholeAsToolTips()
{
    QFETCH(double, dpi);
    initScaleFactorFor(dpi, 1080);
    AccountReportDialog report;
    report.refreshReport(m_longNamesUser);
    report.show();
    QVERIFY(QTest::qWaitForWindowExposed(&report));
    QTableWidget *table = report.tableWidgetReport;
    QCOMPARE(table->rowCount(), 3);
    int cut = 0;
    QStringList wrong;
    for (int row = 0; row < table->rowCount(); ++row) {
        const VelkUserDevice shown = report.shownRows().at(row);
        const QString whole[] = {shown.deviceName, shown.groupNames};
        for (int column : {int(AccountReportRows::DeviceColumn), int(AccountReportRows::GroupColumn)}) {
            auto *label = qobject_cast<QLabel *>(table->cellWidget(row, column));
            QVERIFY(label);
            const QString &text = whole[column - AccountReportRows::DeviceColumn];
            cut += label->text() != text ? 1 : 0;
            if (label->toolTip() != text)
                wrong << QStringLiteral("%1 (tool tip \"%2\")").arg(label->text(), label->toolTip());
        }
    }
    // Both group cells are cut at these scales (the names too at 1.0); "Hall" is not.
    QVERIFY2(cut >= 2, qPrintable(QString::number(cut)));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral(", "))));
}

// The report sorts its Time column newest first at opening, and shows that with a downward
// arrow; the shared arrows of the other tables keep their look.
void TestAccountsReport::arrowsPointAsTheReportSorts()
{
    initScaleFactorFor(96, 1080);
    AccountReportDialog report;
    report.refreshReport(m_user);
    const auto image = [&report](int column) { return report.indicator(column)->image(); };
    const QString down = QStringLiteral(":/resource/accountMgt/btn_sort_b_pressed.png");
    const QString dimDown = QStringLiteral(":/resource/accountMgt/btn_sort_b_disabled.png");
    const QString up = QStringLiteral(":/resource/accountMgt/btn_sort_a_pressed.png");
    const QString dimUp = QStringLiteral(":/resource/accountMgt/btn_sort_a_disabled.png");
    QCOMPARE(image(AccountReportRows::TimeColumn), down);
    QCOMPARE(image(AccountReportRows::DeviceColumn), dimDown);
    QTest::mouseClick(report.reportHeaderTime, Qt::LeftButton);
    QCOMPARE(image(AccountReportRows::TimeColumn), up);
    QCOMPARE(image(AccountReportRows::DeviceColumn), dimUp);

    SortingIndicator shared(nullptr);
    shared.setState(0);
    QCOMPARE(shared.image(), up);
    shared.setState(3);
    QCOMPARE(shared.image(), dimDown);
}

QTEST_MAIN(TestAccountsReport)
#include "tst_accounts_report.moc"
