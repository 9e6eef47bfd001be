// Device import faults found by outside checks: rows that refer to a device created earlier in the
// same file, names that differ only in letter case, names the device dialogs refuse, blank lines
// ending the file; every refused import leaves the database file byte for byte as it was, and an
// import killed half-way leaves all of its rows or none.

#include "DevicesTestSupport.h"

#include "devices/DeviceCsv.h"
#include "devices/DeviceCsvImporter.h"
#include "support/DbProbe.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

namespace {

const QString Header =
    QStringLiteral("\"Group(Use \"\",\"\" between names)\",Device Name,Ip Address,Mac Address(ex 00:11:22:33:44:55),"
                   "Device Type,Location,Username for Emergency SOS,Camera Name for Emergency SOS\n");

const QString NameRule = QStringLiteral("Use at most 32 characters and none of \\ / : * ? \" > < |.");

QString databaseFile()
{
    return testDb()->databaseFilePath();
}

QByteArray databaseBytes()
{
    QFile file(databaseFile());
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

struct Shown
{
    QString name, ip, mac;
};

QList<Shown> allDevices()
{
    QList<VelkIFPDevice> devices;
    testDb()->queryAllAvailableIFP(devices);
    QList<Shown> shown;
    for (const VelkIFPDevice &device : devices)
        shown.append({device.deviceName, device.ipAddress, device.macAddress});
    return shown;
}

QString describe(const QList<Shown> &devices)
{
    QStringList parts;
    for (const Shown &device : devices)
        parts << device.name + QLatin1Char('|') + device.ip + QLatin1Char('|') + device.mac;
    return parts.join(QLatin1Char(';'));
}

} // namespace

class TestDevicesImportFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void laterRowsFindDevicesCreatedEarlier_data();
    void laterRowsFindDevicesCreatedEarlier();
    void namesMatchIgnoringLetterCase();
    void namesFollowTheDialogsRule_data();
    void namesFollowTheDialogsRule();
    void createdGroupsFollowTheDialogsRule_data();
    void createdGroupsFollowTheDialogsRule();
    void blankLinesEndingTheFileAreSkipped_data();
    void blankLinesEndingTheFileAreSkipped();
    void refusedImportsLeaveTheFileUntouched_data();
    void refusedImportsLeaveTheFileUntouched();
    void killedImportLeavesAllOrNothing();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<DeviceCsvImporter> m_importer;
};

void TestDevicesImportFaults::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
    QVERIFY(QFile::exists(databaseFile()));
    m_importer = std::make_unique<DeviceCsvImporter>(testDb());
}

void TestDevicesImportFaults::init()
{
    wipeDevices();
}

void TestDevicesImportFaults::laterRowsFindDevicesCreatedEarlier_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QString>("expected");

    // The second row matches the first by MAC and renames it.
    QTest::newRow("rename by MAC") << ",dupA,10.0.3.1,aa:bb:cc:00:00:01,IFP/Control Box,,,\n"
                                      ",dupB,10.0.3.2,aa:bb:cc:00:00:01,IFP/Control Box,,,\n"
                                   << "dupB|10.0.3.2|aa:bb:cc:00:00:01";
    // A device created by its address alone gets its MAC from a later row with its name.
    QTest::newRow("MAC by name") << ",solo,10.0.3.1\n,solo,10.0.3.3,aa:bb:cc:00:00:02\n"
                                 << "solo|10.0.3.3|aa:bb:cc:00:00:02";
    // Renamed, then renamed again by a third row.
    QTest::newRow("renamed twice") << ",first,10.0.3.1,aa:bb:cc:00:00:03\n,second,10.0.3.1,aa:bb:cc:00:00:03\n"
                                      ",third,10.0.3.9,aa:bb:cc:00:00:03\n"
                                   << "third|10.0.3.9|aa:bb:cc:00:00:03";
}

void TestDevicesImportFaults::laterRowsFindDevicesCreatedEarlier()
{
    QFETCH(QString, rows);
    QFETCH(QString, expected);

    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    const DeviceCsvError error = m_importer->importRows(csvRows(Header + rows));
    QVERIFY2(!error.isError(), qPrintable(QStringLiteral("row %1: %2").arg(error.row).arg(error.message)));
    QCOMPARE(describe(allDevices()), expected);
    // One device was created; it is announced once, under the name it ended with.
    QCOMPARE(added.count(), 1);
    const VelkIFPDevice announced = added.at(0).at(0).value<VelkIFPDevice>();
    QVERIFY(announced.did != 0);
    QCOMPARE(announced.deviceName, expected.section(QLatin1Char('|'), 0, 0));
}

void TestDevicesImportFaults::namesMatchIgnoringLetterCase()
{
    seedDevice("Alpha", "aa:00:00:00:00:01", "10.0.0.9");

    // A stored device named in other letters is the same device: its MAC is replaced as it would
    // be for the stored spelling, and it takes the file's spelling.
    DeviceCsvError error =
        m_importer->importRows(csvRows(Header + ",ALPHA,10.0.0.1,aa:00:00:00:00:99,IFP/Control Box,,,\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(describe(allDevices()), QStringLiteral("ALPHA|10.0.0.1|aa:00:00:00:00:99"));

    // Two new rows that differ only in letter case: the second updates the device the first made.
    QSignalSpy added(m_importer.get(), &DeviceCsvImporter::addDeviceSuccess);
    error = m_importer->importRows(csvRows(Header + ",CaseName,10.0.1.1\n,casename,10.0.1.2\n"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QCOMPARE(describe(allDevices()), QStringLiteral("ALPHA|10.0.0.1|aa:00:00:00:00:99;casename|10.0.1.2|"));
    QCOMPARE(added.count(), 1);

    // Still refused: renaming one device onto another's name in other letters.
    const QByteArray before = databaseBytes();
    error = m_importer->importRows(csvRows(Header + ",CASENAME,10.0.0.1,aa:00:00:00:00:99\n"));
    QCOMPARE(error.column, 1);
    QCOMPARE(error.message, QStringLiteral("Device name is duplicated with other devices."));
    QCOMPARE(databaseBytes(), before);
}

void TestDevicesImportFaults::namesFollowTheDialogsRule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("32 characters") << QString(32, QLatin1Char('n')) << true;
    QTest::newRow("33 characters") << QString(33, QLatin1Char('n')) << false;
    // The quote cannot reach a name: the import removes every quote from the cell first.
    for (const char *bad : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a<b", "a>b", "a|b"})
        QTest::newRow(bad) << QString::fromLatin1(bad) << false;
    QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << false;
    // A quoted cell may hold a line break.
    QTest::newRow("line break") << QStringLiteral("\"a\nb\"") << false;
    QTest::newRow("letters, digits, blanks, dashes") << QStringLiteral("Room 101 - East (A)") << true;
}

void TestDevicesImportFaults::namesFollowTheDialogsRule()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    seedDevice("Keep", "aa:00:00:00:00:07", "10.0.0.7");
    const QByteArray before = databaseBytes();
    // The name arrives as a new device, and as a rename of a stored one matched by its MAC.
    for (const QString &row : {QStringLiteral(",%1,10.0.0.1\n"), QStringLiteral(",%1,10.0.0.7,aa:00:00:00:00:07\n")}) {
        const DeviceCsvError error = m_importer->importRows(csvRows(Header + ",Fine,10.0.0.2\n" + row.arg(name)));
        if (accepted) {
            QVERIFY2(!error.isError(), qPrintable(error.message));
            QVERIFY(storedDevice(name).did != 0);
            wipeDevices();
            seedDevice("Keep", "aa:00:00:00:00:07", "10.0.0.7");
            continue;
        }
        QCOMPARE(error.column, 1);
        QCOMPARE(error.row, 3);
        QCOMPARE(error.message, NameRule);
        // Refused in the first pass: not even the good row before it is written.
        QCOMPARE(databaseBytes(), before);
    }
}

void TestDevicesImportFaults::createdGroupsFollowTheDialogsRule_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QStringList>("joined");

    // The group dialog refuses these names; so must the import that would create them.
    QTest::newRow("forbidden character") << "\"Bad|Grp\"" << QStringList();
    QTest::newRow("40 characters") << QString(40, QLatin1Char('g')) << QStringList();
    QTest::newRow("tab") << "\"a\tb\"" << QStringList();
    QTest::newRow("bad one among good ones") << "\"Floor,Hall?\"" << QStringList();
    QTest::newRow("32 characters") << QString(32, QLatin1Char('g')) << QStringList{QString(32, QLatin1Char('g'))};
    // A stored group is only named, not created: a file exported from a database that holds such a
    // name imports again.
    QTest::newRow("stored group") << "\"Old|Wing\"" << QStringList{"Old|Wing"};
}

void TestDevicesImportFaults::createdGroupsFollowTheDialogsRule()
{
    QFETCH(QString, cell);
    QFETCH(QStringList, joined);

    VelkGroups stored;
    stored.groupName = QStringLiteral("Old|Wing");
    stored.groupType = QStringLiteral("Control Box");
    QCOMPARE(testDb()->createGroups(stored), DB_OK);
    const QByteArray before = databaseBytes();

    const DeviceCsvError error =
        m_importer->importRows(csvRows(Header + "Floor,Fine,10.0.0.2,aa:bb:cc:00:01:01,IFP/Control Box,,,\n" + cell +
                                       ",Dev0,10.0.0.1,aa:bb:cc:00:01:00,IFP/Control Box,,,\n"));
    if (!joined.isEmpty()) {
        QVERIFY2(!error.isError(), qPrintable(error.message));
        QCOMPARE(groupsOf(QStringLiteral("Dev0")), joined);
        return;
    }
    QCOMPARE(error.column, 0);
    QCOMPARE(error.row, 3);
    QCOMPARE(error.message, NameRule);
    // Refused before anything is written: not the row before it, not the group "Floor".
    QCOMPARE(databaseBytes(), before);
}

void TestDevicesImportFaults::blankLinesEndingTheFileAreSkipped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString rows = QStringLiteral(",One,10.0.0.1\n,Two,10.0.0.2\n");
    QTest::newRow("one blank line") << Header + rows + "\n"
                                    << "One;Two";
    QTest::newRow("three blank lines") << Header + rows + "\n\n\n"
                                       << "One;Two";
    QTest::newRow("CR LF blank lines") << QString(Header + rows).replace("\n", "\r\n") + "\r\n\r\n"
                                       << "One;Two";
    QTest::newRow("blanks and tabs") << Header + rows + "   \n\t\n"
                                     << "One;Two";
    // What a spreadsheet writes for rows it once held.
    QTest::newRow("empty cells") << Header + rows + ",,,,,,,\n,,,,,,,\n"
                                 << "One;Two";
    // Nothing to import is said, not taken for a success.
    QTest::newRow("header and blank lines only") << Header + "\n\n"
                                                 << "";
}

void TestDevicesImportFaults::blankLinesEndingTheFileAreSkipped()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    // Through a real file: the reader's treatment of the last line end is part of what is tested.
    const QString path = m_env->home() + QStringLiteral("/blank-end.csv");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
    const DeviceCsvError error = m_importer->importRows(readCsvFile(path, QString()));
    if (expected.isEmpty())
        QVERIFY2(error.stopped && error.message.contains(QStringLiteral("no row after its header")),
                 qPrintable(error.message));
    else
        QVERIFY2(!error.isError(), qPrintable(QStringLiteral("row %1: %2").arg(error.row).arg(error.message)));
    QStringList names;
    for (const Shown &device : allDevices())
        names << device.name;
    QCOMPARE(names.join(QLatin1Char(';')), expected);
}

void TestDevicesImportFaults::refusedImportsLeaveTheFileUntouched_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");

    // A blank line before the last device row is no end of the file: it is still refused.
    QTest::newRow("blank line inside") << ",New,10.0.0.5\n\n,Later,10.0.0.6\n" << 0 << 3;
    QTest::newRow("first pass") << ",New,10.0.0.5\n,Bad,999.1.1.1\n" << 2 << 3;
    QTest::newRow("type of a stored device") << ",Panel,10.0.0.5,aa:00:00:00:00:01,Streaming Audio Box,,,\n" << 4 << 2;
    QTest::newRow("rename onto another") << ",other,10.0.0.1,aa:00:00:00:00:01\n,New,10.0.0.5\n" << 1 << 2;
    QTest::newRow("MAC of a connected device") << ",Other,10.0.0.2,aa:00:00:00:00:09\n,New,10.0.0.5\n" << 3 << 2;
    QTest::newRow("unknown SOS user") << ",Box,10.0.0.1,,Streaming Audio Box,Hall,guard,Cam 1\n" << 6 << 2;
}

// Refused in the first pass, or at the first row: the file holds exactly what it held before.
void TestDevicesImportFaults::refusedImportsLeaveTheFileUntouched()
{
    QFETCH(QString, rows);
    QFETCH(int, column);
    QFETCH(int, row);

    seedDevice("Panel", "aa:00:00:00:00:01", "10.0.0.1", "Control Box", {"Floor"});
    VelkIFPDevice other = seedDevice("Other", "aa:00:00:00:00:02", "10.0.0.2");
    other.fwVersion = QStringLiteral("1.1.1030.30");
    QCOMPARE(testDb()->updateIFPDeviceById(other), DB_OK);
    const QByteArray before = databaseBytes();

    const DeviceCsvError error = m_importer->importRows(csvRows(Header + rows));
    QCOMPARE(error.column, column);
    QCOMPARE(error.row, row);
    QCOMPARE(databaseBytes(), before);
}

// An import killed at any moment leaves every one of its rows or none of them, and a file that
// SQLite finds sound.
void TestDevicesImportFaults::killedImportLeavesAllOrNothing()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const int rows = 3000;
    for (int delay : {0, 10, 20, 30, 45, 60, 80, 300}) {
        const QString prefix = QStringLiteral("K%1-").arg(delay);
        QString text = Header;
        for (int i = 0; i < rows; ++i)
            text += QStringLiteral("\"G%1\",%2%3,10.%4.%5.%6\n")
                        .arg(i % 7)
                        .arg(prefix)
                        .arg(i)
                        .arg(delay % 250)
                        .arg(i / 250)
                        .arg(i % 250);
        const QString csv = folder.path() + QStringLiteral("/kill.csv");
        {
            QFile file(csv);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text.toUtf8());
        }
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(QStringLiteral(QV_IMPORT_HELPER), {folder.path(), csv});
        QVERIFY(helper.waitForStarted());
        QVERIFY(helper.waitForReadyRead(QuorvinTryCeilingMs));
        QCOMPARE(helper.readLine().trimmed(), QByteArray("importing"));
        if (delay > 0)
            QTest::qSleep(delay);
        helper.kill();
        QVERIFY(helper.waitForFinished(QuorvinTryCeilingMs));

        DbProbe probe(folder.path() + QStringLiteral("/dbManagement/QuorvinDatabase.db"), QStringLiteral("killed"));
        QVERIFY(probe.db().isOpen());
        const QVariant check = probe.value(QStringLiteral("PRAGMA quick_check"));
        QVERIFY(check.isValid());
        QCOMPARE(check.toString(), QStringLiteral("ok"));
        const QVariant count =
            probe.value(QStringLiteral("SELECT count(*) FROM Device WHERE deviceName LIKE '%1%'").arg(prefix));
        QVERIFY(count.isValid());
        const int devices = count.toInt();
        QVERIFY2(devices == 0 || devices == rows,
                 qPrintable(QStringLiteral("%1 devices after a kill at %2 ms").arg(devices).arg(delay)));
        const QVariant members =
            probe.value(QStringLiteral("SELECT count(*) FROM DeviceGroups WHERE did IN (SELECT did "
                                       "FROM Device WHERE deviceName LIKE '%1%')")
                            .arg(prefix));
        QVERIFY(members.isValid());
        QCOMPARE(members.toInt(), devices);
    }
}

QTEST_GUILESS_MAIN(TestDevicesImportFaults)
#include "tst_devices_import_faults.moc"
