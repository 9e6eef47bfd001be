// The rules and multi-row writes of a panel user's life, against the real data store.

#include "AccountsTestSupport.h"
#include "support/TestEnv.h"

#include "accounts/DeviceAssignment.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"

#include <memory>

class TestAccountsRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void newUserMessagesInOrder_data();
    void newUserMessagesInOrder();
    void renameRefusesEmptyAndOthersNames();
    void passwordRules_data();
    void passwordRules();
    void failedLookupIsNeverFree();
    void hostileNamesFoundExactlyOnce_data();
    void hostileNamesFoundExactlyOnce();
    void cardRules();

    void removalTakesPermissionsAndAssignments();
    void failedRemovalDeletesNothingElse();
    void appPermissionTogglesWriteOnlyWhatChanged();
    void appPermissionKeepsConcurrentEditAndSkipsRemovedUser();
    void deviceNamesListOnlyExistingDevicesInNameOrder();
    void keptDeviceListsFollowEveryDeviceWrite();

private:
    std::unique_ptr<TestEnv> m_env;
};

void TestAccountsRules::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
}

void TestAccountsRules::init()
{
    wipeAccounts();
}

void TestAccountsRules::newUserMessagesInOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<int>("verdict");

    QTest::newRow("taken before mismatch") << "Ann"
                                           << "abcd"
                                           << "wxyz" << int(UserRules::NameTaken);
    QTest::newRow("mismatch before empty name") << ""
                                                << "abcd"
                                                << "abce" << int(UserRules::PasswordMismatch);
    QTest::newRow("empty name before length") << ""
                                              << "ab"
                                              << "ab" << int(UserRules::NameEmpty);
    QTest::newRow("three characters") << "Bo"
                                      << "abc"
                                      << "abc" << int(UserRules::PasswordTooShort);
    QTest::newRow("no password") << "B"
                                 << ""
                                 << "" << int(UserRules::Accepted);
    QTest::newRow("four characters") << "Bo"
                                     << "abcd"
                                     << "abcd" << int(UserRules::Accepted);
    QTest::newRow("name case counts") << "ann"
                                      << ""
                                      << "" << int(UserRules::Accepted);
    QTest::newRow("blanks count") << "Ann "
                                  << ""
                                  << "" << int(UserRules::Accepted);
}

void TestAccountsRules::newUserMessagesInOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, confirm);
    QFETCH(int, verdict);
    seedUser(QStringLiteral("Ann"));
    QCOMPARE(int(UserRules::checkNewUser(testDb(), name, password, confirm)), verdict);
}

void TestAccountsRules::renameRefusesEmptyAndOthersNames()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const VelkMultiUser bob = seedUser(QStringLiteral("Bob"));
    QCOMPARE(UserRules::checkRename(testDb(), ann.muid, QString()), UserRules::NameEmpty);
    QCOMPARE(UserRules::checkRename(testDb(), ann.muid, QStringLiteral("Bob")), UserRules::NameTaken);
    QCOMPARE(UserRules::checkRename(testDb(), ann.muid, QStringLiteral("Ann")), UserRules::Accepted);
    QCOMPARE(UserRules::checkRename(testDb(), bob.muid, QStringLiteral("Carl")), UserRules::Accepted);

    // A name two users share already (an older database) is still another user's.
    seedUser(QStringLiteral("Bob"));
    QCOMPARE(UserRules::checkRename(testDb(), bob.muid, QStringLiteral("Bob")), UserRules::NameTaken);
}

void TestAccountsRules::passwordRules_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<bool>("allowEmpty");
    QTest::addColumn<int>("verdict");

    QTest::newRow("short and different") << "ab"
                                         << "cd" << false << int(UserRules::PasswordMismatch);
    QTest::newRow("empty pair where one is needed") << ""
                                                    << "" << false << int(UserRules::PasswordTooShort);
    QTest::newRow("empty pair allowed") << ""
                                        << "" << true << int(UserRules::Accepted);
    QTest::newRow("three") << "abc"
                           << "abc" << true << int(UserRules::PasswordTooShort);
    QTest::newRow("four CJK") << "密碼密碼"
                              << "密碼密碼" << false << int(UserRules::Accepted);
    QTest::newRow("33 against 32") << QString(33, 'x') << QString(32, 'x') << false << int(UserRules::PasswordMismatch);
    // Characters, not UTF-16 units: the user import counts the same way.
    const QString smile = QString::fromUtf8("\U0001F600");
    QTest::newRow("two emoji") << smile + smile << smile + smile << false << int(UserRules::PasswordTooShort);
    QTest::newRow("three and an emoji") << "abc" + smile << "abc" + smile << false << int(UserRules::Accepted);
}

void TestAccountsRules::passwordRules()
{
    QFETCH(QString, password);
    QFETCH(QString, confirm);
    QFETCH(bool, allowEmpty);
    QFETCH(int, verdict);
    QCOMPARE(int(UserRules::checkPassword(password, confirm, allowEmpty)), verdict);
}

// The designed dialogs took an empty result of a failed lookup for a free name or card, and so
// wrote duplicates.
void TestAccountsRules::failedLookupIsNeverFree()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    HiddenTable hidden(QStringLiteral("MultiUser"));
    QVERIFY(hidden.isActive());
    QCOMPARE(UserRules::checkNewUser(testDb(), QStringLiteral("Bob"), QString(), QString()), UserRules::LookupFailed);
    QCOMPARE(UserRules::checkRename(testDb(), ann.muid, QStringLiteral("Bob")), UserRules::LookupFailed);
    QCOMPARE(UserRules::checkCard(testDb(), QStringLiteral("12345678")), UserRules::CardLookupFailed);
    QVERIFY(!UserRules::message(UserRules::LookupFailed).isEmpty());
}

void TestAccountsRules::hostileNamesFoundExactlyOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("comma and quotes") << QStringLiteral("a,\"b\"");
    QTest::newRow("line break") << QStringLiteral("first\nsecond");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
    QTest::newRow("SQL") << QStringLiteral("x\" OR \"1\"=\"1");
    QTest::newRow("200 CJK") << QString(200, QChar(0x6F22));
}

void TestAccountsRules::hostileNamesFoundExactlyOnce()
{
    QFETCH(QString, name);
    seedUser(QStringLiteral("Other"));
    QCOMPARE(UserRules::checkNewUser(testDb(), name, QString(), QString()), UserRules::Accepted);
    QCOMPARE(UserStore::addUser(testDb(), name, QStringLiteral("pass"), QString()), DB_OK);

    QList<VelkMultiUser> found;
    QCOMPARE(testDb()->queryMultiUserByName(found, name), DB_OK);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().userName, name);
    QCOMPARE(userCount(), 2);
    QCOMPARE(UserRules::checkNewUser(testDb(), name, QString(), QString()), UserRules::NameTaken);
    QCOMPARE(UserRules::checkRename(testDb(), found.first().muid, name), UserRules::Accepted);
}

void TestAccountsRules::cardRules()
{
    QVERIFY(UserRules::isCardNumber(QStringLiteral("0012AB,\"")));
    QVERIFY(UserRules::isCardNumber(QString(8, QChar(0x5361))));
    QVERIFY(!UserRules::isCardNumber(QStringLiteral("1234567")));
    QVERIFY(!UserRules::isCardNumber(QStringLiteral("123456789")));

    seedUser(QStringLiteral("Ann"), QString(), QStringLiteral("AAAA1111"));
    QList<VelkMultiUserAdmin> settings;
    QCOMPARE(testDb()->queryMultiUserAdmin(settings), DB_OK);
    QVERIFY(!settings.isEmpty());
    settings.first().adminRfidId = QStringLiteral("ADMIN001");
    QCOMPARE(testDb()->updateMultiUserAdmin(settings.first()), DB_OK);

    QCOMPARE(UserRules::checkCard(testDb(), QStringLiteral("AAAA1111")), UserRules::CardUsed);
    QCOMPARE(UserRules::checkCard(testDb(), QStringLiteral("ADMIN001")), UserRules::CardUsed);
    QCOMPARE(UserRules::checkCard(testDb(), QStringLiteral("aaaa1111")), UserRules::CardFree);
    QCOMPARE(UserRules::checkCard(testDb(), QStringLiteral("\"1\",\"2\"")), UserRules::CardFree);
}

void TestAccountsRules::removalTakesPermissionsAndAssignments()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const VelkMultiUser bob = seedUser(QStringLiteral("Bob"));
    const VelkIFPDevice one = seedPanel(QStringLiteral("P1"), QStringLiteral("02:51:4d:00:00:01"));
    const VelkIFPDevice two = seedPanel(QStringLiteral("P2"), QStringLiteral("02:51:4d:00:00:02"));
    assign(ann.muid, one.did);
    assign(ann.muid, two.did);
    assign(ann.muid, two.did); // a duplicate row goes as well
    assign(bob.muid, one.did);
    VelkAppPermission orphan; // an app no longer listed
    orphan.multiUserId = ann.muid;
    orphan.appId = 9999;
    testDb()->createAppPermission(orphan);
    QCOMPARE(permittedApps(ann.muid).size(), allApps().size() + 1);

    QCOMPARE(UserStore::removeUser(testDb(), ann.muid), DB_OK);
    QCOMPARE(userNamed(QStringLiteral("Ann")).muid, 0u);
    QVERIFY(permittedApps(ann.muid).isEmpty());
    QCOMPARE(rowCount(QStringLiteral("UserDevice")), 1);
    QCOMPARE(permittedApps(bob.muid).size(), allApps().size());
}

// The designed removal went on to delete permissions and assignments after the user's own row
// could not be deleted, leaving a user without them.
void TestAccountsRules::failedRemovalDeletesNothingElse()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const VelkIFPDevice one = seedPanel(QStringLiteral("P1"), QStringLiteral("02:51:4d:00:00:01"));
    assign(ann.muid, one.did);
    {
        RefusedDelete refused(QStringLiteral("MultiUser"));
        QVERIFY(refused.isActive());
        QCOMPARE(UserStore::removeUser(testDb(), ann.muid), DB_STATEMENT_FAILED);
    }
    QCOMPARE(userNamed(QStringLiteral("Ann")).muid, ann.muid);
    QCOMPARE(permittedApps(ann.muid).size(), allApps().size());
    QCOMPARE(rowCount(QStringLiteral("UserDevice")), 1);

    // A later step that fails undoes the user's row and the permissions deleted before it.
    {
        RefusedDelete refused(QStringLiteral("UserDevice"));
        QVERIFY(refused.isActive());
        QCOMPARE(UserStore::removeUser(testDb(), ann.muid), DB_STATEMENT_FAILED);
    }
    QCOMPARE(userNamed(QStringLiteral("Ann")).muid, ann.muid);
    QCOMPARE(permittedApps(ann.muid).size(), allApps().size());
    QCOMPARE(rowCount(QStringLiteral("UserDevice")), 1);

    QCOMPARE(UserStore::removeUser(testDb(), 424242), DB_ROW_NOT_FOUND);
}

void TestAccountsRules::appPermissionTogglesWriteOnlyWhatChanged()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("pass"));
    const QList<VelkAppInfo> apps = allApps();
    QVERIFY(apps.size() >= 3);
    VelkAppPermission extra; // two rows for the first app: switching it off removes both
    extra.multiUserId = ann.muid;
    extra.appId = apps.at(0).aiid;
    testDb()->createAppPermission(extra);
    QCOMPARE(testDb()->deleteAppPermission(ann.muid, apps.at(2).aiid), DB_OK);

    QList<UserStore::AppSwitch> switches;
    for (const VelkAppInfo &app : apps)
        switches.append({app.aiid, app.aiid != apps.at(0).aiid});
    QCOMPARE(UserStore::saveAppPermissions(testDb(), ann.muid, switches, true), DB_OK);

    QList<quint32> expected;
    for (int i = 1; i < apps.size(); ++i)
        expected << apps.at(i).aiid;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(permittedApps(ann.muid), expected); // the second app was on already: no second row
    QCOMPARE(userNamed(QStringLiteral("Ann")).hasPermission, true);
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("pass"));
}

// The window is not modal and wrote back the whole user as read when it opened: a rename or a
// new password in between was lost, and a removed user got orphan permissions.
void TestAccountsRules::appPermissionKeepsConcurrentEditAndSkipsRemovedUser()
{
    VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("old1"), QStringLiteral("CARD0001"));
    const quint32 firstApp = allApps().first().aiid;

    VelkMultiUser edited = ann;
    edited.userName = QStringLiteral("Anna");
    edited.password = QStringLiteral("new1");
    edited.rfidId.clear();
    QCOMPARE(testDb()->updateMultiUser(edited), DB_OK);
    QCOMPARE(UserStore::saveAppPermissions(testDb(), ann.muid, {{firstApp, false}}, true), DB_OK);
    const VelkMultiUser stored = userNamed(QStringLiteral("Anna"));
    QCOMPARE(stored.password, QStringLiteral("new1"));
    QVERIFY(stored.rfidId.isEmpty());
    QVERIFY(stored.hasPermission);
    QVERIFY(!permittedApps(ann.muid).contains(firstApp));

    QCOMPARE(UserStore::removeUser(testDb(), ann.muid), DB_OK);
    QCOMPARE(UserStore::saveAppPermissions(testDb(), ann.muid, {{firstApp, true}}, true), DB_ROW_NOT_FOUND);
    QVERIFY(permittedApps(ann.muid).isEmpty());
    QCOMPARE(userCount(), 0);
}

void TestAccountsRules::deviceNamesListOnlyExistingDevicesInNameOrder()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const VelkMultiUser bob = seedUser(QStringLiteral("Bob"));
    const VelkIFPDevice zulu = seedPanel(QStringLiteral("Zulu"), QStringLiteral("02:51:4d:00:00:01"));
    const VelkIFPDevice alpha = seedPanel(QStringLiteral("Alpha"), QStringLiteral("02:51:4d:00:00:02"));
    assign(ann.muid, zulu.did);
    assign(ann.muid, alpha.did);
    assign(ann.muid, 777); // a device that no longer exists
    QHash<quint32, QStringList> names;
    QCOMPARE(UserStore::deviceNamesByUser(testDb(), names), DB_OK);
    QCOMPARE(names.value(ann.muid), QStringList({"Alpha", "Zulu"}));
    QVERIFY(names.value(bob.muid).isEmpty());
}

// A run reads the devices when it starts and the user table reads them again when it ends; both keep what they read.
// Whatever changes a device (a rename, another model, a removal, a new one) shows in the next read, and nothing read
// inside a transaction that is then rolled back stays.
void TestAccountsRules::keptDeviceListsFollowEveryDeviceWrite()
{
    const auto supported = [] {
        QList<VelkIFPDevice> devices;
        if (DeviceAssignment::supportedDevices(testDb(), devices) != DB_OK)
            return QStringList({"read failed"});
        QStringList names;
        for (const VelkIFPDevice &device : qAsConst(devices))
            names.append(device.deviceName);
        return names;
    };
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const auto devicesOfAnn = [&ann] {
        QHash<quint32, QStringList> names;
        if (UserStore::deviceNamesByUser(testDb(), names) != DB_OK)
            return QStringList({"read failed"});
        return names.value(ann.muid);
    };
    const VelkIFPDevice zulu = seedPanel(QStringLiteral("Zulu"), QStringLiteral("02:51:4d:00:00:11"));
    const VelkIFPDevice alpha = seedPanel(QStringLiteral("Alpha"), QStringLiteral("02:51:4d:00:00:12"));
    assign(ann.muid, zulu.did);
    assign(ann.muid, alpha.did);
    for (int read = 0; read < 2; ++read) {
        QCOMPARE(supported(), QStringList({"Alpha", "Zulu"}));
        QCOMPARE(devicesOfAnn(), QStringList({"Alpha", "Zulu"}));
    }

    QCOMPARE(testDb()->changeIFPDeviceName(QStringLiteral("Zulu"), QStringLiteral("Bravo")), DB_OK);
    QCOMPARE(supported(), QStringList({"Alpha", "Bravo"}));
    QCOMPARE(devicesOfAnn(), QStringList({"Alpha", "Bravo"}));

    QList<VelkIFPDevice> stored;
    testDb()->queryAllAvailableIFP(stored);
    VelkIFPDevice bravo = stored.value(1);
    QCOMPARE(bravo.deviceName, QStringLiteral("Bravo"));
    bravo.modelName = QStringLiteral("Velk Other");
    QCOMPARE(testDb()->updateIFPDeviceById(bravo), DB_OK);
    QCOMPARE(supported(), QStringList({"Alpha"}));
    QCOMPARE(devicesOfAnn(), QStringList({"Alpha", "Bravo"}));

    QCOMPARE(testDb()->deleteUserDevice(ann.muid, bravo.did), DB_OK);
    QCOMPARE(devicesOfAnn(), QStringList({"Alpha"}));
    VelkIFPDevice removed = alpha;
    QCOMPARE(testDb()->deleteIFPDevice(removed), DB_OK);
    QCOMPARE(supported(), QStringList());
    QCOMPARE(devicesOfAnn(), QStringList());

    {
        DbTransaction undone = testDb()->transaction("keptDeviceListsFollowEveryDeviceWrite");
        QVERIFY(undone.isActive());
        const VelkIFPDevice charlie = seedPanel(QStringLiteral("Charlie"), QStringLiteral("02:51:4d:00:00:13"));
        assign(ann.muid, charlie.did);
        QCOMPARE(supported(), QStringList({"Charlie"}));
        QCOMPARE(devicesOfAnn(), QStringList({"Charlie"}));
        undone.rollback();
    }
    QCOMPARE(supported(), QStringList());
    QCOMPARE(devicesOfAnn(), QStringList());
}

QTEST_GUILESS_MAIN(TestAccountsRules)
#include "tst_accounts_rules.moc"
