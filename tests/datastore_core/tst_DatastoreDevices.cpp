// Devices and groups: names that look like SQL, letter case, devices without MAC address,
// cascades, whole-operation rollback and the argument guards of the interface.

#include <QDir>
#include <QtTest>

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "support/DbProbe.h"
#include "support/TestEnv.h"

namespace {

VelkIFPDevice makeDevice(const QString &name, const QString &mac = QString())
{
    VelkIFPDevice device;
    device.deviceName = name;
    device.macAddress = mac;
    device.ipAddress = QStringLiteral("192.168.1.10");
    device.modelName = QStringLiteral("Velk TM7-B");
    device.deviceType = QStringLiteral("Control Box");
    return device;
}

VelkGroups makeGroup(const QString &name)
{
    VelkGroups group;
    group.groupName = name;
    group.groupType = QStringLiteral("Control Box");
    return group;
}

QStringList names(const QList<VelkIFPDevice> &devices)
{
    QStringList out;
    for (const VelkIFPDevice &d : devices)
        out << d.deviceName;
    return out;
}

QStringList names(const QList<VelkGroups> &groups)
{
    QStringList out;
    for (const VelkGroups &g : groups)
        out << g.groupName;
    return out;
}

} // namespace

class TestDatastoreDevices : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    int m_serial = 0;
    OrvantaDBManager *m_db = nullptr;
    QString m_file;

    QList<VelkIFPDevice> allDevices()
    {
        QList<VelkIFPDevice> list;
        m_db->queryAllAvailableIFP(list);
        return list;
    }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    // Every case starts from a fresh database of its own.
    void init()
    {
        const QString data = m_env.home() + QStringLiteral("/db%1/Quorvin").arg(++m_serial);
        m_db = new OrvantaDBManager(data, QStringLiteral("devices%1").arg(m_serial));
        QCOMPARE(m_db->databaseManager()->openState(), DatabaseManager::Ready);
        m_file = m_db->databaseManager()->databaseFilePath();
    }
    void cleanup()
    {
        delete m_db;
        m_db = nullptr;
    }

    void namesThatLookLikeSqlTouchOnlyTheirOwnRows()
    {
        const QStringList tricky = {"deviceName", "Gateway", "Lab%1", "a\"b", "O'Brien"};
        VelkIFPDevice plain = makeDevice("Plain", "00:00:00:00:00:01");
        QCOMPARE(m_db->createIFPDevice(plain), DB_OK);
        int mac = 2;
        for (const QString &name : tricky) {
            VelkIFPDevice device = makeDevice(name, QStringLiteral("00:00:00:00:00:%1").arg(mac++, 2, 10, QChar('0')));
            QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        }
        QCOMPARE(allDevices().size(), 6);

        VelkGroups group = makeGroup("GroupType");
        QCOMPARE(m_db->createGroups(group), DB_OK);
        VelkGroups other = makeGroup("Other");
        QCOMPARE(m_db->createGroups(other), DB_OK);

        for (const QString &name : tricky) {
            // Creating the same name again (another letter case) is refused, not matched against another row.
            VelkIFPDevice again = makeDevice(name.toUpper(), "FF:FF:FF:FF:FF:FF");
            QCOMPARE(m_db->createIFPDevice(again), DB_DEVICE_NAME_EXISTS);

            VelkIFPDevice device = makeDevice(name);
            VelkGroups target = makeGroup("GroupType");
            QCOMPARE(m_db->joinGroups(device, target), DB_OK);
            QVERIFY(device.did != 0);
            QVERIFY(target.gid != 0);

            QList<VelkGroups> groups;
            QCOMPARE(m_db->queryGroupsByIFP(makeDevice(name), groups), DB_OK);
            QCOMPARE(names(groups), QStringList({"GroupType"}));

            QList<VelkIFPDevice> byId;
            QCOMPARE(m_db->queryIFPById(byId, device.did), DB_OK);
            QCOMPARE(names(byId), QStringList({name}));
        }
        QList<VelkIFPDevice> members;
        QCOMPARE(m_db->queryIFPByGroup(makeGroup("grouptype"), members), DB_OK);
        QCOMPARE(members.size(), tricky.size());
        QList<VelkIFPDevice> none;
        QCOMPARE(m_db->queryIFPByGroup(makeGroup("Other"), none), DB_OK);
        QVERIFY(none.isEmpty());

        for (const QString &name : tricky) {
            QCOMPARE(m_db->changeIFPDeviceName(name, name + " renamed"), DB_OK);
            QVERIFY(names(allDevices()).contains(name + " renamed"));
            QVERIFY(names(allDevices()).contains("Plain"));
        }
        QCOMPARE(m_db->changeGroupsName("GroupType", "Group\"Type%1"), DB_OK);
        QList<VelkGroups> allGroups;
        QCOMPARE(m_db->queryAllGroup(allGroups), DB_OK);
        QCOMPARE(names(allGroups), QStringList({"Group\"Type%1", "Other"}));

        for (const QString &name : tricky) {
            VelkIFPDevice device = makeDevice(name + " renamed");
            VelkGroups target = makeGroup("Group\"Type%1");
            QCOMPARE(m_db->disjoinGroups(device, target), DB_OK);
            QCOMPARE(m_db->deleteIFPDevice(device), DB_OK);
        }
        QCOMPARE(names(allDevices()), QStringList({"Plain"}));
        VelkGroups doomed = makeGroup("Group\"Type%1");
        QCOMPARE(m_db->deleteGroups(doomed), DB_OK);
        allGroups.clear();
        QCOMPARE(m_db->queryAllGroup(allGroups), DB_OK);
        QCOMPARE(names(allGroups), QStringList({"Other"}));
    }

    void devicesWithoutMacAddressDoNotCollide()
    {
        VelkIFPDevice first = makeDevice("By IP 1");
        VelkIFPDevice second = makeDevice("By IP 2");
        QCOMPARE(m_db->createIFPDevice(first), DB_OK);
        QCOMPARE(m_db->createIFPDevice(second), DB_OK);
        {
            DbProbe probe(m_file);
            QCOMPARE(probe.value("SELECT count(*) FROM Device WHERE macAddress IS NULL").toInt(), 2);
        }
        QList<VelkIFPDevice> list = allDevices();
        QCOMPARE(list.size(), 2);
        QVERIFY(list.at(0).macAddress.isEmpty());

        // Rewriting one of them keeps working (an empty text would collide under UNIQUE).
        VelkIFPDevice edited = list.at(1);
        edited.position = "Room 2";
        QCOMPARE(m_db->updateIFPDeviceById(edited), DB_OK);
        QCOMPARE(m_db->updateIFPDevice(edited), DB_OK);

        VelkIFPDevice withMac = makeDevice("Panel", "aa:bb:cc:dd:ee:ff");
        QCOMPARE(m_db->createIFPDevice(withMac), DB_OK);
        VelkIFPDevice sameMac = makeDevice("Panel 2", "AA:BB:CC:DD:EE:FF");
        QCOMPARE(m_db->createIFPDevice(sameMac), DB_MAC_EXISTS);
        QCOMPARE(allDevices().size(), 3);
    }

    void renamesFindTheOldNameInAnyLetterCase()
    {
        VelkIFPDevice device = makeDevice("Lobby");
        QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        QCOMPARE(m_db->changeIFPDeviceName("LOBBY", "Entrance"), DB_OK);
        QCOMPARE(names(allDevices()), QStringList({"Entrance"}));
        QCOMPARE(m_db->changeIFPDeviceName("entrance", "ENTRANCE"), DB_DEVICE_NAME_EXISTS);
        QCOMPARE(m_db->changeIFPDeviceName("Nowhere", "X"), DB_ROW_NOT_FOUND);
        QCOMPARE(m_db->changeIFPDeviceName("Entrance", QString()), DB_BAD_ARGUMENT);

        VelkGroups group = makeGroup("Floor");
        QCOMPARE(m_db->createGroups(group), DB_OK);
        VelkGroups same = makeGroup("FLOOR");
        QCOMPARE(m_db->createGroups(same), DB_GROUP_NAME_EXISTS);
        QCOMPARE(m_db->changeGroupsName("floor", "Level"), DB_OK);
        QCOMPARE(m_db->changeGroupsName("Level", "LEVEL"), DB_GROUP_NAME_EXISTS);
        QCOMPARE(m_db->changeGroupsNameNoCase("LEVEL"), DB_OK);
        QList<VelkGroups> groups;
        QCOMPARE(m_db->queryAllGroup(groups), DB_OK);
        QCOMPARE(names(groups), QStringList({"LEVEL"}));
    }

    void deviceReadByIdCanBeWrittenBackWhole()
    {
        VelkIFPDevice device = makeDevice("Library", "11:22:33:44:55:66");
        device.position = "Second floor";
        device.ptzCamera = "Cam 7";
        device.deviceType = "Audio Box";
        device.isKicked = true;
        device.learnedMac = device.macAddress;
        QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        const quint32 did = allDevices().first().did;

        QList<VelkIFPDevice> read;
        QCOMPARE(m_db->queryIFPById(read, did), DB_OK);
        QCOMPARE(read.size(), 1);
        VelkIFPDevice copy = read.first();
        QCOMPARE(copy.deviceType, QString("Audio Box"));
        QCOMPARE(copy.position, QString("Second floor"));
        QCOMPARE(copy.ptzCamera, QString("Cam 7"));
        QVERIFY(copy.isKicked);
        QCOMPARE(copy.learnedMac, QString("11:22:33:44:55:66"));
        copy.fwVersion = "1.1.1020.21";
        QCOMPARE(m_db->updateIFPDeviceById(copy), DB_OK);
        const VelkIFPDevice after = allDevices().first();
        QCOMPARE(after.learnedMac, QString("11:22:33:44:55:66"));
        QCOMPARE(after.deviceType, QString("Audio Box"));
        QCOMPARE(after.position, QString("Second floor"));
        QCOMPARE(after.ptzCamera, QString("Cam 7"));
        QCOMPARE(after.fwVersion, QString("1.1.1020.21"));

        QCOMPARE(m_db->queryIFPById(read, 9999), DB_OK); // unknown id appends nothing, list kept
        QCOMPARE(read.size(), 1);
        QCOMPARE(m_db->updateIFPDevicePosition(copy, "Basement"), DB_OK);
        QCOMPARE(allDevices().first().position, QString("Basement"));
        VelkIFPDevice ghost = makeDevice("Ghost");
        ghost.did = 9999;
        QCOMPARE(m_db->updateIFPDevicePosition(ghost, "Nowhere"), DB_OK);
        QCOMPARE(m_db->updateIFPDeviceById(ghost), DB_ROW_NOT_FOUND);
        QCOMPARE(m_db->updateIFPDevice(ghost), DB_ROW_NOT_FOUND);
    }

    void deleteCascadesThroughLinksAndReports()
    {
        VelkIFPDevice device = makeDevice("Gym", "01:01:01:01:01:01");
        VelkIFPDevice keep = makeDevice("Hall", "02:02:02:02:02:02");
        QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        QCOMPARE(m_db->createIFPDevice(keep), DB_OK);
        VelkGroups group = makeGroup("All");
        QCOMPARE(m_db->createGroups(group), DB_OK);
        QCOMPARE(m_db->joinGroups(device, group), DB_OK);
        QCOMPARE(m_db->joinGroups(device, group), DB_OK); // already a member: still one link
        QCOMPARE(m_db->joinGroups(keep, group), DB_OK);

        const QStringList deviceLinks = {"DeviceSchedule",        "DeviceOtaSchedule", "OtaScheduleReport",
                                         "DeviceBroadcast",       "BroadcastReport",   "DeviceAutoTestSchedule",
                                         "AutoTestScheduleReport"};
        {
            DbProbe probe(m_file);
            QCOMPARE(probe.count("DeviceGroups"), 2);
            for (const QString &table : deviceLinks) {
                QVERIFY(probe.exec(QStringLiteral("INSERT INTO %1 (did) VALUES (?)").arg(table), {device.did}));
                QVERIFY(probe.exec(QStringLiteral("INSERT INTO %1 (did) VALUES (?)").arg(table), {keep.did}));
            }
            QVERIFY(probe.exec("INSERT INTO UserDevice (multiUserId, deviceId) VALUES (1, ?)", {device.did}));
            QVERIFY(probe.exec("INSERT INTO GroupsSchedule (gid, sid) VALUES (?, 1)", {group.gid}));
            QVERIFY(probe.exec("INSERT INTO GroupsAutoTestSchedule (gid, tsid) VALUES (?, 1)", {group.gid}));
        }

        VelkIFPDevice byName = makeDevice("gym");
        QCOMPARE(m_db->deleteIFPDevice(byName), DB_OK);
        QCOMPARE(m_db->deleteIFPDevice(byName), DB_ROW_NOT_FOUND);
        {
            DbProbe probe(m_file);
            for (const QString &table : deviceLinks)
                QCOMPARE(probe.column(QStringLiteral("SELECT did FROM %1").arg(table)),
                         QStringList({QString::number(keep.did)}));
            QCOMPARE(probe.count("DeviceGroups"), 1);
            QCOMPARE(probe.count("UserDevice"), 1); // user bindings are kept
        }

        QCOMPARE(m_db->deleteGroups(group), DB_OK);
        DbProbe probe(m_file);
        QCOMPARE(probe.count("DeviceGroups"), 0);
        QCOMPARE(probe.count("GroupsSchedule"), 0);
        QCOMPARE(probe.count("Device"), 1); // devices never go with their group
        QCOMPARE(probe.count("GroupsAutoTestSchedule"), 1);
    }

    void failedDeleteLeavesEverythingInPlace()
    {
        VelkIFPDevice device = makeDevice("Lab", "03:03:03:03:03:03");
        QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        VelkGroups group = makeGroup("Labs");
        QCOMPARE(m_db->createGroups(group), DB_OK);
        QCOMPARE(m_db->joinGroups(device, group), DB_OK);
        {
            // A statement late in the cascade fails.
            DbProbe probe(m_file);
            QVERIFY(probe.exec("DROP TABLE DeviceBroadcast"));
            QVERIFY(probe.exec("DROP TABLE GroupsBroadcast"));
        }
        QCOMPARE(m_db->deleteIFPDevice(device), DB_STATEMENT_FAILED);
        QCOMPARE(m_db->deleteGroups(group), DB_STATEMENT_FAILED);
        DbProbe probe(m_file);
        QCOMPARE(probe.count("Device"), 1);
        QCOMPARE(probe.count("Groups"), 1);
        QCOMPARE(probe.count("DeviceGroups"), 1);

        // And the connection is usable afterwards: no transaction was left open.
        VelkIFPDevice next = makeDevice("Next");
        QCOMPARE(m_db->createIFPDevice(next), DB_OK);
        QCOMPARE(probe.count("Device"), 2);
    }

    void guardsRefuseBeforeAnySql()
    {
        QList<VelkGroups> groups{makeGroup("kept")};
        QCOMPARE(m_db->queryAllGroup(groups), DB_BAD_ARGUMENT);
        QCOMPARE(groups.size(), 1);
        QList<VelkIFPDevice> devices{makeDevice("kept")};
        QCOMPARE(m_db->queryAllAvailableIFP(devices), DB_BAD_ARGUMENT);
        QCOMPARE(m_db->queryIFPByGroup(makeGroup("x"), devices), DB_BAD_ARGUMENT);
        QList<VelkIFPDevice> empty;
        QCOMPARE(m_db->queryIFPByGroup(makeGroup(QString()), empty), DB_BAD_ARGUMENT);
        QCOMPARE(m_db->queryIFPByGroup(makeGroup("missing"), empty), DB_ROW_NOT_FOUND);
        QList<VelkGroups> none;
        QCOMPARE(m_db->queryGroupsByIFP(makeDevice("missing"), none), DB_ROW_NOT_FOUND);
        VelkIFPDevice nameless;
        QCOMPARE(m_db->createIFPDevice(nameless), DB_BAD_ARGUMENT);
        VelkGroups g = makeGroup(QString());
        QCOMPARE(m_db->createGroups(g), DB_BAD_ARGUMENT);
        VelkIFPDevice d = makeDevice("x");
        QCOMPARE(m_db->joinGroups(d, g), DB_BAD_ARGUMENT);
        VelkGroups missing = makeGroup("missing");
        QCOMPARE(m_db->joinGroups(d, missing), DB_ROW_NOT_FOUND);
        VelkSchedule schedule;
        schedule.rebootTime = "07:05";
        QList<VelkIFPDevice> noDevices;
        QCOMPARE(m_db->createIFPSchedule(schedule, noDevices), DB_BAD_ARGUMENT);     // no weekday
        QCOMPARE(m_db->queryDeviceBySchedule(schedule, noDevices), DB_BAD_ARGUMENT); // sid 0
        QList<VelkMultiUser> users;
        VelkMultiUser somebody;
        users << somebody;
        QVERIFY(m_db->queryAllMultiUser(users) != DB_BAD_ARGUMENT); // appends rather than refuses
    }

    void closedDatabaseFailsCleanly()
    {
        QCOMPARE(m_db->closeDatabase(), DB_OK);
        QCOMPARE(m_db->closeDatabase(), DB_OK);
        QCOMPARE(m_db->databaseManager()->openState(), DatabaseManager::NotOpened);
        QList<VelkIFPDevice> devices;
        QCOMPARE(m_db->queryAllAvailableIFP(devices), DB_STATEMENT_FAILED);
        VelkIFPDevice device = makeDevice("After close");
        QCOMPARE(m_db->createIFPDevice(device), DB_STATEMENT_FAILED);
        QCOMPARE(m_db->deleteIFPDevice(device), DB_STATEMENT_FAILED);
        QCOMPARE(m_db->changeIFPDeviceName("a", "b"), DB_STATEMENT_FAILED);
    }
};

QTEST_GUILESS_MAIN(TestDatastoreDevices)
#include "tst_DatastoreDevices.moc"
