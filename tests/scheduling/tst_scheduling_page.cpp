#include "SchedulingTestSupport.h"

#include "firmware/IFPUpgradeManager.h"
#include "scheduling/AutoTestRunner.h"
#include "scheduling/AutoTestScheduleReportDialog.h"
#include "scheduling/AutoTestScheduleSetting.h"
#include "scheduling/DeviceControlRunner.h"
#include "scheduling/DeviceControlScheduleSetting.h"
#include "scheduling/PowerOnReach.h"
#include "scheduling/ScheduleSettingSelection.h"
#include "scheduling/ScheduleTableText.h"
#include "scheduling/Scheduling.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/PowerOnNotification.h"
#include "shell/kit/SortingIndicator.h"
#include "support/DatabaseHold.h"
#include "support/HoldKinds.h"
#include "support/SavingProgram.h"
#include "support/ShortDatabaseWaits.h"

#include <QMenu>
#include <QScopeGuard>

// The Schedule Setup page offscreen on a real database: what the editors store, what the tables show after the runners
// wrote, the delete question against a table reloaded under it, and the auto-test report's counts and sorting.
class TestSchedulingPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void addScheduleOpensTheKindSelection();
    void deviceControlEditorStoresWhatWasEntered();
    void powerOnNotesTheDevicesItCannotWake_data();
    void powerOnNotesTheDevicesItCannotWake();
    void autoTestEditorStoresWhatWasEntered();
    void failedWritesReportNothingSaved();
    void savedInItsDueSecondFiresOnce();
    void tableFollowsTheAutoTestRun();
    void testsDueTogetherReloadTheTableOncePerPass();
    void enableSwitchReachesTheRunners();
    void deleteAfterTheTableReloaded();
    void reportCountsAndSorting();
    void searchFilterBarAndGuide();
    void startupClosesAnInterruptedTest_data();
    void startupClosesAnInterruptedTest();
    void runUnderWayEndsWithItsCheck_data();
    void runUnderWayEndsWithItsCheck();
    void laterChangesStandAfterTheHeldState_data();
    void deletedTestGetsNoHeldRows_data();
    void deletedTestGetsNoHeldRows();
    void refusedChangesShowTheStoredState_data();
    void refusedChangesShowTheStoredState();
    void refusedEditorSavesSayWhy_data();
    void refusedEditorSavesSayWhy();
    void laterChangesStandAfterTheHeldState();
    void selectAllFollowsTheRows();
    void deviceControlRowsNameTheirTargets();

private:
    QList<VelkIFPDevice> seedDevices(int count);
    quint32 seedAutoTest(const QString &time, int status, const QList<VelkIFPDevice> &devices);
    // Panel 1, connected as that device once the panel of a test before is gone; shut down when the result goes.
    std::shared_ptr<SimulatedPanel> connectedPanel(const VelkIFPDevice &device);
    static void trigger(QMenu *menu, int index) { menu->actions().at(index)->trigger(); }

    std::unique_ptr<SchedulingFixture> m_fx;
};

static const QDate Monday(2027, 3, 1);

void TestSchedulingPage::initTestCase()
{
    m_fx.reset(new SchedulingFixture);
}

void TestSchedulingPage::init()
{
    m_fx->wipe();
}

QList<VelkIFPDevice> TestSchedulingPage::seedDevices(int count)
{
    QList<VelkIFPDevice> devices;
    for (int serial = 1; serial <= count; ++serial)
        devices << addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial),
                                    QStringLiteral("10.0.0.%1").arg(serial));
    return devices;
}

quint32 TestSchedulingPage::seedAutoTest(const QString &time, int status, const QList<VelkIFPDevice> &devices)
{
    VelkAutoTestSchedule schedule;
    schedule.scheduleTarget = 2;
    schedule.time = time;
    schedule.status = status;
    schedule.isEnable = true;
    schedule.isMon = true;
    schedule.devices = devices;
    m_fx->db()->insertAutoTestSchedule(schedule);
    return schedule.tsid;
}

std::shared_ptr<SimulatedPanel> TestSchedulingPage::connectedPanel(const VelkIFPDevice &device)
{
    if (!QTest::qWaitFor([&] { return m_fx->server()->connectionState(device.macAddress) == CmdServer::Offline; }))
        qWarning("the panel of a test before is still connected");
    std::shared_ptr<SimulatedPanel> panel(m_fx->panel(1, 0).release(), [](SimulatedPanel *gone) {
        gone->shutDown();
        delete gone;
    });
    panel->start();
    if (!QTest::qWaitFor([&] { return m_fx->server()->isDeviceOnline(device); }))
        qWarning("the panel did not connect");
    return panel;
}

// "Add Schedule" asks the update manager for a new-schedule check; its answer opens the kind selection, whose
// firmware-update kind follows the check's count.
void TestSchedulingPage::addScheduleOpensTheKindSelection()
{
    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    QSignalSpy clicked(&page, &Scheduling::btnAddScheduleClicked);
    page.btnAddSchedule->click();
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!page.settingDialog()->isVisible()); // opened by the answer, from the event loop
    QTRY_VERIFY(page.settingDialog()->isVisible());
    QCOMPARE(page.settingDialog()->scheduleStackedWidget->currentIndex(), 0);
    ScheduleSettingSelection *selection = page.settingDialog()->selectionPage();
    // No update server is configured here: the check finds no out-of-date device, or fails.
    const int count = IFPUpgradeManager::getInstance()->getOldDevicesCount();
    QVERIFY(count <= 0);
    QVERIFY(!selection->btnToFwUpdate->isEnabled());
    QCOMPARE(selection->labelHintOldDevice->text(), count < 0 ? QStringLiteral("Failed to check firmware version.")
                                                              : QStringLiteral("No devices are out of date."));
    selection->btnToDeviceControl->click();
    QCOMPARE(page.settingDialog()->scheduleStackedWidget->currentIndex(), 1);
    page.settingDialog()->deviceControlPage()->btnCancel->click();
    QCOMPARE(page.settingDialog()->scheduleStackedWidget->currentIndex(), 0);
    page.settingDialog()->close();
}

// A new schedule: 07:05 power-on, Monday and Wednesday, two chosen devices. The power-on notice closed by its title bar
// still lets the page plan the schedule; the stored row holds exactly the form.
void TestSchedulingPage::deviceControlEditorStoresWhatWasEntered()
{
    const QList<VelkIFPDevice> devices = seedDevices(3);
    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    DeviceControlScheduleSetting *editor = dialog->deviceControlPage();
    QSignalSpy saved(dialog, &Scheduling_Setting::deviceControlScheduleSettingSavedSuccess);
    dialog->switchToPage(1);
    dialog->show();

    QVERIFY(editor->rBtn_SelectDevice->isChecked());
    QCOMPARE(editor->rowCheckBoxes().size(), 3);
    editor->btnSave->click();
    QCOMPARE(editor->warningText(), QStringLiteral("Please at least select one schedule."));
    QCOMPARE(storedSchedules().size(), 0);

    editor->checkBox_mon->setChecked(true);
    editor->checkBox_wed->setChecked(true);
    editor->btnSave->click();
    QCOMPARE(editor->warningText(), QStringLiteral("Please at least select one request.(On/Off)"));
    editor->checkBox_onTime->setChecked(true);
    editor->spinBox_onTime_HR->setValue(7);
    editor->spinBox_onTime_Min->setValue(5);
    editor->btnSave->click();
    QCOMPARE(editor->warningText(), QStringLiteral("Please at least select one device."));
    editor->rowCheckBoxes().at(0)->setChecked(true);
    editor->rowCheckBoxes().at(2)->setChecked(true);
    editor->btnSave->click();
    QVERIFY(editor->warningText().isEmpty());
    QVERIFY(editor->powerOnNotice()->isVisible());
    QCOMPARE(saved.count(), 0);
    editor->powerOnNotice()->reject(); // the title bar's close button
    QCOMPARE(saved.count(), 1);
    QVERIFY(!dialog->isVisible());

    const QList<VelkSchedule> stored = storedSchedules();
    QCOMPARE(stored.size(), 1);
    const VelkSchedule &schedule = stored.first();
    QCOMPARE(schedule.onTime, QStringLiteral("07:05"));
    QVERIFY(schedule.isPowerOn && !schedule.isPowerOff && !schedule.isReboot);
    QVERIFY(schedule.offTime.isEmpty() && schedule.rebootTime.isEmpty());
    QVERIFY(schedule.isMon && schedule.isWed && !schedule.isTue && !schedule.isThu && !schedule.isFri);
    QVERIFY(!schedule.isSat && !schedule.isSun && schedule.isEnable);
    QCOMPARE(schedule.scheduleObject, 2);
    QList<VelkIFPDevice> linked;
    QCOMPARE(m_fx->db()->queryDeviceBySchedule(schedule, linked), DB_OK);
    QCOMPARE(linked.size(), 2);
    QCOMPARE(linked.at(0).deviceName, devices.at(0).deviceName);
    QCOMPARE(linked.at(1).deviceName, devices.at(2).deviceName);
    // The page reloaded and planned it: today is Monday.
    QCOMPARE(page.tableWidget->rowCount(), 1);
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 1);

    // Edited: the reboot request added, the power-on switched off keeps its time; the stored rows come back checked.
    dialog->editDeviceControlSchedule(schedule);
    QVERIFY(editor->rowCheckBoxes().at(0)->isChecked() && !editor->rowCheckBoxes().at(1)->isChecked());
    QCOMPARE(editor->spinBox_onTime_HR->value(), 7);
    editor->checkBox_onTime->setChecked(false);
    editor->checkBox_rebootTime->setChecked(true);
    editor->spinBox_rebootTime_HR->setValue(23);
    editor->spinBox_rebootTime_Min->setValue(59);
    editor->btnSave->click();
    QCOMPARE(saved.count(), 2);
    const VelkSchedule edited = storedSchedules().first();
    QCOMPARE(edited.sid, schedule.sid);
    QVERIFY(!edited.isPowerOn && edited.isReboot);
    QCOMPARE(edited.onTime, QStringLiteral("07:05"));
    QCOMPARE(edited.rebootTime, QStringLiteral("23:59"));
}

void TestSchedulingPage::powerOnNotesTheDevicesItCannotWake_data()
{
    QTest::addColumn<int>("target"); // 1 All, 2 chosen devices, 3 groups
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("unwakeable");
    QTest::newRow("all") << 1 << QStringList() << 1;
    QTest::newRow("chosen devices") << 2 << QStringList{"Panel-1", "By address"} << 1;
    // A device in two groups of the schedule is one device the power-on can't wake.
    QTest::newRow("groups") << 3 << QStringList{"Hall", "Front"} << 1;
    QTest::newRow("a group it can wake whole") << 3 << QStringList{"Lab"} << 0;
}

// Wake-on-LAN goes by MAC. A power-on was refused for chosen devices without one, and stored without a word for All or
// a group holding them, whose schedule then showed Enabled while the runner only logged that it could not wake them.
// One rule for every target: the schedule is stored, the notice of the save names how many devices On Time can't
// wake, and so does its row in the table; a schedule it can wake whole says nothing of the kind.
void TestSchedulingPage::powerOnNotesTheDevicesItCannotWake()
{
    QFETCH(int, target);
    QFETCH(QStringList, rows);
    QFETCH(int, unwakeable);
    addManagedDevice(QStringLiteral("Panel-1"), testMac(1), QStringLiteral("10.0.0.1"));
    addManagedDevice(QStringLiteral("By address"), QString(), QStringLiteral("10.0.0.2"));
    addManagedDevice(QStringLiteral("Panel-3"), testMac(3), QStringLiteral("10.0.0.3"));
    m_fx->group(QStringLiteral("Hall"), {QStringLiteral("Panel-1"), QStringLiteral("By address")});
    m_fx->group(QStringLiteral("Front"), {QStringLiteral("By address")});
    m_fx->group(QStringLiteral("Lab"), {QStringLiteral("Panel-3")});
    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    DeviceControlScheduleSetting *editor = dialog->deviceControlPage();
    QSignalSpy saved(dialog, &Scheduling_Setting::deviceControlScheduleSettingSavedSuccess);
    dialog->switchToPage(1);
    dialog->show();

    QRadioButton *targets[] = {nullptr, editor->rBtn_All, editor->rBtn_SelectDevice, editor->rBtn_Group};
    targets[target]->click();
    if (target == 2) {
        // The device without a MAC says how it is reached, as the device list does.
        QCOMPARE(editor->rowCheckBoxes().at(0)->text(), QStringLiteral("By address"));
        QCOMPARE(editor->tableWidget->item(0, 2)->text(), QStringLiteral("By IP address"));
        QCOMPARE(editor->tableWidget->item(1, 2)->text(), testMac(1));
    }
    editor->checkBox_everyday->setChecked(true);
    editor->checkBox_onTime->setChecked(true);
    editor->checkBox_offTime->setChecked(true);
    editor->spinBox_offTime_HR->setValue(18);
    for (QCheckBox *row : editor->rowCheckBoxes())
        row->setChecked(rows.contains(row->text()));
    editor->btnSave->click();
    QVERIFY2(editor->warningText().isEmpty(), qPrintable(editor->warningText()));
    QVERIFY(editor->powerOnNotice()->isVisible());
    const QString note = PowerOnReach::noteText(unwakeable);
    QCOMPARE(editor->powerOnNotice()->note(), note);
    QCOMPARE(note.contains(QStringLiteral("can't wake %1 device").arg(unwakeable)), unwakeable > 0);
    QCOMPARE(editor->powerOnNotice()->labelNote->isVisible(), unwakeable > 0);
    // The note has its room: the button stays below it.
    QVERIFY(editor->powerOnNotice()->btnOk->geometry().top() >
                editor->powerOnNotice()->labelNote->geometry().bottom() ||
            unwakeable == 0);
    editor->powerOnNotice()->btnOk->click();
    QCOMPARE(saved.count(), 1);
    const QList<VelkSchedule> stored = storedSchedules();
    QCOMPARE(stored.size(), 1);
    QVERIFY(stored.first().isPowerOn && stored.first().isPowerOff);
    QCOMPARE(stored.first().scheduleObject, target);

    QCOMPARE(page.tableWidget->rowCount(), 1);
    QTableWidgetItem *onTime = page.tableWidget->item(0, 1);
    QCOMPARE(onTime->text(), stored.first().onTime);
    QCOMPARE(onTime->toolTip(), note);
    QCOMPARE(onTime->icon().isNull(), unwakeable == 0);
}

// A new auto-test: 00:00 every day on the second group a filter kept; an edit to chosen devices replaces the links and
// starts the schedule afresh while it keeps its enable flag.
void TestSchedulingPage::autoTestEditorStoresWhatWasEntered()
{
    const QList<VelkIFPDevice> devices = seedDevices(3);
    m_fx->group(QStringLiteral("Hall East"), {devices.at(0).deviceName});
    m_fx->group(QStringLiteral("Hall West"), {devices.at(1).deviceName});
    m_fx->group(QStringLiteral("Library"), {devices.at(2).deviceName});
    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    AutoTestScheduleSetting *editor = dialog->autoTestPage();
    QSignalSpy saved(dialog, &Scheduling_Setting::autoTestScheduleSettingSavedSuccess);
    dialog->switchToPage(3);
    dialog->show();

    editor->checkBox_everyday->setChecked(true);
    editor->checkBox_wed->setChecked(false); // "Every Day" goes, the other six stay
    QVERIFY(!editor->checkBox_everyday->isChecked() && editor->checkBox_tue->isChecked());
    editor->checkBox_wed->setChecked(true);
    QVERIFY(editor->checkBox_everyday->isChecked());
    editor->rBtn_Group->setChecked(true);
    QCOMPARE(editor->rowCheckBoxes().size(), 3);
    editor->lineEditFilter->setFocus();
    QTRY_VERIFY(editor->lineEditFilter->hasFocus());
    QTest::keyClicks(editor->lineEditFilter, QStringLiteral("hall"));
    QTest::keyClick(editor->lineEditFilter, Qt::Key_Return);
    QCOMPARE(editor->rowCheckBoxes().size(), 2);
    editor->rowCheckBoxes().at(1)->setChecked(true);
    editor->btnSave->click();
    QCOMPARE(saved.count(), 1);

    VelkAutoTestSchedule stored = storedAutoTests().value(0);
    QCOMPARE(stored.time, QStringLiteral("00:00"));
    QVERIFY(stored.isMon && stored.isTue && stored.isWed && stored.isThu && stored.isFri && stored.isSat &&
            stored.isSun);
    QCOMPARE(stored.scheduleTarget, 3);
    QCOMPARE(stored.status, 1);
    QCOMPARE(stored.groups.size(), 1);
    QCOMPARE(stored.groups.at(0).groupName, QStringLiteral("Hall West"));
    QCOMPARE(page.comboBoxType->currentIndex(), 2);

    stored.isEnable = false;
    stored.status = 3;
    QCOMPARE(m_fx->db()->updateAutoTestScheduleState(stored), DB_OK);
    stored = storedAutoTests().value(0);
    dialog->editAutoTestSchedule(stored);
    QVERIFY(editor->rBtn_Group->isChecked());
    QVERIFY(editor->rowCheckBoxes().at(1)->isChecked() && !editor->rowCheckBoxes().at(0)->isChecked());
    editor->spinBox_onTime_HR->setValue(7);
    editor->spinBox_onTime_Min->setValue(5);
    editor->rBtn_SelectDevice->setChecked(true);
    editor->rowCheckBoxes().at(0)->setChecked(true);
    editor->btnSave->click();
    QCOMPARE(saved.count(), 2);
    const VelkAutoTestSchedule edited = storedAutoTests().value(0);
    QCOMPARE(edited.tsid, stored.tsid);
    QCOMPARE(edited.time, QStringLiteral("07:05"));
    QCOMPARE(edited.scheduleTarget, 2);
    QCOMPARE(edited.status, 1);
    QVERIFY(!edited.isEnable);
    QCOMPARE(edited.devices.size(), 1);
    QCOMPARE(edited.devices.at(0).deviceName, devices.at(0).deviceName);
    QList<VelkGroups> groups;
    QCOMPARE(m_fx->db()->queryGroupsByAutoTestSchedule(edited, groups), DB_OK);
    QVERIFY(groups.isEmpty());
}

// A write the database refuses (a trigger raises an error): the badge says so, nothing is stored, nothing is reported
// saved, the dialog stays open.
void TestSchedulingPage::failedWritesReportNothingSaved()
{
    seedDevices(1);
    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    QSignalSpy savedControl(dialog, &Scheduling_Setting::deviceControlScheduleSettingSavedSuccess);
    QSignalSpy savedTest(dialog, &Scheduling_Setting::autoTestScheduleSettingSavedSuccess);
    QSqlQuery sql(QSqlDatabase::database());
    QVERIFY(sql.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_schedule BEFORE INSERT ON Schedule "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    QVERIFY(sql.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_test BEFORE INSERT ON AutoTestSchedule "
                                    "BEGIN SELECT RAISE(ABORT, 'refused'); END")));

    dialog->switchToPage(1);
    dialog->show();
    DeviceControlScheduleSetting *control = dialog->deviceControlPage();
    control->checkBox_fri->setChecked(true);
    control->checkBox_offTime->setChecked(true);
    control->rowCheckBoxes().at(0)->setChecked(true);
    control->btnSave->click();
    QCOMPARE(control->warningText(), QStringLiteral("The schedule could not be saved."));
    QVERIFY(!control->powerOnNotice()->isVisible());

    dialog->switchToPage(3);
    AutoTestScheduleSetting *test = dialog->autoTestPage();
    test->checkBox_fri->setChecked(true);
    test->rBtn_All->setChecked(true);
    test->btnSave->click();
    QCOMPARE(test->warningText(), QStringLiteral("The schedule could not be saved."));

    QVERIFY(sql.exec(QStringLiteral("DROP TRIGGER refuse_schedule")));
    QVERIFY(sql.exec(QStringLiteral("DROP TRIGGER refuse_test")));
    QCOMPARE(savedControl.count() + savedTest.count(), 0);
    QVERIFY(dialog->isVisible());
    QCOMPARE(storedSchedules().size(), 0);
    QCOMPARE(storedAutoTests().size(), 0);
    dialog->close();
}

// Saving a schedule in its own due second: every table fill rebuilds the plan, and the task still fires once.
void TestSchedulingPage::savedInItsDueSecondFiresOnce()
{
    seedDevices(1);
    ManualClock clock(QDateTime(Monday, QTime(8, 0)).addMSecs(300));
    Scheduling page(&clock);
    QSignalSpy fired(page.deviceControlRunner(), &DeviceControlRunner::taskFired);
    Scheduling_Setting *dialog = page.settingDialog();
    dialog->switchToPage(1);
    DeviceControlScheduleSetting *editor = dialog->deviceControlPage();
    editor->checkBox_mon->setChecked(true);
    editor->checkBox_offTime->setChecked(true);
    editor->spinBox_offTime_HR->setValue(8);
    editor->rBtn_All->setChecked(true);
    editor->btnSave->click();
    page.initial();
    QCOMPARE(fired.count(), 1);
    QCOMPARE(fired.at(0).at(0).value<ScheduleTask>().action, int(SchedulePowerOff));
}

// The auto-test table during a run: "Scheduling" with its Enable and Edit locked, then "Failed (1)" for the panel that
// never answered.
void TestSchedulingPage::tableFollowsTheAutoTestRun()
{
    const QList<VelkIFPDevice> devices = seedDevices(1);
    seedAutoTest(QStringLiteral("10:00"), 4, devices);
    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    Scheduling page(&clock);
    page.comboBoxType->setCurrentIndex(2);
    QCOMPARE(page.stackedWidgetTables->currentIndex(), 2);
    auto statusText = [&] { return qobject_cast<QLabel *>(page.tableWidgetAutoTest->cellWidget(0, 4))->toolTip(); };
    QCOMPARE(statusText(), QStringLiteral("Successfully"));

    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QCOMPARE(statusText(), QStringLiteral("Scheduling"));
    QVERIFY(!page.autoTestEnableComboBoxes().at(0)->isEnabled());
    QVERIFY(!page.rowMenu(2, 0)->actions().at(0)->isEnabled());

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QCOMPARE(statusText(), QStringLiteral("Failed (1)"));
    QVERIFY(page.autoTestEnableComboBoxes().at(0)->isEnabled());
}

// Four auto-tests due in the same minute, each for a panel that is off: every test wakes its panel and gets its report
// row, and the table is reloaded once for the pass, not once per test (a reload per test made a pass cost the square
// of the number of tests and held the console for minutes); the same for the four checks 90 s later.
void TestSchedulingPage::testsDueTogetherReloadTheTableOncePerPass()
{
    constexpr int Tests = 4;
    QList<VelkIFPDevice> devices;
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    // MACs of their own: a burst of an earlier test that is still on its way is not counted for these panels.
    constexpr int FirstSerial = 41;
    for (int serial = FirstSerial; serial < FirstSerial + Tests; ++serial) {
        devices << addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
        seedAutoTest(QStringLiteral("10:00"), 1, {devices.last()});
        panels.push_back(m_fx->panel(serial, serial - FirstSerial));
    }
    struct WakeReset
    {
        WakeCounter &wake;
        ~WakeReset() { wake.onPacket = nullptr; }
    } wakeReset{m_fx->wake()};
    m_fx->wake().onPacket = [&](const QString &mac) {
        for (auto &panel : panels) {
            if (panel->mac().toLower() == mac && panel->state() == SimulatedPanel::Off)
                panel->wake();
        }
    };
    ManualClock clock(QDateTime(Monday, QTime(9, 59, 30)));
    Scheduling page(&clock);
    page.comboBoxType->setCurrentIndex(2);
    QSignalSpy fired(page.autoTestRunner(), &AutoTestRunner::taskFired);
    QSignalSpy changed(page.autoTestRunner(), &AutoTestRunner::schedulesChanged);
    // Every fill of the table empties it first.
    QSignalSpy fills(page.tableWidgetAutoTest->model(), &QAbstractItemModel::rowsRemoved);
    auto statusText = [&](int row) {
        return qobject_cast<QLabel *>(page.tableWidgetAutoTest->cellWidget(row, 4))->toolTip();
    };
    auto reportOf = [&](const VelkAutoTestSchedule &schedule) {
        QList<VelkAutoTestScheduleReport> rows;
        if (m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(schedule, rows) != DB_OK)
            rows.clear();
        return rows;
    };

    // The pass writes its states and rows in one commit; another connection sees them once the pass is over.
    auto committed = [&](const QString &sql) {
        int count = -1;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("observer"));
            other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            other.setDatabaseName(QSqlDatabase::database().databaseName());
            if (other.open()) {
                QSqlQuery query(other);
                if (query.exec(sql) && query.next())
                    count = query.value(0).toInt();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("observer"));
        return count;
    };

    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QCOMPARE(fired.count(), Tests);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(fills.count(), 1);
    QCOMPARE(committed(QStringLiteral("SELECT COUNT(*) FROM AutoTestSchedule WHERE status = 2")), Tests);
    QCOMPARE(committed(QStringLiteral("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE status = 2")), Tests);
    QCOMPARE(page.tableWidgetAutoTest->rowCount(), Tests);
    const QList<VelkAutoTestSchedule> running = storedAutoTests();
    QCOMPARE(running.size(), Tests);
    for (int row = 0; row < Tests; ++row) {
        QCOMPARE(statusText(row), QStringLiteral("Scheduling"));
        QCOMPARE(running.at(row).status, 2);
        const QList<VelkAutoTestScheduleReport> rows = reportOf(running.at(row));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).device.deviceName, devices.at(row).deviceName);
        QVERIFY(rows.at(0).status == 2 && rows.at(0).notes == 1);
    }
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        QTRY_COMPARE_WITH_TIMEOUT(m_fx->wake().packets(device.macAddress), m_fx->burst(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(m_fx->server()->isDeviceOnline(device), 30000);
    }

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QCOMPARE(fired.count(), 2 * Tests);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(fills.count(), 2);
    QCOMPARE(committed(QStringLiteral("SELECT COUNT(*) FROM AutoTestSchedule WHERE status = 4")), Tests);
    QCOMPARE(committed(QStringLiteral("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE status = 4")), Tests);
    const QList<VelkAutoTestSchedule> done = storedAutoTests();
    for (int row = 0; row < Tests; ++row) {
        QCOMPARE(statusText(row), QStringLiteral("Successfully"));
        QCOMPARE(done.at(row).status, 4);
        const QList<VelkAutoTestScheduleReport> rows = reportOf(done.at(row));
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.at(0).status == 4 && rows.at(0).notes == 2);
    }
    for (auto &panel : panels)
        QTRY_COMPARE_WITH_TIMEOUT(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1, 30000);
    for (auto &panel : panels)
        panel->shutDown();
    for (const VelkIFPDevice &device : qAsConst(devices))
        QTRY_COMPARE_WITH_TIMEOUT(m_fx->server()->connectionState(device.macAddress), CmdServer::Offline, 30000);
}

// Switching a schedule off in its table row stores it and takes its tasks out of today's plan at once, also while a
// search narrows the table.
void TestSchedulingPage::enableSwitchReachesTheRunners()
{
    const QList<VelkIFPDevice> devices = seedDevices(1);
    QCOMPARE(addSchedule(weekly(QStringLiteral("11:00"), QString(), QString(), true)), DB_OK);
    QCOMPARE(addSchedule(weekly(QString(), QString(), QStringLiteral("17:00"), true)), DB_OK);
    seedAutoTest(QStringLiteral("12:00"), 1, devices);
    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 2);
    QCOMPARE(page.autoTestRunner()->tasks().size(), 2);

    page.lineEditFilter->setText(QStringLiteral("17"));
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidget->rowCount(), 1);
    page.enableComboBoxes().at(0)->setCurrentIndex(1);
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 1);
    QCOMPARE(page.deviceControlRunner()->tasks().at(0).time.time(), QTime(11, 0));
    QVERIFY(!storedSchedules().at(1).isEnable && storedSchedules().at(0).isEnable);

    page.comboBoxType->setCurrentIndex(2);
    page.lineEditFilter->clear();
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    page.autoTestEnableComboBoxes().at(0)->setCurrentIndex(1);
    QCOMPARE(page.autoTestRunner()->tasks().size(), 0);
    QVERIFY(!storedAutoTests().at(0).isEnable);
}

// The question is asked for row 1; the runner reloads the table under it (another schedule went away, the rows moved
// up). Yes deletes the schedule that was shown, and when that one is gone already, nothing.
void TestSchedulingPage::deleteAfterTheTableReloaded()
{
    const QList<VelkIFPDevice> devices = seedDevices(1);
    const quint32 first = seedAutoTest(QStringLiteral("10:00"), 1, devices);
    const quint32 second = seedAutoTest(QStringLiteral("11:00"), 1, devices);
    const quint32 third = seedAutoTest(QStringLiteral("12:00"), 1, devices);
    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    auto ids = [] {
        QList<quint32> all;
        for (const VelkAutoTestSchedule &schedule : storedAutoTests())
            all << schedule.tsid;
        return all;
    };

    trigger(page.rowMenu(2, 1), 1);
    QVERIFY(page.deleteDialog()->isVisible());
    VelkAutoTestSchedule gone;
    gone.tsid = first;
    QCOMPARE(m_fx->db()->deleteAutoTestSchedule(gone), DB_OK);
    emit page.autoTestRunner()->schedulesChanged();
    QCOMPARE(page.shownAutoTestSchedules().size(), 2);
    page.deleteDialog()->btnOk->click();
    QCOMPARE(ids(), QList<quint32>{third});
    QCOMPARE(page.tableWidgetAutoTest->rowCount(), 1);

    trigger(page.rowMenu(2, 0), 1);
    gone.tsid = third;
    QCOMPARE(m_fx->db()->deleteAutoTestSchedule(gone), DB_OK);
    const quint32 fourth = seedAutoTest(QStringLiteral("13:00"), 1, devices);
    emit page.autoTestRunner()->schedulesChanged();
    page.deleteDialog()->btnOk->click();
    QCOMPARE(ids(), QList<quint32>{fourth});
    Q_UNUSED(second)

    // The same for a device-control row, whose question is asked through the row menu's Delete.
    QCOMPARE(addSchedule(weekly(QStringLiteral("07:00"), QString(), QString(), true)), DB_OK);
    QCOMPARE(addSchedule(weekly(QStringLiteral("08:00"), QString(), QString(), true)), DB_OK);
    page.initial();
    trigger(page.rowMenu(0, 0), 1);
    page.deleteDialog()->btnCancel->click();
    QCOMPARE(storedSchedules().size(), 2);
    trigger(page.rowMenu(0, 1), 1);
    page.deleteDialog()->btnOk->click();
    QCOMPARE(storedSchedules().size(), 1);
    QCOMPARE(storedSchedules().at(0).onTime, QStringLiteral("07:00"));
}

// The counts on the state buttons follow the search text, never the state filter; the table shows the filtered state
// among the rows the search kept. Sorting by state toggles; another column then sorts in the direction of the last.
void TestSchedulingPage::reportCountsAndSorting()
{
    QList<VelkIFPDevice> devices;
    for (const char *name : {"abc-2", "Lab", "abc-1", "Hall", "xabc"})
        devices << addManagedDevice(QLatin1String(name), testMac(devices.size() + 1));
    VelkAutoTestSchedule schedule;
    schedule.tsid = seedAutoTest(QStringLiteral("10:00"), 3, devices);
    schedule.status = 3;
    QCOMPARE(m_fx->db()->insertAutoTestScheduleReport(schedule, devices), DB_OK);
    const int states[][2] = {{3, 3}, {4, 2}, {4, 2}, {3, 3}, {2, 1}}; // abc-2, Lab, abc-1, Hall, xabc
    for (int i = 0; i < devices.size(); ++i)
        m_fx->db()->updateAutoTestScheduleReport(devices[i], schedule, states[i][0], states[i][1]);

    AutoTestScheduleReportDialog dialog;
    dialog.showAutoTestScheduleReport(storedAutoTests().value(0));
    QCOMPARE(dialog.labelTotalInfo->text(), QStringLiteral("5 devices in total"));
    auto shown = [&] {
        QStringList names;
        for (int row = 0; row < dialog.tableWidgetReport->rowCount(); ++row)
            names << dialog.tableWidgetReport->item(row, 0)->text();
        return names;
    };
    QCOMPARE(shown(), QStringList({"Hall", "Lab", "abc-1", "abc-2", "xabc"}));
    QCOMPARE(dialog.btnStatusFailed->toolTip(), QStringLiteral("Failed (2)"));

    dialog.btnStatusFailed->click();
    QCOMPARE(shown(), QStringList({"Hall", "abc-2"}));
    dialog.lineEditFilter->setText(QStringLiteral("ABC"));
    QTest::keyClick(dialog.lineEditFilter, Qt::Key_Return);
    QCOMPARE(dialog.statusFilter(), 3);
    QCOMPARE(shown(), QStringList({"abc-2"}));
    QCOMPARE(dialog.btnStatusAll->toolTip(), QStringLiteral("All (3)"));
    QCOMPARE(dialog.btnStatusSuccessfully->toolTip(), QStringLiteral("Successfully (1)"));
    QCOMPARE(dialog.btnStatusScheduling->toolTip(), QStringLiteral("Scheduling (1)"));
    QCOMPARE(dialog.btnStatusFailed->toolTip(), QStringLiteral("Failed (1)"));

    dialog.lineEditFilter->setText(QStringLiteral("power"));
    QTest::keyClick(dialog.lineEditFilter, Qt::Key_Return);
    dialog.btnStatusAll->click();
    QCOMPARE(shown(), QStringList({"Hall", "abc-2"}));
    dialog.lineEditFilter->clear();
    QTest::keyClick(dialog.lineEditFilter, Qt::Key_Return);

    dialog.reportHeaderStatus->clicked();
    QCOMPARE(shown(), QStringList({"xabc", "Hall", "abc-2", "Lab", "abc-1"}));
    QCOMPARE(dialog.sortIndicator(2)->state(), 0);
    dialog.reportHeaderStatus->clicked();
    QCOMPARE(shown(), QStringList({"abc-1", "Lab", "abc-2", "Hall", "xabc"}));
    QCOMPARE(dialog.sortIndicator(2)->state(), 1);
    dialog.reportHeaderDevice->clicked();
    QCOMPARE(shown(), QStringList({"xabc", "abc-2", "abc-1", "Lab", "Hall"}));
    QCOMPARE(dialog.sortIndicator(0)->state(), 1);
    QCOMPARE(dialog.sortIndicator(2)->state(), 3);
}

// The guide shows only while a kind has no schedule at all; the search reads the columns whose boxes are checked; a
// press outside the open filter bar closes it and does nothing else.
void TestSchedulingPage::searchFilterBarAndGuide()
{
    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    page.show();
    QVERIFY(page.guideWidgetDeviceControl->isVisible());
    VelkSchedule disabled = weekly(QStringLiteral("07:00"), QString(), QString(), true);
    disabled.isEnable = false;
    QCOMPARE(addSchedule(disabled), DB_OK);
    QCOMPARE(addSchedule(weekly(QStringLiteral("08:00"), QString(), QString(), true)), DB_OK);
    page.initial();
    QVERIFY(!page.guideWidgetDeviceControl->isVisible());
    QCOMPARE(page.tableWidget->rowCount(), 2);

    page.btnFilter->click();
    QVERIFY(page.widgetFilterSchedule->isVisible() && !page.widgetFilterAutoTestSchedule->isVisible());
    for (QCheckBox *box : page.widgetFilterSchedule->findChildren<QCheckBox *>())
        box->setChecked(box == page.checkBox1Enable);
    page.lineEditFilter->setText(QStringLiteral("dis"));
    page.btnApply1->click();
    QVERIFY(!page.widgetFilterParent->isVisible());
    QCOMPARE(page.tableWidget->rowCount(), 1);
    QCOMPARE(page.shownSchedules().at(0)->onTime, QStringLiteral("07:00"));

    page.checkBox1Enable->setChecked(false);
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidget->rowCount(), 0);
    QVERIFY(!page.guideWidgetDeviceControl->isVisible());

    page.btnFilter->click();
    const QRect bar = page.widgetFilterSchedule->geometry();
    QTest::mouseClick(page.widgetFilterParent, Qt::LeftButton, {}, bar.bottomRight());
    QVERIFY(page.widgetFilterSchedule->isVisible());
    QTest::mouseClick(page.widgetFilterParent, Qt::LeftButton, {}, bar.bottomRight() + QPoint(1, 0));
    QVERIFY(!page.widgetFilterSchedule->isVisible() && !page.widgetFilterParent->isVisible());
}

void TestSchedulingPage::startupClosesAnInterruptedTest_data()
{
    QTest::addColumn<int>("hold"); // how another program holds the database while the page starts; -1: not at all
    QTest::newRow("database free") << -1;
    QTest::newRow("database held") << int(DatabaseHold::Writer);
    QTest::newRow("database held exclusively") << int(DatabaseHold::Exclusive);
}

// An auto-test left "Scheduling" by an exit has no check coming: the page's start closes it as Failed with its rows
// still under way, with a log line, and its Enable and Edit are free at once. Another program holding the database
// for longer than the console waits for it (an SQLite browser with an unsaved change) made those writes fail and
// left the test "Scheduling"; they are written once the database takes writes, and the table shows them. Held
// exclusively, reads too, the test could not even be read and stayed "Scheduling", its Edit and Enable locked, for the
// whole session; it is closed once it can be read.
void TestSchedulingPage::startupClosesAnInterruptedTest()
{
    QFETCH(int, hold);
    const bool held = hold >= 0;
    QList<VelkIFPDevice> devices = seedDevices(2);
    seedAutoTest(QStringLiteral("10:00"), 2, devices);
    VelkAutoTestSchedule left = storedAutoTests().value(0);
    QCOMPARE(m_fx->db()->insertAutoTestScheduleReport(left, devices), DB_OK);
    QCOMPARE(m_fx->db()->updateAutoTestScheduleReport(devices[1], left, 4, 2), DB_OK);

    LogCapture log;
    ManualClock clock(QDateTime(Monday, QTime(12, 0)));
    const ShortDatabaseWaits waits(50);
    std::unique_ptr<DatabaseHold> holder;
    if (held) {
        holder.reset(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Kind(hold)));
        QVERIFY2(holder->isHeld(), qPrintable(holder->error()));
    }
    Scheduling page(&clock);
    if (held) {
        QTest::qWait(200);                   // tries while the hold lasts
        if (hold != DatabaseHold::Exclusive) // else not to be read
            QCOMPARE(storedAutoTests().value(0).status, 2);
        holder.reset();
        QTRY_COMPARE(storedAutoTests().value(0).status, 3);
        QTRY_COMPARE(waits.db()->heldWrites()->count(), 0);
    }
    const VelkAutoTestSchedule closed = storedAutoTests().value(0);
    QCOMPARE(closed.status, 3);
    QCOMPARE(closed.failedCount, 1);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(closed, rows), DB_OK);
    QCOMPARE(rows.size(), 2);
    for (const VelkAutoTestScheduleReport &row : qAsConst(rows))
        QCOMPARE(row.status, row.device.deviceName == devices[1].deviceName ? 4 : 3);
    QVERIFY(log.contains(QStringLiteral("was still scheduling when the console ended")));
    QTRY_COMPARE(qobject_cast<QLabel *>(page.tableWidgetAutoTest->cellWidget(0, 4))->toolTip(),
                 QStringLiteral("Failed (1)"));
    QVERIFY(page.autoTestEnableComboBoxes().at(0)->isEnabled());
    QVERIFY(page.rowMenu(2, 0)->actions().at(0)->isEnabled());
}

void TestSchedulingPage::runUnderWayEndsWithItsCheck_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::newRow("edited behind the open editor") << false;
    QTest::newRow("deleted between power-on and check") << true;
}

// The editor was opened just before the test time and the run started behind it, or the schedule is deleted between
// its power-on and its check. Either way the run ends with its check and the woken panel is powered off once. A save
// keeps the schedule "Scheduling" until the check writes the result, and the edit applies to later runs; a deleted
// schedule gets only the power-off, with a log line.
void TestSchedulingPage::runUnderWayEndsWithItsCheck()
{
    QFETCH(bool, deleted);
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 tsid = seedAutoTest(QStringLiteral("10:00"), 1, {device});
    auto panel = m_fx->panel(1, 0);
    m_fx->wake().onPacket = [&](const QString &mac) {
        if (panel->mac().toLower() == mac && panel->state() == SimulatedPanel::Off)
            panel->wake();
    };
    LogCapture log;
    ManualClock clock(QDateTime(Monday, QTime(9, 59, 30)));
    Scheduling page(&clock);
    page.comboBoxType->setCurrentIndex(2);
    Scheduling_Setting *dialog = page.settingDialog();
    if (!deleted) {
        trigger(page.rowMenu(2, 0), 0);
        QVERIFY(dialog->isVisible());
    }

    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QTRY_VERIFY_WITH_TIMEOUT(m_fx->server()->isDeviceOnline(device), 30000);
    QCOMPARE(storedAutoTests().value(0).status, 2);
    if (deleted) {
        trigger(page.rowMenu(2, 0), 1);
        page.deleteDialog()->btnOk->click();
        QVERIFY(storedAutoTests().isEmpty());
    } else {
        AutoTestScheduleSetting *editor = dialog->autoTestPage();
        editor->spinBox_onTime_HR->setValue(11);
        editor->btnSave->click();
        QCOMPARE(storedAutoTests().value(0).time, QStringLiteral("11:00"));
        QCOMPARE(storedAutoTests().value(0).status, 2);
    }

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_COMPARE_WITH_TIMEOUT(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1, 30000);
    if (deleted) {
        QVERIFY(log.contains(QStringLiteral("was deleted during its run")));
        QVERIFY(storedAutoTests().isEmpty());
        QSqlQuery sql(QSqlDatabase::database());
        QVERIFY(sql.exec(QStringLiteral("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE tsid = %1").arg(tsid)));
        QVERIFY(sql.next());
        QCOMPARE(sql.value(0).toInt(), 0);
    } else {
        const VelkAutoTestSchedule done = storedAutoTests().value(0);
        QCOMPARE(done.status, 4);
        QList<VelkAutoTestScheduleReport> rows;
        QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(done, rows), DB_OK);
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.at(0).status == 4 && rows.at(0).notes == 2);
        bool nextRun = false;
        for (const AutoTestTask &task : page.autoTestRunner()->tasks())
            nextRun = nextRun || (task.action == AutoTestPowerOn && task.time == QDateTime(Monday, QTime(11, 0)));
        QVERIFY(nextRun);
    }
    panel->shutDown();
    QTRY_COMPARE_WITH_TIMEOUT(m_fx->server()->connectionState(testMac(1)), CmdServer::Offline, 30000);
}

// The header box of the editor's table follows the rows on every load: after an edit whose rows were all checked, the
// next edit with one row of three checked shows it clear, so a click on it checks every row; a filter's new rows
// clear it too.
void TestSchedulingPage::laterChangesStandAfterTheHeldState_data()
{
    QTest::addColumn<bool>("exclusive");   // the hold keeps reads out too
    QTest::addColumn<bool>("byTheHolder"); // the change: the holding program's own, or the operator's just after it
    QTest::newRow("operator's Disable after a write lock") << false << false;
    QTest::newRow("operator's Disable after an exclusive hold") << true << false;
    QTest::newRow("the write lock's holder saves a Disable") << false << true;
    QTest::newRow("the exclusive holder saves a Disable") << true << true;
}

// An auto-test for Monday and Tuesday starts at 10:00 while another program holds the database: its state
// "Scheduling" is held. Right after the hold the operator switches the test off (the held state lands at that commit),
// or the holding program itself saves the test switched off before it lets go. The held state carried the whole
// record as the pass read it and switched the test on again: the table's switch flipped back to Enable and the test
// ran on Tuesday. The state alone lands; the test ends Successful at its check, stays off, and Tuesday runs nothing.
void TestSchedulingPage::laterChangesStandAfterTheHeldState()
{
    QFETCH(bool, exclusive);
    QFETCH(bool, byTheHolder);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const VelkIFPDevice device = seedDevices(1).at(0);
    VelkAutoTestSchedule schedule;
    schedule.scheduleTarget = 2;
    schedule.time = QStringLiteral("10:00");
    schedule.status = 1;
    schedule.isEnable = true;
    schedule.isMon = true;
    schedule.isTue = true;
    schedule.devices = {device};
    QCOMPARE(db->insertAutoTestSchedule(schedule), DB_OK);
    const auto panel = connectedPanel(device);
    QVERIFY(m_fx->server()->isDeviceOnline(device));

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    Scheduling page(&clock);
    page.autoTestRunner()->setRetryIntervalMs(50, 200);
    page.comboBoxType->setCurrentIndex(2);
    QCOMPARE(page.autoTestEnableComboBoxes().size(), 1);
    {
        SavingProgram holder(db->databaseFilePath(), exclusive);
        QVERIFY(holder.isHolding());
        clock.setNow(QDateTime(Monday, QTime(10, 0)));
        QVERIFY(!db->heldWrites()->isEmpty());
        if (byTheHolder)
            QVERIFY(holder.save(
                QStringLiteral("UPDATE AutoTestSchedule SET isEnable = 0 WHERE tsid = %1").arg(schedule.tsid)));
    }
    if (!byTheHolder) {
        // Before the held writes are tried again.
        QCOMPARE(page.autoTestEnableComboBoxes().size(), 1);
        page.autoTestEnableComboBoxes().at(0)->setCurrentIndex(1);
    }
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    QCOMPARE(storedAutoTests().value(0).status, 2);
    QVERIFY(!storedAutoTests().value(0).isEnable);
    QTRY_COMPARE(qobject_cast<QLabel *>(page.tableWidgetAutoTest->cellWidget(0, 4))->toolTip(),
                 QStringLiteral("Scheduling"));
    QCOMPARE(page.autoTestEnableComboBoxes().at(0)->currentIndex(), 1);

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QCOMPARE(storedAutoTests().value(0).status, 4);
    QVERIFY(!storedAutoTests().value(0).isEnable);
    QTRY_COMPARE(qobject_cast<QLabel *>(page.tableWidgetAutoTest->cellWidget(0, 4))->toolTip(),
                 QStringLiteral("Successfully"));
    QCOMPARE(page.autoTestEnableComboBoxes().at(0)->currentIndex(), 1);

    clock.setNow(QDateTime(Monday.addDays(1), QTime(0, 0, 10)));
    QCOMPARE(page.autoTestRunner()->tasks().size(), 0);
    clock.setNow(QDateTime(Monday.addDays(1), QTime(10, 1, 30)));
    QCOMPARE(storedAutoTests().value(0).status, 4);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
}

void TestSchedulingPage::deletedTestGetsNoHeldRows_data()
{
    addHoldKindRows();
}

// An auto-test starts at 10:00 while another program holds the database, so its report rows and its state are held;
// right after the hold the operator deletes it (the held writes land at that commit). The rows landed under the gone
// test, and the state was logged lost. Nothing lands, nothing is reported lost, and the run still powers its panel
// off at its check.
void TestSchedulingPage::deletedTestGetsNoHeldRows()
{
    QFETCH(int, kind);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const VelkIFPDevice device = seedDevices(1).at(0);
    const auto panel = connectedPanel(device);
    QVERIFY(m_fx->server()->isDeviceOnline(device));
    seedAutoTest(QStringLiteral("10:00"), 1, {device});

    LogCapture log;
    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    Scheduling page(&clock);
    page.autoTestRunner()->setRetryIntervalMs(50, 200);
    page.comboBoxType->setCurrentIndex(2);
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        clock.setNow(QDateTime(Monday, QTime(10, 0)));
        QVERIFY(!db->heldWrites()->isEmpty());
    }
    trigger(page.rowMenu(2, 0), 1);
    page.deleteDialog()->btnOk->click();
    QVERIFY(!page.messageDialog()->isVisible());
    QVERIFY(storedAutoTests().isEmpty());
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    QCOMPARE(storedRowCount(QStringLiteral("AutoTestScheduleReport")), 0);
    const QStringList landed = log.linesWith(QStringLiteral("takes writes again"));
    QVERIFY(!landed.isEmpty());
    QVERIFY2(landed.last().endsWith(QStringLiteral(" 0 lost")), qPrintable(landed.last()));
    QVERIFY(!log.contains(QStringLiteral("not kept")));

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QCOMPARE(storedRowCount(QStringLiteral("AutoTestScheduleReport")), 0);
}

void TestSchedulingPage::refusedChangesShowTheStoredState_data()
{
    addHoldKindRows();
}

// While another program holds the database, the operator switches a schedule of each kind off and deletes it. Neither
// is stored. The switch showed Disable while the schedule stayed on and ran at its time, and the deletion failed
// without a word. Each switch shows the stored Enable again, each refusal says why, every row stays, and the
// device-control schedule still powers its panel off at 18:00.
void TestSchedulingPage::refusedChangesShowTheStoredState()
{
    QFETCH(int, kind);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const VelkIFPDevice device = seedDevices(1).at(0);
    const auto panel = connectedPanel(device);
    QVERIFY(m_fx->server()->isDeviceOnline(device));
    QCOMPARE(addSchedule(weekly(QString(), QString(), QStringLiteral("18:00"), true)), DB_OK);
    seedAutoTest(QStringLiteral("23:00"), 1, {device});
    VelkOtaSchedule update;
    update.scheduleTarget = 2;
    update.date = QStringLiteral("2027-03-08");
    update.time = QStringLiteral("09:00");
    update.status = 1;
    update.isEnable = true;
    update.devices = {device};
    QCOMPARE(db->insertOtaSchedule(update), DB_OK);
    // The fixture's wipe leaves firmware-update schedules alone.
    const auto removeUpdate = qScopeGuard([db, update] {
        VelkOtaSchedule gone = update;
        db->deleteOtaSchedule(gone);
    });

    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 1);
    const QLabel *message = page.messageDialog()->labelMessage;
    const QString notChanged = ScheduleTableText::refusalText(ScheduleTableText::Refused::Change, true, false);
    const QString notDeleted = ScheduleTableText::refusalText(ScheduleTableText::Refused::Deletion, true, false);
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        // Device control, firmware update, auto test.
        for (int table = 0; table < 3; ++table) {
            page.comboBoxType->setCurrentIndex(table);
            const QList<CustComboBox *> switches = table == 0   ? page.enableComboBoxes()
                                                   : table == 1 ? page.otaEnableComboBoxes()
                                                                : page.autoTestEnableComboBoxes();
            QCOMPARE(switches.size(), 1);
            switches.at(0)->setCurrentIndex(1);
            QVERIFY(page.messageDialog()->isVisible());
            QCOMPARE(message->text(), notChanged);
            QVERIFY(message->heightForWidth(message->width()) <= message->height());
            QCOMPARE(switches.at(0)->currentIndex(), 0);
            page.messageDialog()->btnOk->click();
            QVERIFY(!page.messageDialog()->isVisible());

            trigger(page.rowMenu(table, 0), 1);
            QVERIFY(page.deleteDialog()->isVisible());
            page.deleteDialog()->btnOk->click();
            QVERIFY(page.messageDialog()->isVisible());
            QCOMPARE(message->text(), notDeleted);
            QVERIFY(message->heightForWidth(message->width()) <= message->height());
            page.messageDialog()->btnOk->click();
        }
        QCOMPARE(page.tableWidget->rowCount(), 1);
        QCOMPARE(page.tableWidgetFwUpdate->rowCount(), 1);
        QCOMPARE(page.tableWidgetAutoTest->rowCount(), 1);
    }
    QCOMPARE(storedSchedules().size(), 1);
    QVERIFY(storedSchedules().at(0).isEnable);
    QCOMPARE(storedAutoTests().size(), 1);
    QVERIFY(storedAutoTests().at(0).isEnable);
    QList<VelkOtaSchedule> updates;
    QCOMPARE(db->queryAllOtaSchedule(updates), DB_OK);
    QCOMPARE(updates.size(), 1);
    QVERIFY(updates.at(0).isEnable);
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 1);

    clock.setNow(QDateTime(Monday, QTime(18, 0)));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
}

void TestSchedulingPage::refusedEditorSavesSayWhy_data()
{
    addHoldKindRows();
}

// While another program holds the database, the operator saves an edited device-control schedule and an edited
// auto-test. Neither is stored; the editors said only that it could not be saved, as for a schedule the database
// refuses for good. They say that the database cannot be written at the moment, on lines of their own beside the
// buttons; the editor keeps what was entered and the page shows the schedules as stored. An editor opened while the
// file is held exclusively showed an empty table, as if there were no panel, and its Save asked for one: it says that
// the devices cannot be read. With the database free, Save stores the change.
void TestSchedulingPage::refusedEditorSavesSayWhy()
{
    QFETCH(int, kind);
    const ShortDatabaseWaits waits(100);
    const QList<VelkIFPDevice> devices = seedDevices(1);
    QCOMPARE(addSchedule(weekly(QString(), QString(), QStringLiteral("18:00"), true)), DB_OK);
    const quint32 tsid = seedAutoTest(QStringLiteral("23:00"), 1, devices);
    ManualClock clock(QDateTime(Monday, QTime(9, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    QSignalSpy savedControl(dialog, &Scheduling_Setting::deviceControlScheduleSettingSavedSuccess);
    QSignalSpy savedTest(dialog, &Scheduling_Setting::autoTestScheduleSettingSavedSuccess);
    const QString refused = ScheduleTableText::refusalText(ScheduleTableText::Refused::Save, true, false);
    const QString unread = QStringLiteral("The devices and groups cannot be read at the moment (another program may "
                                          "be using the database). Please try again later.");
    auto says = [](ScheduleEditorPage *editor, Ui_ScheduleEditorForm *form, const QString &text) {
        QCOMPARE(editor->warningText(), text);
        // Beside the buttons and inside the form, however many lines it takes.
        QVERIFY(form->lbState->geometry().right() < form->widgetButtons->x());
        QVERIFY(form->lbState->geometry().bottom() < editor->height());
        QVERIFY(form->lbState->heightForWidth(form->lbState->width()) <= form->lbState->height());
    };

    DeviceControlScheduleSetting *control = dialog->deviceControlPage();
    AutoTestScheduleSetting *test = dialog->autoTestPage();
    const VelkAutoTestSchedule storedTest = storedAutoTests().at(0);
    dialog->editDeviceControlSchedule(storedSchedules().at(0));
    dialog->editAutoTestSchedule(storedTest);
    dialog->show();
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        control->spinBox_offTime_HR->setValue(19);
        control->btnSave->click();
        says(control, control, refused);
        test->spinBox_onTime_HR->setValue(22);
        test->btnSave->click();
        says(test, test, refused);
        QVERIFY(dialog->isVisible());
        QCOMPARE(test->spinBox_onTime_HR->value(), 22);
        QCOMPARE(page.tableWidget->item(0, 3)->text(), QStringLiteral("18:00"));
        QCOMPARE(page.tableWidgetAutoTest->item(0, 1)->text(), QStringLiteral("23:00"));

        // Opened during the hold: a table held exclusively cannot be read, and the editor says so.
        dialog->editAutoTestSchedule(storedTest);
        test->btnSave->click();
        if (kind == DatabaseHold::Exclusive) {
            says(test, test, unread);
        } else {
            QCOMPARE(test->rowCheckBoxes().size(), 1);
            QVERIFY(test->rowCheckBoxes().at(0)->isChecked());
            says(test, test, refused);
        }
    }
    QCOMPARE(savedControl.count() + savedTest.count(), 0);
    QCOMPARE(storedSchedules().at(0).offTime, QStringLiteral("18:00"));
    QCOMPARE(storedAutoTests().at(0).time, QStringLiteral("23:00"));

    dialog->editAutoTestSchedule(storedTest);
    QCOMPARE(test->warningText(), QString());
    test->spinBox_onTime_HR->setValue(22);
    test->btnSave->click();
    QCOMPARE(savedTest.count(), 1);
    QCOMPARE(storedAutoTests().at(0).tsid, tsid);
    QCOMPARE(storedAutoTests().at(0).time, QStringLiteral("22:00"));
    QCOMPARE(storedAutoTests().at(0).devices.size(), 1);
    QCOMPARE(page.tableWidgetAutoTest->item(0, 1)->text(), QStringLiteral("22:00"));
}

void TestSchedulingPage::selectAllFollowsTheRows()
{
    const QList<VelkIFPDevice> devices = seedDevices(3);
    seedAutoTest(QStringLiteral("10:00"), 1, devices);
    seedAutoTest(QStringLiteral("11:00"), 1, devices.mid(0, 1));
    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *dialog = page.settingDialog();
    AutoTestScheduleSetting *editor = dialog->autoTestPage();
    auto checkedRows = [editor] {
        int count = 0;
        for (QCheckBox *box : editor->rowCheckBoxes())
            count += box->isChecked() ? 1 : 0;
        return count;
    };

    dialog->editAutoTestSchedule(storedAutoTests().value(0));
    QCOMPARE(checkedRows(), 3);
    QVERIFY(editor->checkBoxName->isChecked());
    dialog->editAutoTestSchedule(storedAutoTests().value(1));
    QCOMPARE(checkedRows(), 1);
    QVERIFY(!editor->checkBoxName->isChecked());
    editor->checkBoxName->click();
    QCOMPARE(checkedRows(), 3);

    dialog->show();
    editor->lineEditFilter->setFocus();
    QTRY_VERIFY(editor->lineEditFilter->hasFocus());
    QTest::keyClicks(editor->lineEditFilter, QStringLiteral("Panel-2"));
    QTest::keyClick(editor->lineEditFilter, Qt::Key_Return);
    QCOMPARE(editor->rowCheckBoxes().size(), 1);
    QCOMPARE(checkedRows(), 0);
    QVERIFY(!editor->checkBoxName->isChecked());
    editor->checkBoxName->click();
    QCOMPARE(checkedRows(), 1);
    dialog->close();
}

// The device-control rows name their targets from one read of the store: "All" in both cells, the chosen devices in
// name order, the group; the search finds a row by those names, and a reload after a delete keeps the search.
void TestSchedulingPage::deviceControlRowsNameTheirTargets()
{
    const QList<VelkIFPDevice> devices = seedDevices(3);
    const VelkGroups hall = m_fx->group(QStringLiteral("Hall"), {devices.at(1).deviceName});
    QCOMPARE(addSchedule(weekly(QStringLiteral("07:00"), QString(), QString(), true)), DB_OK);
    VelkSchedule chosen = weekly(QStringLiteral("08:00"), QString(), QString(), true);
    chosen.scheduleObject = 2;
    QList<VelkIFPDevice> two = {devices.at(2), devices.at(0)};
    QCOMPARE(m_fx->db()->createIFPSchedule(chosen, two), DB_OK);
    VelkSchedule grouped = weekly(QStringLiteral("09:00"), QString(), QString(), true);
    grouped.scheduleObject = 3;
    QList<VelkGroups> groups = {hall};
    QCOMPARE(m_fx->db()->createGroupsSchedule(grouped, groups), DB_OK);

    ManualClock clock(QDateTime(Monday, QTime(6, 0)));
    Scheduling page(&clock);
    auto cells = [&page](int row) {
        return QStringList{page.tableWidget->item(row, 4)->text(), page.tableWidget->item(row, 5)->text()};
    };
    QCOMPARE(page.tableWidget->rowCount(), 3);
    QCOMPARE(cells(0), QStringList({"All", "All"}));
    QCOMPARE(cells(1), QStringList({"Panel-1, Panel-3", ""}));
    QCOMPARE(cells(2), QStringList({"", "Hall"}));
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 3);

    page.lineEditFilter->setText(QStringLiteral("panel-3"));
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidget->rowCount(), 1);
    QCOMPARE(page.shownSchedules().at(0)->onTime, QStringLiteral("08:00"));
    page.lineEditFilter->setText(QStringLiteral("hall"));
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidget->rowCount(), 1);
    QCOMPARE(cells(0), QStringList({"", "Hall"}));

    // Deleted under the search: the reload keeps the search, builds the plan anew and names the rows again.
    trigger(page.rowMenu(0, 0), 1);
    page.deleteDialog()->btnOk->click();
    QCOMPARE(page.tableWidget->rowCount(), 0);
    QVERIFY(page.guideWidgetDeviceControl->isHidden());
    QCOMPARE(page.deviceControlRunner()->tasks().size(), 2);
    page.lineEditFilter->clear();
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidget->rowCount(), 2);
    QCOMPARE(cells(1), QStringList({"Panel-1, Panel-3", ""}));
}

QTEST_MAIN(TestSchedulingPage)
#include "tst_scheduling_page.moc"
