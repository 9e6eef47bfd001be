#include "NetTestSupport.h"
#include "support/DbProbe.h"
#include "support/PanelUsers.h"

#include "network/AccountFile.h"
#include "network/AccountSyncCache.h"
#include "shell/base/CsvReader.h"
#include "shell/base/Session.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <memory>

// Account synchronisation with simulated panels: both answers, the first-sync merge, the settings tiers, and the
// account file format.
class TestAccountSync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void accountFileSurvivesTheSharedReader();
    void settingsFollowTheDisplayClientVersion();
    void normalUserConsoleDoesNotSync();
    void disabledSetupRecordsStatus3();
    void enabledSetupSendsSettingsAndUsers();
    void firstSyncMergesThePanelsUsers();
    void runOverManyPanelsSendsEachItsOwnFile();
    void failedMergeKeepsThePanelsUsers();
    void oneSyncAtATime();
    void noSettingsRecord();
    void lateAnswerIsRecorded();
    void closedDuringSyncReportsNothing();
    void answerWaitingForItsRunIsWrittenWhenTheConsoleEnds();
    void statusWaitingForItsRunLeavesTheFileToOthers();
    void panelsKnownByTheirAddressAloneAreSynchronised();

private:
    struct WaitingRun
    {
        VelkIFPDevice answering;
        VelkIFPDevice silent;
        std::unique_ptr<SimulatedPanel> first;
        std::unique_ptr<SimulatedPanel> second;
    };
    void runWithOneAnswerWaiting(int serial, WaitingRun &run);
    std::unique_ptr<SimulatedPanel> connectedPanel(int serial, int addressIndex,
                                                   const QString &version = "1.1.1030.30");
    void assign(quint32 muid, quint32 did);
    void setSetupServer(bool enabled);
    // The account file the device's users make, read from the store panel by panel.
    QByteArray fileOf(quint32 did);
    QStringList namesOn(const SimulatedPanel &panel);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    CmdServer *m_server = nullptr;
    OrvantaDBIntf *m_db = nullptr;
};

void TestAccountSync::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    m_config = loopbackNetworkConfig(m_dir.path());
    NetworkConfig::setCurrent(m_config);
    m_server = CmdServer::getInstance();
    m_db = OrvantaDBManager::getInstance();
    for (int serial = 1; serial <= 8; ++serial)
        addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
    const VelkIFPDevice first = storedDevice("Panel-1");
    assign(createPanelUser(m_db, "Smith, Ann", "pw \"1\"", "CARD-1"), first.did);
    assign(createPanelUser(m_db, "Bob", "bob"), first.did);
}

void TestAccountSync::init()
{
    isAdminLogin = true;
    setSetupServer(false);
}

std::unique_ptr<SimulatedPanel> TestAccountSync::connectedPanel(int serial, int addressIndex, const QString &version)
{
    PanelIdentity identity = identityWith(serial, "kelvo");
    identity.displayClientVersion = version;
    std::unique_ptr<SimulatedPanel> panel(new SimulatedPanel(identity, directSettings(addressIndex)));
    panel->start();
    if (!QTest::qWaitFor([&] { return panel->isConnected() && m_server->getChannel(panel->mac()); },
                         QuorvinTryCeilingMs))
        qWarning("panel %d did not connect", serial);
    return panel;
}

void TestAccountSync::assign(quint32 muid, quint32 did)
{
    VelkUserDevice link;
    link.multiUserId = muid;
    link.deviceId = did;
    m_db->createUserDevice(link);
}

void TestAccountSync::setSetupServer(bool enabled)
{
    QList<VelkMultiUserAdmin> settings;
    m_db->queryMultiUserAdmin(settings);
    if (settings.isEmpty())
        return;
    settings.first().enableSetupServer = enabled;
    settings.first().enableMultiUser = true;
    settings.first().adminPassword = "admin-pw";
    settings.first().createAccountPassword = "create-pw";
    settings.first().adminRfidId = "ADMIN-CARD";
    m_db->updateMultiUserAdmin(settings.first());
}

QByteArray TestAccountSync::fileOf(quint32 did)
{
    QList<VelkMultiUser> users;
    QList<VelkAppPermission> permissions;
    QList<VelkAppInfo> apps;
    m_db->queryMultiUserByIFP(users, did);
    m_db->queryAppPermissionByIFP(permissions, did);
    m_db->queryAllAppInfo(apps);
    return AccountFile::build(AccountFile::rowsForUsers(users, permissions, apps));
}

QStringList TestAccountSync::namesOn(const SimulatedPanel &panel)
{
    QStringList names;
    for (const AccountFileRow &row : AccountFile::fromCsvRows(readCsvBytes(panel.storedUsers(), "UTF-8")))
        names.append(row.userName);
    return names;
}

// Names with commas, quotes and line breaks must reach the other side unchanged.
void TestAccountSync::accountFileSurvivesTheSharedReader()
{
    AccountFileRow tricky;
    tricky.userName = "Smith, Ann";
    tricky.password = "say \"hi\"";
    tricky.rfidId = "line\nbreak";
    tricky.hasPermission = true;
    tricky.uniqueId = "{u-1}";
    tricky.packages = QStringList({"com.velk.note", "com.velk.browser"});
    AccountFileRow plain;
    plain.userName = "Bob";
    const QByteArray file = AccountFile::build({tricky, plain});
    QVERIFY(file.startsWith("userName,password,rfidId,hasPermission,uniqueId,packages\n"));

    QFile out(m_dir.filePath("accounts.csv"));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    const QList<AccountFileRow> rows =
        AccountFile::fromCsvRows(readCsvFile(out.fileName(), QStringLiteral("UTF-8"))
                                 << QStringList({"", "x", "y", "1"}) << QStringList({"short", "row"}));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].userName, tricky.userName);
    QCOMPARE(rows[0].password, tricky.password);
    QCOMPARE(rows[0].rfidId, tricky.rfidId);
    QVERIFY(rows[0].hasPermission);
    QCOMPARE(rows[0].uniqueId, tricky.uniqueId);
    QCOMPARE(rows[0].packages, tricky.packages);
    QCOMPARE(rows[1].userName, QString("Bob"));
    QVERIFY(!rows[1].hasPermission);
    QVERIFY(rows[1].packages.isEmpty());
}

void TestAccountSync::settingsFollowTheDisplayClientVersion()
{
    VelkMultiUserAdmin settings;
    settings.enableSetupServer = true;
    settings.adminPassword = "a";
    settings.createAccountPassword = "c";
    settings.adminRfidId = "r";
    auto keys = [&](const QString &version) {
        return QJsonDocument::fromJson(AccountFile::adminSettingsJson(settings, version)).object().keys();
    };
    const QStringList base = {"adminPassword", "enableMultiUser", "enableSetupServer"};
    QCOMPARE(keys("1.1.1017.18"), base);
    QCOMPARE(keys("garbage"), base);
    QCOMPARE(keys("1.1.1020.21"), QStringList({"adminPassword", "createAccountPassword", "enableGuestUser",
                                               "enableMultiUser", "enableSetupServer"}));
    QCOMPARE(keys("1.1.1028.29"), QStringList({"adminPassword", "adminRfidId", "createAccountPassword",
                                               "enableGuestUser", "enableMultiUser", "enableSetupServer"}));
    QCOMPARE(AccountFile::versionBuild("1.1.1030.30"), 30);
    QCOMPARE(AccountFile::versionBuild("1.1.1030"), 0);
}

void TestAccountSync::normalUserConsoleDoesNotSync()
{
    isAdminLogin = false;
    auto panel = connectedPanel(2, 2);
    QSignalSpy timeouts(m_server, &CmdServer::setupSyncUserDeviceTimeout);
    m_log->clear();
    m_server->checkAccountSync({storedDevice("Panel-2")});
    QVERIFY(m_log->contains("Current user is not admin, not need to do sync."));
    QCOMPARE(timeouts.count(), 0);
    QTest::qWait(100);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP), 0);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), 0);
    panel->shutDown();
}

void TestAccountSync::disabledSetupRecordsStatus3()
{
    auto panel = connectedPanel(1, 1);
    const VelkIFPDevice device = storedDevice("Panel-1");
    QSignalSpy timeouts(m_server, &CmdServer::setupSyncUserDeviceTimeout);
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    const QList<QString> started = m_server->checkAccountSync({storedDevice("Panel-8"), device});
    QCOMPARE(started, QList<QString>({testMac(1)}));
    QCOMPARE(timeouts.count(), 1);
    QCOMPARE(timeouts.at(0), QVariantList({testMac(1), 180000}));
    QVERIFY(m_server->getChannel(testMac(1))->isSyncing());
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(panel->remoteSetupDisabled());
    QVERIFY(!m_server->getChannel(testMac(1))->isSyncing());
    const QList<VelkUserDevice> rows = userDeviceLinks(m_db, device.did);
    QCOMPARE(rows.size(), 2);
    for (const VelkUserDevice &row : rows) {
        QCOMPARE(row.syncStatus, 3);
        QVERIFY(QDateTime::fromString(row.lastSyncTime, "yyyy-MM-dd hh:mm").isValid());
    }
    QCOMPARE(timeouts.count(), 1); // once per start, never again during the exchange
    panel->shutDown();
}

void TestAccountSync::enabledSetupSendsSettingsAndUsers()
{
    setSetupServer(true);
    auto panel = connectedPanel(1, 1, "1.1.1020.21");
    panel->setSyncedConsoleId(m_server->consoleId()); // not the first sync with this console
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    QSignalSpy report(m_server, &CmdServer::emitUpdateAccountReportDialog);
    // The report asks several times; it must still be refreshed once per finished synchronisation.
    m_server->connectSyncReport(testMac(1));
    m_server->connectSyncReport(testMac(1));
    m_server->connectSyncReport(testMac(1));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(report.count(), 1);
    QCOMPARE(panel->lastPayload(VELK_REMOTE_CMD_ASK_FIRST_SYNC), m_server->consoleId().toUtf8());

    const QJsonObject settings = QJsonDocument::fromJson(panel->storedSettings()).object();
    QCOMPARE(settings.value("enableSetupServer").toBool(), true);
    QCOMPARE(settings.value("createAccountPassword").toString(), QString("create-pw"));
    QVERIFY(!settings.contains("adminRfidId")); // build 21 does not know the card field

    const QString usersFile = m_dir.filePath("panel-users.csv");
    QFile file(usersFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(panel->storedUsers());
    file.close();
    const QList<AccountFileRow> rows = AccountFile::fromCsvRows(readCsvFile(usersFile, "UTF-8"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].userName, QString("Smith, Ann"));
    QCOMPARE(rows[0].password, QString("pw \"1\""));
    QCOMPARE(rows[0].rfidId, QString("CARD-1"));
    QVERIFY(!rows[0].packages.isEmpty()); // a new user may use every app
    for (const VelkUserDevice &row : userDeviceLinks(m_db, storedDevice("Panel-1").did))
        QCOMPARE(row.syncStatus, 1);
    panel->shutDown();
}

// The merge rules themselves are tested without sockets (tst_AccountMerge); here the panel's answer reaches them and
// the merged list goes back.
void TestAccountSync::firstSyncMergesThePanelsUsers()
{
    setSetupServer(true);
    auto panel = connectedPanel(3, 3);
    const VelkIFPDevice device = storedDevice("Panel-3");
    panel->setStoredUsers("userName,password,rfidId,hasPermission,uniqueId,packages\n"
                          "bob,panel-pw,,1,{b},\n" // known (letter case aside)
                          "\"Carol, C.\",carol-pw,CARD-1,1,{c},\n"
                          "Dave,dave-pw,CARD-9,0,,\n");
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    m_server->checkAccountSync({device});
    QTRY_COMPARE(finished.count(), 1);

    QList<VelkMultiUser> bob;
    m_db->queryMultiUserByName(bob, "Bob");
    QCOMPARE(bob.size(), 1);
    QCOMPARE(bob.first().password, QString("bob")); // the console is the master
    QList<VelkMultiUser> carol;
    m_db->queryMultiUserByName(carol, "Carol, C.");
    QCOMPARE(carol.size(), 1);
    QVERIFY(carol.first().rfidId.isEmpty()); // CARD-1 belongs to Ann

    // Every user named in the file is assigned to the device, and each got status 1.
    const QList<VelkUserDevice> rows = userDeviceLinks(m_db, device.did);
    QCOMPARE(rows.size(), 3);
    for (const VelkUserDevice &row : rows)
        QCOMPARE(row.syncStatus, 1);
    // The panel got the merged list back.
    QVERIFY(panel->storedUsers().contains("\"Carol, C.\""));
    QVERIFY(panel->storedUsers().contains("Dave"));
    panel->shutDown();
}

// A run over many panels reads users, permissions and assignments once and builds each distinct file once. Every panel
// must still get exactly its own users: two panels sharing a set, one with a set of its own, one whose first
// synchronisation takes its own users in after the run read everything (a file from before would drop them), and,
// in a second run, what was written between the runs.
void TestAccountSync::runOverManyPanelsSendsEachItsOwnFile()
{
    setSetupServer(true);
    QList<VelkIFPDevice> devices;
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int serial = 11; serial <= 14; ++serial) {
        devices.append(addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial)));
        panels.push_back(connectedPanel(serial, serial));
    }
    const quint32 xena = createPanelUser(m_db, "Xena", "x-1");
    const quint32 yann = createPanelUser(m_db, "Yann", "y-1");
    const quint32 zoe = createPanelUser(m_db, "Zoe", "z-1");
    for (int i : {0, 1}) {
        assign(xena, devices.at(i).did);
        assign(yann, devices.at(i).did);
    }
    assign(zoe, devices.at(2).did);
    for (int i : {0, 1, 2})
        panels.at(size_t(i))->setSyncedConsoleId(m_server->consoleId());
    panels.at(3)->setStoredUsers("userName,password,rfidId,hasPermission,uniqueId,packages\nWill,w-1,,1,{w},\n");

    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    QCOMPARE(m_server->checkAccountSync(devices).size(), 4);
    QVERIFY(m_server->accountSyncCache()->holdsRun());
    QTRY_COMPARE(finished.count(), 4);
    QCOMPARE(namesOn(*panels.at(0)), QStringList({"Xena", "Yann"}));
    QCOMPARE(namesOn(*panels.at(1)), QStringList({"Xena", "Yann"}));
    QCOMPARE(namesOn(*panels.at(2)), QStringList({"Zoe"}));
    QCOMPARE(namesOn(*panels.at(3)), QStringList({"Will"}));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(panels.at(size_t(i))->storedUsers(), fileOf(devices.at(i).did));

    // Between the runs: a password, an assignment, a permission and the settings change.
    QList<VelkMultiUser> found;
    m_db->queryMultiUserByName(found, "Xena");
    found.first().password = "x-2";
    QCOMPARE(m_db->updateMultiUser(found.first()), DB_OK);
    QCOMPARE(m_db->deleteUserDevice(yann, devices.at(1).did), DB_OK);
    QList<VelkAppInfo> apps;
    m_db->queryAllAppInfo(apps);
    QCOMPARE(m_db->deleteAppPermission(zoe, apps.first().aiid), DB_OK);
    QList<VelkMultiUserAdmin> settings;
    m_db->queryMultiUserAdmin(settings);
    settings.first().adminPassword = "admin-pw-2";
    m_db->updateMultiUserAdmin(settings.first());

    QCOMPARE(m_server->checkAccountSync(devices).size(), 4);
    QTRY_COMPARE(finished.count(), 8);
    QCOMPARE(namesOn(*panels.at(1)), QStringList({"Xena"}));
    QVERIFY(panels.at(0)->storedUsers().contains(",x-2,"));
    QVERIFY(!panels.at(2)->storedUsers().contains(apps.first().packageName.toUtf8()));
    QCOMPARE(QJsonDocument::fromJson(panels.at(3)->storedSettings()).object().value("adminPassword").toString(),
             QString("admin-pw-2"));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(panels.at(size_t(i))->storedUsers(), fileOf(devices.at(i).did));
    for (auto &panel : panels)
        panel->shutDown();
}

// When the panel's users cannot be taken in, sending the console's list would make the panel replace its users
// with it and lose them. No answer can come any more: the synchronisation ends failed at once, where it was left to
// the overview's 180 s time-out.
void TestAccountSync::failedMergeKeepsThePanelsUsers()
{
    setSetupServer(true);
    // The shared store runs on Qt's default connection in this process.
    QSqlQuery(QSqlDatabase::database())
        .exec("CREATE TEMP TRIGGER refuseUsers BEFORE INSERT ON MultiUser "
              "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const auto allow = qScopeGuard([] { QSqlQuery(QSqlDatabase::database()).exec("DROP TRIGGER refuseUsers"); });
    auto panel = connectedPanel(2, 2);
    const QByteArray panelUsers = "userName,password,rfidId,hasPermission,uniqueId,packages\n"
                                  "Frank,frank-pw,,1,{f},\n";
    panel->setStoredUsers(panelUsers);
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    m_server->checkAccountSync({storedDevice("Panel-2")});
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), 1);
    QTRY_VERIFY(m_log->contains("not taken in, synchronisation stopped"));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toString(), testMac(2));
    QTest::qWait(300);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_SYNC_USER_SETTINGS), 0);
    QCOMPARE(panel->storedUsers(), panelUsers);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m_server->getChannel(testMac(2))->isSyncing());
    panel->shutDown();
}

void TestAccountSync::oneSyncAtATime()
{
    auto panel = connectedPanel(5, 5);
    panel->setAnswerDropped(VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, true);
    const VelkIFPDevice device = storedDevice("Panel-5");
    QSignalSpy timeouts(m_server, &CmdServer::setupSyncUserDeviceTimeout);
    QCOMPARE(m_server->checkAccountSync({device}).size(), 1);
    QCOMPARE(m_server->checkAccountSync({device}).size(), 0);
    m_log->clear();
    m_server->getChannel(testMac(5))->checkAccountSync();
    QVERIFY(m_log->contains("currently syncing user device, can NOT checkMultiUserDataSync"));
    QCOMPARE(timeouts.count(), 1);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP), 1);

    // The overview's time-out clears the mark; a new synchronisation may start.
    m_server->resetSyncingUserDevice(testMac(5));
    QVERIFY(m_log->contains(QString("CmdServer::resetSyncingUserDevice: %1").arg(testMac(5))));
    QCOMPARE(m_server->checkAccountSync({device}).size(), 1);
    QCOMPARE(timeouts.count(), 2);
    panel->shutDown();
}

void TestAccountSync::noSettingsRecord()
{
    QList<VelkMultiUserAdmin> settings;
    m_db->queryMultiUserAdmin(settings);
    QCOMPARE(settings.size(), 1);
    QCOMPARE(m_db->deleteMultiUserAdmin(settings.first().maid), DB_OK);
    auto panel = connectedPanel(6, 6);
    QSignalSpy timeouts(m_server, &CmdServer::setupSyncUserDeviceTimeout);
    m_server->checkAccountSync({storedDevice("Panel-6")});
    QCOMPARE(timeouts.count(), 1);
    QCOMPARE(timeouts.at(0), QVariantList({testMac(6), 1000}));
    QTest::qWait(100);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP), 0);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_ASK_FIRST_SYNC), 0);
    QCOMPARE(m_db->createMultiUserAdmin(settings.first()), DB_OK);
    panel->shutDown();
}

// An answer that arrives after the overview gave up is still written down.
void TestAccountSync::lateAnswerIsRecorded()
{
    auto panel = connectedPanel(7, 7);
    panel->setAnswerDelay(VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, 300);
    const VelkIFPDevice device = storedDevice("Panel-7");
    assign(createPanelUser(m_db, "Erin", "erin"), device.did);
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    m_server->checkAccountSync({device});
    m_server->resetSyncingUserDevice(testMac(7));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(userDeviceLinks(m_db, device.did).first().syncStatus, 3);
    panel->shutDown();
}

void TestAccountSync::closedDuringSyncReportsNothing()
{
    auto panel = connectedPanel(8, 8);
    // Long enough that the panel is surely gone before it would answer.
    panel->setAnswerDelay(VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, 10000);
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    QSignalSpy report(m_server, &CmdServer::emitUpdateAccountReportDialog);
    m_server->connectSyncReport(testMac(8));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP), 1);
    panel->shutDown();
    QTest::qWait(500);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(report.count(), 0);
}

// Two panels of one run, of serials serial and serial + 1, whose final answers the panels keep; the first one's is then
// let go and taken in, and its status waits for the second's, with no timer run meanwhile (the gather's included).
void TestAccountSync::runWithOneAnswerWaiting(int serial, WaitingRun &run)
{
    setSetupServer(true);
    run.answering = addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
    run.silent = addManagedDevice(QStringLiteral("Panel-%1").arg(serial + 1), testMac(serial + 1));
    const quint32 user = createPanelUser(m_db, QStringLiteral("Quinn %1").arg(serial), "q-1");
    assign(user, run.answering.did);
    assign(user, run.silent.did);
    run.first = connectedPanel(serial, serial);
    run.second = connectedPanel(serial + 1, serial + 1);
    for (SimulatedPanel *panel : {run.first.get(), run.second.get()}) {
        panel->setSyncedConsoleId(m_server->consoleId());
        panel->setAnswerHeld(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, true);
    }
    QCOMPARE(m_server->checkAccountSync({run.answering, run.silent}).size(), 2);
    QTRY_COMPARE(run.first->heldAnswerCount(), 1);
    QTRY_COMPARE(run.second->heldAnswerCount(), 1);
    QCOMPARE(run.first->releaseHeldAnswers(), 1);
    QElapsedTimer waited;
    waited.start();
    while (m_server->syncStatusesWaiting() == 0 && waited.elapsed() < QuorvinTryCeilingMs) {
        QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
        QThread::msleep(1);
    }
    QCOMPARE(m_server->syncStatusesWaiting(), 1);
}

// A panel's status waits for those of the other panels of its run, to be committed with them. When the console ends
// meanwhile (Exit, Ctrl+C), the others will not come: the waiting status is committed at once, not lost with the
// process.
void TestAccountSync::answerWaitingForItsRunIsWrittenWhenTheConsoleEnds()
{
    // Read from another connection, as after a restart: what the console's own connection sees may not be committed.
    DbProbe probe(m_db->databaseFilePath());
    const auto committedStatus = [&probe](quint32 did) {
        return probe.value(QStringLiteral("SELECT syncStatus FROM UserDevice WHERE deviceId = ?"), {did}).toInt();
    };
    WaitingRun run;
    runWithOneAnswerWaiting(21, run);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(committedStatus(run.answering.did), 0);
    QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit"));
    QCOMPARE(m_server->syncStatusesWaiting(), 0);
    QCOMPARE(committedStatus(run.answering.did), 1);

    QCOMPARE(run.second->releaseHeldAnswers(), 1);
    QTRY_COMPARE(userDeviceLinks(m_db, run.silent.did).first().syncStatus, 1);
    run.first->shutDown();
    run.second->shutDown();
}

// While a status waits for the rest of its run, the console waits for panels, and the file is another program's to
// write: the statuses were written into a transaction kept open until the run's answers were in, and a program
// without a busy wait (the sqlite3 shell, a script) was refused for most of a slow run. The statuses still land, each
// with its own panel's answer.
void TestAccountSync::statusWaitingForItsRunLeavesTheFileToOthers()
{
    DbProbe other(m_db->databaseFilePath(), QStringLiteral("other program"));
    QVERIFY(other.exec(QStringLiteral("PRAGMA busy_timeout = 0")));
    WaitingRun run;
    runWithOneAnswerWaiting(23, run);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(other.exec(QStringLiteral("BEGIN IMMEDIATE")), qPrintable(other.lastError()));
    QVERIFY2(other.exec(QStringLiteral("UPDATE Account SET email = email")), qPrintable(other.lastError()));
    QVERIFY2(other.exec(QStringLiteral("COMMIT")), qPrintable(other.lastError()));

    QCOMPARE(run.second->releaseHeldAnswers(), 1);
    QTRY_COMPARE(m_server->syncStatusesWaiting(), 0);
    QCOMPARE(userDeviceLinks(m_db, run.answering.did).first().syncStatus, 1);
    QCOMPARE(userDeviceLinks(m_db, run.silent.did).first().syncStatus, 1);
    run.first->shutDown();
    run.second->shutDown();
}

// Two panels whose cards report all zeros, known by the devices their addresses matched: each is synchronised over its
// connection, named by its device, takes in and gets back the users of its own device, and its status lands on its
// own assignments.
void TestAccountSync::panelsKnownByTheirAddressAloneAreSynchronised()
{
    setSetupServer(true);
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    QList<VelkIFPDevice> devices;
    QStringList keys;
    for (int i = 0; i < 2; ++i) {
        const QString name = QStringLiteral("Zero-%1").arg(i);
        devices << addManagedDevice(name, QString(), QStringLiteral("127.0.0.%1").arg(72 + i));
        keys << m_server->linkKey(devices.last());
        assign(createPanelUser(m_db, QStringLiteral("Own user %1").arg(i), "pw"), devices.last().did);
        PanelIdentity identity = identityWith(21 + i, "kelvo");
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        panels.emplace_back(new SimulatedPanel(identity, directSettings(70 + i)));
        panels.back()->start();
    }
    // The second panel's first synchronisation with this console brings a user of its own.
    panels.at(1)->setStoredUsers("userName,password,rfidId,hasPermission,uniqueId,packages\n"
                                 "Erin,erin-pw,,1,{e},\n");
    panels.at(0)->setSyncedConsoleId(m_server->consoleId());
    QTRY_VERIFY(panels.at(0)->isConnected() && panels.at(1)->isConnected());

    QSignalSpy timeouts(m_server, &CmdServer::setupSyncUserDeviceTimeout);
    QSignalSpy finished(m_server, &CmdServer::syncUserDeviceFinished);
    QCOMPARE(m_server->checkAccountSync(devices), QList<QString>(keys));
    QCOMPARE(timeouts.count(), 2);
    QCOMPARE(timeouts.at(0), QVariantList({keys.at(0), 180000}));
    QCOMPARE(timeouts.at(1), QVariantList({keys.at(1), 180000}));
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(QSet<QString>({finished.at(0).at(0).toString(), finished.at(1).at(0).toString()}),
             QSet<QString>(keys.begin(), keys.end()));
    QCOMPARE(namesOn(*panels.at(0)), QStringList{"Own user 0"});
    QStringList second = namesOn(*panels.at(1));
    second.sort();
    QCOMPARE(second, (QStringList{"Erin", "Own user 1"}));
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        for (const VelkUserDevice &row : userDeviceLinks(m_db, device.did))
            QCOMPARE(row.syncStatus, 1);
    }
    QCOMPARE(userDeviceLinks(m_db, devices.at(1).did).size(), 2);
    QVERIFY(!m_server->getChannel(keys.at(0))->isSyncing());
    for (const auto &panel : panels)
        panel->shutDown();
}

QTEST_GUILESS_MAIN(TestAccountSync)
#include "tst_AccountSync.moc"
