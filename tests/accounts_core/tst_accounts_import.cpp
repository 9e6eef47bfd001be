// The user CSV import against the real data store: the template, what an accepted file writes,
// every refusal at its column and row with the database left exactly as it was, the limit of
// users per device, a write that fails half-way, and an outside corpus of CSV edge cases.

#include "ImportTestSupport.h"

#include "accounts/core/UserCsvImporter.h"
#include "shell/base/CsvReader.h"
#include "support/DatabaseFault.h"
#include "support/PanelUsers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtEndian>
#include <memory>

class TestAccountsImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void templateIsOurOwnFile();
    void templateImportsTwice();
    void refused_data();
    void refused();
    void passwordCharacters_data();
    void passwordCharacters();
    void fileBytes_data();
    void fileBytes();
    void rowReplacesDevicesAndApps();
    void headerOnlyAndTrailingBlankLines();
    void deviceLimit();
    void failedWriteLeavesDatabaseAsItWas_data();
    void failedWriteLeavesDatabaseAsItWas();
    void refusingDatabaseStopsTheImport_data();
    void refusingDatabaseStopsTheImport();
    void corpus_data();
    void corpus();
    void nothingOfTheFileReachesTheLog();

private:
    // Writes the text as a UTF-8 file and imports it the way the import window does.
    UserCsvError importText(const QString &text);
    UserCsvError importFile(const QString &path);

    std::unique_ptr<TestEnv> m_env;
    QTemporaryDir m_files;
    QString m_header;
};

UserCsvError TestAccountsImport::importFile(const QString &path)
{
    UserCsvImporter importer(testDb());
    return importer.importFile(path);
}

UserCsvError TestAccountsImport::importText(const QString &text)
{
    const QString path = m_files.filePath(QStringLiteral("users.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
    file.close();
    return importFile(path);
}

void TestAccountsImport::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid() && m_files.isValid());
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
    m_header = headerLine() + '\n';
}

void TestAccountsImport::init()
{
    wipeAccounts();
}

void TestAccountsImport::templateIsOurOwnFile()
{
    QFile file(UserCsv::templatePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Plain ASCII, one LF per line, the last line included, no byte-order mark.
    for (const char c : bytes)
        QVERIFY2(uchar(c) < 0x80 && c != '\r', "the template holds a byte that is not ASCII, or a CR");
    QVERIFY(bytes.endsWith('\n') && !bytes.endsWith("\n\n"));
    const QList<QByteArray> lines = bytes.left(bytes.size() - 1).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QByteArray("Name,Password(At least 4 characters),RFID ID,Permissions of install apps ,"
                                     "\"IFP access (Use \"\",\"\" between names) \",Chromium,Inkora,Screen Share,"
                                     "Oculo2,ES File Explorer,OfficeSuite,Grouping & Draw,Calculator,Calendar,"
                                     "Music,Video,Settings"));

    // The two examples as described: a four-digit and a four-letter password, eight-digit cards,
    // one device and every app off, three devices and every app on.
    const QList<QStringList> rows = readCsvBytes(bytes, QString());
    QCOMPARE(UserCsv::checkHeader(rows.at(0)).isError(), false);
    QVERIFY(QRegularExpression("^EX:\\w+,\\d{4},\\d{8},Disable,A103(,Disable){12}$")
                .match(QString::fromLatin1(lines.at(1)))
                .hasMatch());
    QVERIFY(QRegularExpression("^EX:\\w+,[a-z]{4},\\d{8},Enable,\"A103,B119,B118\"(,Enable){12}$")
                .match(QString::fromLatin1(lines.at(2)))
                .hasMatch());
    QVERIFY(rows.at(1).at(2) != rows.at(2).at(2));
}

void TestAccountsImport::templateImportsTwice()
{
    addDevice("A103");
    addDevice("B119", "Velk TM7-B", "1.1.1017.18");
    addDevice("B118", "Velk ZN-640", "1.1.1020.21");
    addDevice("C200");

    QCOMPARE(importFile(UserCsv::templatePath()).isError(), false);
    const VelkMultiUser first = userNamed("EX:Nadia");
    const VelkMultiUser second = userNamed("EX:Oskar");
    QVERIFY(first.muid && second.muid);
    QCOMPARE(first.password, QStringLiteral("2468"));
    QCOMPARE(first.rfidId, QStringLiteral("10293847"));
    QCOMPARE(first.hasPermission, false);
    QCOMPARE(second.hasPermission, true);
    QVERIFY(!first.uniqueId.isEmpty() && first.uniqueId != second.uniqueId);
    QCOMPARE(devicesOf(first.muid), QStringList{"A103"});
    QCOMPARE(devicesOf(second.muid), (QStringList{"A103", "B118", "B119"}));
    QCOMPARE(appsOf(first.muid), QStringList());
    QCOMPARE(appsOf(second.muid), allAppNames());

    // Again, unchanged: the cards belong to users of the same names, so the file passes, and a
    // synchronised assignment keeps its status.
    VelkUserDevice synced;
    synced.syncStatus = 1;
    synced.lastSyncTime = QStringLiteral("2024-05-06 07:08");
    QCOMPARE(testDb()->updateUserDevice(synced, "B118", second.muid), DB_OK);
    const QString before = databaseDump();
    QCOMPARE(importFile(UserCsv::templatePath()).isError(), false);
    QCOMPARE(databaseDump(), before);
}

void TestAccountsImport::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column"); // as the error window shows it, from 1
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("message");

    const QString h = headerLine() + '\n';
    const QString title = "Content of title column is wrong.";
    const QString value = "Value should be \"Enable\" or \"Disable\".";
    const QString missing = "This column is missing from the row.";
    const QString sameCard = "There have same RFID ID in different account.";
    const QString ok = userLine("Ann", "abcd", "");
    QStringList lowerApps = appValues("Enable");
    lowerApps[3] = " Enable";

    QTest::newRow("empty file") << "" << 1 << 1 << title;
    // A quote no quote closes swallowed the rest of the file into one cell, and the refusal named another column:
    // the cell where it opened is named, and why.
    const QString unclosed = "A quote (\") opened in this cell is never closed. Close or remove it and import the "
                             "file again.";
    QTest::newRow("quote never closed") << h + ok + "Bob,\"abcd,,Enable\n" + userLine("Cyd", "abcd", "") << 2 << 3
                                        << unclosed;
    QTest::newRow("quote never closed after a closed one")
        << h + "\"Ann\",abcd,,Enable,,\"Enable\n" + ok << 6 << 2 << unclosed;
    QTest::newRow("title in other case") << h.toLower() << 1 << 1 << title;
    QTest::newRow("install title without its blank")
        << QString(h).replace("install apps ,", "install apps,") + ok << 4 << 1 << title;
    QTest::newRow("header of five columns")
        << "Name,Password,RFID ID,Permissions of install apps ,IFP access\n" + ok << 6 << 1 << title;
    QTest::newRow("empty name") << h + ok + userLine("", "abcd", "") << 1 << 3 << "Name can not be emtpy.";
    QTest::newRow("name of quotes only") << h + userLine("\"\"\"\"", "abcd", "") << 1 << 2 << "Name can not be emtpy.";
    QTest::newRow("three-character password")
        << h + userLine("Ann", "abc", "") << 2 << 2 << "Password must contain at least 4 characters.";
    QTest::newRow("Chinese password") << h + userLine("Ann", QString::fromUtf8("ab\u4e2dcd"), "") << 2 << 2
                                      << "Password cannot contain Chinese characters.";
    QTest::newRow("card of another stored user") << h + userLine("Ann", "abcd", "11112222") << 3 << 2
                                                 << "This RFID ID has been used by another account in server.";
    QTest::newRow("the panels' administrator card") << h + userLine("Ann", "abcd", "ADMIN123") << 3 << 2
                                                    << "This RFID ID has been used by another account in server.";
    // Characters, not UTF-16 units: two emoji are two characters, as in the password editors.
    QTest::newRow("two emoji as a password") << h + userLine("Ann", QString::fromUtf8("\U0001F600\U0001F600"), "") << 2
                                             << 2 << "Password must contain at least 4 characters.";
    QTest::newRow("install value in lower case") << h + userLine("Ann", "abcd", "", "enable") << 4 << 2 << value;
    QTest::newRow("app value with a blank")
        << h + userLine("Ann", "abcd", "", "Enable", "", lowerApps) << 9 << 2 << value;
    QTest::newRow("row of three cells") << h + "Ann,abcd,12345678\n" << 4 << 2 << missing;
    QTest::newRow("row ending before the access cell") << h + "Ann,abcd,,Enable\n" << 5 << 2 << missing;
    QTest::newRow("row ending after Chromium") << h + "Ann,abcd,,Enable,,Enable\n" << 7 << 2 << missing;
    QTest::newRow("blank line between rows") << h + ok + '\n' + userLine("Bob", "", "") << 1 << 3
                                             << "This row is empty. Remove it and import the file again.";
    QTest::newRow("one card in two rows")
        << h + userLine("Ann", "abcd", "55556666") + userLine("Bob", "abcd", "55556666") << 3 << 3 << sameCard;
    QTest::newRow("one card twice under one name")
        << h + userLine("Ann", "abcd", "55556666") + userLine("Ann", "efgh", "55556666") << 3 << 3 << sameCard;
    QTest::newRow("a value error in a later row comes first")
        << h + userLine("Ann", "abcd", "55556666") + userLine("Bob", "abcd", "55556666") +
               userLine("Cyd", "abcd", "", "On")
        << 4 << 4 << value;
    QTest::newRow("a shared card comes before the device limit")
        << h + userLine("New", "abcd", "", "Enable", "Full") + userLine("Ann", "abcd", "1") + userLine("Bob", "", "1")
        << 3 << 4 << sameCard;
    QTest::newRow("a full device") << h + ok + userLine("New", "abcd", "", "Enable", "Spare,Full") << 5 << 3
                                   << "At least one device cannot be set due to exceed the limit.";
    // A quoted cell with a line break is one row: the empty name is in the file's third row.
    QTest::newRow("rows count records, not lines")
        << h + userLine("\"Ann\nLee\"", "abcd", "") + userLine("", "abcd", "") << 1 << 3 << "Name can not be emtpy.";
}

void TestAccountsImport::refused()
{
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, message);

    // One transaction for the set-up: a disk sync per user would take most of the test's time.
    DbTransaction setup = testDb()->transaction("refused");
    seedUser("Keeper", "pass", "11112222");
    storeSettings(false, false, QString(), QString(), "ADMIN123");
    const VelkIFPDevice full = addDevice("Full");
    addDevice("Spare");
    for (int i = 0; i < UserCsvImporter::UsersPerDevice; ++i)
        assign(seedUser(QStringLiteral("Holder %1").arg(i)).muid, full.did);
    QVERIFY(setup.commit());

    const QString before = databaseDump();
    const UserCsvError error = importText(text);
    QCOMPARE(error.message, message);
    QCOMPARE(error.column + 1, column);
    QCOMPARE(error.row, row);
    QCOMPARE(databaseDump(), before);
}

void TestAccountsImport::passwordCharacters_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");

    // A regular-expression range written for another syntax refuses ordinary passwords; the
    // rule is the code points U+4E00 to U+9FA5 and nothing else.
    QTest::newRow("letters and digits") << "abcd1234" << true;
    QTest::newRow("punctuation and blank") << "P@ss w0rd!" << true;
    QTest::newRow("control characters") << QString::fromUtf8("ab\x01\x7f") << true;
    QTest::newRow("just below U+4E00") << QString::fromUtf8("ab\u4dffcd") << true;
    QTest::newRow("just above U+9FA5") << QString::fromUtf8("ab\u9fa6cd") << true;
    QTest::newRow("outside the basic plane") << QString::fromUtf8("ab\U00020000cd") << true;
    QTest::newRow("Hangul") << QString::fromUtf8("\uD55C\uAD6D\uC5B4\uC790") << true;
    QTest::newRow("U+4E00") << QString::fromUtf8("ab\u4e00cd") << false;
    QTest::newRow("U+9FA5") << QString::fromUtf8("ab\u9fa5cd") << false;
    QTest::newRow("all Chinese") << QString::fromUtf8("\u5bc6\u78bc\u5bc6\u78bc") << false;
}

void TestAccountsImport::passwordCharacters()
{
    QFETCH(QString, password);
    QFETCH(bool, accepted);

    const UserCsvError error = importText(m_header + userLine("Ann", password, ""));
    QCOMPARE(!error.isError(), accepted);
    if (accepted)
        QCOMPARE(userNamed("Ann").password, password);
    else
        QCOMPARE(userNamed("Ann").muid, 0u);
}

void TestAccountsImport::fileBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("codecInUse");
    QTest::addColumn<QStringList>("names"); // the users written, in file order
    QTest::addColumn<QString>("refusal");   // column,row as the error window shows them, and the message

    const QByteArray h = headerLine().toUtf8();
    const auto line = [](const QString &name, const QString &password = QStringLiteral("abcd"),
                         const QString &install = QStringLiteral("Enable")) {
        return userLine(name, password, QString(), install).toUtf8().chopped(1);
    };
    const auto latin = [&line](const char *name) { return QByteArray(name) + line(QString()); };
    const QByteArray ann = line("Ann");
    const QByteArray bob = line("Bob");
    const QByteArray utf8 = "UTF-8";
    const QString jose = QString::fromUtf8("Jos\u00e9");
    const QString unreadable =
        "This cell holds characters that cannot be read. Save the file as CSV UTF-8 and import it again.";

    // Old Mac files end their lines with CR alone.
    QTest::newRow("CR line ends") << h + '\r' + ann + '\r' + bob + '\r' << utf8 << QStringList{"Ann", "Bob"}
                                  << QString();
    QTest::newRow("CR line ends, the last one missing")
        << h + '\r' + ann + '\r' + bob << utf8 << QStringList{"Ann", "Bob"} << QString();
    QTest::newRow("mixed line ends") << h + "\r\n" + ann + '\r' + bob + '\n'
                                     << utf8 << QStringList{"Ann", "Bob"} << QString();
    QTest::newRow("CR inside quotes belongs to the name")
        << h + '\r' + line("\"Ann\rLee\"") + '\r' << utf8 << QStringList{"Ann\rLee"} << QString();
    QTest::newRow("CR lines are rows") << h + '\r' + ann + '\r' + line("Bob", "abcd", "On") + '\r' << utf8
                                       << QStringList() << "4,3 Value should be \"Enable\" or \"Disable\".";
    // Saved with another separator, the header is one cell: "Content of title column is wrong." sent the operator
    // looking for a typing error in the titles.
    const QString notCommas =
        "1,1 The cells of this file are not separated by commas. Save it as CSV UTF-8 and import it again.";
    const QString semicolons = "1,1 The cells of this file are separated by semicolons. Save it with commas between "
                               "the cells and import it again.";
    QTest::newRow("semicolons") << QByteArray(h + '\n' + ann + '\n').replace(',', ';') << utf8 << QStringList()
                                << semicolons;
    QTest::newRow("tabs") << QByteArray(h + '\n' + ann + '\n').replace(',', '\t') << utf8 << QStringList() << notCommas;

    // Bytes that are no text in the codec in use are refused where they stand.
    QTest::newRow("Latin-1 name under UTF-8") << h + '\n' + ann + '\n' + latin("Jos\xe9") + '\n'
                                              << utf8 << QStringList() << "1,3 " + unreadable;
    QTest::newRow("bad byte in a password") << h + '\n' + line("Ann", "abXcd").replace('X', '\xff') + '\n'
                                            << utf8 << QStringList() << "2,2 " + unreadable;
    QTest::newRow("bad byte after a quoted line break")
        << h + '\n' + line("\"Ann\nLee\"") + '\n' + line("Bob", "abX(d").replace('X', '\xc3') + '\n'
        << utf8 << QStringList() << "2,3 " + unreadable;
    QTest::newRow("bad byte in a CR-only file")
        << h + '\r' + ann + '\r' + line("Bob", "abcd", "EnX").replace('X', '\x80') + '\r' << utf8 << QStringList()
        << "4,3 " + unreadable;
    // A NUL cannot travel to the panels in the account file.
    QTest::newRow("NUL in a name") << h + '\n' + ann + '\n' + line("BoX").replace('X', '\0') + '\n'
                                   << utf8 << QStringList() << "1,3 " + unreadable;
    QTest::newRow("NUL in a quoted cell of a UTF-16 file")
        << QTextCodec::codecForName("UTF-16LE")
               ->fromUnicode(QChar(0xfeff) + headerLine() + '\n' +
                             userLine("Ann", "ab" + QString(QChar(0)) + "cd", QString()))
        << utf8 << QStringList() << "2,2 " + unreadable;
    // Half a surrogate pair passes a UTF-16 decoder unchanged, and storing it as UTF-8 joined it with the next
    // character: "A", U+D800, "B" came back as "A" and U+10042.
    const auto utf16 = [](const char *codec, const QString &text) {
        return QTextCodec::codecForName(codec)->fromUnicode(QChar(0xfeff) + headerLine() + '\n' + text);
    };
    QTest::newRow("unpaired surrogate in a UTF-16LE name")
        << utf16("UTF-16LE", userLine("A" + QString(QChar(0xd800)) + "B", "abcd", QString())) << utf8 << QStringList()
        << "1,2 " + unreadable;
    QTest::newRow("unpaired surrogate in a UTF-16BE password")
        << utf16("UTF-16BE", userLine("Ann", "ab" + QString(QChar(0xdc00)) + "cd", QString())) << utf8 << QStringList()
        << "2,2 " + unreadable;
    // A character cut off at the end was held back by the codec and dropped.
    QTest::newRow("UTF-8 character cut at the end of the file")
        << h + '\n' + ann + '\n' + bob + "\xe4\xb8" << utf8 << QStringList() << "17,3 " + unreadable;
    QTest::newRow("odd last byte of a UTF-16 file")
        << utf16("UTF-16LE", userLine("Ann", "abcd", QString())) + 'x' << utf8 << QStringList() << "1,3 " + unreadable;
    // Bytes a code page does not define came in as U+F8F8 (Big5's 0xFF) or U+FFFD.
    QTest::newRow("unmappable byte under Big5") << h + '\n' + ann + '\n' + latin("Bo\xff") + '\n'
                                                << QByteArray("Big5") << QStringList() << "1,3 " + unreadable;
    QTest::newRow("unmappable byte under Shift_JIS") << h + '\n' + line("Ann", "abXcd").replace('X', '\x80') + '\n'
                                                     << QByteArray("Shift_JIS") << QStringList() << "2,2 " + unreadable;
    // GB18030 spells the private-use planes 15 and 16 in four bytes; they came in as a surrogate pair, which passed
    // while a private-use character of plane 0 was refused. Other characters outside plane 0 are read.
    const QByteArray gb18030 = "GB18030";
    QTest::newRow("plane-15 private use under GB18030") << h + '\n' + ann + '\n' + latin("Bo\xd8\x38\x97\x34") + '\n'
                                                        << gb18030 << QStringList() << "1,3 " + unreadable;
    QTest::newRow("plane-16 private use under GB18030")
        << h + '\n' + line("Ann", "abXcd").replace("X", "\xe3\x32\x9a\x33") + '\n'
        << gb18030 << QStringList() << "2,2 " + unreadable;
    QTest::newRow("plane-0 private use under GB18030") << h + '\n' + latin("Bo\xaa\xa1") + '\n'
                                                       << gb18030 << QStringList() << "1,2 " + unreadable;
    QTest::newRow("plane-2 ideograph under GB18030")
        << h + '\n' + latin("Bo\x95\x32\x82\x36") + '\n'
        << gb18030 << QStringList{QString::fromUtf8("Bo\U00020000")} << QString();
    QTest::newRow("UTF-8 with a byte order mark") << "\xef\xbb\xbf" + h + '\n' + line(jose) + '\n'
                                                  << utf8 << QStringList{jose} << QString();
    QTest::newRow("UTF-16 with a byte order mark")
        << QTextCodec::codecForName("UTF-16LE")
               ->fromUnicode(QChar(0xfeff) + headerLine() + '\n' + userLine(jose, "abcd", QString()))
        << utf8 << QStringList{jose} << QString();
    QTest::newRow("Latin-1 name where that is the codec in use")
        << h + '\n' + latin("Jos\xe9") + '\n'
        << QByteArray("Windows-1252") << QStringList{jose} << QString();
    // Qt's own UTF-32 encoder leaves four bytes of garbage behind a character outside the BMP; such a name is read.
    QByteArray utf32 = QByteArray("\xff\xfe\0\0", 4);
    for (const uint codePoint : (headerLine() + '\n' + userLine("Ann \U0001F600", "abcd", QString())).toUcs4()) {
        const quint32 little = qToLittleEndian(quint32(codePoint));
        utf32 += QByteArray(reinterpret_cast<const char *>(&little), 4);
    }
    QTest::newRow("UTF-32 with a character outside the BMP")
        << utf32 << utf8 << QStringList{QString::fromUtf8("Ann \U0001F600")} << QString();
    // Shift_JIS spells some kanji two ways (NEC and IBM codes); either is the same character.
    QTest::newRow("kanji in its other Shift_JIS spelling")
        << h + '\n' + latin("\xed\x40") + '\n'
        << QByteArray("Shift_JIS") << QStringList{QString(QChar(0x7e8a))} << QString();
}

void TestAccountsImport::fileBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, codecInUse);
    QFETCH(QStringList, names);
    QFETCH(QString, refusal);

    QTextCodec *const previous = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(codecInUse));
    const QString path = m_files.filePath(QStringLiteral("bytes.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    const QString before = databaseDump();
    const UserCsvError error = importFile(path);
    QTextCodec::setCodecForLocale(previous);

    if (refusal.isEmpty()) {
        QVERIFY2(!error.isError(), qPrintable(error.message));
        QList<VelkMultiUser> users;
        testDb()->queryAllMultiUser(users);
        QStringList stored;
        for (const VelkMultiUser &user : qAsConst(users))
            stored << user.userName;
        QCOMPARE(stored, names);
        return;
    }
    QCOMPARE(QStringLiteral("%1,%2 %3").arg(error.column + 1).arg(error.row).arg(error.message), refusal);
    QCOMPARE(databaseDump(), before);
}

void TestAccountsImport::rowReplacesDevicesAndApps()
{
    const VelkIFPDevice a = addDevice("A103");
    const VelkIFPDevice b = addDevice("B119");
    addDevice("B118");
    const VelkIFPDevice old = addDevice("Old", "Velk TM7-B", "1.1.1016.40");
    const quint32 kim = seedUser("Kim", "first", "11110000").muid;
    const QString uniqueId = userNamed("Kim").uniqueId;
    assign(kim, a.did, 1, "2024-01-02 03:04");
    assign(kim, b.did);

    QStringList apps = appValues("Enable");
    apps[0] = "Disable";  // Chromium
    apps[11] = "Disable"; // Settings
    // " B118" keeps its blank and names no device; "Old" fails the multi-user gate.
    const UserCsvError error =
        importText(m_header + userLine("Kim", "second", "22220000", "Disable", "A103,Nope, B118,,Old", apps) +
                   userLine("\"Jo\"\"e\"", "", "", "Enable", "Old"));
    QVERIFY2(!error.isError(), qPrintable(error.message));

    const VelkMultiUser stored = userNamed("Kim");
    QCOMPARE(stored.muid, kim);
    QCOMPARE(stored.uniqueId, uniqueId);
    QCOMPARE(stored.password, QStringLiteral("second"));
    QCOMPARE(stored.rfidId, QStringLiteral("22220000"));
    QCOMPARE(stored.hasPermission, false);
    QCOMPARE(devicesOf(kim), QStringList{"A103"});
    QList<VelkUserDevice> kept;
    testDb()->queryUserDeviceByIds(kept, kim, a.did);
    QCOMPARE(kept.value(0).syncStatus, 1);
    QCOMPARE(kept.value(0).lastSyncTime, QStringLiteral("2024-01-02 03:04"));
    QStringList expectedApps = allAppNames();
    expectedApps.removeAll("Chromium");
    expectedApps.removeAll("Settings");
    QCOMPARE(appsOf(kim), expectedApps);

    // Quotes are dropped from every cell, the name included; an empty password stays empty.
    const VelkMultiUser joe = userNamed("Joe");
    QVERIFY(joe.muid != 0);
    QCOMPARE(joe.password, QString());
    QCOMPARE(devicesOf(joe.muid), QStringList());
    Q_UNUSED(old);
}

void TestAccountsImport::headerOnlyAndTrailingBlankLines()
{
    // A header alone closed the window as a success that imported nothing.
    const QString before = databaseDump();
    for (const QString &text : {m_header, m_header + "\n\r\n", QString(m_header).replace('\n', '\r')}) {
        const UserCsvError error = importText(text);
        QVERIFY(error.stopped);
        QCOMPARE(error.message, QStringLiteral("No user was imported: the file has no row after its header line."));
    }
    QCOMPARE(databaseDump(), before);

    // Editors leave empty lines at the end; they are no users.
    QCOMPARE(importText(m_header + userLine("Ann", "abcd", "") + "\n\r\n\n").isError(), false);
    QVERIFY(userNamed("Ann").muid != 0);
    // Spreadsheets end a file with rows of empty cells where rows once were: the file was refused whole.
    const UserCsvError spreadsheet =
        importText(m_header + userLine("Bob", "abcd", "") + ",,,,,,,,,,,,,,,,\n, ,,,,,,,,,,,,,,,\n");
    QVERIFY2(!spreadsheet.isError(), qPrintable(spreadsheet.message));
    QVERIFY(userNamed("Bob").muid != 0);
}

void TestAccountsImport::deviceLimit()
{
    const int limit = UserCsvImporter::UsersPerDevice;
    const VelkIFPDevice full = addDevice("Full");
    const VelkIFPDevice almost = addDevice("Almost");
    const VelkIFPDevice old = addDevice("Old", "Velk TM7-B", "1.1.1016.40");
    QList<quint32> holders;
    DbTransaction setup = testDb()->transaction("deviceLimit");
    for (int i = 0; i < limit; ++i) {
        holders << seedUser(QStringLiteral("H%1").arg(i)).muid;
        assign(holders.last(), full.did);
        assign(holders.last(), old.did);
        if (i < limit - 1)
            assign(holders.last(), almost.did);
    }
    QVERIFY(setup.commit());
    const QString fullCopy = "At least one device cannot be set due to exceed the limit.";

    // One free place on Almost: a new user named in two rows takes two places.
    UserCsvError error = importText(m_header + userLine("New", "", "", "Enable", "Almost") +
                                    userLine("New", "abcd", "", "Enable", "Almost"));
    QCOMPARE(error.message, fullCopy);
    QCOMPARE(error.row, 3);

    // A device that fails the multi-user gate still counts.
    error = importText(m_header + userLine("New", "", "", "Enable", "Old"));
    QCOMPARE(error.message, fullCopy);

    // Users already on the device keep their place.
    error = importText(m_header + userLine("H0", "", "", "Enable", "Full,Old"));
    QVERIFY2(!error.isError(), qPrintable(error.message));

    // A row that takes a user off the device frees a place for a later row.
    error =
        importText(m_header + userLine("H5", "", "", "Enable", "Almost") + userLine("New", "", "", "Enable", "Full"));
    QVERIFY2(!error.isError(), qPrintable(error.message));
    QVERIFY(!devicesOf(holders.at(5)).contains("Full"));
    QVERIFY(devicesOf(userNamed("New").muid).contains("Full"));
    QCOMPARE(userDeviceLinks(testDb(), full.did).size(), limit);
}

void TestAccountsImport::failedWriteLeavesDatabaseAsItWas_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<int>("column");

    QTest::newRow("user update") << "BEFORE UPDATE ON MultiUser WHEN NEW.userName = 'Second'" << 1;
    QTest::newRow("device assignment") << "BEFORE INSERT ON UserDevice WHEN NEW.multiUserId = (SELECT muid FROM "
                                          "MultiUser WHERE userName = 'Second')"
                                       << 5;
    QTest::newRow("app taken away") << "BEFORE DELETE ON AppPermission WHEN OLD.multiUserId = (SELECT muid FROM "
                                       "MultiUser WHERE userName = 'Second')"
                                    << 7;
}

// The database refuses a write in the second row: the first row, written before, is taken back
// too, and the failure is reported at the row and column of the refused write.
void TestAccountsImport::failedWriteLeavesDatabaseAsItWas()
{
    QFETCH(QString, trigger);
    QFETCH(int, column);

    addDevice("A103");
    seedUser("Second", "abcd");
    QStringList apps = appValues("Enable");
    apps[1] = "Disable"; // Inkora
    const QString text = m_header + userLine("First", "abcd", "", "Enable", "A103") +
                         userLine("Second", "efgh", "", "Enable", "A103", apps) + userLine("Third", "", "");

    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.exec("CREATE TEMP TRIGGER refuse " + trigger + " BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    const QString before = databaseDump();
    const UserCsvError error = importText(text);
    QVERIFY(query.exec("DROP TRIGGER refuse"));

    QCOMPARE(error.message, QStringLiteral("This row could not be saved. Nothing was imported."));
    QCOMPARE(error.column + 1, column);
    QCOMPARE(error.row, 3);
    QCOMPARE(databaseDump(), before);
}

void TestAccountsImport::refusingDatabaseStopsTheImport_data()
{
    DatabaseFault::addImportStoppedRows();
}

// The database file refuses the writing (no fault of any row): the notice says that the import stopped, that nothing
// was kept and why, instead of blaming the row it was at, and nothing was kept.
void TestAccountsImport::refusingDatabaseStopsTheImport()
{
    QFETCH(int, fault);
    QFETCH(QString, message);

    seedUser("Stored", "abcd");
    QString text = m_header;
    for (int i = 0; i < 400; ++i)
        text += userLine(QStringLiteral("User %1").arg(i), "abcd", QString());
    const QString before = databaseDump();
    UserCsvError error;
    {
        DatabaseFault refusing{DatabaseFault::Kind(fault)};
        QVERIFY(refusing.isActive());
        error = importText(text);
    }
    QCOMPARE(error.message, message);
    QVERIFY(error.isError());
    QCOMPARE(error.column, -1);
    QCOMPARE(databaseDump(), before);
}

// ---- An outside corpus (the npm package csv-spectrum) of CSV edge cases ----

void TestAccountsImport::corpus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("rows");          // rows as the shared reader gives them
    QTest::addColumn<QString>("asIs");      // the file as it is: column,row of the refusal
    QTest::addColumn<QString>("withTitle"); // its data rows under the user header

    // Every file is refused at its header. Under the user header, the corpus's data rows are
    // refused at the first short or bad cell; none is written.
    QTest::newRow("comma_in_quotes") << "comma_in_quotes" << 2 << "1,1"
                                     << "2,2";
    QTest::newRow("empty") << "empty" << 3 << "1,1"
                           << "4,2";
    QTest::newRow("empty_crlf") << "empty_crlf" << 3 << "1,1"
                                << "4,2";
    QTest::newRow("escaped_quotes") << "escaped_quotes" << 3 << "1,1"
                                    << "3,2";
    QTest::newRow("json") << "json" << 2 << "1,1"
                          << "3,2";
    QTest::newRow("location_coordinates") << "location_coordinates" << 2 << "1,1"
                                          << "4,2";
    QTest::newRow("newlines") << "newlines" << 4 << "1,1"
                              << "2,2";
    QTest::newRow("newlines_crlf") << "newlines_crlf" << 4 << "1,1"
                                   << "2,2";
    QTest::newRow("quotes_and_newlines") << "quotes_and_newlines" << 3 << "1,1"
                                         << "3,2";
    QTest::newRow("simple") << "simple" << 2 << "1,1"
                            << "2,2";
    QTest::newRow("simple_crlf") << "simple_crlf" << 2 << "1,1"
                                 << "2,2";
    QTest::newRow("utf8") << "utf8" << 3 << "1,1"
                          << "2,2";
}

void TestAccountsImport::corpus()
{
    QFETCH(QString, name);
    QFETCH(int, rows);
    QFETCH(QString, asIs);
    QFETCH(QString, withTitle);

    const QString path = QStringLiteral(ACCOUNTS_CORPUS_DIR "/%1.csv").arg(name);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    QCOMPARE(UserCsv::withoutTrailingBlankLines(readCsvFile(path, QString())).size(), rows);

    const QString before = databaseDump();
    UserCsvError error = importFile(path);
    QCOMPARE(QStringLiteral("%1,%2").arg(error.column + 1).arg(error.row), asIs);

    // The corpus's rows after its own header, under the user header instead.
    const int firstLineEnd = bytes.indexOf('\n');
    error = importText(m_header + QString::fromUtf8(bytes.mid(firstLineEnd + 1)));
    QCOMPARE(QStringLiteral("%1,%2").arg(error.column + 1).arg(error.row), withTitle);
    QCOMPARE(databaseDump(), before);
}

void TestAccountsImport::nothingOfTheFileReachesTheLog()
{
    LogCapture log;
    const QStringList secrets = {"Pw-Sesame", "99887766", "Name-Secret", "Pw-Refused", "55443322"};
    QCOMPARE(importText(m_header + userLine("Name-Secret", "Pw-Sesame", "99887766")).isError(), false);
    QCOMPARE(importText(m_header + userLine("Other", "Pw-Refused", "55443322", "enable")).isError(), true);
    {
        RefusedDelete refused("AppPermission");
        QCOMPARE(importText(m_header + userLine("Name-Secret", "Pw-Sesame", "99887766", "Enable", "", {"Disable"}))
                     .isError(),
                 true);
    }
    QVERIFY(log.contains("UserCsvImporter::importRows"));
    QCOMPARE(linesHolding(log, secrets), QStringList());
}

QTEST_MAIN(TestAccountsImport)
#include "tst_accounts_import.moc"
