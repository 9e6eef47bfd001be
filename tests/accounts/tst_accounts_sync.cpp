// Device assignment, account synchronisation and its report, against the real command server
// with simulated multi-user panels on 127.0.0.1 that take part in the synchronisation and keep
// the users they received, and a real database in a temporary folder. Time-outs are shortened.

#include "AccountsTestSupport.h"
#include "support/CheckCells.h"
#include "support/DatabaseHold.h"
#include "support/EventLoopGaps.h"
#include "support/ManyDevices.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TryCeiling.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/AccountSyncRun.h"
#include "accounts/AccountTableModel.h"
#include "accounts/AccountsForm.h"
#include "accounts/DeviceListDialog.h"
#include "accounts/DeviceOverAssignDialog.h"
#include "network/AccountFile.h"
#include "shell/base/Clock.h"
#include "shell/base/CsvReader.h"
#include "shell/base/Session.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTextCodec>

#include <memory>

namespace {

// 180 s becomes 9 s: a panel that answers does so well within that, however loaded the machine.
constexpr double TimeoutScale = 0.05;
// For the cases that wait a time-out out: 180 s becomes 360 ms, 1 s becomes 2 ms.
constexpr double ShortTimeoutScale = 0.002;

// The users a panel keeps, by name.
QHash<QString, AccountFileRow> usersOn(const SimulatedPanel &panel)
{
    QHash<QString, AccountFileRow> users;
    const QList<AccountFileRow> rows =
        AccountFile::fromCsvRows(parseCsv(normalizeCsvText(QString::fromUtf8(panel.storedUsers()))));
    for (const AccountFileRow &row : rows)
        users.insert(row.userName, row);
    return users;
}

// The device names the user table shows for that user, or "none" without a row.
QString devicesInTable(const AccountOverview &overview, const QString &name)
{
    const AccountTableModel *model = overview.tableModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->user(row).userName == name)
            return model->data(model->index(row, AccountTableModel::IfpAccessColumn), Qt::DisplayRole).toString();
    }
    return QStringLiteral("none");
}

VelkUserDevice assignmentOf(quint32 muid, quint32 did)
{
    QList<VelkUserDevice> rows;
    testDb()->queryUserDeviceByIds(rows, muid, did);
    return rows.isEmpty() ? VelkUserDevice() : rows.first();
}

} // namespace

class TestAccountsSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void assignmentStopsAtTheLimit();
    void warningClosedWithoutYesWritesNothing_data();
    void warningClosedWithoutYesWritesNothing();
    void deviceInTwoCheckedGroupsIsNamedOnce();
    void resavingKeepsStatusAndTime();
    void hiddenRowsAndAnEmptyGroupPageAreUnassigned();
    void assignmentTablesDrawEveryRowWithoutAWidgetEach();
    void assignmentRowsTickFromTheKeyboard_data();
    void assignmentRowsTickFromTheKeyboard();

    void syncNowReachesEachPanelWithItsUsers();
    void silentPanelFailsAfterTheTimeoutAndALateAnswerCountsOnce();
    void setupFromServerOffIsReported();
    void deviceStoredInAnotherMacFormEndsItsRun();
    void silentPanelsFailWithinOneTimeOutOfTheStart();
    void timeOutsOfSeveralPanelsEndEachInTime();
    void failuresWrittenTogetherLoseOnlyARefusedStatus();
    void syncNowDuringAHeldDatabaseLandsEveryStatus();
    void syncDuringAnExclusiveHoldKeepsThePanelsUsers();
    void syncNowOfAHundredPanelsWaitsOutAnExclusiveHold();
    void syncNowDuringAnExclusiveHoldGoesToThePanelsTheConsoleKnows();
    void userTableShowsWhatARunTookIn();
    void unreadablePanelFileFailsTheFirstSyncAndKeepsThePanelsUsers_data();
    void unreadablePanelFileFailsTheFirstSyncAndKeepsThePanelsUsers();

    void reportListsSynchronisedRowsOfTheUser();
    void reportRightAfterSyncNowOpensOverThePage();
    void reportSyncButtonRefreshesOncePerAnswer();
    void panelsKnownByTheirAddressAloneTakePartInSyncNow();

private:
    VelkIFPDevice panelDevice(int serial, const QString &mac = QString());
    SimulatedPanel *connectPanel(int serial);
    void setSetupServer(bool enabled);
    // The panels' own synchronisation when they connect, as the connected-device list starts it.
    void finishConnectSyncs();
    DeviceListDialog *openAssignment(const VelkMultiUser &user);
    void checkDevice(DeviceListDialog *dialog, const QString &name, bool checked);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<AccountOverview> m_overview;
    std::vector<std::unique_ptr<SimulatedPanel>> m_panels;
    QTemporaryDir m_dir;
    CmdServer *m_server = nullptr;
    ManualClock m_clock{QDateTime(QDate(2024, 5, 6), QTime(7, 30))};
};

void TestAccountsSync::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    m_log = std::make_unique<LogCapture>();
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_dir.path()));
    QVERIFY(testDb());
    m_server = CmdServer::getInstance();
    isAdminLogin = true;
    m_overview = std::make_unique<AccountOverview>();
    m_overview->syncRun()->setTimeoutScale(TimeoutScale);
    m_overview->syncRun()->setClock(&m_clock);
}

void TestAccountsSync::init()
{
    m_overview->syncRun()->setTimeoutScale(TimeoutScale);
    wipeAccounts();
    m_server->setManagedDevices({});
    setSetupServer(true);
}

void TestAccountsSync::cleanup()
{
    m_server->setRetryIntervalMs(DbReadRetry::kFirstIntervalMs, DbReadRetry::kLongestIntervalMs);
    m_panels.clear();
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
    QVERIFY(!m_overview->syncRun()->isRunning());
}

VelkIFPDevice TestAccountsSync::panelDevice(int serial, const QString &mac)
{
    const VelkIFPDevice device =
        seedPanel(QStringLiteral("Panel-%1").arg(serial), mac.isEmpty() ? testMac(serial) : mac);
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    m_server->setManagedDevices(all);
    return device;
}

SimulatedPanel *TestAccountsSync::connectPanel(int serial)
{
    auto panel =
        std::make_unique<SimulatedPanel>(identityWith(serial, QStringLiteral("kelvo")), directSettings(serial));
    panel->start();
    SimulatedPanel *raw = panel.get();
    m_panels.push_back(std::move(panel));
    if (!QTest::qWaitFor([&] { return raw->isConnected() && m_server->getChannel(raw->mac()); }, QuorvinTryCeilingMs))
        qWarning("panel %d did not connect", serial);
    return raw;
}

void TestAccountsSync::setSetupServer(bool enabled)
{
    QList<VelkMultiUserAdmin> settings;
    testDb()->queryMultiUserAdmin(settings);
    settings.first().enableSetupServer = enabled;
    settings.first().enableMultiUser = true;
    settings.first().adminPassword = QStringLiteral("admin-pw");
    testDb()->updateMultiUserAdmin(settings.first());
}

void TestAccountsSync::finishConnectSyncs()
{
    m_server->checkAccountSync(m_server->managedDevices());
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
}

DeviceListDialog *TestAccountsSync::openAssignment(const VelkMultiUser &user)
{
    DeviceListDialog *dialog = m_overview->deviceList();
    dialog->setMultiUser(user);
    dialog->loadUserDevices();
    dialog->show();
    return dialog;
}

void TestAccountsSync::checkDevice(DeviceListDialog *dialog, const QString &name, bool checked)
{
    for (int row = 0; row < rowCount(dialog->tableWidgetDevice); ++row) {
        if (cellText(dialog->tableWidgetDevice, row, 1) == name) {
            if (CheckCell(dialog->tableWidgetDevice, row).isChecked() != checked)
                CheckCell(dialog->tableWidgetDevice, row).click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row for ") + name));
}

void TestAccountsSync::assignmentStopsAtTheLimit()
{
    const VelkIFPDevice full = panelDevice(1);
    const VelkIFPDevice free = panelDevice(2);
    for (int i = 0; i < 47; ++i)
        assign(seedUser(QStringLiteral("other %1").arg(i)).muid, full.did);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    const VelkMultiUser late = seedUser(QStringLiteral("V"));

    // 47 other users leave room for one more.
    DeviceListDialog *dialog = openAssignment(user);
    QCOMPARE(rowCount(dialog->tableWidgetDevice), 2);
    QCOMPARE(dialog->labelTotalInfo->text(), QStringLiteral("2 devices in total"));
    checkDevice(dialog, full.deviceName, true);
    QCOMPARE(dialog->labelSelectedInfo->text(), QStringLiteral("1 device selected"));
    QSignalSpy saved(dialog, &DeviceListDialog::updateMultiUser);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QVERIFY(!dialog->overAssignDialog()->isVisible());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(assignmentOf(user.muid, full.did).deviceId, full.did);

    // Now 48 hold it: the next user is warned, and "Yes" saves without it.
    dialog = openAssignment(late);
    checkDevice(dialog, full.deviceName, true);
    checkDevice(dialog, free.deviceName, true);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    DeviceOverAssignDialog *warning = dialog->overAssignDialog();
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->textBrowser->toPlainText(), full.deviceName);
    QCOMPARE(assignmentOf(late.muid, free.did).deviceId, 0u);
    QTest::mouseClick(warning->btnYes, Qt::LeftButton);
    QVERIFY(!warning->isVisible());
    QVERIFY(warning->textBrowser->toPlainText().isEmpty());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(saved.count(), 2);
    QCOMPARE(assignmentOf(late.muid, full.did).deviceId, 0u);
    QCOMPARE(assignmentOf(late.muid, free.did).deviceId, free.did);
}

void TestAccountsSync::warningClosedWithoutYesWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "Cancel";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("title bar") << "title bar";
}

// The over-assignment warning answered other than "Yes": nothing is written, the assignment window stays with its check
// marks, and the warning, kept for the next use, comes back whole when the operator saves again.
void TestAccountsSync::warningClosedWithoutYesWritesNothing()
{
    QFETCH(QString, how);
    const VelkIFPDevice full = panelDevice(1);
    const VelkIFPDevice free = panelDevice(2);
    for (int i = 0; i < 48; ++i)
        assign(seedUser(QStringLiteral("other %1").arg(i)).muid, full.did);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    DeviceListDialog *dialog = openAssignment(user);
    checkDevice(dialog, full.deviceName, true);
    checkDevice(dialog, free.deviceName, true);
    QSignalSpy saved(dialog, &DeviceListDialog::updateMultiUser);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    DeviceOverAssignDialog *warning = dialog->overAssignDialog();
    QVERIFY(warning->isVisible());

    if (how == QLatin1String("Cancel"))
        QTest::mouseClick(warning->btnCancel, Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        QTest::keyClick(warning, Qt::Key_Escape);
    else
        QVERIFY(!warning->close());
    QVERIFY(!warning->isVisible());
    QVERIFY(warning->textBrowser->toPlainText().isEmpty());
    QVERIFY(dialog->isVisible());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(assignmentOf(user.muid, full.did).deviceId, 0u);
    QCOMPARE(assignmentOf(user.muid, free.did).deviceId, 0u);
    QCOMPARE(dialog->labelSelectedInfo->text(), QStringLiteral("2 devices selected"));

    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QVERIFY(warning->isVisible());
    QCOMPARE(warning->textBrowser->toPlainText(), full.deviceName);
    QTest::mouseClick(warning->btnYes, Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(assignmentOf(user.muid, full.did).deviceId, 0u);
    QCOMPARE(assignmentOf(user.muid, free.did).deviceId, free.did);
}

void TestAccountsSync::deviceInTwoCheckedGroupsIsNamedOnce()
{
    VelkIFPDevice shared = panelDevice(1);
    VelkIFPDevice alone = panelDevice(2);
    for (const QString &name : {QStringLiteral("Hall"), QStringLiteral("Lab")}) {
        VelkGroups group;
        group.groupName = name;
        group.groupType = shared.deviceType;
        testDb()->createGroups(group);
        testDb()->joinGroups(shared, group);
    }
    VelkGroups lab;
    lab.groupName = QStringLiteral("Lab");
    testDb()->joinGroups(alone, lab);
    for (int i = 0; i < 48; ++i)
        assign(seedUser(QStringLiteral("other %1").arg(i)).muid, shared.did);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));

    DeviceListDialog *dialog = openAssignment(user);
    dialog->comboBoxType->setCurrentIndex(1);
    QCOMPARE(rowCount(dialog->tableWidgetGroup), 2);
    QCOMPARE(dialog->labelTotalInfo->text(), QStringLiteral("2 groups in total (2 devices)"));
    CheckCell(dialog->tableWidgetGroup, 0).click();
    CheckCell(dialog->tableWidgetGroup, 1).click();
    QCOMPARE(dialog->labelSelectedInfo->text(), QStringLiteral("2 groups selected (2 devices)"));
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QCOMPARE(dialog->overAssignDialog()->textBrowser->toPlainText(), shared.deviceName);
    QTest::mouseClick(dialog->overAssignDialog()->btnYes, Qt::LeftButton);
    QList<VelkUserDevice> rows;
    testDb()->queryUserDeviceByIds(rows, user.muid, alone.did);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(assignmentOf(user.muid, shared.did).deviceId, 0u);
}

// The designed save deleted and re-created every assignment: kept devices lost their status.
void TestAccountsSync::resavingKeepsStatusAndTime()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const VelkIFPDevice three = panelDevice(3);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, one.did, 1, QStringLiteral("2024-01-02 10:00"));
    assign(user.muid, two.did, 2, QStringLiteral("2024-01-03 11:00"));
    const VelkUserDevice before = assignmentOf(user.muid, one.did);

    DeviceListDialog *dialog = openAssignment(user);
    QVERIFY(dialog->deviceCheckBoxAll->isChecked() == false);
    QVERIFY(dialog->selectedInfoWidget->isVisible());
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    VelkUserDevice after = assignmentOf(user.muid, one.did);
    QCOMPARE(after.udid, before.udid);
    QCOMPARE(after.syncStatus, 1);
    QCOMPARE(after.lastSyncTime, QStringLiteral("2024-01-02 10:00"));
    QCOMPARE(assignmentOf(user.muid, two.did).syncStatus, 2);

    dialog = openAssignment(user);
    checkDevice(dialog, two.deviceName, false);
    checkDevice(dialog, three.deviceName, true);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    after = assignmentOf(user.muid, one.did);
    QCOMPARE(after.udid, before.udid);
    QCOMPARE(after.lastSyncTime, QStringLiteral("2024-01-02 10:00"));
    QCOMPARE(assignmentOf(user.muid, two.did).udid, 0u);
    QCOMPARE(assignmentOf(user.muid, three.did).syncStatus, 0);
    QVERIFY(assignmentOf(user.muid, three.did).lastSyncTime.isEmpty());
}

void TestAccountsSync::hiddenRowsAndAnEmptyGroupPageAreUnassigned()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, one.did);
    assign(user.muid, two.did);

    // The search hides Panel-1: saving leaves only what the page shows checked.
    DeviceListDialog *dialog = openAssignment(user);
    QTest::mouseClick(dialog->btnCloseInfo, Qt::LeftButton);
    dialog->lineEditFilter->setText(QStringLiteral("panel-2"));
    QTest::keyClick(dialog->lineEditFilter, Qt::Key_Return);
    QCOMPARE(rowCount(dialog->tableWidgetDevice), 1);
    QVERIFY(CheckCell(dialog->tableWidgetDevice, 0).isChecked());
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QCOMPARE(assignmentOf(user.muid, one.did).udid, 0u);
    QVERIFY(assignmentOf(user.muid, two.did).udid != 0);

    dialog = openAssignment(user);
    QTest::mouseClick(dialog->btnCloseInfo, Qt::LeftButton);
    dialog->comboBoxType->setCurrentIndex(1);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QCOMPARE(assignmentOf(user.muid, two.did).udid, 0u);
}

// A school of hundreds of panels: the window, built with the overview at log-in, lists none of them until it opens
// for a user, and then shows every device and group with no widget per row (a widget each made a large site's
// log-in take seconds and hundreds of megabytes); the last row is still assigned by a click on its box.
void TestAccountsSync::assignmentTablesDrawEveryRowWithoutAWidgetEach()
{
    const ManyDevices site(300, 30, QStringLiteral("Room"), 3000);
    QVERIFY(site.isValid());
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    DeviceListDialog built;
    QCOMPARE(built.tableWidgetDevice->model()->rowCount(), 0);
    QCOMPARE(built.tableWidgetGroup->model()->rowCount(), 0);

    DeviceListDialog *dialog = openAssignment(user);
    QCOMPARE(dialog->tableWidgetDevice->model()->rowCount(), 300);
    QCOMPARE(dialog->tableWidgetGroup->model()->rowCount(), 30);
    QCOMPARE(dialog->labelTotalInfo->text(), QStringLiteral("300 devices in total"));
    // What the viewports hold does not grow with the rows: the stamp the boxes are drawn from.
    checkViewportHoldsFewWidgets(dialog->tableWidgetDevice);
    checkViewportHoldsFewWidgets(dialog->tableWidgetGroup);
    checkDevice(dialog, QStringLiteral("Room 299"), true);
    QCOMPARE(dialog->labelSelectedInfo->text(), QStringLiteral("1 device selected"));
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QVERIFY(assignmentOf(user.muid, site.devices.last().did).udid != 0);
    QCOMPARE(assignmentOf(user.muid, site.devices.first().did).udid, 0u);
}

void TestAccountsSync::assignmentRowsTickFromTheKeyboard_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("assigned");
    QTest::newRow("Space ticks the current row") << QStringList{"Tab", "Down", "Space"} << QStringList{"Panel-2"};
    QTest::newRow("Space again clears it") << QStringList{"Tab", "Down", "Space", "Space"} << QStringList{};
    QTest::newRow("a click ticks its row") << QStringList{"click"} << QStringList{"Panel-2"};
    QTest::newRow("Space after a click clears that row") << QStringList{"click", "Space"} << QStringList{};
    QTest::newRow("select-all ticks every row") << QStringList{"all"} << QStringList{"Panel-1", "Panel-2", "Panel-3"};
    QTest::newRow("a sort keeps the ticks") << QStringList{"Tab", "Down", "Space", "sort"} << QStringList{"Panel-2"};
    QTest::newRow("a search, then Space") << QStringList{"search panel-3", "Tab", "Space"} << QStringList{"Panel-3"};
}

// The device list took no keys: Tab passed it by and Space ticked no row. Ticked from the keyboard, by a click or by
// select-all, what is saved is what the list shows ticked, through a sort and a search.
void TestAccountsSync::assignmentRowsTickFromTheKeyboard()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, assigned);
    const QList<VelkIFPDevice> panels = {panelDevice(1), panelDevice(2), panelDevice(3)};
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    DeviceListDialog *dialog = openAssignment(user);
    // The window is built once and shown again for each user; the offscreen platform, whose focus never left its
    // window, tells no activation when it is shown again.
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    operateDeviceTable(dialog, steps);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(tickedRows(dialog->tableWidgetDevice, 1), assigned);
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    for (const VelkIFPDevice &panel : panels)
        QCOMPARE(assignmentOf(user.muid, panel.did).udid != 0, assigned.contains(panel.deviceName));
}

void TestAccountsSync::syncNowReachesEachPanelWithItsUsers()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const QStringList names = {QStringLiteral("a,\"b\""), QStringLiteral("first\nsecond"), QString(12, QChar(0x6F22)),
                               QStringLiteral("O'Brien")};
    QHash<QString, VelkMultiUser> users;
    for (const QString &name : names)
        users.insert(name, seedUser(name, name.left(1) + QStringLiteral("pw,1"), QString()));
    VelkMultiUser carded = users.value(names.at(0));
    carded.rfidId = QStringLiteral("C,\"D0001");
    carded.hasPermission = true;
    testDb()->updateMultiUser(carded);
    testDb()->deleteAppPermission(carded.muid, allApps().first().aiid);
    for (const QString &name : names.mid(0, 3))
        assign(users.value(name).muid, one.did);
    assign(users.value(names.at(3)).muid, two.did);
    SimulatedPanel *first = connectPanel(1);
    SimulatedPanel *second = connectPanel(2);
    finishConnectSyncs();

    QSignalSpy progress(m_overview->syncRun(), &AccountSyncRun::progressed);
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QVERIFY(m_overview->progressDialog());
    QCOMPARE(m_overview->progressDialog()->maximum(), 2);
    QCOMPARE(m_overview->progressDialog()->value(), 0);
    QVERIFY(!m_overview->btnSyncNow->isEnabled());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(progress.count(), 2);
    QCOMPARE(progress.at(0), QVariantList({1, 2}));
    QCOMPARE(progress.at(1), QVariantList({2, 2}));
    QVERIFY(m_overview->btnSyncNow->isEnabled());
    QVERIFY(!m_overview->progressDialog()->isVisible());

    const QHash<QString, AccountFileRow> onFirst = usersOn(*first);
    const QHash<QString, AccountFileRow> onSecond = usersOn(*second);
    QCOMPARE(onFirst.size(), 3);
    QCOMPARE(onSecond.size(), 1);
    for (const QString &name : names.mid(0, 3)) {
        QVERIFY2(onFirst.contains(name), qPrintable(name));
        QCOMPARE(onFirst.value(name).password, users.value(name).password);
        QCOMPARE(onFirst.value(name).uniqueId, users.value(name).uniqueId);
    }
    const AccountFileRow received = onFirst.value(names.at(0));
    QCOMPARE(received.rfidId, QStringLiteral("C,\"D0001"));
    QVERIFY(received.hasPermission);
    QCOMPARE(received.packages.size(), allApps().size() - 1);
    QVERIFY(!received.packages.contains(allApps().first().packageName));
    QVERIFY(onSecond.contains(names.at(3)));

    for (const QString &name : names) {
        const VelkUserDevice row = assignmentOf(users.value(name).muid, name == names.at(3) ? two.did : one.did);
        QCOMPARE(row.syncStatus, 1);
        QVERIFY(QDateTime::fromString(row.lastSyncTime, QStringLiteral("yyyy-MM-dd hh:mm")).isValid());
    }

    // A second run reuses the dialog; with every panel busy there is no run at all.
    m_server->checkAccountSync({one});
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(m_overview->progressDialog()->maximum(), 1);
    QTRY_COMPARE(finished.count(), 2);
    m_server->checkAccountSync({one, two});
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QVERIFY(m_overview->btnSyncNow->isEnabled());
    QVERIFY(!m_overview->progressDialog()->isVisible());
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0); // the panels answer before they go
}

void TestAccountsSync::silentPanelFailsAfterTheTimeoutAndALateAnswerCountsOnce()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    assign(user.muid, one.did);
    assign(user.muid, two.did);
    connectPanel(1);
    SimulatedPanel *slow = connectPanel(2);
    finishConnectSyncs();

    // The slow panel answers well after its (shortened) 180 s, 3.6 s here; the other one well before.
    m_overview->syncRun()->setTimeoutScale(0.02);
    slow->setAnswerDelay(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, 6000);
    QSignalSpy progress(m_overview->syncRun(), &AccountSyncRun::progressed);
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QSignalSpy timedOut(m_overview->syncRun(), &AccountSyncRun::timedOut);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(timedOut.count(), 1);
    QCOMPARE(timedOut.at(0).at(0).toString(), slow->mac());
    QVERIFY(m_overview->btnSyncNow->isEnabled());
    QCOMPARE(assignmentOf(user.muid, one.did).syncStatus, 1);
    const VelkUserDevice failed = assignmentOf(user.muid, two.did);
    QCOMPARE(failed.syncStatus, 2);
    QCOMPARE(failed.lastSyncTime, QStringLiteral("2024-05-06 07:30"));

    // The late answer is recorded by the network layer, and moves no run.
    QTRY_COMPARE(assignmentOf(user.muid, two.did).syncStatus, 1);
    QTest::qWait(50);
    QCOMPARE(progress.count(), 2);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_overview->syncRun()->awaited(), 0);
}

void TestAccountsSync::setupFromServerOffIsReported()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, one.did);
    SimulatedPanel *panel = connectPanel(1);
    finishConnectSyncs();
    setSetupServer(false);
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(panel->remoteSetupDisabled());
    QCOMPARE(assignmentOf(user.muid, one.did).syncStatus, 3);

    AccountReportDialog *report = m_overview->report();
    report->refreshReport(user);
    QCOMPARE(report->tableWidgetReport->item(0, 3)->text(), QStringLiteral("Failed, because setup from server is off"));
}

void TestAccountsSync::deviceStoredInAnotherMacFormEndsItsRun()
{
    const QString typed = testMac(4).toUpper().replace(QLatin1Char(':'), QLatin1Char('-'));
    const VelkIFPDevice shouted = panelDevice(4, typed);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, shouted.did);
    SimulatedPanel *panel = connectPanel(4);
    finishConnectSyncs();

    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(assignmentOf(user.muid, shouted.did).syncStatus, 1);

    // A time-out finds the device by its stored form too.
    m_overview->syncRun()->setTimeoutScale(ShortTimeoutScale);
    panel->setAnswerDropped(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, true);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(assignmentOf(user.muid, shouted.did).syncStatus, 2);
}

// A run used to ask a few panels at a time and arm each one's time-out only when its turn came, so
// silent panels held the modal progress for one time-out per few panels, and a panel that went away
// before its turn got no status at all. Every panel is asked, and every time-out armed, at the start.
void TestAccountsSync::silentPanelsFailWithinOneTimeOutOfTheStart()
{
    constexpr int Silent = 40;
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    QList<VelkIFPDevice> devices;
    for (int serial = 1; serial <= Silent + 1; ++serial) {
        devices.append(panelDevice(serial));
        assign(user.muid, devices.last().did);
    }
    QList<SimulatedPanel *> panels;
    for (int serial = 1; serial <= Silent + 1; ++serial)
        panels.append(connectPanel(serial));
    finishConnectSyncs();
    for (SimulatedPanel *panel : qAsConst(panels)) {
        panel->resetCounters();
        panel->setAnswerDropped(VELK_REMOTE_RSP_ASK_FIRST_SYNC, true);
    }
    SimulatedPanel *leaving = panels.last();

    AccountSyncRun *run = m_overview->syncRun();
    QSignalSpy finished(run, &AccountSyncRun::runFinished);
    QSignalSpy timedOut(run, &AccountSyncRun::timedOut);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(run->total(), Silent + 1);
    QCOMPARE(run->awaited(), Silent + 1);
    for (SimulatedPanel *panel : qAsConst(panels))
        QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), 1);
    // Asked, then gone before answering: its time-out still runs out.
    leaving->shutDown();
    QTRY_VERIFY(!m_server->getChannel(leaving->mac()));

    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(timedOut.count(), Silent + 1);
    QCOMPARE(run->awaited(), 0);
    QVERIFY(m_overview->btnSyncNow->isEnabled());
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        const VelkUserDevice row = assignmentOf(user.muid, device.did);
        QCOMPARE(row.syncStatus, 2);
        QCOMPARE(row.lastSyncTime, QStringLiteral("2024-05-06 07:30"));
    }
}

// Every panel's time-out runs on one timer: a shorter one armed after a longer one must not wait for it, and an
// answer or a new request removes only that panel's.
void TestAccountsSync::timeOutsOfSeveralPanelsEndEachInTime()
{
    AccountSyncRun *run = m_overview->syncRun();
    run->setTimeoutScale(ShortTimeoutScale);
    QSignalSpy timedOut(run, &AccountSyncRun::timedOut);
    run->armTimeout(testMac(1), 180000); // 360 ms here
    run->armTimeout(testMac(2), 180000);
    run->armTimeout(testMac(3), 180000);
    run->armTimeout(testMac(2), 1000); // asked again, shorter
    run->finished(testMac(3));
    QCOMPARE(run->awaited(), 2);
    QTRY_COMPARE(timedOut.count(), 1);
    QCOMPARE(timedOut.at(0).at(0).toString(), testMac(2));
    QCOMPARE(run->awaited(), 1);
    QTRY_COMPARE(timedOut.count(), 2);
    QCOMPARE(timedOut.at(1).at(0).toString(), testMac(1));
    QCOMPARE(run->awaited(), 0);
}

// Panels whose time-outs run out together have their failures written in one transaction. SQLite rolls it back at the
// middle panel's status (a trigger's RAISE(ROLLBACK); an I/O error does the same): the failures of the panels before
// and after it are written all the same.
void TestAccountsSync::failuresWrittenTogetherLoseOnlyARefusedStatus()
{
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    QList<VelkIFPDevice> devices;
    for (int serial = 1; serial <= 3; ++serial) {
        devices.append(panelDevice(serial));
        assign(user.muid, devices.last().did);
    }
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_status BEFORE UPDATE ON UserDevice WHEN "
                                        "OLD.deviceId = %1 BEGIN SELECT RAISE(ROLLBACK, 'refused'); END")
                             .arg(devices.at(1).did)));
    AccountSyncRun *run = m_overview->syncRun();
    run->setTimeoutScale(ShortTimeoutScale);
    QSignalSpy timedOut(run, &AccountSyncRun::timedOut);
    for (int serial = 1; serial <= 3; ++serial)
        run->armTimeout(testMac(serial), 180000);
    QTRY_COMPARE(timedOut.count(), 3);
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_status")));
    QCOMPARE(assignmentOf(user.muid, devices.at(0).did).syncStatus, 2);
    QCOMPARE(assignmentOf(user.muid, devices.at(1).did).syncStatus, 0);
    QCOMPARE(assignmentOf(user.muid, devices.at(2).did).syncStatus, 2);
}

// Sync Now while another program holds the database (60 s in the field, stood for by a busy wait shortened to 500 ms,
// well above the event loop's lateness on a loaded machine, and a hold of a few of them): the flush of the panels'
// answers began its 10 ms slice before its transaction, whose begin waited the busy wait and was refused, took no
// status in the slice left, and tried again at once, for the whole hold: a busy wait after another, a log line each,
// the progress at 0 % and every panel timed out although each had answered. The refused begin holds the statuses
// instead: the run ends with every panel answered, the GUI never waits twice, the log tells the episode with one line
// as it begins and one as it ends, and the statuses land afterwards.
void TestAccountsSync::syncNowDuringAHeldDatabaseLandsEveryStatus()
{
    constexpr int kPanels = 3;
    const int busyWaitMs = 500;
    const ShortDatabaseWaits waits(busyWaitMs, 50);
    QList<VelkIFPDevice> devices;
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    for (int serial = 1; serial <= kPanels; ++serial) {
        devices.append(panelDevice(serial));
        assign(user.muid, devices.last().did);
        connectPanel(serial);
    }
    finishConnectSyncs();
    for (const VelkIFPDevice &device : qAsConst(devices))
        testDb()->updateUserDeviceSyncStatus(device.did, 0, QString());
    const int logFrom = m_log->lines().size();
    const auto logged = [&](const QString &text) {
        int lines = 0;
        for (const QString &line : m_log->lines().mid(logFrom))
            lines += line.contains(text) ? 1 : 0;
        return lines;
    };

    auto hold = std::make_unique<DatabaseHold>(waits.db()->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    // The GUI thread's waits on the database: turns of its event loop that came a busy wait late or more.
    EventLoopGaps stalls(10, busyWaitMs * 8 / 10);
    stalls.start();
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QSignalSpy timedOut(m_overview->syncRun(), &AccountSyncRun::timedOut);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    // The hold goes on: the held statuses are tried again and again meanwhile, each try a short wait.
    QTest::qWait(4 * busyWaitMs);
    stalls.stop();
    QCOMPARE(timedOut.count(), 0);
    QVERIFY2(stalls.stalls() <= 1, qPrintable(QString::number(stalls.stalls())));
    for (const VelkIFPDevice &device : qAsConst(devices))
        QCOMPARE(assignmentOf(user.muid, device.did).syncStatus, 0);

    hold.reset();
    for (const VelkIFPDevice &device : qAsConst(devices))
        QTRY_COMPARE(assignmentOf(user.muid, device.did).syncStatus, 1);
    QCOMPARE(logged(QStringLiteral("writes are held")), 1);
    QTRY_COMPARE(logged(QStringLiteral("the database takes writes again")), 1);
    QCOMPARE(logged(QStringLiteral("database is locked")), 0);
}

// A panel's synchronisation while another program holds the file exclusively (a VACUUM, an SQLite browser saving):
// its users could not be read, and it was sent a file without them, which a panel takes as "no users" and drops all
// of its own; then it was failed instead, although its users were only not readable yet. Nothing is sent while they
// cannot be read: the panel keeps its users, waits with its time-out running, and gets them once the hold ends.
void TestAccountsSync::syncDuringAnExclusiveHoldKeepsThePanelsUsers()
{
    const ShortDatabaseWaits waits(100, 50);
    m_server->setRetryIntervalMs(50, 200);
    const VelkIFPDevice one = panelDevice(1);
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    assign(user.muid, one.did);
    SimulatedPanel *panel = connectPanel(1);
    finishConnectSyncs();
    QVERIFY(usersOn(*panel).contains(QStringLiteral("U")));
    assign(seedUser(QStringLiteral("V"), QStringLiteral("pass-v")).muid, one.did);
    const int files = panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS);

    auto hold = std::make_unique<DatabaseHold>(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    // As the connected-device list asks a panel that connects.
    QCOMPARE(m_server->checkAccountSync({one}).size(), 1);
    QTRY_VERIFY(m_log->contains(QStringLiteral("users cannot be read for now")));
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), files);
    QCOMPARE(m_overview->syncRun()->awaited(), 1);
    QVERIFY(usersOn(*panel).contains(QStringLiteral("U")));
    hold.reset();
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
    QCOMPARE(assignmentOf(user.muid, one.did).syncStatus, 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), files + 1);
    QVERIFY(usersOn(*panel).contains(QStringLiteral("U")));
    QVERIFY(usersOn(*panel).contains(QStringLiteral("V")));
    QVERIFY(!m_log->contains(QStringLiteral("cannot be read, nothing sent")));

    // Users that cannot be read for a reason of their own would not be read later either: that synchronisation still
    // ends failed at once, with nothing sent, instead of waiting for ever.
    HiddenTable hidden(QStringLiteral("AppPermission"));
    QVERIFY(hidden.isActive());
    QCOMPARE(m_server->checkAccountSync({one}).size(), 1);
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
    QCOMPARE(assignmentOf(user.muid, one.did).syncStatus, 2);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), files + 1);
    QVERIFY(m_log->contains(QStringLiteral("cannot be read, nothing sent")));
}

// Sync Now of a hundred panels while another program holds the file exclusively (60 s in the field, stood for by a
// hold of three seconds with the waits shortened to match, a busy wait of 500 ms still well above the event loop's
// lateness on a loaded machine), after the users changed, so that what the last run read no longer holds. Each panel
// that asked for its users read them itself: a busy wait of the GUI thread for every one, back to back for the whole
// run, an SOS waiting behind them, and every panel stored failed. The run reads once per pause while the hold lasts,
// the panels wait for their users with their time-outs running, and get them once it ends.
void TestAccountsSync::syncNowOfAHundredPanelsWaitsOutAnExclusiveHold()
{
    constexpr int kPanels = 100;
    const int busyWaitMs = 500;
    const ShortDatabaseWaits waits(busyWaitMs, 50);
    m_server->setRetryIntervalMs(100, 400);
    // The real time-out: the panels must outlast the hold by waiting, not by a time-out scaled down with it.
    m_overview->syncRun()->setTimeoutScale(1.0);
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    QList<VelkIFPDevice> devices;
    for (int serial = 1; serial <= kPanels; ++serial) {
        devices.append(panelDevice(serial));
        assign(user.muid, devices.last().did);
    }
    for (int serial = 1; serial <= kPanels; ++serial) {
        m_panels.push_back(
            std::make_unique<SimulatedPanel>(identityWith(serial, QStringLiteral("kelvo")), directSettings(serial)));
        m_panels.back()->start();
    }
    const auto allConnected = [this] {
        for (const auto &panel : m_panels) {
            if (!panel->isConnected() || !m_server->getChannel(panel->mac()))
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allConnected(), QuorvinTryCeilingMs);
    finishConnectSyncs();
    const VelkMultiUser late = seedUser(QStringLiteral("Late"), QStringLiteral("pass-late"));
    for (const VelkIFPDevice &device : qAsConst(devices))
        assign(late.muid, device.did);
    QList<int> files;
    for (const auto &panel : m_panels)
        files.append(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS));

    auto hold = std::make_unique<DatabaseHold>(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    // Two waits of the GUI thread in a row are one panel's wait after another's.
    EventLoopGaps stalls(10, busyWaitMs * 8 / 10);
    stalls.start();
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QSignalSpy timedOut(m_overview->syncRun(), &AccountSyncRun::timedOut);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(m_overview->syncRun()->total(), kPanels);
    QTest::qWait(6 * busyWaitMs);
    QCOMPARE(finished.count(), 0);
    for (int i = 0; i < kPanels; ++i)
        QCOMPARE(m_panels.at(size_t(i))->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), files.at(i));

    hold.reset();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, QuorvinTryCeilingMs);
    stalls.stop();
    QCOMPARE(timedOut.count(), 0);
    QVERIFY2(stalls.stallsInARow() == 0,
             qPrintable(QStringLiteral("%1 of %2 waits in a row").arg(stalls.stallsInARow()).arg(stalls.stalls())));
    for (int i = 0; i < kPanels; ++i) {
        const SimulatedPanel &panel = *m_panels.at(size_t(i));
        QCOMPARE(panel.receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), files.at(i) + 1);
        QVERIFY(usersOn(panel).contains(QStringLiteral("Late")));
        QCOMPARE(assignmentOf(user.muid, devices.at(i).did).syncStatus, 1);
    }
}

// Sync Now while another program holds the file exclusively: the supported devices could not be read, and nothing
// started, nor did anything say why. The run goes to the panels the console knows, through the same gate: a panel
// whose model takes no users stays out of it.
void TestAccountsSync::syncNowDuringAnExclusiveHoldGoesToThePanelsTheConsoleKnows()
{
    const ShortDatabaseWaits waits(100, 50);
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    QList<SimulatedPanel *> panels;
    for (int serial = 1; serial <= 3; ++serial) {
        assign(user.muid, panelDevice(serial).did);
        // The third reports a model that takes no users; the console holds what it reported.
        if (serial == 3) {
            PanelIdentity identity = identityWith(serial, QStringLiteral("kelvo"));
            identity.model = QStringLiteral("Velk Signage S1");
            m_panels.push_back(std::make_unique<SimulatedPanel>(identity, directSettings(serial)));
            m_panels.back()->start();
            QTRY_VERIFY(m_server->getChannel(testMac(serial)));
            panels.append(m_panels.back().get());
        } else {
            panels.append(connectPanel(serial));
        }
    }
    finishConnectSyncs();
    QList<int> asked;
    for (SimulatedPanel *panel : qAsConst(panels))
        asked.append(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC));

    auto hold = std::make_unique<DatabaseHold>(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(m_overview->syncRun()->total(), 2);
    QVERIFY(m_overview->progressDialog()->isVisible());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), asked.at(0) + 1);
    QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), asked.at(1) + 1);
    QCOMPARE(panels.at(2)->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), asked.at(2));
    QVERIFY(!m_overview->messageBox() || !m_overview->messageBox()->isVisible());
    hold.reset();
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
}

// The table keeps what it read while no user or assignment was written, since a run writes only statuses; a panel's
// first synchronisation during a run takes users in, and they must show when the run ends.
void TestAccountsSync::userTableShowsWhatARunTookIn()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    assign(ann.muid, one.did);
    connectPanel(1);
    SimulatedPanel *second = connectPanel(2);
    finishConnectSyncs();
    m_overview->updateMultiUserTable();
    QCOMPARE(devicesInTable(*m_overview, QStringLiteral("Ann")), QStringLiteral("Panel-1"));
    QCOMPARE(devicesInTable(*m_overview, QStringLiteral("Bea")), QStringLiteral("none"));

    second->setSyncedConsoleId(QString());
    second->setStoredUsers("userName,password,rfidId,hasPermission,uniqueId,packages\nBea,b-1,,0,{bea},\n");
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(devicesInTable(*m_overview, QStringLiteral("Bea")), QStringLiteral("Panel-2"));

    assign(ann.muid, two.did);
    m_overview->updateMultiUserTable();
    QCOMPARE(devicesInTable(*m_overview, QStringLiteral("Ann")), QStringLiteral("Panel-1, Panel-2"));
}

void TestAccountsSync::unreadablePanelFileFailsTheFirstSyncAndKeepsThePanelsUsers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");

    const QByteArray header = "userName,password,rfidId,hasPermission,uniqueId,packages\n";
    const QByteArray ann = "Ann,ann-pw,,1,{a},\n";
    QTest::newRow("NUL byte") << header + ann + QByteArray("Bo\0b,bob-pw,,0,{b},\n", 20) << "a NUL byte at offset 78";
    // The codec writes its byte order mark.
    QTest::newRow("UTF-16") << QTextCodec::codecForName("UTF-16LE")->fromUnicode(QString::fromUtf8(header + ann))
                            << "a NUL byte at offset 3";
    QTest::newRow("unclosed quote") << header + ann + "\"Bob,bob-pw,,0,{b},\nCarl,carl-pw,,1,{c},\n"
                                    << "a quoted field is not closed";
    QTest::newRow("one unreadable record") << header + ann + "Bob;bob-pw;;0\nCarl,carl-pw,,1,{c},\n"
                                           << "record 3 is no user (fewer than four fields, or no name)";
}

// A file read as "no users" or "fewer users" made the console answer with its own list, which the panel adopts
// whole: its other users were gone. The file is refused instead, nothing that would replace the panel's users is
// sent, and the synchronisation fails. It failed at its time-out, while a Sync Now held its modal progress window up
// for the 180 s: it ends failed as soon as the file is refused, the time-out kept at its 180 s here.
void TestAccountsSync::unreadablePanelFileFailsTheFirstSyncAndKeepsThePanelsUsers()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    const VelkIFPDevice device = panelDevice(1);
    const VelkIFPDevice other = panelDevice(2);
    const VelkMultiUser user = seedUser(QStringLiteral("U"), QStringLiteral("pass"));
    assign(user.muid, device.did);
    assign(user.muid, other.did);
    SimulatedPanel *panel = connectPanel(1);
    connectPanel(2);
    panel->setStoredUsers(file);
    m_overview->syncRun()->setTimeoutScale(1.0);
    m_log->clear();

    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QSignalSpy timedOut(m_overview->syncRun(), &AccountSyncRun::timedOut);
    QElapsedTimer took;
    took.start();
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(m_overview->syncRun()->total(), 2);
    QVERIFY(m_overview->progressDialog()->isVisible());
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY2(took.elapsed() < 60000, qPrintable(QStringLiteral("the run took %1 ms").arg(took.elapsed())));
    QVERIFY(!m_overview->progressDialog()->isVisible());
    QVERIFY(m_overview->btnSyncNow->isEnabled());
    QCOMPARE(timedOut.count(), 0);
    QCOMPARE(m_overview->syncRun()->awaited(), 0);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), 0);
    QCOMPARE(panel->storedUsers(), file);
    QCOMPARE(assignmentOf(user.muid, device.did).syncStatus, 2);
    QVERIFY(!assignmentOf(user.muid, device.did).lastSyncTime.isEmpty());
    QCOMPARE(assignmentOf(user.muid, other.did).syncStatus, 1);
    // The report counts the panel as failed.
    AccountReportDialog *report = m_overview->report();
    report->refreshReport(user);
    QCOMPARE(report->btnStatusFailed->text(), QStringLiteral("Failed (1)"));
    QCOMPARE(report->btnStatusSuccessfully->text(), QStringLiteral("Successfully (1)"));
    QCOMPARE(userNamed(QStringLiteral("Ann")).muid, 0u);
    QCOMPARE(userCount(), 1);
    const QString line = QStringLiteral("account file of Panel-1 (%1) refused: %2").arg(testMac(1), reason);
    QVERIFY2(m_log->contains(line), qPrintable(line));
}

void TestAccountsSync::reportListsSynchronisedRowsOfTheUser()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkIFPDevice two = panelDevice(2);
    const VelkIFPDevice three = panelDevice(3);
    const VelkIFPDevice four = panelDevice(4);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    const VelkMultiUser other = seedUser(QStringLiteral("Other"));
    assign(user.muid, one.did, 1, QStringLiteral("2024-05-01 09:00"));
    assign(user.muid, two.did, 2, QStringLiteral("2024-05-02 09:00"));
    assign(user.muid, three.did, 3, QStringLiteral("2024-05-03 09:00"));
    assign(user.muid, four.did, 0);
    assign(other.muid, one.did, 2, QStringLiteral("2024-05-04 09:00"));
    connectPanel(2);
    connectPanel(1);

    AccountReportDialog *report = m_overview->report();
    report->refreshReport(seedUser(QStringLiteral("Nobody")));
    QCOMPARE(report->labelTotalInfo->text(), QStringLiteral("0 device in total"));
    QCOMPARE(report->btnStatusAll->text(), QStringLiteral("All (0)"));

    report->refreshReport(user);
    report->show();
    QCOMPARE(report->labelTotalInfo->text(), QStringLiteral("3 devices in total"));
    QCOMPARE(report->btnStatusSuccessfully->text(), QStringLiteral("Successfully (1)"));
    QCOMPARE(report->btnStatusFailed->text(), QStringLiteral("Failed (2)"));
    const QList<VelkUserDevice> rows = report->shownRows();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.first().deviceId, three.did); // newest first
    QCOMPARE(report->indicator(AccountReportRows::TimeColumn)->state(), 0);

    // The Sync button only where the panel is online and failed: Panel-2 (Panel-3 is offline,
    // Panel-1 succeeded).
    int buttons = 0;
    for (int row = 0; row < report->tableWidgetReport->rowCount(); ++row) {
        QWidget *cell = report->tableWidgetReport->cellWidget(row, 5);
        auto *button = cell ? cell->findChild<QPushButton *>() : nullptr;
        if (!button)
            continue;
        ++buttons;
        QCOMPARE(button->property("macAddress").toString(), two.macAddress);
    }
    QCOMPARE(buttons, 1);

    report->lineEditFilter->setText(QStringLiteral("fail"));
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QCOMPARE(report->shownRows().size(), 2);
    QCOMPARE(report->btnStatusAll->text(), QStringLiteral("All (2)"));
    report->lineEditFilter->setText(QStringLiteral("success"));
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QCOMPARE(report->shownRows().size(), 1);
    QCOMPARE(report->shownRows().first().deviceId, one.did);

    // Time reversed gives the oldest first and every other arrow dim and upward; Device then
    // sorts descending, and again ascending. A refresh puts filter and order back.
    report->lineEditFilter->setText(QString());
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QTest::mouseClick(report->reportHeaderTime, Qt::LeftButton);
    QCOMPARE(report->shownRows().first().deviceId, one.did);
    QCOMPARE(report->indicator(AccountReportRows::DeviceColumn)->state(), 3);
    QTest::mouseClick(report->reportHeaderDevice, Qt::LeftButton);
    QCOMPARE(report->indicator(AccountReportRows::DeviceColumn)->state(), 1);
    QCOMPARE(report->shownRows().first().deviceName, three.deviceName);
    QTest::mouseClick(report->reportHeaderDevice, Qt::LeftButton);
    QCOMPARE(report->shownRows().first().deviceName, one.deviceName);
    QTest::mouseClick(report->btnStatusFailed, Qt::LeftButton);
    QCOMPARE(report->tableWidgetReport->rowCount(), 2);
    report->updateTable();
    QCOMPARE(report->tableWidgetReport->rowCount(), 3);
    report->hide();

    assign(other.muid, two.did, 1, QStringLiteral("2024-05-04 10:00"));
    report->refreshReport(other);
    QCOMPARE(report->labelTotalInfo->text(), QStringLiteral("2 devices in total"));
    testDb()->deleteUserDevice(other.muid, two.did);
    report->refreshReport(other);
    QCOMPARE(report->labelTotalInfo->text(), QStringLiteral("1 device in total"));
}

// Seconds after a Sync Now the hidden progress window was still the active window to Qt (a window manager named it
// so), and the report took its corner from where that window had stood, mid-screen: it opens at the page's window's
// top-left + (25, 81), as far as the screen lets it.
void TestAccountsSync::reportRightAfterSyncNowOpensOverThePage()
{
    const VelkIFPDevice device = panelDevice(1);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, device.did);
    connectPanel(1);
    m_overview->updateMultiUserTable();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    m_overview->move(area.topLeft());
    m_overview->show();
    const auto hide = qScopeGuard([this] { m_overview->hide(); });
    QVERIFY(QTest::qWaitForWindowActive(m_overview.get()));

    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QProgressDialog *progress = m_overview->progressDialog();
    QVERIFY(progress->isVisible());
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!progress->isVisible());
    // What the window system last said: the progress window is the active one.
    QApplication::setActiveWindow(progress);
    QCOMPARE(QApplication::activeWindow(), progress);

    const QPoint page = m_overview->mapToGlobal(QPoint(0, 0));
    QCOMPARE(AccountsForm::activeCorner(m_overview.get()), page);
    m_overview->showAccountReportDialog(0);
    AccountReportDialog *report = m_overview->report();
    QVERIFY(QTest::qWaitForWindowExposed(report));
    const double scale = getScaleFactor();
    const QPoint wanted = page + QPoint(ScaleMath::truncScaled(25, scale), ScaleMath::truncScaled(81, scale));
    // The screen leaves room right of that corner; below it the report is pulled up only as far as the screen
    // needs (the frame's size is known only once it shows).
    const QRect frame = report->frameGeometry();
    QVERIFY2(wanted.x() + frame.width() <= area.right() + 1, "the screen is too narrow for this check");
    QVERIFY2(qAbs(frame.left() - wanted.x()) <= 4 && frame.top() <= wanted.y() + 4 && frame.top() >= area.top(),
             qPrintable(QStringLiteral("report at %1,%2, the page's corner + offsets at %3,%4")
                            .arg(frame.left())
                            .arg(frame.top())
                            .arg(wanted.x())
                            .arg(wanted.y())));
    report->close();
}

void TestAccountsSync::reportSyncButtonRefreshesOncePerAnswer()
{
    const VelkIFPDevice one = panelDevice(1);
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    assign(user.muid, one.did, 2, QStringLiteral("2024-05-01 09:00"));
    SimulatedPanel *panel = connectPanel(1);
    finishConnectSyncs();
    testDb()->deleteUserDevice(user.muid, one.did);
    assign(user.muid, one.did, 2, QStringLiteral("2024-05-01 09:00"));

    AccountReportDialog *report = m_overview->report();
    report->refreshReport(user);
    report->show();
    auto *sync = report->tableWidgetReport->cellWidget(0, 5)->findChild<QPushButton *>();
    QVERIFY(sync);
    panel->setAnswerDelay(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, 200);
    QSignalSpy refreshes(m_server, &CmdServer::emitUpdateAccountReportDialog);
    QTest::mouseClick(sync, Qt::LeftButton);
    QTest::mouseClick(sync, Qt::LeftButton);
    QTRY_COMPARE(refreshes.count(), 1);
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
    QCOMPARE(report->shownRows().first().syncStatus, 1);

    // A later synchronisation of the same panel, started elsewhere, refreshes once as well.
    m_server->checkAccountSync({one});
    QTRY_COMPARE(refreshes.count(), 2);
    QTest::qWait(50);
    QCOMPARE(refreshes.count(), 2);
    report->hide();
}

// Panels whose cards report all zeros are known by the devices their addresses matched. Sync Now reaches them over
// their connections; the one that answers is recorded on its own assignment, the silent one fails on its own after
// its time-out, and the report shows both on, with the Sync button for the failed one.
void TestAccountsSync::panelsKnownByTheirAddressAloneTakePartInSyncNow()
{
    const VelkMultiUser user = seedUser(QStringLiteral("U"));
    QList<VelkIFPDevice> devices;
    for (int serial : {5, 6}) {
        VelkIFPDevice device = seedPanel(QStringLiteral("Zero-%1").arg(serial), QString());
        device.ipAddress = QStringLiteral("127.0.0.%1").arg(2 + serial);
        device.deviceType = QStringLiteral("Control Box");
        QCOMPARE(testDb()->updateIFPDeviceById(device), quint32(DB_OK));
        devices << device;
        assign(user.muid, device.did);
    }
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    m_server->setManagedDevices(all);
    QList<SimulatedPanel *> panels;
    for (int serial : {5, 6}) {
        PanelIdentity identity = identityWith(serial, QStringLiteral("kelvo"));
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        m_panels.push_back(std::make_unique<SimulatedPanel>(identity, directSettings(serial)));
        panels << m_panels.back().get();
        panels.last()->start();
    }
    QTRY_VERIFY(m_server->isDeviceOnline(devices.at(0)) && m_server->isDeviceOnline(devices.at(1)));
    QTRY_VERIFY(panels.at(0)->isConnected() && panels.at(1)->isConnected());
    finishConnectSyncs();

    m_overview->syncRun()->setTimeoutScale(0.02);
    panels.at(1)->setAnswerDropped(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, true);
    QSignalSpy finished(m_overview->syncRun(), &AccountSyncRun::runFinished);
    QSignalSpy timedOut(m_overview->syncRun(), &AccountSyncRun::timedOut);
    QTest::mouseClick(m_overview->btnSyncNow, Qt::LeftButton);
    QCOMPARE(m_overview->syncRun()->total(), 2);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(timedOut.count(), 1);
    QCOMPARE(timedOut.at(0).at(0).toString(), m_server->linkKey(devices.at(1)));
    QCOMPARE(assignmentOf(user.muid, devices.at(0).did).syncStatus, 1);
    const VelkUserDevice failed = assignmentOf(user.muid, devices.at(1).did);
    QCOMPARE(failed.syncStatus, 2);
    QCOMPARE(failed.lastSyncTime, QStringLiteral("2024-05-06 07:30"));
    QVERIFY(usersOn(*panels.at(0)).contains(QStringLiteral("U")));

    AccountReportDialog *report = m_overview->report();
    report->refreshReport(user);
    report->show();
    const QList<VelkUserDevice> rows = report->shownRows();
    QCOMPARE(rows.size(), 2);
    int failedRow = -1;
    for (int r = 0; r < rows.size(); ++r) {
        QCOMPARE(rows.at(r).powerStatus, QString(QChar(1)));
        if (rows.at(r).deviceId == devices.at(1).did)
            failedRow = r;
    }
    QVERIFY(failedRow >= 0);
    QWidget *cell = report->tableWidgetReport->cellWidget(failedRow, 5);
    auto *sync = cell ? cell->findChild<QPushButton *>() : nullptr;
    QVERIFY(sync);
    panels.at(1)->setAnswerDropped(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, false);
    QTest::mouseClick(sync, Qt::LeftButton);
    QTRY_COMPARE(assignmentOf(user.muid, devices.at(1).did).syncStatus, 1);
    QTRY_COMPARE(m_overview->syncRun()->awaited(), 0);
    report->hide();
}

QTEST_MAIN(TestAccountsSync)
#include "tst_accounts_sync.moc"
