#include "FirmwareTestSupport.h"
#include "OtaSeed.h"
#include "firmware/pages/OtaMessageDialog.h"
#include "firmware/pages/OtaScheduleReportDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "shell/base/Session.h"
#include "support/DbProbe.h"
#include "support/HoldKinds.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TryCeiling.h"

#include <QtTest>

// The OTA schedule page, its notice and the OTA report, offscreen, against a real database, the real update manager
// fed by a loopback HTTP server and simulated audio boxes on the real command server.
class TestFirmwareOtaPages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void rowsByDeviceAndByGroup();
    void devicesKnownByTheirAddressSayWhetherTheyCanBeWoken();
    void savesTheScheduleEntered();
    void noticeSavesOnEnter();
    void refusesPassedStartsAndShowsFailedWrites();
    void heldDatabaseSaveSaysWhy_data();
    void heldDatabaseSaveSaysWhy();
    void updateNowRefusedDuringARun();
    void reportFollowsARun();
    void calendarSpeaksTheStoredLanguage();

private:
    /// Alpha (panel 0) in North and South, Beta (panel 1), both out of date; Gamma (panel 2) current, in North.
    void seedFleet();
    static QCheckBox *rowBox(QTableWidget *table, int row);
    static QStringList column(QTableWidget *table, int column);
    /// Presses "Add A Schedule" and returns the notice's message once it shows.
    QString pressAdd(OtaScheduleSetting &page);
    static void setStart(OtaScheduleSetting &page, const QDate &date, int hour, int minute);

    FirmwareTestBench m_bench;
    VelkIFPDevice m_alpha;
    VelkIFPDevice m_beta;
};

void TestFirmwareOtaPages::initTestCase()
{
    QVERIFY(m_bench.setUp(3));
    m_bench.serve("AudioBox/QML8_0005.bin", SimulatedFirmware::make(64 * 1024, "8.0.0000.05", QString(), 5));
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
}

void TestFirmwareOtaPages::cleanup()
{
    m_bench.reset();
    OtaSeed::wipe();
    m_bench.clock()->setNow(QDateTime(QDate(2031, 3, 3), QTime(9, 0)));
}

void TestFirmwareOtaPages::seedFleet()
{
    m_alpha = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    m_beta = m_bench.addDevice(1, "QML8", "8.0.0000.04");
    const VelkIFPDevice gamma = m_bench.addDevice(2, "QML8", "8.0.0000.05");
    OtaSeed::join(m_alpha, "North");
    OtaSeed::join(m_alpha, "South");
    OtaSeed::join(gamma, "North");
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 2);
}

QCheckBox *TestFirmwareOtaPages::rowBox(QTableWidget *table, int row)
{
    return qobject_cast<QCheckBox *>(table->cellWidget(row, 0));
}

QStringList TestFirmwareOtaPages::column(QTableWidget *table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << (table->item(row, column) ? table->item(row, column)->text() : QString());
    return texts;
}

QString TestFirmwareOtaPages::pressAdd(OtaScheduleSetting &page)
{
    page.btnAddSchedule->click();
    if (!QTest::qWaitFor([&] { return page.messageDialog()->isVisible(); }, QuorvinTryCeilingMs))
        return QString();
    return page.messageDialog()->labelMessage->text();
}

void TestFirmwareOtaPages::setStart(OtaScheduleSetting &page, const QDate &date, int hour, int minute)
{
    page.calendarWidget->setSelectedDate(date);
    page.spinBox_Time_HR->setValue(hour);
    page.spinBox_Time_Min->setValue(minute);
}

void TestFirmwareOtaPages::rowsByDeviceAndByGroup()
{
    seedFleet();
    QVERIFY(m_bench.connect({0}));
    OtaScheduleSetting page;
    page.initNewSchedule();

    QCOMPARE(column(page.tableWidgetDevice, 2), QStringList({m_alpha.deviceName, m_beta.deviceName}));
    QCOMPARE(column(page.tableWidgetDevice, 4), QStringList({"North, South", ""}));
    QVERIFY(page.tableWidgetDevice->cellWidget(0, 1)->findChild<QLabel *>()->styleSheet().contains("power_on"));
    QVERIFY(page.tableWidgetDevice->cellWidget(1, 1)->findChild<QLabel *>()->styleSheet().contains("power_off"));
    QCOMPARE(page.labelTotalInfo->text(), QStringLiteral("2 devices in total need to be updated"));
    QCOMPARE(page.labelNewVersionInfo->toolTip(), QStringLiteral("New Version : QML8(8.0.0000.05)"));
    QVERIFY(!page.btnAddSchedule->isEnabled());
    // Search by what the filter pop-up leaves ticked: the group names alone find Alpha by its group.
    page.btnFilter->click();
    QVERIFY(page.widgetFilterDevice->isVisibleTo(&page));
    page.checkBox1Device->setChecked(false);
    page.btnApply1->click();
    QVERIFY(!page.widgetFilterParent->isVisibleTo(&page));
    page.lineEditFilter->setText("south");
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(column(page.tableWidgetDevice, 2), QStringList({m_alpha.deviceName}));
    page.lineEditFilter->clear();
    QTest::keyClick(page.lineEditFilter, Qt::Key_Return);
    QCOMPARE(page.tableWidgetDevice->rowCount(), 2);

    page.comboBoxType->setCurrentIndex(1);
    QCOMPARE(column(page.tableWidgetGroup, 1), QStringList({"North", "South"}));
    QCOMPARE(column(page.tableWidgetGroup, 2), QStringList({"1", "1"}));
    QCOMPARE(page.labelTotalInfo->text(), QStringLiteral("2 groups in total (1 device) need to be updated"));

    // A check mark opens the schedule side and survives a sort.
    rowBox(page.tableWidgetGroup, 0)->click();
    QCOMPARE(page.labelSelectedInfo->text(), QStringLiteral("1 group selected (1 device)"));
    QVERIFY(page.selectScheduleWidget->isVisibleTo(&page));
    QVERIFY(page.btnAddSchedule->isEnabled());
    QVERIFY(!page.comboBoxType->isVisibleTo(&page));
    page.groupHeaderGroup->clicked();
    QCOMPARE(column(page.tableWidgetGroup, 1), QStringList({"South", "North"}));
    QVERIFY(rowBox(page.tableWidgetGroup, 1)->isChecked());
    QVERIFY(!rowBox(page.tableWidgetGroup, 0)->isChecked());
    page.btnCloseInfo->click();
    QVERIFY(!rowBox(page.tableWidgetGroup, 1)->isChecked());
    QVERIFY(!page.selectScheduleWidget->isVisibleTo(&page));
}

// Devices whose cards report zeros are known by their address alone. One that is on is updated through its connection
// and shows as on (it showed off, looked up by its empty MAC); one that is off cannot be woken for the update, which
// its row says where the operator chooses it.
void TestFirmwareOtaPages::devicesKnownByTheirAddressSayWhetherTheyCanBeWoken()
{
    const VelkIFPDevice alpha = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    const VelkIFPDevice on = m_bench.addDeviceByAddress(1, "QML8", "8.0.0000.04");
    const VelkIFPDevice off = m_bench.addDeviceByAddress(2, "QML8", "8.0.0000.04");
    QVERIFY(m_bench.connect({1}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 3);
    OtaScheduleSetting page;
    page.initNewSchedule();

    QCOMPARE(column(page.tableWidgetDevice, 2), QStringList({alpha.deviceName, on.deviceName, off.deviceName}));
    const auto power = [&page](int row) { return page.tableWidgetDevice->cellWidget(row, 1)->findChild<QLabel *>(); };
    const QString note = QStringLiteral("Known by its IP address alone, it cannot be woken for the update: it is "
                                        "updated only if it is on when the update starts.");
    QVERIFY(power(0)->styleSheet().contains("power_off"));
    QCOMPARE(power(0)->toolTip(), QStringLiteral("Offline"));
    QCOMPARE(page.tableWidgetDevice->item(0, 2)->toolTip(), alpha.deviceName);
    QVERIFY(power(1)->styleSheet().contains("power_on"));
    QCOMPARE(power(1)->toolTip(), QStringLiteral("Online"));
    QCOMPARE(page.tableWidgetDevice->item(1, 2)->toolTip(), on.deviceName);
    QVERIFY(power(2)->styleSheet().contains("power_off"));
    QCOMPARE(power(2)->toolTip(), "Offline\n" + note);
    QCOMPARE(page.tableWidgetDevice->item(2, 2)->toolTip(), off.deviceName + "\n" + note);
}

void TestFirmwareOtaPages::savesTheScheduleEntered()
{
    seedFleet();
    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    page.initNewSchedule();
    QCOMPARE(page.calendarWidget->selectedDate(), QDate(2031, 3, 3));
    rowBox(page.tableWidgetDevice, 0)->click();
    setStart(page, QDate(2031, 3, 4), 10, 30);
    QSignalSpy saved(&page, &OtaScheduleSetting::addScheduleCompleted);
    QCOMPARE(pressAdd(page), QStringLiteral("Make sure all panels be connected via ethernet cable in order to remote "
                                            "control to power on."));
    QCOMPARE(page.messageDialog()->btnOk->text(), QStringLiteral("Save"));
    // The save runs after the notice has closed.
    bool hiddenWhenConfirmed = false;
    connect(page.messageDialog(), &OtaMessageDialog::confirmed, this,
            [&] { hiddenWhenConfirmed = !page.messageDialog()->isVisible(); });
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(saved.count(), 1);
    QVERIFY(hiddenWhenConfirmed);
    QCOMPARE(saved.at(0).at(0).toBool(), false);
    const VelkOtaSchedule emitted = saved.at(0).at(1).value<VelkOtaSchedule>();

    const QList<VelkOtaSchedule> stored = OtaSeed::schedules();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.at(0).osid, emitted.osid);
    QCOMPARE(stored.at(0).date, QStringLiteral("2031-03-04"));
    QCOMPARE(stored.at(0).time, QStringLiteral("10:30"));
    QCOMPARE(stored.at(0).status, int(UPDATE_NOT_STARTED));
    QVERIFY(stored.at(0).isEnable);
    QCOMPARE(stored.at(0).scheduleTarget, 2);
    QCOMPARE(stored.at(0).devices.size(), 1);
    QCOMPARE(stored.at(0).devices.at(0).did, m_alpha.did);
    QTest::qWait(100);
    QCOMPARE(saved.count(), 1);

    // Editing it opens with its row checked and its time; saving writes the same row again.
    page.loadSchedule(stored.at(0));
    QVERIFY(rowBox(page.tableWidgetDevice, 0)->isChecked());
    QCOMPARE(page.spinBox_Time_HR->text(), QStringLiteral("10"));
    QCOMPARE(page.spinBox_Time_Min->text(), QStringLiteral("30"));
    QSignalSpy back(&page, &OtaScheduleSetting::backClicked);
    page.btnBack->click();
    QCOMPARE(back.at(0).at(0).toBool(), true);
    rowBox(page.tableWidgetDevice, 1)->click();
    pressAdd(page);
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(saved.count(), 2);
    QCOMPARE(page.editingScheduleId(), 0u);
    QCOMPARE(OtaSeed::schedules().size(), 1);
    QCOMPARE(OtaSeed::schedules().at(0).devices.size(), 2);
}

// The notice before the save took Space but not Enter: Return and the keypad's Enter, as the window system sends them
// to the active notice, press its Save.
void TestFirmwareOtaPages::noticeSavesOnEnter()
{
    seedFleet();
    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    QSignalSpy saved(&page, &OtaScheduleSetting::addScheduleCompleted);
    int minute = 0;
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        page.initNewSchedule();
        rowBox(page.tableWidgetDevice, 0)->click();
        setStart(page, QDate(2031, 3, 4), 10, minute += 10);
        QVERIFY(!pressAdd(page).isEmpty());
        OtaMessageDialog *notice = page.messageDialog();
        QCOMPARE(notice->btnOk->text(), QStringLiteral("Save"));
        QVERIFY(QTest::qWaitForWindowActive(notice));
        QTest::keyClick(notice->windowHandle(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_COMPARE(saved.count(), key == Qt::Key_Return ? 1 : 2);
        QVERIFY(!notice->isVisible());
    }
    QCOMPARE(OtaSeed::schedules().size(), 2);
}

void TestFirmwareOtaPages::refusesPassedStartsAndShowsFailedWrites()
{
    seedFleet();
    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    page.initNewSchedule();
    rowBox(page.tableWidgetDevice, 0)->click();
    QSignalSpy saved(&page, &OtaScheduleSetting::addScheduleCompleted);
    const QString passed = QStringLiteral("The start time has passed. Please choose a later time.");

    // 09:00:30: the current minute is refused, the next one is taken.
    m_bench.clock()->setNow(QDateTime(QDate(2031, 3, 3), QTime(9, 0, 30)));
    setStart(page, QDate(2031, 3, 3), 9, 0);
    QCOMPARE(pressAdd(page), passed);
    QCOMPARE(page.messageDialog()->btnOk->text(), QStringLiteral("OK"));
    page.messageDialog()->btnOk->click();
    setStart(page, QDate(2031, 3, 3), 9, 1);
    QVERIFY(pressAdd(page).startsWith("Make sure"));
    // The confirmation stays open past the chosen minute: the save refuses it.
    m_bench.clock()->setNow(QDateTime(QDate(2031, 3, 3), QTime(9, 1, 5)));
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(page.messageDialog()->labelMessage->text(), passed);
    QVERIFY(page.messageDialog()->isVisible());
    page.messageDialog()->btnOk->click();
    QTest::qWait(100);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(OtaSeed::schedules().size(), 0);

    // The data store refuses the write: the operator is told, nothing is announced, nothing is stored.
    DbProbe probe(OtaSeed::db()->databaseFilePath());
    QVERIFY(probe.exec("CREATE TRIGGER refuse_ota BEFORE INSERT ON OtaSchedule BEGIN SELECT RAISE(ABORT, 'x'); END"));
    setStart(page, QDate(2031, 3, 4), 8, 0);
    pressAdd(page);
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(page.messageDialog()->labelMessage->text(), QStringLiteral("The schedule could not be saved."));
    QVERIFY(probe.exec("DROP TRIGGER refuse_ota"));
    QCOMPARE(saved.count(), 0);
    QCOMPARE(OtaSeed::schedules().size(), 0);

    // A failed update keeps the schedule being edited: saving again updates it instead of adding another.
    const VelkOtaSchedule existing = OtaSeed::schedule({m_beta}, {}, "2031-03-05 07:00", UPDATE_NOT_STARTED);
    page.loadSchedule(existing);
    QVERIFY(probe.exec("CREATE TRIGGER refuse_ota BEFORE UPDATE ON OtaSchedule BEGIN SELECT RAISE(ABORT, 'x'); END"));
    pressAdd(page);
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(page.messageDialog()->labelMessage->text(), QStringLiteral("The schedule could not be saved."));
    QCOMPARE(page.editingScheduleId(), existing.osid);
    QVERIFY(probe.exec("DROP TRIGGER refuse_ota"));
    page.messageDialog()->btnOk->click();
    pressAdd(page);
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(saved.count(), 1);
    QCOMPARE(OtaSeed::schedules().size(), 1);
    QCOMPARE(saved.at(0).at(1).value<VelkOtaSchedule>().osid, existing.osid);
}

void TestFirmwareOtaPages::heldDatabaseSaveSaysWhy_data()
{
    addHoldKindRows();
}

// Another program holds the database when the schedule is confirmed: it is not stored, and the notice said only that
// it could not be saved, as for a schedule the database refuses for good. It says that the database cannot be written
// at the moment, in full; nothing is announced, and the same entries are saved once the database is free.
void TestFirmwareOtaPages::heldDatabaseSaveSaysWhy()
{
    QFETCH(int, kind);
    seedFleet();
    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    page.initNewSchedule();
    rowBox(page.tableWidgetDevice, 0)->click();
    setStart(page, QDate(2031, 3, 4), 8, 0);
    QSignalSpy saved(&page, &OtaScheduleSetting::addScheduleCompleted);
    const ShortDatabaseWaits waits(100);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        QVERIFY(pressAdd(page).startsWith("Make sure"));
        page.messageDialog()->btnOk->click();
        const QLabel *message = page.messageDialog()->labelMessage;
        QTRY_COMPARE(message->text(), QStringLiteral("The schedule could not be saved: the database cannot be written "
                                                     "at the moment (another program may be using it). Please try "
                                                     "again later."));
        QVERIFY(page.messageDialog()->isVisible());
        QVERIFY(message->heightForWidth(message->width()) <= message->height());
        QCOMPARE(saved.count(), 0);
    }
    QCOMPARE(OtaSeed::schedules().size(), 0);
    page.messageDialog()->btnOk->click();
    QVERIFY(pressAdd(page).startsWith("Make sure"));
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(saved.count(), 1);
    QCOMPARE(OtaSeed::schedules().size(), 1);
}

void TestFirmwareOtaPages::updateNowRefusedDuringARun()
{
    seedFleet();
    QVERIFY(m_bench.connect({0, 1}));
    // Beta's run waits for its state answer until cancelled.
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.otaStateAnswerMs = 600000;
    m_bench.manager()->setTimeouts(timeouts);
    m_bench.panel(1)->setAnswerDropped(VELK_REMOTE_RSP_CHECK_OTA_STATE, true);
    VelkOtaSchedule *running = m_bench.prepareRun({m_beta});
    m_bench.manager()->startOta(running, m_bench.runDevices());
    QVERIFY(m_bench.manager()->isOtaRunning());

    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    page.initNewSchedule();
    QSignalSpy saved(&page, &OtaScheduleSetting::addScheduleCompleted);
    const QString busy = QStringLiteral("Can not update now, there is already a firmware update executing.");
    rowBox(page.tableWidgetDevice, 0)->click();
    page.btnUpdateNow->click();
    QVERIFY(!page.calendarWidget->isEnabled());
    QCOMPARE(pressAdd(page), busy);
    QCOMPARE(page.messageDialog()->btnOk->text(), QStringLiteral("OK"));
    page.messageDialog()->btnOk->click();

    // The running schedule cannot be edited, in either mode; another schedule for later is taken.
    page.loadSchedule(*running);
    rowBox(page.tableWidgetDevice, 0)->click();
    QCOMPARE(pressAdd(page), QStringLiteral("Can not edit this schedule."));
    page.messageDialog()->btnOk->click();
    page.initNewSchedule();
    rowBox(page.tableWidgetDevice, 0)->click();
    setStart(page, QDate(2031, 3, 4), 10, 30);
    QVERIFY(pressAdd(page).startsWith("Make sure"));
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(saved.count(), 1);
    QCOMPARE(OtaSeed::schedules().size(), 2);

    // "Update Now" accepted while nothing runs, then a run starts before the confirmation is accepted.
    m_bench.manager()->cancelOta();
    QVERIFY(!m_bench.manager()->isOtaRunning());
    page.initNewSchedule();
    rowBox(page.tableWidgetDevice, 0)->click();
    page.btnUpdateNow->click();
    QVERIFY(pressAdd(page).startsWith("Make sure"));
    m_bench.manager()->startOta(m_bench.prepareRun({m_beta}), m_bench.runDevices());
    page.messageDialog()->btnOk->click();
    QTRY_COMPARE(page.messageDialog()->labelMessage->text(), busy);
    QTest::qWait(100);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(OtaSeed::schedules().size(), 3); // the two runs' own and the one saved for later
}

void TestFirmwareOtaPages::reportFollowsARun()
{
    seedFleet();
    OtaSeed::join(m_beta, "South");
    OtaScheduleReportDialog report;

    // Not started: the out-of-date devices of its groups, each once.
    const VelkOtaSchedule groups = OtaSeed::schedule({}, {"North", "South"}, "2031-03-04 10:30", UPDATE_NOT_STARTED);
    report.setOtaSchedule(groups);
    QCOMPARE(column(report.tableWidgetReport, 0), QStringList({m_alpha.deviceName, m_beta.deviceName}));
    QCOMPARE(column(report.tableWidgetReport, 4), QStringList({"Not Started", "Not Started"}));
    QCOMPARE(report.labelTotalInfo->text(), QStringLiteral("2 devices in total"));

    // A run of both, followed live as the scheduling page does, with a search, a status and a sort in force.
    QVERIFY(m_bench.connect({0, 1}));
    VelkOtaSchedule *run = m_bench.prepareRun({m_alpha, m_beta});
    report.setOtaSchedule(*run);
    report.lineEditFilter->setText("QML8");
    QTest::keyClick(report.lineEditFilter, Qt::Key_Return);
    report.reportHeaderDevice->clicked();
    QCOMPARE(column(report.tableWidgetReport, 0), QStringList({m_beta.deviceName, m_alpha.deviceName}));
    report.btnStatusSuccessfully->click();
    QCOMPARE(report.tableWidgetReport->rowCount(), 0);
    connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleReportUpdated, &report,
            [&] { report.refreshReport(*run); });
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(run, m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());
    QCOMPARE(column(report.tableWidgetReport, 0), QStringList({m_beta.deviceName, m_alpha.deviceName}));
    QCOMPARE(column(report.tableWidgetReport, 3), QStringList({"8.0.0000.05", "8.0.0000.05"}));
    QCOMPARE(report.tableWidgetReport->item(0, 4)->foreground().color(), QColor("#7cc0ff"));
    QCOMPARE(report.lineEditFilter->text(), QStringLiteral("QML8"));
    QCOMPARE(report.btnStatusSuccessfully->toolTip(), QStringLiteral("Successfully (2)"));

    // Another schedule's refresh changes nothing; a new opening starts over.
    report.refreshReport(groups);
    QCOMPARE(report.tableWidgetReport->rowCount(), 2);
    report.setOtaSchedule(*run);
    QVERIFY(report.lineEditFilter->text().isEmpty());
    QCOMPARE(column(report.tableWidgetReport, 0), QStringList({m_alpha.deviceName, m_beta.deviceName}));
}

// The calendar follows the administrator's stored language; a database without one falls back to the
// language the console runs in, never to the form's own Chinese (Taiwan).
void TestFirmwareOtaPages::calendarSpeaksTheStoredLanguage()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkAccount> accounts;
    QCOMPARE(db->queryAccount(accounts), quint32(DB_OK));
    auto admin = std::find_if(accounts.begin(), accounts.end(), [](const VelkAccount &a) { return a.isAdmin; });
    QVERIFY(admin != accounts.end());
    const QString wasStored = admin->language;
    const QString wasRunning = currentLanguage;

    admin->language.clear();
    QCOMPARE(db->updateAccount(*admin), quint32(DB_OK));
    currentLanguage = QStringLiteral("en_US");
    {
        OtaScheduleSetting page;
        QCOMPARE(page.calendarWidget->locale().name(), QStringLiteral("en_US"));
    }
    admin->language = QStringLiteral("en_US");
    QCOMPARE(db->updateAccount(*admin), quint32(DB_OK));
    currentLanguage = QStringLiteral("zh_TW");
    {
        OtaScheduleSetting page;
        QCOMPARE(page.calendarWidget->locale().name(), QStringLiteral("en_US"));
    }

    admin->language = wasStored;
    QCOMPARE(db->updateAccount(*admin), quint32(DB_OK));
    currentLanguage = wasRunning;
}

QTEST_MAIN(TestFirmwareOtaPages)
#include "tst_firmware_otapages.moc"
