#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/OrvantaDBManager.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

// The table families of the data store, exercised through OrvantaDBIntf on a real database
// file in a temporary home. Raw SQL on the same connection is used only to build states the
// console itself cannot produce (orphaned report rows, stale links, failing inserts).
class TestDatastoreFamilies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void createScheduleWithUnknownNameWritesNothing();
    void repeatedCreateEntryIsLinkedOnce();
    void scheduleTargetNamesInOneRead();
    void deviceSetOfGroupsAndStaleLinks();
    void reportsSkipRowsOfMissingDevices();
    void failedCountsAndOrders();
    void lateStatesLeaveLaterChanges();
    void broadcastResultGoesToCurrentSending();
    void cameraMappingFoundByAnyAccountText();
    void userCreationAndPermissionsAreAllOrNothing();
    void userDevicesAndNameMatching();
    void cameraManagementDatabaseIsReadOnly();

private:
    static int count(const QString &sql);
    static void exec(const QString &sql);
    VelkIFPDevice device(const QString &name) const;
    VelkGroups group(const QString &name) const;
    quint32 lastScheduleSid();
    static VelkSchedule weekly(int target);

    TestEnv *m_env = nullptr;
    OrvantaDBIntf *m_db = nullptr;
    QString m_pellmarFile;
    QList<VelkIFPDevice> m_devices;
    QList<VelkGroups> m_groups;
};

int TestDatastoreFamilies::count(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database());
    if (!query.exec(sql) || !query.next())
        return -1;
    return query.value(0).toInt();
}

void TestDatastoreFamilies::exec(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY2(query.exec(sql), qPrintable(sql));
}

VelkIFPDevice TestDatastoreFamilies::device(const QString &name) const
{
    for (const VelkIFPDevice &d : m_devices)
        if (d.deviceName == name)
            return d;
    return VelkIFPDevice();
}

VelkGroups TestDatastoreFamilies::group(const QString &name) const
{
    for (const VelkGroups &g : m_groups)
        if (g.groupName == name)
            return g;
    return VelkGroups();
}

quint32 TestDatastoreFamilies::lastScheduleSid()
{
    return quint32(count("SELECT MAX(sid) FROM Schedule"));
}

VelkSchedule TestDatastoreFamilies::weekly(int target)
{
    VelkSchedule s;
    s.onTime = "07:30";
    s.isMon = true;
    s.isEnable = true;
    s.isPowerOn = true;
    s.scheduleObject = target;
    return s;
}

void TestDatastoreFamilies::initTestCase()
{
    m_env = new TestEnv;
    QVERIFY(m_env->isValid());

    // The camera-management program keeps its database beside the console's data folder.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString pellmarFolder = QFileInfo(dataFolder).absolutePath() + "/Pellmar/dbManagement/";
    QVERIFY(QDir().mkpath(pellmarFolder));
    m_pellmarFile = pellmarFolder + "PellmarDB.db";
    {
        QSqlDatabase seed = QSqlDatabase::addDatabase("QSQLITE", "pellmar-seed");
        seed.setDatabaseName(m_pellmarFile);
        QVERIFY(seed.open());
        QSqlQuery q(seed);
        QVERIFY(q.exec("CREATE TABLE Account (id INTEGER PRIMARY KEY, accountName TEXT, password TEXT, c3 TEXT, "
                       "c4 INTEGER, c5 TEXT, c6 TEXT, c7 TEXT, c8 TEXT)"));
        QVERIFY(q.exec("INSERT INTO Account VALUES (7, 'guard', 'czNjcjN0', 'x', 0, '1,2', '3', '', '')"));
        QVERIFY(q.exec("CREATE TABLE Device (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, mac TEXT, port TEXT, c5 TEXT, "
                       "c6 TEXT, c7 TEXT, c8 TEXT, c9 TEXT, c10 TEXT, c11 TEXT, c12 TEXT)"));
        QVERIFY(q.exec("INSERT INTO Device VALUES (3, 'Hall cam', '10.0.0.9', 'AA:BB', '8080', '', '', '', '', "
                       "'', '', '', 'last')"));
        QVERIFY(q.exec("CREATE TABLE deviceGroup (gid INTEGER PRIMARY KEY, name TEXT, ids TEXT, n INTEGER)"));
        QVERIFY(q.exec("INSERT INTO deviceGroup VALUES (9, 'Second', '3', 1)"));
        QVERIFY(q.exec("INSERT INTO deviceGroup VALUES (2, 'First', '', 0)"));
        seed.close();
    }
    QSqlDatabase::removeDatabase("pellmar-seed");

    m_db = OrvantaDBManager::getInstance();
    QVERIFY(m_db);

    const QStringList names = {"Panel-C", "Panel-A", "Panel-E", "Panel-B", "Panel-D"};
    for (const QString &name : names) {
        VelkIFPDevice d;
        d.deviceName = name;
        d.fwVersion = "1.0." + name.right(1);
        QCOMPARE(m_db->createIFPDevice(d), DB_OK);
    }
    for (const QString &name : {QStringLiteral("Hall"), QStringLiteral("Lab")}) {
        VelkGroups g;
        g.groupName = name;
        QCOMPARE(m_db->createGroups(g), DB_OK);
    }
    // Hall {A, C}, Lab {C, B}: Panel-C belongs to both.
    const QList<QPair<QString, QString>> members = {
        {"Panel-A", "Hall"}, {"Panel-C", "Hall"}, {"Panel-C", "Lab"}, {"Panel-B", "Lab"}};
    for (const auto &m : members) {
        VelkIFPDevice d;
        d.deviceName = m.first;
        VelkGroups g;
        g.groupName = m.second;
        QCOMPARE(m_db->joinGroups(d, g), DB_OK);
    }
    QCOMPARE(m_db->queryAllAvailableIFP(m_devices), DB_OK);
    QCOMPARE(m_devices.size(), 5);
    QCOMPARE(m_db->queryAllGroup(m_groups), DB_OK);
    QCOMPARE(m_groups.size(), 2);
}

void TestDatastoreFamilies::createScheduleWithUnknownNameWritesNothing()
{
    const int schedules = count("SELECT COUNT(*) FROM Schedule");
    const int deviceLinks = count("SELECT COUNT(*) FROM DeviceSchedule");
    const int groupLinks = count("SELECT COUNT(*) FROM GroupsSchedule");

    VelkSchedule s = weekly(2);
    QList<VelkIFPDevice> devices = {device("Panel-A"), VelkIFPDevice()};
    devices[1].deviceName = "Panel-Z";
    QCOMPARE(m_db->createIFPSchedule(s, devices), DB_ROW_NOT_FOUND);

    VelkSchedule g = weekly(3);
    QList<VelkGroups> groups = {group("Hall"), VelkGroups()};
    groups[1].groupName = "Nowhere";
    QCOMPARE(m_db->createGroupsSchedule(g, groups), DB_ROW_NOT_FOUND);

    // A nameless entry is a bad argument, and is just as atomic.
    devices[1].deviceName.clear();
    QCOMPARE(m_db->createIFPSchedule(s, devices), DB_BAD_ARGUMENT);

    QCOMPARE(count("SELECT COUNT(*) FROM Schedule"), schedules);
    QCOMPARE(count("SELECT COUNT(*) FROM DeviceSchedule"), deviceLinks);
    QCOMPARE(count("SELECT COUNT(*) FROM GroupsSchedule"), groupLinks);

    // A rewrite that fails on its second entry keeps the schedule's previous links.
    QList<VelkIFPDevice> one = {device("Panel-B")};
    QCOMPARE(m_db->createIFPSchedule(s, one), DB_OK);
    VelkSchedule stored = weekly(2);
    stored.sid = lastScheduleSid();
    stored.onTime = "09:00";
    devices[1].deviceName = "Panel-Z";
    QCOMPARE(m_db->writeIFPSchedule(stored, devices), DB_ROW_NOT_FOUND);
    QList<VelkIFPDevice> linked;
    QCOMPARE(m_db->queryDeviceBySchedule(stored, linked), DB_OK);
    QCOMPARE(linked.size(), 1);
    QCOMPARE(linked[0].deviceName, QString("Panel-B"));
    QCOMPARE(count(QString("SELECT COUNT(*) FROM Schedule WHERE sid = %1 AND onTime = '07:30'").arg(stored.sid)), 1);
}

void TestDatastoreFamilies::repeatedCreateEntryIsLinkedOnce()
{
    // The second "Panel-A" (in another letter case) must not end the linking of the rest.
    VelkSchedule s = weekly(2);
    QList<VelkIFPDevice> devices = {device("Panel-A"), device("Panel-A"), device("Panel-D")};
    devices[1].deviceName = "panel-a";
    QCOMPARE(m_db->createIFPSchedule(s, devices), DB_OK);
    const quint32 sid = lastScheduleSid();
    QCOMPARE(count(QString("SELECT COUNT(*) FROM DeviceSchedule WHERE sid = %1").arg(sid)), 2);
    s.sid = sid;
    QList<VelkIFPDevice> linked;
    QCOMPARE(m_db->queryDeviceBySchedule(s, linked), DB_OK);
    QCOMPARE(linked.size(), 2);
    QCOMPARE(linked[0].deviceName, QString("Panel-A"));
    QCOMPARE(linked[1].deviceName, QString("Panel-D"));

    VelkSchedule g = weekly(3);
    QList<VelkGroups> groups = {group("Lab"), group("Lab"), group("Hall")};
    QCOMPARE(m_db->createGroupsSchedule(g, groups), DB_OK);
    g.sid = lastScheduleSid();
    QList<VelkGroups> linkedGroups;
    QCOMPARE(m_db->queryGroupsBySchedule(g, linkedGroups), DB_OK);
    QCOMPARE(linkedGroups.size(), 2);
    QCOMPARE(linkedGroups[0].groupName, QString("Hall"));
    QCOMPARE(linkedGroups[1].groupName, QString("Lab"));

    // Deleting takes the schedule's links with it and leaves the other schedule's alone.
    QCOMPARE(m_db->deleteSchedule(s), DB_OK);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM Schedule WHERE sid = %1").arg(s.sid)), 0);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM DeviceSchedule WHERE sid = %1").arg(s.sid)), 0);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM GroupsSchedule WHERE sid = %1").arg(g.sid)), 2);
    QCOMPARE(m_db->deleteSchedule(s), DB_ROW_NOT_FOUND);
    QCOMPARE(m_db->deleteSchedule(g), DB_OK);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM GroupsSchedule WHERE sid = %1").arg(g.sid)), 0);
}

// The names the device-control rows show, read for every schedule at once: by schedule and in name order, as the
// per-schedule reads give them, a link stored twice named once, a schedule without links absent.
void TestDatastoreFamilies::scheduleTargetNamesInOneRead()
{
    VelkSchedule chosen = weekly(2);
    QList<VelkIFPDevice> devices = {device("Panel-D"), device("Panel-A")};
    QCOMPARE(m_db->createIFPSchedule(chosen, devices), DB_OK);
    chosen.sid = lastScheduleSid();
    exec(QString("INSERT INTO DeviceSchedule (did, sid) VALUES (%1, %2)").arg(device("Panel-A").did).arg(chosen.sid));
    VelkSchedule grouped = weekly(3);
    QList<VelkGroups> groups = {group("Lab"), group("Hall")};
    QCOMPARE(m_db->createGroupsSchedule(grouped, groups), DB_OK);
    grouped.sid = lastScheduleSid();
    VelkSchedule all = weekly(1);
    QCOMPARE(m_db->createSchedule(all), DB_OK);
    const quint32 allSid = lastScheduleSid();

    QHash<quint32, QStringList> deviceNames;
    QHash<quint32, QStringList> groupNames;
    QCOMPARE(m_db->queryScheduleTargetNames(deviceNames, groupNames), DB_OK);
    QCOMPARE(deviceNames.value(chosen.sid), QStringList({"Panel-A", "Panel-D"}));
    QCOMPARE(groupNames.value(grouped.sid), QStringList({"Hall", "Lab"}));
    QVERIFY(!groupNames.contains(chosen.sid) && !deviceNames.contains(grouped.sid));
    QVERIFY(!deviceNames.contains(allSid) && !groupNames.contains(allSid));
    QCOMPARE(m_db->queryScheduleTargetNames(deviceNames, groupNames), DB_BAD_ARGUMENT);
}

void TestDatastoreFamilies::deviceSetOfGroupsAndStaleLinks()
{
    auto names = [](const QList<VelkIFPDevice> &list) {
        QStringList out;
        for (const VelkIFPDevice &d : list)
            out << d.deviceName;
        return out;
    };

    // Target 3 over Hall {A, C} and Lab {B, C}: Panel-C once, by name.
    VelkSchedule s = weekly(3);
    QList<VelkGroups> groups = {group("Lab"), group("Hall")};
    QCOMPARE(m_db->createGroupsSchedule(s, groups), DB_OK);
    s.sid = lastScheduleSid();
    QList<VelkIFPDevice> set;
    QCOMPARE(m_db->queryAllDeviceBySchedule(s, set), DB_OK);
    QCOMPARE(names(set), QStringList({"Panel-A", "Panel-B", "Panel-C"}));

    // A device linked directly as well keeps its place among the direct links.
    exec(QString("INSERT INTO DeviceSchedule (did, sid) VALUES (%1, %2)").arg(device("Panel-C").did).arg(s.sid));
    exec(QString("INSERT INTO DeviceSchedule (did, sid) VALUES (%1, %2)").arg(device("Panel-E").did).arg(s.sid));
    set.clear();
    QCOMPARE(m_db->queryAllDeviceBySchedule(s, set), DB_OK);
    QCOMPARE(names(set), QStringList({"Panel-C", "Panel-E", "Panel-A", "Panel-B"}));

    // Target 1 is every device, whatever link rows are left over.
    s.scheduleObject = 1;
    QCOMPARE(m_db->writeSchedule(s), DB_OK);
    set.clear();
    QCOMPARE(m_db->queryAllDeviceBySchedule(s, set), DB_OK);
    QCOMPARE(names(set), QStringList({"Panel-A", "Panel-B", "Panel-C", "Panel-D", "Panel-E"}));

    // The auto-test schedules share the rule.
    VelkAutoTestSchedule t;
    t.scheduleTarget = 3;
    t.time = "06:00";
    t.status = 1;
    t.isTue = true;
    t.groups = {group("Hall"), group("Lab")};
    t.devices = {device("Panel-D")};
    QCOMPARE(m_db->insertAutoTestSchedule(t), DB_OK);
    QVERIFY(t.tsid != 0);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM DeviceAutoTestSchedule WHERE tsid = %1").arg(t.tsid)), 0);
    set.clear();
    QCOMPARE(m_db->queryAllDeviceByAutoTestSchedule(t, set), DB_OK);
    QCOMPARE(names(set), QStringList({"Panel-A", "Panel-B", "Panel-C"}));
    exec(QString("INSERT INTO DeviceAutoTestSchedule (did, tsid) VALUES (%1, %2)")
             .arg(device("Panel-D").did)
             .arg(t.tsid));
    t.scheduleTarget = 1;
    set.clear();
    QCOMPARE(m_db->queryAllDeviceByAutoTestSchedule(t, set), DB_OK);
    QCOMPARE(set.size(), 5);
}

void TestDatastoreFamilies::reportsSkipRowsOfMissingDevices()
{
    // A report row naming a device that is gone sits between two good rows of each kind.
    const QList<VelkIFPDevice> first = {device("Panel-A")};
    const QList<VelkIFPDevice> last = {device("Panel-C")};

    VelkOtaSchedule ota;
    ota.scheduleTarget = 1;
    ota.date = "2030-01-01";
    ota.time = "01:00";
    ota.status = 1;
    QCOMPARE(m_db->insertOtaSchedule(ota), DB_OK);
    QList<VelkIFPDevice> list = first;
    QCOMPARE(m_db->insertOtaScheduleReport(ota, list), DB_OK);
    exec(QString("INSERT INTO OtaScheduleReport (did, osid, status, fwVersion) VALUES (99999, %1, 3, 'x')")
             .arg(ota.osid));
    list = last;
    QCOMPARE(m_db->insertOtaScheduleReport(ota, list), DB_OK);
    QList<VelkOtaScheduleReport> otaRows;
    QCOMPARE(m_db->queryOtaScheduleReportByOtaSchedule(ota, otaRows), DB_OK);
    QCOMPARE(otaRows.size(), 2);
    QCOMPARE(otaRows[0].device.deviceName, QString("Panel-A"));
    QCOMPARE(otaRows[0].fwVersion, QString("1.0.A"));
    QCOMPARE(otaRows[1].device.deviceName, QString("Panel-C"));

    VelkAutoTestSchedule test;
    test.scheduleTarget = 1;
    test.time = "02:00";
    test.status = 1;
    QCOMPARE(m_db->insertAutoTestSchedule(test), DB_OK);
    list = first;
    QCOMPARE(m_db->insertAutoTestScheduleReport(test, list), DB_OK);
    exec(QString("INSERT INTO AutoTestScheduleReport (did, tsid, status, notes) VALUES (99999, %1, 3, 3)")
             .arg(test.tsid));
    list = last;
    QCOMPARE(m_db->insertAutoTestScheduleReport(test, list), DB_OK);
    QList<VelkAutoTestScheduleReport> testRows;
    QCOMPARE(m_db->queryAutoTestScheduleReportByAutoTestSchedule(test, testRows), DB_OK);
    QCOMPARE(testRows.size(), 2);
    QCOMPARE(testRows[0].status, 2);
    QCOMPARE(testRows[0].notes, 1);
    QCOMPARE(testRows[1].device.deviceName, QString("Panel-C"));
    // Rows written for a device deleted since the run read it (held while another program held the database) are
    // not written at all: counted, they failed a test whose every row shown was green.
    VelkIFPDevice gone = device("Panel-A");
    gone.did = 99998;
    list = {gone, device("Panel-B")};
    QCOMPARE(m_db->insertAutoTestScheduleReport(test, list), DB_OK);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE did = 99998")), 0);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE tsid = %1").arg(test.tsid)), 4);

    VelkBroadcast b;
    b.status = VelkBroadcast::Completed;
    b.target = 1;
    QCOMPARE(m_db->insertBroadcast(b), DB_OK);
    list = first;
    QCOMPARE(m_db->insertBroadcastReport(b, list), DB_OK);
    exec(QString("INSERT INTO BroadcastReport (did, bid, status, note) VALUES (99999, %1, 2, 2)").arg(b.bid));
    list = last;
    QCOMPARE(m_db->insertBroadcastReport(b, list), DB_OK);
    QList<VelkBroadcastReport> broadcastRows;
    QCOMPARE(m_db->queryBroadcastReportByBroadcast(b, broadcastRows), DB_OK);
    QCOMPARE(broadcastRows.size(), 2);
    QCOMPARE(broadcastRows[1].device.deviceName, QString("Panel-C"));
}

void TestDatastoreFamilies::failedCountsAndOrders()
{
    // OTA: a failed schedule counts its failed rows; the same rows under a successful one count 0.
    QList<VelkOtaSchedule> before;
    QCOMPARE(m_db->queryAllOtaSchedule(before), DB_OK);
    VelkOtaSchedule late, early, sameTime;
    late.scheduleTarget = 2;
    late.date = "2031-05-02";
    late.time = "08:00";
    late.status = 3;
    late.devices = {device("Panel-D"), device("Panel-B")};
    late.groups = {group("Hall")};
    early = late;
    early.date = "2031-05-01";
    early.status = 4;
    sameTime = early;
    sameTime.scheduleTarget = 3;
    QCOMPARE(m_db->insertOtaSchedule(late), DB_OK);
    QCOMPARE(m_db->insertOtaSchedule(early), DB_OK);
    QCOMPARE(m_db->insertOtaSchedule(sameTime), DB_OK);
    for (VelkOtaSchedule *s : {&late, &early}) {
        QList<VelkIFPDevice> all = m_devices.mid(0, 4);
        QCOMPARE(m_db->insertOtaScheduleReport(*s, all), DB_OK);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(m_db->updateOtaScheduleReport(all[i], *s, 3), DB_OK);
        QCOMPARE(m_db->updateOtaScheduleReport(all[3], *s, 4), DB_OK);
    }
    QList<VelkOtaSchedule> ota;
    QCOMPARE(m_db->queryAllOtaSchedule(ota), DB_OK);
    ota = ota.mid(before.size());
    QCOMPARE(ota.size(), 3);
    QCOMPARE(ota[0].osid, early.osid);
    QCOMPARE(ota[1].osid, sameTime.osid);
    QCOMPARE(ota[2].osid, late.osid);
    QCOMPARE(ota[0].failedCount, 0);
    QCOMPARE(ota[2].failedCount, 3);
    QCOMPARE(ota[2].devices.size(), 2);
    QCOMPARE(ota[2].devices[0].deviceName, QString("Panel-B"));
    QVERIFY(ota[2].groups.isEmpty());
    QCOMPARE(ota[1].groups.size(), 1);
    QVERIFY(ota[1].devices.isEmpty());

    VelkIFPDevice stranger = device("Panel-E");
    QCOMPARE(m_db->updateOtaScheduleReport(stranger, late, 4), DB_ROW_NOT_FOUND);
    VelkOtaReminder reminder;
    QCOMPARE(m_db->insertOtaReminder(reminder), DB_BAD_ARGUMENT);
    reminder.orid = 424242;
    reminder.deviceModelName = "Velk X";
    QCOMPARE(m_db->updateOtaReminder(reminder), DB_ROW_NOT_FOUND);

    // Auto-test: the same rule with status 3.
    VelkAutoTestSchedule test;
    test.scheduleTarget = 2;
    test.time = "05:00";
    test.status = 3;
    test.devices = {device("Panel-A"), device("Panel-B"), device("Panel-C")};
    QCOMPARE(m_db->insertAutoTestSchedule(test), DB_OK);
    QCOMPARE(m_db->insertAutoTestScheduleReport(test, test.devices), DB_OK);
    QCOMPARE(m_db->updateAutoTestScheduleReport(test.devices[0], test, 3, 3), DB_OK);
    QCOMPARE(m_db->updateAutoTestScheduleReport(test.devices[1], test, 3, 3), DB_OK);
    QCOMPARE(m_db->updateAutoTestScheduleReport(test.devices[2], test, 4, 2), DB_OK);
    QList<VelkAutoTestSchedule> tests;
    QCOMPARE(m_db->queryAllAutoTestSchedule(tests), DB_OK);
    QCOMPARE(tests.last().tsid, test.tsid);
    QCOMPARE(tests.last().failedCount, 2);
    QCOMPARE(tests.last().devices.size(), 3);
    test.status = 4;
    QCOMPARE(m_db->updateAutoTestScheduleState(test), DB_OK);
    tests.clear();
    QCOMPARE(m_db->queryAllAutoTestSchedule(tests), DB_OK);
    QCOMPARE(tests.last().failedCount, 0);
    // Switching the target to groups drops the device links and keeps the report.
    test.scheduleTarget = 3;
    test.groups = {group("Lab")};
    QCOMPARE(m_db->updateAutoTestSchedule(test), DB_OK);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM DeviceAutoTestSchedule WHERE tsid = %1").arg(test.tsid)), 0);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE tsid = %1").arg(test.tsid)), 3);
    QCOMPARE(m_db->deleteAutoTestSchedule(test), DB_OK);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE tsid = %1").arg(test.tsid)), 0);
    QCOMPARE(m_db->deleteAutoTestSchedule(test), DB_ROW_NOT_FOUND);

    // Broadcasts: failed rows (status 2) count only once the broadcast is completed.
    VelkBroadcast done;
    done.status = VelkBroadcast::Completed;
    done.target = 2;
    done.startDate = "2031-01-01";
    done.time = "10:00";
    done.devices = {device("Panel-A"), device("Panel-B"), device("Panel-C"), device("Panel-D")};
    VelkBroadcast sameStart = done;
    QCOMPARE(m_db->insertBroadcast(done), DB_OK);
    QCOMPARE(m_db->insertBroadcast(sameStart), DB_OK);
    QCOMPARE(m_db->insertBroadcastReport(done, done.devices), DB_OK);
    const int results[] = {1, 2, 2, 0};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_db->updateBroadcastReport(done.devices[i], done, results[i], results[i] == 2 ? 1 : 0), DB_OK);
    QList<VelkBroadcast> completed;
    QCOMPARE(m_db->queryBroadcastByStatus(VelkBroadcast::Completed, completed), DB_OK);
    QCOMPARE(completed[completed.size() - 2].bid, done.bid);
    QCOMPARE(completed.last().bid, sameStart.bid);
    QCOMPARE(completed[completed.size() - 2].failedCount, 2);
    QCOMPARE(completed[completed.size() - 2].devices.size(), 4);
    done.status = VelkBroadcast::Pending;
    QCOMPARE(m_db->updateBroadcastStatus(done), DB_OK);
    QList<VelkBroadcast> pending;
    QCOMPARE(m_db->queryBroadcastByStatus(VelkBroadcast::Pending, pending), DB_OK);
    QCOMPARE(pending.last().bid, done.bid);
    QCOMPARE(pending.last().failedCount, 0);
    QList<VelkBroadcast> none;
    QCOMPARE(m_db->queryBroadcastByStatus(static_cast<VelkBroadcast::Status>(4), none), DB_BAD_ARGUMENT);
    VelkBroadcast ghost;
    ghost.bid = 424242;
    QCOMPARE(m_db->updateBroadcastStatus(ghost), DB_ROW_NOT_FOUND);
}

void TestDatastoreFamilies::broadcastResultGoesToCurrentSending()
{
    // A repeating broadcast: the second sending's results must land on its own rows.
    VelkBroadcast b;
    b.status = VelkBroadcast::Upcoming;
    b.repeat = true;
    b.repeatMon = true;
    b.target = 1;
    QCOMPARE(m_db->insertBroadcast(b), DB_OK);
    VelkIFPDevice a = device("Panel-A");
    QList<VelkIFPDevice> devices = {a};
    QCOMPARE(m_db->insertBroadcastReport(b, devices), DB_OK);
    QCOMPARE(m_db->updateBroadcastReport(a, b, 1, 0), DB_OK);
    QCOMPARE(m_db->insertBroadcastReport(b, devices), DB_OK);
    QCOMPARE(m_db->updateBroadcastReport(a, b, 2, 2), DB_OK);

    QList<VelkBroadcastReport> rows;
    QCOMPARE(m_db->queryBroadcastReportByBroadcast(b, rows), DB_OK);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].status, 1);
    QCOMPARE(rows[0].note, 0);
    QCOMPARE(rows[1].status, 2);
    QCOMPARE(rows[1].note, 2);

    VelkIFPDevice other = device("Panel-B");
    QCOMPARE(m_db->updateBroadcastReport(other, b, 1, 0), DB_ROW_NOT_FOUND);
}

// A schedule's state written late (held while another program held the database) is set only while the schedule is
// still as its run left it: in the state it is set from and, for a firmware update, at the same start. A reschedule, a
// move or another state written since stands; an auto-test's new days or time leave its run's result; a schedule that
// is gone is no row to set.
void TestDatastoreFamilies::lateStatesLeaveLaterChanges()
{
    VelkOtaSchedule ota;
    ota.scheduleTarget = 1;
    ota.date = "2031-03-03";
    ota.time = "09:01";
    ota.status = 2;
    QCOMPARE(m_db->insertOtaSchedule(ota), DB_OK);
    const auto otaStatus = [&] {
        return count(QString("SELECT status FROM OtaSchedule WHERE osid = %1").arg(ota.osid));
    };
    VelkOtaSchedule end = ota;
    end.status = 4;
    bool set = true;
    QCOMPARE(m_db->updateOtaScheduleStatusIf(end, 1, set), DB_OK);
    QVERIFY(!set);
    QCOMPARE(otaStatus(), 2);
    exec(QString("UPDATE OtaSchedule SET date = '2031-03-04', status = 1 WHERE osid = %1").arg(ota.osid));
    QCOMPARE(m_db->updateOtaScheduleStatusIf(end, 2, set), DB_OK);
    QVERIFY(!set);
    QCOMPARE(otaStatus(), 1);
    exec(QString("UPDATE OtaSchedule SET date = '2031-03-03', time = '10:00', status = 2 WHERE osid = %1")
             .arg(ota.osid));
    QCOMPARE(m_db->updateOtaScheduleStatusIf(end, 2, set), DB_OK);
    QVERIFY(!set);
    exec(QString("UPDATE OtaSchedule SET time = '09:01', isEnable = 0 WHERE osid = %1").arg(ota.osid));
    QCOMPARE(m_db->updateOtaScheduleStatusIf(end, 2, set), DB_OK);
    QVERIFY(set);
    QCOMPARE(otaStatus(), 4);
    QCOMPARE(count(QString("SELECT isEnable FROM OtaSchedule WHERE osid = %1").arg(ota.osid)), 0);
    VelkOtaSchedule goneOta = end;
    goneOta.osid = 424242;
    QCOMPARE(m_db->updateOtaScheduleStatusIf(goneOta, 2, set), DB_ROW_NOT_FOUND);

    VelkAutoTestSchedule test;
    test.scheduleTarget = 1;
    test.time = "10:00";
    test.status = 1;
    test.isMon = true;
    QCOMPARE(m_db->insertAutoTestSchedule(test), DB_OK);
    const auto testStatus = [&] {
        return count(QString("SELECT status FROM AutoTestSchedule WHERE tsid = %1").arg(test.tsid));
    };
    VelkAutoTestSchedule started = test;
    started.status = 2;
    QCOMPARE(m_db->updateAutoTestScheduleStatusIf(started, -1, set), DB_OK);
    QVERIFY(set);
    VelkAutoTestSchedule checked = test;
    checked.status = 4;
    // An auto-test's days and time are for its next runs: edited during the hold, the run's result still lands.
    exec(QString("UPDATE AutoTestSchedule SET isTue = 1, time = '11:00' WHERE tsid = %1").arg(test.tsid));
    QCOMPARE(m_db->updateAutoTestScheduleStatusIf(checked, 2, set), DB_OK);
    QVERIFY(set);
    QCOMPARE(testStatus(), 4);
    QCOMPARE(count(QString("SELECT isTue FROM AutoTestSchedule WHERE tsid = %1").arg(test.tsid)), 1);
    // Another state written since stands.
    exec(QString("UPDATE AutoTestSchedule SET status = 1 WHERE tsid = %1").arg(test.tsid));
    QCOMPARE(m_db->updateAutoTestScheduleStatusIf(checked, 2, set), DB_OK);
    QVERIFY(!set);
    QCOMPARE(testStatus(), 1);
    VelkAutoTestSchedule goneTest = checked;
    goneTest.tsid = 424242;
    QCOMPARE(m_db->updateAutoTestScheduleStatusIf(goneTest, 2, set), DB_ROW_NOT_FOUND);
}

void TestDatastoreFamilies::cameraMappingFoundByAnyAccountText()
{
    const QStringList accounts = {"operator.one", "o\"neil", "12"};
    for (const QString &account : accounts) {
        VelkDeviceCameraMap map;
        map.did = int(device("Panel-B").did);
        map.account = account;
        map.deviceName = "Hall cam";
        map.mac = "AA:BB";
        QCOMPARE(m_db->insertDeviceCameraMapping(map), DB_OK);
        map.mac = "CC:DD:" + account;
        QCOMPARE(m_db->updateDeviceCameraMapping(map), DB_OK);
    }
    QList<VelkDeviceCameraMap> maps;
    QCOMPARE(m_db->queryDeviceCameraMapping(maps), DB_OK);
    QCOMPARE(maps.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(maps[i].account, accounts[i]);
        QCOMPARE(maps[i].mac, "CC:DD:" + accounts[i]);
    }
    VelkDeviceCameraMap unknown = maps[0];
    unknown.account = "nobody";
    QCOMPARE(m_db->updateDeviceCameraMapping(unknown), DB_ROW_NOT_FOUND);
    QCOMPARE(m_db->deleteDeviceCameraMapping(maps[0].aid), DB_OK);
    QCOMPARE(m_db->deleteDeviceCameraMapping(maps[0].aid), DB_OK);
    maps.clear();
    QCOMPARE(m_db->queryDeviceCameraMapping(maps), DB_OK);
    QCOMPARE(maps.size(), 2);

    // The event log keeps insertion order and only appends.
    for (const QString &name : {QStringLiteral("Panel-B"), QStringLiteral("Panel-A")}) {
        VelkEventLog e;
        e.deviceName = name;
        e.time = "2031-01-01 10:00:00";
        QCOMPARE(m_db->insertEventLog(e), DB_OK);
    }
    QList<VelkEventLog> events = {VelkEventLog()};
    QCOMPARE(m_db->queryEventLog(events), DB_OK);
    QCOMPARE(events.size(), 3);
    QCOMPARE(events[1].deviceName, QString("Panel-B"));
    QCOMPARE(events[2].deviceName, QString("Panel-A"));

    QString id = "unchanged";
    QCOMPARE(m_db->queryDatabaseIdentifierUniqueId(id), DB_OK);
    QCOMPARE(id.size(), 38);
    QVERIFY(id.startsWith('{'));
}

void TestDatastoreFamilies::userCreationAndPermissionsAreAllOrNothing()
{
    QList<VelkAppInfo> apps;
    QCOMPARE(m_db->queryAllAppInfo(apps), DB_OK);
    QCOMPARE(apps.size(), 12);

    VelkMultiUser amy;
    amy.userName = "Amy";
    amy.password = "pw";
    QCOMPARE(m_db->createMultiUser(amy), DB_OK);
    QVERIFY(amy.uniqueId.isEmpty());
    const quint32 amyKey = amy.muid;
    QList<VelkMultiUser> users;
    QCOMPARE(m_db->queryMultiUserByName(users, "Amy"), DB_OK);
    QCOMPARE(users.size(), 1);
    amy = users[0];
    QCOMPARE(amy.muid, amyKey);
    QCOMPARE(amy.uniqueId.size(), 38);
    QCOMPARE(count(QString("SELECT COUNT(*) FROM AppPermission WHERE multiUserId = %1").arg(amy.muid)), 12);

    // A permission insert that fails takes the whole user with it.
    const int usersBefore = count("SELECT COUNT(*) FROM MultiUser");
    const int permissionsBefore = count("SELECT COUNT(*) FROM AppPermission");
    exec("CREATE TEMP TRIGGER refuse_grant BEFORE INSERT ON AppPermission BEGIN SELECT RAISE(ABORT, 'refused'); END");
    exec("CREATE TEMP TRIGGER refuse_revoke BEFORE DELETE ON AppPermission BEGIN SELECT RAISE(ABORT, 'refused'); END");
    VelkMultiUser bob;
    bob.userName = "Bob";
    QCOMPARE(m_db->createMultiUser(bob), DB_STATEMENT_FAILED);
    QCOMPARE(bob.muid, 0u); // no key of a rolled-back row
    // Revoke and grant by name report the failed write.
    QCOMPARE(m_db->setAppPermissionByName("AMY", "com.android.settings", -1), DB_STATEMENT_FAILED);
    exec("DROP TRIGGER refuse_revoke");
    QCOMPARE(m_db->setAppPermissionByName("amy", "COM.ANDROID.SETTINGS", -1), DB_OK);
    QCOMPARE(m_db->setAppPermissionByName("amy", "com.android.settings", 0), DB_STATEMENT_FAILED);
    exec("DROP TRIGGER refuse_grant");
    QCOMPARE(count("SELECT COUNT(*) FROM MultiUser"), usersBefore);
    QCOMPARE(count("SELECT COUNT(*) FROM AppPermission"), permissionsBefore - 1);

    QCOMPARE(m_db->setAppPermissionByName("amy", "com.android.settings", 1), DB_OK);
    QCOMPARE(m_db->setAppPermissionByName("amy", "com.android.settings", 1), DB_OK);
    QCOMPARE(count("SELECT COUNT(*) FROM AppPermission"), permissionsBefore);
    QCOMPARE(m_db->setAppPermissionByName("nobody", "com.android.settings", 1), DB_ROW_NOT_FOUND);
    QCOMPARE(m_db->setAppPermissionByName("amy", "no.such.app", 1), DB_ROW_NOT_FOUND);

    // A name holding a double quote is just a name.
    VelkMultiUser quoted;
    quoted.userName = "O\"Hara";
    quoted.uniqueId = "{fixed}";
    QCOMPARE(m_db->createMultiUser(quoted), DB_OK);
    users.clear();
    QCOMPARE(m_db->queryMultiUserByName(users, "O\"Hara"), DB_OK);
    QCOMPARE(users.size(), 1);
    QCOMPARE(users[0].uniqueId, QString("{fixed}"));
    QCOMPARE(m_db->setAppPermissionByName("o\"hara", "com.android.music", -1), DB_OK);
    QCOMPARE(m_db->deleteMultiUser(users[0].muid), DB_OK);
    QCOMPARE(m_db->deleteMultiUser(users[0].muid), DB_ROW_NOT_FOUND);
}

void TestDatastoreFamilies::userDevicesAndNameMatching()
{
    VelkMultiUser carl;
    carl.userName = "Carl";
    carl.rfidId = "CARD-1";
    QCOMPARE(m_db->createMultiUser(carl), DB_OK);
    QList<VelkMultiUser> users;
    QCOMPARE(m_db->queryMultiUserByRfid(users, "card-1"), DB_OK);
    QVERIFY(users.isEmpty());
    QCOMPARE(m_db->queryMultiUserByRfid(users, "CARD-1"), DB_OK);
    QCOMPARE(users.size(), 1);
    carl = users[0];

    const VelkIFPDevice a = device("Panel-A");
    const VelkIFPDevice d = device("Panel-D");
    for (const VelkIFPDevice &dev : {d, a}) {
        VelkUserDevice ud;
        ud.multiUserId = carl.muid;
        ud.deviceId = dev.did;
        ud.syncStatus = 1;
        ud.lastSyncTime = dev.deviceName == "Panel-D" ? "2031-01-02 10:00" : "2031-01-01 10:00";
        QCOMPARE(m_db->createUserDevice(ud), DB_OK);
    }
    VelkUserDevice update;
    update.syncStatus = 2;
    update.lastSyncTime = "2031-01-03 10:00";
    QCOMPARE(m_db->updateUserDevice(update, "panel-a", carl.muid), DB_ROW_NOT_FOUND);
    QCOMPARE(m_db->updateUserDevice(update, "Panel-A", carl.muid), DB_OK);

    // A panel's answer stamps every assignment of that panel and nothing else.
    VelkMultiUser dora;
    dora.userName = "Dora";
    QCOMPARE(m_db->createMultiUser(dora), DB_OK);
    users.clear();
    QCOMPARE(m_db->queryMultiUserByName(users, "Dora"), DB_OK);
    VelkUserDevice doraOnD;
    doraOnD.multiUserId = users[0].muid;
    doraOnD.deviceId = d.did;
    QCOMPARE(m_db->createUserDevice(doraOnD), DB_OK);
    QCOMPARE(m_db->updateUserDeviceSyncStatus(d.did, 3, "2031-01-01 09:00"), DB_OK);
    QCOMPARE(m_db->updateUserDeviceSyncStatus(424242, 3, "2031-01-01 09:00"), DB_OK);
    QCOMPARE(count("SELECT COUNT(*) FROM UserDevice WHERE syncStatus = 3 AND lastSyncTime = '2031-01-01 09:00'"), 2);
    // Rows that already hold the answer are left as they are; the others take it, also a row holding nothing.
    exec(QStringLiteral("UPDATE UserDevice SET syncStatus = NULL, lastSyncTime = NULL WHERE multiUserId = %1")
             .arg(users[0].muid));
    QCOMPARE(m_db->updateUserDeviceSyncStatus(d.did, 3, "2031-01-01 09:00"), DB_OK);
    QCOMPARE(count("SELECT COUNT(*) FROM UserDevice WHERE syncStatus = 3 AND lastSyncTime = '2031-01-01 09:00'"), 2);
    QCOMPARE(m_db->updateUserDeviceSyncStatus(d.did, 3, "2031-01-01 09:01"), DB_OK);
    QCOMPARE(count("SELECT COUNT(*) FROM UserDevice WHERE syncStatus = 3 AND lastSyncTime = '2031-01-01 09:01'"), 2);
    QCOMPARE(m_db->deleteUserDevice(users[0].muid, d.did), DB_OK);
    QCOMPARE(m_db->deleteMultiUser(users[0].muid), DB_OK);

    QList<VelkUserDevice> byTime;
    QCOMPARE(m_db->queryUserDevice(byTime, 0), DB_OK);
    QCOMPARE(byTime.size(), 2);
    QCOMPARE(byTime[0].deviceId, a.did);
    QCOMPARE(byTime[0].syncStatus, 2);
    QCOMPARE(byTime[0].multiUserId, carl.muid);
    QList<VelkUserDevice> byName;
    QCOMPARE(m_db->queryUserDevice(byName, 1), DB_OK);
    QCOMPARE(byName[0].deviceId, a.did);
    QCOMPARE(byName[1].deviceId, d.did);
    // Who is on which device, as a synchronisation run reads it: assignment order, ids only, and nothing of a device
    // that is gone.
    VelkUserDevice onGone;
    onGone.multiUserId = carl.muid;
    onGone.deviceId = 424242;
    QCOMPARE(m_db->createUserDevice(onGone), DB_OK);
    QList<VelkUserDevice> links;
    QCOMPARE(m_db->queryUserDeviceLinks(links), DB_OK);
    QCOMPARE(links.size(), 2);
    QCOMPARE(links[0].deviceId, d.did);
    QCOMPARE(links[1].deviceId, a.did);
    QVERIFY(links[0].udid < links[1].udid);
    QCOMPARE(links[1].multiUserId, carl.muid);
    QVERIFY(links[1].lastSyncTime.isEmpty());
    QCOMPARE(m_db->deleteUserDevice(carl.muid, 424242), DB_OK);

    QList<VelkMultiUser> onDevice;
    QCOMPARE(m_db->queryMultiUserByIFP(onDevice, d.did), DB_OK);
    QCOMPARE(onDevice.size(), 1);
    QCOMPARE(onDevice[0].userName, QString("Carl"));
    QCOMPARE(m_db->deleteUserDevice(carl.muid, d.did), DB_OK);
    QCOMPARE(m_db->deleteUserDevice(carl.muid, d.did), DB_ROW_NOT_FOUND);

    QList<VelkMultiUserAdmin> admins;
    QCOMPARE(m_db->queryMultiUserAdmin(admins), DB_OK);
    QCOMPARE(admins.size(), 1);
    admins[0].enableGuestUser = true;
    admins[0].adminRfidId = "ADMIN-CARD";
    QCOMPARE(m_db->updateMultiUserAdmin(admins[0]), DB_OK);
    QList<VelkMultiUserAdmin> reread;
    QCOMPARE(m_db->queryMultiUserAdmin(reread), DB_OK);
    QVERIFY(reread[0].enableGuestUser);
    QCOMPARE(reread[0].adminRfidId, QString("ADMIN-CARD"));
    QCOMPARE(m_db->deleteMultiUserAdmin(424242), DB_ROW_NOT_FOUND);
}

void TestDatastoreFamilies::cameraManagementDatabaseIsReadOnly()
{
    const QByteArray before = fileSha256(m_pellmarFile);
    QVERIFY(!before.isEmpty());

    QList<PellmarAccount> accounts;
    QList<PellmarDevice> cameras;
    QList<PellmarGroup> groups;
    QCOMPARE(m_db->reloadPellmarDatabase(accounts, cameras, groups), DB_OK);
    QCOMPARE(accounts.size(), 1);
    QCOMPARE(accounts[0].id, 7u);
    QCOMPARE(accounts[0].accountName, QString("guard"));
    QCOMPARE(accounts[0].password, QString("s3cr3t"));
    QCOMPARE(accounts[0].groupIds, QString("1,2"));
    QCOMPARE(cameras.size(), 1);
    QCOMPARE(cameras[0].port, QString("8080"));
    QCOMPARE(cameras[0].text12, QString("last"));
    QCOMPARE(groups.size(), 2);
    QCOMPARE(groups[0].groupName, QString("First"));
    QCOMPARE(groups[1].id, 9u);
    QCOMPARE(fileSha256(m_pellmarFile), before);

    // When the other program's camera table cannot be read, the cameras read before stay.
    {
        QSqlDatabase rw = QSqlDatabase::addDatabase("QSQLITE", "pellmar-rw");
        rw.setDatabaseName(m_pellmarFile);
        QVERIFY(rw.open());
        QSqlQuery q(rw);
        QVERIFY(q.exec("DROP TABLE Device"));
        QVERIFY(q.exec("INSERT INTO Account VALUES (8, 'second', '', '', 0, '', '', '', '')"));
        rw.close();
    }
    QSqlDatabase::removeDatabase("pellmar-rw");
    accounts.clear();
    cameras.clear();
    groups.clear();
    QCOMPARE(m_db->reloadPellmarDatabase(accounts, cameras, groups), DB_OK);
    QCOMPARE(accounts.size(), 2);
    QCOMPARE(cameras.size(), 1);
    QCOMPARE(cameras[0].deviceName, QString("Hall cam"));
}

QTEST_GUILESS_MAIN(TestDatastoreFamilies)
#include "tst_datastore_families.moc"
