#include "OtaSeed.h"
#include "firmware/OtaReportModel.h"
#include "firmware/OtaScheduleRules.h"
#include "firmware/OtaSelection.h"
#include "support/TestEnv.h"

#include <QtTest>

#include <memory>

// What the OTA schedule page and the OTA report show and decide, without a window: rows from out-of-date devices
// and their groups in a real database, search and sort, the refusals on the clock, and the report's rows.
class TestFirmwareOtaModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void groupsCountEachDeviceOnce();
    void filterSortAndChecks();
    void refusals_data();
    void refusals();
    void savedRecordIsStamped();
    void reportRowsBeforeAndAfterStart();
    void reportSearchSortAndRefresh();

private:
    static QStringList names(const OtaSelection &selection, OtaSelection::View view);
    static QStringList names(const OtaReportModel &report);

    std::unique_ptr<TestEnv> m_env;
};

void TestFirmwareOtaModels::initTestCase()
{
    m_env.reset(new TestEnv);
    QVERIFY(OtaSeed::db());
}

void TestFirmwareOtaModels::init()
{
    OtaSeed::wipe();
}

QStringList TestFirmwareOtaModels::names(const OtaSelection &selection, OtaSelection::View view)
{
    QStringList out;
    for (int row = 0; row < selection.rowCount(view); ++row)
        out << (view == OtaSelection::DeviceView ? selection.device(row).deviceName : selection.group(row).groupName);
    return out;
}

QStringList TestFirmwareOtaModels::names(const OtaReportModel &report)
{
    QStringList out;
    for (const VelkOtaScheduleReport *row : report.visibleRows())
        out << row->device.deviceName;
    return out;
}

void TestFirmwareOtaModels::groupsCountEachDeviceOnce()
{
    const VelkIFPDevice a = OtaSeed::device("Room A", "BOX-1", "1.1.1000.1", {"North", "South"});
    const VelkIFPDevice b = OtaSeed::device("Room B", "BOX-1", "1.1.1000.1");
    OtaSeed::device("Room C", "BOX-1", "1.1.2000.1", {"North", "East"}); // up to date: in no row, in no count
    OtaSelection selection;
    selection.load({a, b}, OtaSeed::db(), [](const VelkIFPDevice &d) { return d.deviceName == "Room B"; });

    QCOMPARE(names(selection, OtaSelection::DeviceView), QStringList({"Room A", "Room B"}));
    QCOMPARE(selection.device(0).extraText, QStringLiteral("North, South"));
    QVERIFY(selection.device(1).extraText.isEmpty());
    QVERIFY(!selection.device(0).isOnline);
    QVERIFY(selection.device(1).isOnline);
    QCOMPARE(names(selection, OtaSelection::GroupView), QStringList({"North", "South"}));
    QCOMPARE(selection.group(0).extraValue, 1);
    QCOMPARE(selection.group(1).extraValue, 1);
    QCOMPARE(selection.deviceTotalText(), QStringLiteral("2 devices in total need to be updated"));
    QCOMPARE(selection.groupTotalText(), QStringLiteral("2 groups in total (1 device) need to be updated"));

    // Both groups checked still name one device; the saved record lists the groups, not their devices.
    selection.setAllChecked(OtaSelection::GroupView, true);
    QCOMPARE(selection.selectionText(OtaSelection::GroupView), QStringLiteral("2 groups selected (1 device)"));
    VelkOtaSchedule schedule;
    schedule.devices = {b};
    selection.fillTargets(OtaSelection::GroupView, schedule);
    QCOMPARE(schedule.scheduleTarget, 3);
    QVERIFY(schedule.devices.isEmpty());
    QCOMPARE(schedule.groups.size(), 2);
    QCOMPARE(schedule.groups.at(0).gid, OtaSeed::group("North").gid);

    // Nothing out of date: no rows, "0 device", no group line.
    selection.load({}, OtaSeed::db(), nullptr);
    QCOMPARE(selection.rowCount(OtaSelection::GroupView), 0);
    QCOMPARE(selection.deviceTotalText(), QStringLiteral("0 device in total need to be updated"));
    QVERIFY(selection.groupTotalText().isEmpty());
}

void TestFirmwareOtaModels::filterSortAndChecks()
{
    QList<VelkIFPDevice> old;
    old << OtaSeed::device("b-lab", "ZX", "1.1.1000.1a", {"Science"});
    old << OtaSeed::device("A-hall", "ZX", "1.1.1000.1A");
    old << OtaSeed::device("c-gym", "MM", "1.1.1000.2", {"Sport", "Science"});
    OtaSelection selection;
    selection.load(old, OtaSeed::db(), [](const VelkIFPDevice &d) { return d.deviceName != "b-lab"; });
    const auto D = OtaSelection::DeviceView;
    QCOMPARE(names(selection, D), QStringList({"A-hall", "b-lab", "c-gym"})); // QString order: upper case first

    // The Device arrow starts active: one click reverses it. Model then keeps that direction (state 1: models
    // ascending, ties by name descending); a second click gives state 0.
    selection.clickHeader(D, OtaSelection::DeviceNameColumn);
    QCOMPARE(names(selection, D), QStringList({"c-gym", "b-lab", "A-hall"}));
    selection.clickHeader(D, OtaSelection::ModelColumn);
    QCOMPARE(selection.indicators(D).state(OtaSelection::ModelColumn), 1);
    QCOMPARE(selection.indicators(D).state(OtaSelection::DeviceNameColumn), 3);
    QCOMPARE(names(selection, D), QStringList({"c-gym", "b-lab", "A-hall"}));
    selection.clickHeader(D, OtaSelection::ModelColumn);
    QCOMPARE(names(selection, D), QStringList({"A-hall", "b-lab", "c-gym"}));
    // From a reset, another column's first click is its state 0.
    selection.resetSorting();
    selection.clickHeader(D, OtaSelection::PowerColumn);
    QCOMPARE(names(selection, D), QStringList({"A-hall", "c-gym", "b-lab"})); // online first

    // Check marks stay with their devices through a sort, and a filter clears them.
    selection.setChecked(D, 0, true);
    selection.clickHeader(D, OtaSelection::PowerColumn);
    QCOMPARE(names(selection, D).at(2), QStringLiteral("A-hall"));
    QVERIFY(selection.isChecked(D, 2));
    QCOMPARE(selection.selectionText(D), QStringLiteral("1 device selected"));

    // Version is case-sensitive, names and groups are not; the filtered rows keep the active sort.
    selection.applyFilter(D, "1a", OtaSelection::FieldFwVersion);
    QCOMPARE(names(selection, D), QStringList({"b-lab"}));
    QCOMPARE(selection.checkedCount(D), 0);
    selection.applyFilter(D, "SCIENCE", OtaSelection::FieldGroups | OtaSelection::FieldFwVersion);
    QCOMPARE(names(selection, D), QStringList({"b-lab", "c-gym"})); // offline first, as sorted before
    selection.applyFilter(D, QString(), 0);
    QCOMPARE(selection.rowCount(D), 0);

    // Group view: counts filter as decimal text; Science holds two out-of-date devices.
    const auto G = OtaSelection::GroupView;
    selection.applyFilter(G, "2", OtaSelection::FieldDeviceCount);
    QCOMPARE(names(selection, G), QStringList({"Science"}));
    selection.applyFilter(G, QString(), OtaSelection::FieldGroupName);
    selection.clickHeader(G, OtaSelection::DeviceCountColumn);
    QCOMPARE(names(selection, G), QStringList({"Sport", "Science"}));
    selection.setChecked(G, 0, true);
    selection.setChecked(G, 1, true);
    QVERIFY(selection.allChecked(G));
    QCOMPARE(selection.selectionText(G), QStringLiteral("2 groups selected (2 devices)"));

    // An edited schedule checks its rows by name.
    VelkOtaSchedule stored;
    stored.scheduleTarget = 3;
    stored.groups = {OtaSeed::group("Sport")};
    QCOMPARE(selection.checkTargets(stored), G);
    QCOMPARE(selection.checkedCount(G), 1);
    QVERIFY(selection.isChecked(G, 0));
}

void TestFirmwareOtaModels::refusals_data()
{
    QTest::addColumn<quint32>("editing");
    QTest::addColumn<bool>("updateNow");
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<quint32>("running");
    QTest::addColumn<bool>("otaRunning");
    QTest::addColumn<int>("notice");

    const QDateTime now(QDate(2031, 5, 6), QTime(10, 29, 30));
    const quint32 none = 0xFFFFFFFFu;
    const QDateTime nextMinute(QDate(2031, 5, 6), QTime(10, 30));
    QTest::newRow("next full minute") << 0u << false << nextMinute << none << false << 0;
    QTest::newRow("current minute") << 0u << false << now.addSecs(-30) << none << false
                                    << int(OtaScheduleRules::StartPassed);
    QTest::newRow("yesterday, later hour")
        << 0u << false << nextMinute.addDays(-1).addSecs(3600) << none << false << int(OtaScheduleRules::StartPassed);
    QTest::newRow("tomorrow, earlier hour")
        << 0u << false << nextMinute.addDays(1).addSecs(-7200) << none << false << 0;
    QTest::newRow("update now is not dated") << 0u << true << now.addDays(-3) << none << false << 0;
    QTest::newRow("update now during a run")
        << 0u << true << nextMinute << 7u << true << int(OtaScheduleRules::UpdateNowDuringRun);
    QTest::newRow("update now during the check before a run")
        << 0u << true << nextMinute << none << true << int(OtaScheduleRules::UpdateNowDuringRun);
    QTest::newRow("a new schedule during a run") << 0u << false << nextMinute << 7u << true << 0;
    QTest::newRow("another schedule edited during a run") << 5u << false << nextMinute << 7u << true << 0;
    QTest::newRow("the running schedule edited")
        << 7u << false << nextMinute << 7u << true << int(OtaScheduleRules::EditingRunningSchedule);
    QTest::newRow("the running schedule edited, update now")
        << 7u << true << nextMinute << 7u << true << int(OtaScheduleRules::EditingRunningSchedule);
}

void TestFirmwareOtaModels::refusals()
{
    QFETCH(quint32, editing);
    QFETCH(bool, updateNow);
    QFETCH(QDateTime, start);
    QFETCH(quint32, running);
    QFETCH(bool, otaRunning);
    QFETCH(int, notice);
    OtaScheduleRules::Request request;
    request.editingScheduleId = editing;
    request.updateNow = updateNow;
    request.date = start.date();
    request.hour = start.time().hour();
    request.minute = start.time().minute();
    const QDateTime now(QDate(2031, 5, 6), QTime(10, 29, 30));
    QCOMPARE(int(OtaScheduleRules::check(request, running, otaRunning, now)), notice);
}

void TestFirmwareOtaModels::savedRecordIsStamped()
{
    const QDateTime now(QDate(2031, 1, 2), QTime(9, 5, 59));
    OtaScheduleRules::Request request;
    request.date = QDate(2031, 1, 3);
    request.hour = 7;
    request.minute = 4;
    request.editingScheduleId = 12;
    VelkOtaSchedule schedule;
    OtaScheduleRules::stamp(request, now, schedule);
    QCOMPARE(schedule.date, QStringLiteral("2031-01-03"));
    QCOMPARE(schedule.time, QStringLiteral("07:04"));
    QCOMPARE(schedule.status, 1);
    QVERIFY(schedule.isEnable);
    QCOMPARE(schedule.osid, 12u);
    request.updateNow = true;
    OtaScheduleRules::stamp(request, now, schedule);
    QCOMPARE(schedule.date + ' ' + schedule.time, QStringLiteral("2031-01-02 09:05"));

    // A time in a spring-forward gap does not exist as a QDateTime, but it is a start the runner takes.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    request.updateNow = false;
    request.date = QDate(2027, 3, 28);
    request.hour = 2;
    request.minute = 30;
    QCOMPARE(int(OtaScheduleRules::check(request, 0xFFFFFFFFu, false, QDateTime(QDate(2027, 3, 27), QTime(23, 0)))), 0);
    qunsetenv("TZ");
    tzset();
}

void TestFirmwareOtaModels::reportRowsBeforeAndAfterStart()
{
    const VelkIFPDevice a = OtaSeed::device("Room A", "BOX-1", "1.0", {"North", "South"});
    const VelkIFPDevice b = OtaSeed::device("Room B", "BOX-1", "1.0", {"South"});
    const VelkIFPDevice c = OtaSeed::device("Room C", "BOX-1", "2.0", {"North"});
    VelkOtaSchedule groups = OtaSeed::schedule({}, {"North", "South"}, "2031-05-07 10:30", UPDATE_NOT_STARTED);

    // Not started: the out-of-date members of its groups, each once; nothing before a check.
    OtaReportModel report;
    report.load(groups, OtaSeed::db(), {b, a});
    QCOMPARE(names(report), QStringList({"Room A", "Room B"}));
    const VelkOtaScheduleReport *first = report.visibleRows().at(0);
    QCOMPARE(first->status, 1);
    QVERIFY(first->fwVersion.isEmpty());
    QCOMPARE(first->groupNames, QStringLiteral("North, South"));
    QCOMPARE(first->updateDate, QStringLiteral("2031-05-07 10:30"));
    report.load(groups, OtaSeed::db(), {});
    QCOMPARE(report.rowCount(), 0);

    // Chosen devices are listed whether out of date or not.
    VelkOtaSchedule chosen = groups;
    chosen.scheduleTarget = 2;
    chosen.groups.clear();
    chosen.devices = {c, a};
    report.load(chosen, OtaSeed::db(), {a});
    QCOMPARE(names(report), QStringList({"Room A", "Room C"}));

    // Started: the stored rows, whatever the target.
    QList<VelkIFPDevice> rows = {a, c};
    QCOMPARE(OtaSeed::db()->insertOtaScheduleReport(groups, rows), DB_OK);
    VelkIFPDevice updated = c;
    updated.fwVersion = "2.1";
    QCOMPARE(OtaSeed::db()->updateOtaScheduleReport(updated, groups, 4), DB_OK);
    groups.status = 2;
    report.load(groups, OtaSeed::db(), {b, a});
    QCOMPARE(names(report), QStringList({"Room A", "Room C"}));
    QCOMPARE(report.visibleRows().at(1)->fwVersion, QStringLiteral("2.1"));
    QCOMPARE(report.visibleRows().at(1)->groupNames, QStringLiteral("North"));
    QCOMPARE(OtaReportModel::totalText(report.rowCount()), QStringLiteral("2 devices in total"));
    QCOMPARE(OtaReportModel::totalText(1), QStringLiteral("1 device in total"));
}

void TestFirmwareOtaModels::reportSearchSortAndRefresh()
{
    const char *models[] = {"ZX", "MM", "ZX", "MM"};
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 4; ++i)
        devices << OtaSeed::device(QStringLiteral("Dev %1").arg(i), models[i], "1.0");
    VelkOtaSchedule schedule = OtaSeed::schedule(devices, {}, "2031-05-07 10:30", UPDATE_UPDATING);
    QCOMPARE(OtaSeed::db()->insertOtaScheduleReport(schedule, schedule.devices), DB_OK);
    QCOMPARE(OtaSeed::db()->updateOtaScheduleReport(schedule.devices[1], schedule, 2), DB_OK);
    QCOMPARE(OtaSeed::db()->updateOtaScheduleReport(schedule.devices[2], schedule, 3), DB_OK);
    QCOMPARE(OtaSeed::db()->updateOtaScheduleReport(schedule.devices[3], schedule, 3), DB_OK);

    OtaReportModel report;
    report.load(schedule, OtaSeed::db(), {});
    QCOMPARE(names(report), QStringList({"Dev 0", "Dev 1", "Dev 2", "Dev 3"}));
    // Device is active: a click reverses it; Model then sorts in state 1 (ascending, ties by name descending),
    // and again in state 0 (descending, ties by name ascending).
    report.clickColumn(OtaReportModel::DeviceColumn);
    QCOMPARE(names(report), QStringList({"Dev 3", "Dev 2", "Dev 1", "Dev 0"}));
    report.clickColumn(OtaReportModel::ModelColumn);
    QCOMPARE(names(report), QStringList({"Dev 3", "Dev 1", "Dev 2", "Dev 0"}));
    report.clickColumn(OtaReportModel::ModelColumn);
    QCOMPARE(names(report), QStringList({"Dev 0", "Dev 2", "Dev 1", "Dev 3"}));
    report.clickColumn(OtaReportModel::StatusColumn);
    QCOMPARE(names(report), QStringList({"Dev 0", "Dev 1", "Dev 2", "Dev 3"}));

    // The status text is searched whatever the case; counts follow the search, not the status filter.
    report.setSearchText("updating");
    QCOMPARE(names(report), QStringList({"Dev 1"}));
    report.setSearchText("Dev");
    report.setStatusFilter(3);
    QCOMPARE(names(report), QStringList({"Dev 2", "Dev 3"}));
    QCOMPARE(report.counts().all, 4);
    QCOMPARE(report.counts().failed, 2);
    report.setSearchText("2031-05-07 10:30"); // date and time are searched as written
    QCOMPARE(report.counts().all, 4);

    // A refresh of the schedule shown keeps search, status filter and sort; another schedule changes nothing.
    report.setSearchText("dev");
    QCOMPARE(OtaSeed::db()->updateOtaScheduleReport(schedule.devices[0], schedule, 3), DB_OK);
    VelkOtaSchedule other = schedule;
    other.osid = schedule.osid + 1;
    QVERIFY(!report.refresh(other, OtaSeed::db(), {}));
    QCOMPARE(report.counts().failed, 2);
    QVERIFY(report.refresh(schedule, OtaSeed::db(), {}));
    QCOMPARE(report.searchText(), QStringLiteral("dev"));
    QCOMPARE(report.statusFilter(), 3);
    QCOMPARE(report.indicators().state(OtaReportModel::StatusColumn), 0);
    QCOMPARE(names(report), QStringList({"Dev 0", "Dev 2", "Dev 3"}));
    // A new opening starts over.
    report.load(schedule, OtaSeed::db(), {});
    QCOMPARE(report.statusFilter(), 0);
    QCOMPARE(report.indicators().state(OtaReportModel::DeviceColumn), 0);
}

QTEST_GUILESS_MAIN(TestFirmwareOtaModels)
#include "tst_firmware_otamodels.moc"
