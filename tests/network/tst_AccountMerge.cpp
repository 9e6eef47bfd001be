#include "datastore/OrvantaDBManager.h"
#include "network/PanelAccountMerge.h"
#include "support/DbProbe.h"
#include "support/LogCapture.h"
#include "support/PanelUsers.h"
#include "support/TestEnv.h"

#include <QTextCodec>
#include <QtTest>

#include <memory>

// The first-sync merge of a panel's users on a real database, without sockets.
class TestAccountMerge : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void newUsersAreTakenInAndKnownNamesKeepTheConsolesValues();
    void assignmentsStopAt48PerDevice();
    void anUnmanagedPanelsUsersGetNoAssignment();
    void aUserThatCannotBeStoredUndoesTheWholeMerge();
    void namesComeBackByteForByte();
    void thePanelsAdministratorCardStaysWithTheSettings();
    void aFileThatCannotBeReadIsRefusedWhole_data();
    void aFileThatCannotBeReadIsRefusedWhole();

private:
    VelkMultiUser user(const QString &name);
    QStringList packagesOf(quint32 muid);

    TestEnv m_env;
    std::unique_ptr<OrvantaDBManager> m_store;
    OrvantaDBIntf *m_db = nullptr;
    quint32 m_did = 0;
};

void TestAccountMerge::init()
{
    QVERIFY(m_env.isValid());
    QDir(m_env.home() + "/data").removeRecursively();
    m_store.reset(new OrvantaDBManager(m_env.home() + "/data", "merge"));
    m_db = m_store.get();
    VelkIFPDevice device;
    device.deviceName = "Panel";
    device.macAddress = "aa:bb:cc:dd:ee:01";
    QCOMPARE(m_db->createIFPDevice(device), DB_OK);
    QList<VelkIFPDevice> devices;
    m_db->queryAllAvailableIFP(devices);
    m_did = devices.first().did;
}

void TestAccountMerge::cleanup()
{
    m_store.reset();
}

VelkMultiUser TestAccountMerge::user(const QString &name)
{
    QList<VelkMultiUser> found;
    m_db->queryMultiUserByName(found, name);
    return found.isEmpty() ? VelkMultiUser() : found.last();
}

QStringList TestAccountMerge::packagesOf(quint32 muid)
{
    QList<VelkAppPermission> permissions;
    QList<VelkAppInfo> apps;
    m_db->queryAllAppPermission(permissions);
    m_db->queryAllAppInfo(apps);
    QStringList packages;
    for (const VelkAppPermission &permission : qAsConst(permissions)) {
        for (const VelkAppInfo &app : qAsConst(apps)) {
            if (permission.multiUserId == muid && permission.appId == app.aiid)
                packages.append(app.packageName);
        }
    }
    return packages;
}

void TestAccountMerge::newUsersAreTakenInAndKnownNamesKeepTheConsolesValues()
{
    createPanelUser(m_db, "Smith, Ann", "ann", "CARD-1");
    const quint32 bob = createPanelUser(m_db, "Bob", "bob");
    QList<VelkAppInfo> apps;
    m_db->queryAllAppInfo(apps);
    QVERIFY(apps.size() >= 2);
    const QString granted = apps.at(0).packageName;

    // As a panel sends it: a byte order mark, a known name in other letters, a card another user holds,
    // and a blank line.
    const QByteArray file = "\xef\xbb\xbfuserName,password,rfidId,hasPermission,uniqueId,packages\n"
                            "bob,panel-pw,,1,{b},\n"
                            "\"Carol, C.\",carol-pw,CARD-1,1,{c}," +
                            granted.toUtf8() +
                            "\n"
                            "Dave,dave-pw,CARD-9,0,,\n"
                            "\n";
    const QList<AccountFileRow> rows = PanelAccountMerge::parse(file).rows;
    QCOMPARE(rows.size(), 3);
    QVERIFY(PanelAccountMerge(m_db).merge(rows, m_did));

    QCOMPARE(user("Bob").password, QString("bob")); // the console is the master
    QCOMPARE(user("Bob").muid, bob);
    const VelkMultiUser carol = user("Carol, C.");
    QCOMPARE(carol.password, QString("carol-pw"));
    QCOMPARE(carol.uniqueId, QString("{c}"));
    QVERIFY(carol.rfidId.isEmpty());
    QCOMPARE(packagesOf(carol.muid), QStringList({granted}));
    const VelkMultiUser dave = user("Dave");
    QCOMPARE(dave.rfidId, QString("CARD-9"));
    QVERIFY(!dave.hasPermission);
    QVERIFY(!dave.uniqueId.isEmpty()); // the store gives one when the panel sent none
    QVERIFY(user("userName").muid == 0);

    QList<VelkMultiUser> all;
    m_db->queryAllMultiUser(all);
    QCOMPARE(all.size(), 4);
    const QList<VelkUserDevice> assigned = userDeviceLinks(m_db, m_did);
    QCOMPARE(assigned.size(), 3);
    for (const VelkUserDevice &link : assigned)
        QCOMPARE(link.syncStatus, 0);

    // The same file again changes nothing.
    QVERIFY(PanelAccountMerge(m_db).merge(rows, m_did));
    all.clear();
    m_db->queryAllMultiUser(all);
    QCOMPARE(all.size(), 4);
    QCOMPARE(userDeviceLinks(m_db, m_did).size(), 3);
}

void TestAccountMerge::assignmentsStopAt48PerDevice()
{
    for (int i = 0; i < 47; ++i) {
        VelkUserDevice link;
        link.multiUserId = createPanelUser(m_db, QStringLiteral("user%1").arg(i), "pw");
        link.deviceId = m_did;
        m_db->createUserDevice(link);
    }
    QVERIFY(PanelAccountMerge(m_db).merge(
        PanelAccountMerge::parse("userName,password,rfidId,hasPermission,uniqueId,packages\n"
                                 "extra1,pw,,1,,\nextra2,pw,,1,,\nextra3,pw,,1,,\n")
            .rows,
        m_did));
    QCOMPARE(userDeviceLinks(m_db, m_did).size(), PanelAccountMerge::maxUsersPerDevice);
    QVERIFY(user("extra3").muid != 0); // taken in, only not assigned
}

void TestAccountMerge::anUnmanagedPanelsUsersGetNoAssignment()
{
    QVERIFY(PanelAccountMerge(m_db).merge(PanelAccountMerge::parse("Erin,erin,,1,,\n").rows, 0));
    QVERIFY(user("Erin").muid != 0);
    QList<VelkUserDevice> all;
    m_db->queryUserDevice(all, 0);
    QVERIFY(all.isEmpty());
}

// Sending the console's list after a partial merge would make the panel drop the users that were not taken in.
void TestAccountMerge::aUserThatCannotBeStoredUndoesTheWholeMerge()
{
    {
        DbProbe probe(m_store->databaseFilePath());
        QVERIFY(probe.exec("CREATE TRIGGER refuseFrank BEFORE INSERT ON MultiUser WHEN NEW.userName = 'Frank' "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    const QList<AccountFileRow> rows = PanelAccountMerge::parse("Eve,eve,,1,,\nFrank,frank,,1,,\n").rows;
    QVERIFY(!PanelAccountMerge(m_db).merge(rows, m_did));
    QCOMPARE(user("Eve").muid, 0u);
    QVERIFY(userDeviceLinks(m_db, m_did).isEmpty());
}

// Only the first record is the header: a user called "userName" further down is a user. A quoted name keeps its
// CR LF, or the console would send the user back renamed.
void TestAccountMerge::namesComeBackByteForByte()
{
    const QString crlfName = QStringLiteral("Line\r\nBreak");
    const QString lfName = QStringLiteral("Lone\nFeed, \"Q\"");
    const QByteArray file = "userName,password,rfidId,hasPermission,uniqueId,packages\r\n"
                            "userName,pw-u,,1,{u},\r\n"
                            "\"Line\r\nBreak\",pw-l,,0,{l},\r\n"
                            "\"Lone\nFeed, \"\"Q\"\"\",pw-f,,0,{f},\n";
    const QList<AccountFileRow> rows = PanelAccountMerge::parse(file).rows;
    QCOMPARE(rows.size(), 3);
    QVERIFY(PanelAccountMerge(m_db).merge(rows, m_did));

    QCOMPARE(user("userName").password, QString("pw-u"));
    QCOMPARE(user(crlfName).uniqueId, QString("{l}"));
    QCOMPARE(user(lfName).uniqueId, QString("{f}"));
    QCOMPARE(user(QStringLiteral("Line\nBreak")).muid, 0u);
    QCOMPARE(userDeviceLinks(m_db, m_did).size(), 3);

    // What goes back to the panel names the users as the panel did.
    const QByteArray back = AccountFile::build({rows.at(1), rows.at(2)});
    QVERIFY(back.contains("\"Line\r\nBreak\",pw-l,"));
    QVERIFY(back.contains("\"Lone\nFeed, \"\"Q\"\"\",pw-f,"));
}

void TestAccountMerge::thePanelsAdministratorCardStaysWithTheSettings()
{
    LogCapture log;
    QList<VelkMultiUserAdmin> settings;
    QCOMPARE(m_db->queryMultiUserAdmin(settings), DB_OK);
    settings.first().adminRfidId = "ADMIN-01";
    QCOMPARE(m_db->updateMultiUserAdmin(settings.first()), DB_OK);
    QVERIFY(PanelAccountMerge(m_db).merge(
        PanelAccountMerge::parse("userName,password,rfidId,hasPermission,uniqueId,packages\n"
                                 "Gina,gina,ADMIN-01,1,,\nHank,hank,CARD-7,1,,\n")
            .rows,
        m_did));
    QVERIFY(user("Gina").muid != 0);
    QVERIFY(user("Gina").rfidId.isEmpty());
    QCOMPARE(user("Hank").rfidId, QString("CARD-7"));
    QVERIFY(log.contains("card of Gina is the panels' administrator card"));
}

void TestAccountMerge::aFileThatCannotBeReadIsRefusedWhole_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("refusal"); // empty: read, with the users named
    QTest::addColumn<QStringList>("names");

    const QByteArray header = "userName,password,rfidId,hasPermission,uniqueId,packages\n";
    const QByteArray ann = "Ann,ann,,1,{a},\n";
    const QByteArray bob = "Bob,bob,,0,{b},\n";
    // Read as "no users" or "fewer users", each of these made the panel adopt the console's list and lose the rest.
    QTest::newRow("NUL byte") << header + ann + QByteArray("Bo\0b,bob,,0,,\n", 14) << "a NUL byte at offset 75"
                              << QStringList();
    QTest::newRow("NUL byte before every user")
        << QByteArray("\0", 1) + header + ann << "a NUL byte at offset 0" << QStringList();
    QTest::newRow("UTF-16 with a byte order mark")
        << QTextCodec::codecForName("UTF-16LE")->fromUnicode(QString::fromUtf8(header + ann))
        << "a NUL byte at offset 3" << QStringList();
    QTest::newRow("Latin-1 name") << header + "Jos\xe9,pw,,1,,\n"
                                  << "not UTF-8 text" << QStringList();
    QTest::newRow("cut inside a character") << header + ann + "Z\xc3"
                                            << "not UTF-8 text" << QStringList();
    QTest::newRow("unclosed quote") << header + ann + "\"Bob,bob,,0,,\n" + bob << "a quoted field is not closed"
                                    << QStringList();
    QTest::newRow("record too short") << header + ann + "Bob,bob,\n" + bob
                                      << "record 3 is no user (fewer than four fields, or no name)" << QStringList();
    QTest::newRow("record without a name")
        << header + ",bob,,0,,\n" + ann << "record 2 is no user (fewer than four fields, or no name)" << QStringList();
    QTest::newRow("blank lines hold no user") << header + "\n" + ann + "\r\n\n" + bob + "\n"
                                              << QString() << QStringList{"Ann", "Bob"};
    QTest::newRow("no users at all") << header << QString() << QStringList();
    QTest::newRow("empty file") << QByteArray() << QString() << QStringList();
    QTest::newRow("byte order mark, last line end missing")
        << "\xef\xbb\xbf" + header + ann + "Bob,bob,,0,{b}," << QString() << QStringList{"Ann", "Bob"};
}

// A file that cannot be read whole gives no users and a reason, never the users before the fault.
void TestAccountMerge::aFileThatCannotBeReadIsRefusedWhole()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, refusal);
    QFETCH(QStringList, names);
    const PanelAccountMerge::Parsed parsed = PanelAccountMerge::parse(file);
    QCOMPARE(parsed.refusal, refusal);
    QCOMPARE(parsed.isRefused(), !refusal.isEmpty());
    QStringList read;
    for (const AccountFileRow &row : parsed.rows)
        read.append(row.userName);
    QCOMPARE(read, names);
}

QTEST_GUILESS_MAIN(TestAccountMerge)
#include "tst_AccountMerge.moc"
