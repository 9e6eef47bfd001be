// The device CSV file: the row checks, the export, and the import against the real data store.

#include "DevicesTestSupport.h"

#include "devices/DeviceCsv.h"
#include "devices/DeviceCsvExporter.h"
#include "devices/DeviceCsvImporter.h"
#include "devices/DeviceRules.h"
#include "support/DatabaseFault.h"
#include "support/TestEnv.h"

#include <QSignalSpy>
#include <memory>

namespace {

const QString Header =
    QStringLiteral("\"Group(Use \"\",\"\" between names)\",Device Name,Ip Address,Mac Address(ex 00:11:22:33:44:55),"
                   "Device Type,Location,Username for Emergency SOS,Camera Name for Emergency SOS\n");

} // namespace

class TestDevicesCsv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void rowChecks_data();
    void rowChecks();
    void strictIpv4();
    void exportWritesHeaderRowsAndQuotes();
    void exportToUnwritableFile();
    void reimportRebuildsDevicesAndGroups();
    void newDevicesAreSignalledWithTheirIds();
    void firstPassErrorLeavesDatabaseUntouched();
    void secondPassErrorKeepsEarlierRows();
    void nameAndMacMatchingIgnoresCase();
    void macChangeRules();
    void groupCells();
    void failedWriteStopsAndUndoesTheRow();
    void refusingDatabaseStopsTheImport_data();
    void refusingDatabaseStopsTheImport();
    void unknownSosUser();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<DeviceCsvImporter> m_importer;
};

void TestDevicesCsv::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
    m_importer = std::make_unique<DeviceCsvImporter>(testDb());
}

void TestDevicesCsv::init()
{
    wipeDevices();
}

void TestDevicesCsv::rowChecks_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("message");

    const QString none;
    // A blank line is said to be one, not taken for a device without an address.
    QTest::newRow("blank line") << QStringList{""} << 0 << "This row is empty. Remove it and import the file again.";
    QTest::newRow("row of empty cells") << QStringList{"", " ", ""} << 0
                                        << "This row is empty. Remove it and import the file again.";
    QTest::newRow("two cells") << QStringList{"g", "Name"} << 2 << "Ip Address and Mac Address cannot be emtpy.";
    QTest::newRow("ip only") << QStringList{"", "A", "10.0.0.1"} << -1 << none;
    QTest::newRow("upper mac") << QStringList{"", "A", "", "AA:BB:CC:DD:EE:0F"} << -1 << none;
    QTest::newRow("five numbers") << QStringList{"", "A", "1.2.3.4.5"} << 2 << "Invalid IP Address.";
    QTest::newRow("above 255") << QStringList{"", "A", "999.1.1.1"} << 2 << "Invalid IP Address.";
    QTest::newRow("ip in text") << QStringList{"", "A", "x1.2.3.4y"} << 2 << "Invalid IP Address.";
    QTest::newRow("short mac") << QStringList{"", "A", "", "00:11:22:33:44"} << 3 << "Invalid mac address.";
    QTest::newRow("dash mac") << QStringList{"", "A", "", "00-11-22-33-44-55"} << 3 << "Invalid mac address.";
    // Many panels report these at once (uninitialised cards all zeros): a device holding one took each of them.
    const QString noCard = "No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty "
                           "to match the device by its IP address.";
    QTest::newRow("all-zero mac") << QStringList{"", "A", "10.0.0.1", "00:00:00:00:00:00"} << 3 << noCard;
    QTest::newRow("broadcast mac") << QStringList{"", "A", "", "FF:FF:FF:FF:FF:FF"} << 3 << noCard;
    QTest::newRow("multicast mac") << QStringList{"", "A", "10.0.0.1", "01:00:5e:00:00:fb"} << 3 << noCard;
    QTest::newRow("no name") << QStringList{"", "", "10.0.0.1"} << 1 << "Device name is required.";
    QTest::newRow("quotes only name") << QStringList{"", "\"\"", "10.0.0.1"} << 1 << "Device name is required.";
    QTest::newRow("seven cells skip type")
        << QStringList{"", "A", "10.0.0.1", "", "nonsense", "", "user"} << -1 << none;
    QTest::newRow("bad type") << QStringList{"", "A", "10.0.0.1", "", "Panel", "", "", ""} << 4
                              << "Invalid device type.";
    QTest::newRow("type case") << QStringList{"", "A", "10.0.0.1", "", "ifp/control box", "", "", ""} << 4
                               << "Invalid device type.";
    QTest::newRow("box with user") << QStringList{"", "A", "10.0.0.1", "", "IFP/Control Box", "", "u", ""} << 6
                                   << "This type of device does not support emergency SOS.";
    QTest::newRow("box with camera") << QStringList{"", "A", "10.0.0.1", "", "IFP/Control Box", "", "", "c"} << 7
                                     << "This type of device does not support emergency SOS.";
    QTest::newRow("audio camera only") << QStringList{"", "A", "10.0.0.1", "", "Streaming Audio Box", "", "", "c"} << 6
                                       << "Username is required for emergency SOS.";
    QTest::newRow("audio user only") << QStringList{"", "A", "10.0.0.1", "", "Streaming Audio Box", "", "u", ""} << 7
                                     << "Camera name is required for emergency SOS.";
    QTest::newRow("audio complete") << QStringList{"", "A", "10.0.0.1", "", "Streaming Audio Box", "Hall", "u", "c"}
                                    << -1 << none;
}

// The first pass reads missing cells as empty, so short and blank rows are rejected at their row.
void TestDevicesCsv::rowChecks()
{
    QFETCH(QStringList, cells);
    QFETCH(int, column);
    QFETCH(QString, message);
    // A device row follows the row under test: blank lines that only end a file are skipped.
    const DeviceCsvError error = DeviceCsv::checkRows(
        {QStringList{"header"}, QStringList{"", "Ok", "10.0.0.2"}, cells, QStringList{"", "Last", "10.0.0.3"}});
    QCOMPARE(error.column, column);
    if (column >= 0) {
        QCOMPARE(error.row, 3);
        QCOMPARE(error.message, message);
    }
}

void TestDevicesCsv::strictIpv4()
{
    for (const char *good : {"0.0.0.0", "10.0.0.1", "192.168.1.255", "255.255.255.255"})
        QVERIFY2(DeviceRules::isValidIpv4(QLatin1String(good)), good);
    for (const char *bad : {"", "1.2.3", "1.2.3.4.", "256.1.1.1", "01.2.3.4", "1.2.3.-4", " 1.2.3.4", "1..3.4",
                            "1.2.3.4 ", "a.b.c.d", "1.2.3.1000"})
        QVERIFY2(!DeviceRules::isValidIpv4(QLatin1String(bad)), bad);
}

void TestDevicesCsv::exportWritesHeaderRowsAndQuotes()
{
    QCOMPARE(exportText(), Header);

    // The administrator's camera-management user is written for audio boxes with a camera only.
    QList<VelkAccount> accounts;
    QCOMPARE(testDb()->queryAccount(accounts), DB_OK);
    QVERIFY(!accounts.isEmpty());
    for (VelkAccount account : accounts) {
        if (account.isAdmin) {
            account.sosUsername = QStringLiteral("guard");
            QCOMPARE(testDb()->updateAccount(account), DB_OK);
            break;
        }
    }

    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"B", "A"}, "Room 1, east");
    seedDevice("Beta", "", "10.0.0.2");
    VelkIFPDevice gamma = seedDevice("Gamma", "00:11:22:33:44:03", "", "Audio Box", {}, "Hall \"big\"");
    gamma.ptzCamera = QStringLiteral("Cam 1");
    QCOMPARE(testDb()->updateIFPDeviceById(gamma), DB_OK);
    VelkIFPDevice delta = seedDevice("Delta", "00:11:22:33:44:04", "10.0.0.4");
    delta.ptzCamera = QStringLiteral("Cam 2");
    QCOMPARE(testDb()->updateIFPDeviceById(delta), DB_OK);

    const QString text = exportText();
    QCOMPARE(text, Header + "\"A,B\",Alpha,10.0.0.1,00:11:22:33:44:01,IFP/Control Box,\"Room 1, east\",,\n"
                            ",Beta,10.0.0.2,,IFP/Control Box,,,\n"
                            ",Delta,10.0.0.4,00:11:22:33:44:04,IFP/Control Box,,,Cam 2\n"
                            ",Gamma,,00:11:22:33:44:03,Streaming Audio Box,\"Hall \"\"big\"\"\",guard,Cam 1\n");

    // Quoted cells come back whole through the shared reader.
    const QList<QStringList> rows = csvRows(text);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(1).size(), 8);
    QCOMPARE(rows.at(1).at(5), QStringLiteral("Room 1, east"));
    QCOMPARE(rows.at(4).at(5), QStringLiteral("Hall \"big\""));

    for (VelkAccount account : accounts) {
        if (account.isAdmin) {
            account.sosUsername.clear();
            testDb()->updateAccount(account);
            break;
        }
    }
}

void TestDevicesCsv::exportToUnwritableFile()
{
    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1");
    QCOMPARE(DeviceCsvExporter::writeFile(testDb(), QString()), int(DeviceCsvExporter::CannotOpen));
    QCOMPARE(DeviceCsvExporter::writeFile(testDb(), m_env->home() + "/no/such/folder/x.csv"),
             int(DeviceCsvExporter::CannotOpen));
    const QString path = m_env->home() + "/devices.csv";
    QCOMPARE(DeviceCsvExporter::writeFile(testDb(), path), int(DeviceCsvExporter::Written));
    QCOMPARE(readCsvFile(path, QString()).size(), 2);
}

void TestDevicesCsv::reimportRebuildsDevicesAndGroups()
{
    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"A", "B"}, "Room, 1");
    seedDevice("Beta", "", "10.0.0.2", "Control Box", {"B"});
    seedDevice("Gamma", "00:11:22:33:44:03", "", "Audio Box", {"Halls"}, "Hall");
    seedDevice("Delta", "00:11:22:33:44:04", "10.0.0.4");
    const QString exported = exportText();
    const QString path = m_env->home() + "/round.csv";
    QCOMPARE(DeviceCsvExporter::writeFile(testDb(), path), 0);

    // Changed meanwhile: the file puts it all back.
    VelkIFPDevice alpha = storedDevice("Alpha");
    alpha.position = QStringLiteral("elsewhere");
    alpha.ipAddress = QStringLiteral("10.9.9.9");
    QCOMPARE(testDb()->updateIFPDeviceById(alpha), DB_OK);
    VelkGroups groupA;
    groupA.groupName = QStringLiteral("A");
    QCOMPARE(testDb()->disjoinGroups(alpha, groupA), DB_OK);
    VelkGroups groupB;
    groupB.groupName = QStringLiteral("B");
    VelkIFPDevice delta = storedDevice("Delta");
    QCOMPARE(testDb()->joinGroups(delta, groupB), DB_OK);

    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    const DeviceCsvError error = m_importer->importRows(readCsvFile(path, QString()));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(m_importer->appliedRows(), 4);
    QCOMPARE(added.count(), 0);
    QCOMPARE(exportText(), exported);
    QCOMPARE(groupsOf("Alpha"), (QStringList{"A", "B"}));
    QCOMPARE(groupsOf("Delta"), QStringList());
    QCOMPARE(deviceCount(), 4);
}

void TestDevicesCsv::newDevicesAreSignalledWithTheirIds()
{
    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    const DeviceCsvError error =
        m_importer->importRows(csvRows(Header + "\"Lab\",New-1,10.0.0.7,AA:BB:CC:DD:EE:0F,IFP/Control Box,Lab 1,,\n"
                                                ",New-2,10.0.0.8\n"
                                                ",New-3,10.0.0.9\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(added.count(), 3);
    for (const QList<QVariant> &call : qAsConst(added))
        QVERIFY(call.at(0).value<VelkIFPDevice>().did != 0);
    const VelkIFPDevice first = storedDevice("New-1");
    QCOMPARE(first.macAddress, QStringLiteral("aa:bb:cc:dd:ee:0f"));
    QCOMPARE(first.position, QStringLiteral("Lab 1"));
    QCOMPARE(groupsOf("New-1"), QStringList{"Lab"});
    // Two devices entered by address alone can both exist.
    QCOMPARE(storedDevice("New-2").macAddress, QString());
    QCOMPARE(storedDevice("New-3").ipAddress, QStringLiteral("10.0.0.9"));
}

void TestDevicesCsv::firstPassErrorLeavesDatabaseUntouched()
{
    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"A"});
    const QString before = exportText();
    const DeviceCsvError error =
        m_importer->importRows(csvRows(Header + "\"A,New\",Fresh,10.0.0.5,,IFP/Control Box,,,\n"
                                                ",Alpha,10.0.0.9,00:11:22:33:44:01,Panel,,,\n"));
    QCOMPARE(error.column, 4);
    QCOMPARE(error.row, 3);
    QCOMPARE(error.message, QStringLiteral("Invalid device type."));
    QCOMPARE(m_importer->appliedRows(), 0);
    QCOMPARE(exportText(), before);
}

void TestDevicesCsv::secondPassErrorKeepsEarlierRows()
{
    seedDevice("Speaker", "00:11:22:33:44:09", "10.0.0.9", "Audio Box", {}, "Hall");
    // Row 5 names the audio box as a control box (seven cells read as "Control Box").
    const DeviceCsvError error = m_importer->importRows(
        csvRows(Header + ",R2,10.0.1.2\n,R3,10.0.1.3\n,R4,10.0.1.4\n,Speaker,10.0.0.1,00:11:22:33:44:09\n"
                         ",R6,10.0.1.6\n"));
    QCOMPARE(error.column, 4);
    QCOMPARE(error.row, 5);
    QCOMPARE(error.message, QStringLiteral("Cannot modify device type of existing device."));
    QCOMPARE(m_importer->appliedRows(), 3);
    QVERIFY(storedDevice("R4").did != 0);
    QCOMPARE(storedDevice("R6").did, 0u);
    const VelkIFPDevice speaker = storedDevice("Speaker");
    QCOMPARE(speaker.ipAddress, QStringLiteral("10.0.0.9"));
    QCOMPARE(speaker.position, QStringLiteral("Hall"));
}

void TestDevicesCsv::nameAndMacMatchingIgnoresCase()
{
    seedDevice("Panel-1", "00:11:22:33:44:01", "10.0.0.1");
    seedDevice("Panel-2", "AA:BB:CC:00:00:02", "10.0.0.2");
    const QString before = exportText();

    // A rename (matched by MAC) onto another device's name in other letters is refused. (A row
    // naming a stored device in other letters updates it: see the import faults test.)
    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    DeviceCsvError error = m_importer->importRows(csvRows(Header + ",panel-2,10.0.0.1,00:11:22:33:44:01\n"));
    QCOMPARE(error.column, 1);
    QCOMPARE(error.message, QStringLiteral("Device name is duplicated with other devices."));
    QCOMPARE(added.count(), 0);
    QCOMPARE(exportText(), before);

    // A MAC stored in capitals is matched by the same MAC in lower case: an update, not a clash.
    error = m_importer->importRows(csvRows(Header + ",Panel-2b,10.0.0.22,aa:bb:cc:00:00:02\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(storedDevice("Panel-2b").ipAddress, QStringLiteral("10.0.0.22"));
    QCOMPARE(storedDevice("Panel-2").did, 0u);
    // A device may change the letter case of its own name.
    error = m_importer->importRows(csvRows(Header + ",PANEL-2B,10.0.0.22,aa:bb:cc:00:00:02\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QVERIFY(storedDevice("PANEL-2B").did != 0);
    QCOMPARE(added.count(), 0);
    QCOMPARE(deviceCount(), 2);
}

void TestDevicesCsv::macChangeRules()
{
    seedDevice("Manual", "", "10.0.0.1");
    VelkIFPDevice known = seedDevice("Known", "00:11:22:33:44:02", "10.0.0.2");
    known.fwVersion = QStringLiteral("1.1.1030.30");
    QCOMPARE(testDb()->updateIFPDeviceById(known), DB_OK);

    // A device entered without MAC receives one by name; a second row with that MAC matches it.
    DeviceCsvError error = m_importer->importRows(
        csvRows(Header + ",Manual,10.0.0.1,00:11:22:33:44:01\n,Manual-renamed,10.0.0.11,00:11:22:33:44:01\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(storedDevice("Manual-renamed").macAddress, QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(deviceCount(), 2);

    // A device that reported its firmware keeps its MAC.
    error = m_importer->importRows(csvRows(Header + ",Known,10.0.0.2,00:11:22:33:44:99\n"));
    QCOMPARE(error.column, 3);
    QCOMPARE(error.message, QStringLiteral("Cannot modify connected device's Mac address."));
    QCOMPARE(storedDevice("Known").macAddress, QStringLiteral("00:11:22:33:44:02"));
}

void TestDevicesCsv::groupCells()
{
    VelkGroups audioGroup;
    audioGroup.groupName = QStringLiteral("Speakers");
    audioGroup.groupType = QStringLiteral("Audio Box");
    QCOMPARE(testDb()->createGroups(audioGroup), DB_OK);
    VelkGroups mixed;
    mixed.groupName = QStringLiteral("Floor1");
    mixed.groupType = QStringLiteral("Control Box");
    QCOMPARE(testDb()->createGroups(mixed), DB_OK);

    const DeviceCsvError error = m_importer->importRows(csvRows(Header + "\"A,,B\",One,10.0.0.1\n"
                                                                         "\"floor1, B,Speakers\",Two,10.0.0.2\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(groupsOf("One"), (QStringList{"A", "B"}));
    // "floor1" is the existing "Floor1"; " B" is a group of its own; an audio group is left alone.
    QCOMPARE(groupsOf("Two"), (QStringList{" B", "Floor1"}));
    QList<VelkGroups> groups;
    testDb()->queryAllGroup(groups);
    QStringList names;
    for (const VelkGroups &group : groups)
        names << group.groupName;
    QCOMPARE(names, (QStringList{" B", "A", "B", "Floor1", "Speakers"}));

    // An empty group cell empties the memberships.
    QVERIFY(!m_importer->importRows(csvRows(Header + ",One,10.0.0.1\n")).isError());
    QCOMPARE(groupsOf("One"), QStringList());
}

// The database refuses one write in the middle of a row: the import stops there, names the row,
// keeps the rows before and leaves nothing of the failing row behind.
void TestDevicesCsv::failedWriteStopsAndUndoesTheRow()
{
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_group BEFORE INSERT ON Groups "
                                        "WHEN NEW.groupName = 'Broken' BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    const DeviceCsvError error = m_importer->importRows(
        csvRows(Header + "\"Good\",First,10.0.0.1\n\"Broken\",Second,10.0.0.2\n,Third,10.0.0.3\n"));
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_group")));
    QCOMPARE(error.column, 0);
    QCOMPARE(error.row, 3);
    QCOMPARE(m_importer->appliedRows(), 1);
    QVERIFY(storedDevice("First").did != 0);
    QCOMPARE(storedDevice("Second").did, 0u);
    QCOMPARE(storedDevice("Third").did, 0u);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<VelkIFPDevice>().deviceName, QStringLiteral("First"));
}

void TestDevicesCsv::refusingDatabaseStopsTheImport_data()
{
    DatabaseFault::addImportStoppedRows();
}

// The database file refuses a write, which no row causes: the import stops whole and says so. "Row 3001: The device
// could not be saved." told the operator that the rows before it were kept, and none was.
void TestDevicesCsv::refusingDatabaseStopsTheImport()
{
    QFETCH(int, fault);
    QFETCH(QString, message);

    seedDevice("Stored", "00:11:22:33:44:01", "10.0.9.1", "Control Box", {"Kept"});
    QString text = Header;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("\"Group %1\",Device %1,10.0.%2.%3\n").arg(i).arg(i / 200).arg(i % 200 + 1);
    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    DeviceCsvError error;
    {
        DatabaseFault refusing{DatabaseFault::Kind(fault)};
        QVERIFY(refusing.isActive());
        error = m_importer->importRows(csvRows(text));
    }
    QCOMPARE(error.message, message);
    QVERIFY(error.isError());
    QCOMPARE(error.column, -1);
    QCOMPARE(m_importer->appliedRows(), 0);
    QCOMPARE(added.count(), 0);
    QCOMPARE(deviceCount(), 1);
    QCOMPARE(groupsOf("Stored"), QStringList{"Kept"});
    QList<VelkGroups> groups;
    testDb()->queryAllGroup(groups);
    QCOMPARE(groups.size(), 1);
}

void TestDevicesCsv::unknownSosUser()
{
    const DeviceCsvError error =
        m_importer->importRows(csvRows(Header + ",Box,10.0.0.1,,Streaming Audio Box,Hall,guard,Cam 1\n"));
    QCOMPARE(error.column, 6);
    QCOMPARE(error.row, 2);
    QCOMPARE(error.message, QStringLiteral("The username does not exist."));
    QCOMPARE(deviceCount(), 0);
}

QTEST_GUILESS_MAIN(TestDevicesCsv)
#include "tst_devices_csv.moc"
