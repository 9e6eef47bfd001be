// The import error notice, the IP information dialog and the import dialog's file flow.

#include "DevicesTestSupport.h"

#include "devices/ImportDialog.h"
#include "devices/ImportErrorDialog.h"
#include "devices/ManagementShowIPInfo.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/DatabaseFault.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTextCodec>
#include <QTextDocument>
#include <memory>

namespace {

// Answers the file dialogs in place of the operator.
class ScriptedChooser : public FileChooser
{
public:
    QString saveName;
    QString openName;
    int saveCalls = 0;
    int openCalls = 0;
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++saveCalls;
        return saveName;
    }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++openCalls;
        return openName;
    }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QByteArray Header = "Group,Device Name,Ip Address,Mac Address,Device Type,Location,User,Camera\n";

} // namespace

class TestDevicesDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void errorNoticeText();
    void importRefusesBytesThatAreNoText_data();
    void importRefusesBytesThatAreNoText();
    void importStoppedByTheDatabaseSaysSo();
    void importReadsWhatSpreadsheetsSave_data();
    void importReadsWhatSpreadsheetsSave();
    void errorNoticeIsReused();
    void ipInfoShowsStoredValues();
    void exportThroughTheChooser();
    void importShowsFirstErrorAndReloadsWhatWasWritten();
    void dialogsScaleOnceAtConstruction();

private:
    std::unique_ptr<TestEnv> m_env;
    ScriptedChooser m_chooser;
};

void TestDevicesDialogs::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(testDb());
    FileChooser::setInstance(&m_chooser);
}

void TestDevicesDialogs::init()
{
    wipeDevices();
}

void TestDevicesDialogs::cleanupTestCase()
{
    FileChooser::setInstance(nullptr);
}

void TestDevicesDialogs::errorNoticeText()
{
    ImportErrorDialog notice;
    QCOMPARE(notice.windowTitle(), QStringLiteral("Quorvin"));
    QVERIFY(notice.isModal());
    notice.setErrorPosition(0, 2, QStringLiteral("x"));
    QCOMPARE(notice.labeError->text(),
             QStringLiteral("The 1st error on Column [<font color=\"#ffff00\">1</font>], Row [<font "
                            "color=\"#ffff00\">2</font>]<br><font color=\"#00ff00\">x</font>"));
    notice.setErrorPosition(4, 3, QString());
    QVERIFY(notice.labeError->text().contains(
        QStringLiteral("Column [<font color=\"#ffff00\">5</font>], Row [<font color=\"#ffff00\">3</font>]")));
    QVERIFY(notice.labeError->text().endsWith(QStringLiteral("<br><font color=\"#00ff00\"></font>")));
    QCOMPARE(notice.labeTitle->text(), QStringLiteral("The files at least contains one more error data:"));
}

void TestDevicesDialogs::errorNoticeIsReused()
{
    ImportErrorDialog notice;
    const QSize size = notice.size();
    notice.showAt(nullptr, 1, 2, QStringLiteral("first"));
    QVERIFY(QTest::qWaitForWindowExposed(&notice));
    notice.showAt(nullptr, 3, 4, QStringLiteral("second"));
    QVERIFY(notice.isVisible());
    QVERIFY(notice.labeError->text().contains(QStringLiteral("second")));
    QVERIFY(!notice.labeError->text().contains(QStringLiteral("first")));
    QCOMPARE(notice.size(), size); // scale 1.0: never resized
    QTest::mouseClick(notice.btnOk, Qt::LeftButton);
    QVERIFY(!notice.isVisible());
}

void TestDevicesDialogs::ipInfoShowsStoredValues()
{
    ManagementShowIPInfo info;
    QCOMPARE(info.lbIPAddressInput->text(), QStringLiteral("100.200.168.1"));
    QCOMPARE(info.lbIPAddress->toolTip(), QStringLiteral("IP Address:"));

    VelkIFPDevice first;
    first.ipAddress = QStringLiteral("10.0.0.5");
    first.subnetMask = QStringLiteral("255.255.0.0");
    first.gateway = QStringLiteral("10.0.0.1");
    info.setIPInfo(first);
    info.setIPInfo(VelkIFPDevice()); // a device that never reported its network
    QCOMPARE(info.lbIPAddressInput->text(), QString());
    QCOMPARE(info.lbSubnetMaskInput->text(), QString());
    QCOMPARE(info.lbGateWayInput->text(), QString());
    info.setIPInfo(first);
    QCOMPARE(info.lbSubnetMaskInput->text(), QStringLiteral("255.255.0.0"));

    QSignalSpy ok(&info, &ManagementShowIPInfo::clickShowIPInfoOK);
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QTest::mouseClick(info.btnSave, Qt::LeftButton);
    QCOMPARE(ok.count(), 1);
    QVERIFY(!info.isVisible());
}

void TestDevicesDialogs::exportThroughTheChooser()
{
    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"A"});
    ImportDialog dialog;

    // Cancelled: nothing written, nothing said.
    m_chooser.saveName.clear();
    QMetaObject::invokeMethod(dialog.labelDownloadSample, "clicked");
    QCOMPARE(m_chooser.saveCalls, 1);
    QVERIFY(!dialog.findChild<GeneralMsgDialog *>());

    m_chooser.saveName = m_env->home() + QStringLiteral("/out.csv");
    QMetaObject::invokeMethod(dialog.labelDownloadSample, "clicked");
    const QList<QStringList> rows = readCsvFile(m_chooser.saveName, QString());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1).at(1), QStringLiteral("Alpha"));

    // A file that cannot be written is reported, not only logged.
    m_chooser.saveName = m_env->home() + QStringLiteral("/missing/out.csv");
    QMetaObject::invokeMethod(dialog.labelDownloadSample, "clicked");
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    QVERIFY(message->isVisible());
    message->close();
}

void TestDevicesDialogs::importShowsFirstErrorAndReloadsWhatWasWritten()
{
    seedDevice("Speaker", "00:11:22:33:44:09", "10.0.0.9", "Audio Box");
    ImportDialog dialog;
    QSignalSpy updated(&dialog, &ImportDialog::updateDevice);
    QSignalSpy added(&dialog, &ImportDialog::addDeviceSuccess);

    // First-pass error: nothing written, the notice names column 5 and row 3, no reload.
    const QString path = m_env->home() + QStringLiteral("/in.csv");
    writeFile(path, Header + ",Fresh,10.0.0.5\n,Other,10.0.0.6,,Panel,,,\n");
    m_chooser.openName = path;
    dialog.show();
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.errorDialog()->isVisible());
    QVERIFY(dialog.errorDialog()->labeError->text().contains(
        QStringLiteral("Column [<font color=\"#ffff00\">5</font>], Row [<font color=\"#ffff00\">3</font>]")));
    QCOMPARE(updated.count(), 0);
    QCOMPARE(deviceCount(), 1);
    dialog.errorDialog()->close();

    // Second-pass error after a written row: the notice shows, and the lists still reload.
    writeFile(path, Header + ",Fresh,10.0.0.5\n,Speaker,10.0.0.1,00:11:22:33:44:09\n");
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    QVERIFY(dialog.errorDialog()->isVisible());
    QVERIFY(dialog.errorDialog()->labeError->text().contains(
        QStringLiteral("Cannot modify device type of existing device.")));
    QCOMPARE(updated.count(), 1);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<VelkIFPDevice>().deviceName, QStringLiteral("Fresh"));
    dialog.errorDialog()->close();

    // A group name the group dialog refuses: the notice shows the dialog's wording whole, its "<"
    // included, as text rather than as the start of a tag.
    writeFile(path, Header + "\"Bad|Grp\",Dev0,10.0.0.1,aa:bb:cc:00:01:00,IFP/Control Box,,,\n");
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    QVERIFY(dialog.errorDialog()->isVisible());
    QTextDocument shown;
    shown.setHtml(dialog.errorDialog()->labeError->text());
    QCOMPARE(shown.toPlainText(), QStringLiteral("The 1st error on Column [1], Row [2]\nUse at most 32 characters and "
                                                 "none of \\ / : * ? \" > < |."));
    QCOMPARE(updated.count(), 1);
    dialog.errorDialog()->close();

    // A cancelled choice does nothing.
    m_chooser.openName.clear();
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    QCOMPARE(updated.count(), 1);
    QVERIFY(!dialog.errorDialog()->isVisible());
    QVERIFY(!dialog.findChild<GeneralMsgDialog *>());

    // A file that cannot be read is reported instead of looking like an empty import.
    m_chooser.openName = m_env->home() + QStringLiteral("/gone.csv");
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    QVERIFY(message->isVisible());
    QCOMPARE(updated.count(), 1);
    message->close();
}

void TestDevicesDialogs::importRefusesBytesThatAreNoText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("codecInUse");
    QTest::addColumn<QString>("refusedAt"); // column,row as the notice shows them; empty when the file is imported

    const QByteArray utf8 = "UTF-8";
    const auto utf16 = [](const char *codec, const QString &rows) {
        return QTextCodec::codecForName(codec)->fromUnicode(QChar(0xfeff) + QString::fromUtf8(Header) + rows);
    };
    // Read as the codec leaves them, these became U+FFFD, a placeholder, a name joined with its neighbour, or a
    // character dropped at the end.
    QTest::newRow("Latin-1 name under UTF-8") << Header + ",Jos\xe9,10.0.0.1\n" << utf8 << "2,2";
    QTest::newRow("unpaired surrogate in a UTF-16LE name")
        << utf16("UTF-16LE", ",A" + QString(QChar(0xd800)) + "B,10.0.0.1\n") << utf8 << "2,2";
    QTest::newRow("unpaired surrogate in a UTF-16BE location")
        << utf16("UTF-16BE", ",A,10.0.0.1,,IFP/Control Box,Ha" + QString(QChar(0xdc00)) + "ll,,\n") << utf8 << "6,2";
    QTest::newRow("UTF-8 character cut at the end of the file")
        << Header + ",A,10.0.0.1\n,B,10.0.0.2,,IFP/Control Box,Hall\xe4\xb8" << utf8 << "6,3";
    QTest::newRow("odd last byte of a UTF-16 file") << utf16("UTF-16LE", ",A,10.0.0.1\n") + 'x' << utf8 << "1,3";
    QTest::newRow("unmappable byte under Big5") << Header + ",A\xff,10.0.0.1\n" << QByteArray("Big5") << "2,2";
    QTest::newRow("unmappable byte under Shift_JIS") << Header + ",A,10.0.0.1,,IFP/Control Box,Ha\x80ll,,\n"
                                                     << QByteArray("Shift_JIS") << "6,2";
    // GB18030 spells the private-use planes 15 and 16 in four bytes: a surrogate pair, which passed while a
    // private-use character of plane 0 was refused.
    QTest::newRow("plane-15 private use under GB18030") << Header + ",A\xd8\x38\x97\x34,10.0.0.1\n"
                                                        << QByteArray("GB18030") << "2,2";
    QTest::newRow("plane-16 private use under GB18030")
        << Header + ",A,10.0.0.1,,IFP/Control Box,Ha\xe3\x32\x9a\x33ll,,\n"
        << QByteArray("GB18030") << "6,2";
    QTest::newRow("plane-0 private use under GB18030") << Header + ",A\xaa\xa1,10.0.0.1\n"
                                                       << QByteArray("GB18030") << "2,2";
    // A CR alone ends its row, as a spreadsheet reads it.
    QTest::newRow("bad byte after a lone CR") << Header + ",A,10.0.0.1,,IFP/Control Box,Ha\rll,,\n,C\xff,10.0.0.2\n"
                                              << utf8 << "2,4";
    QTest::newRow("bad byte in a file whose lines end with CR alone")
        << QByteArray(Header).replace('\n', '\r') + ",A,10.0.0.1\r,C\xff,10.0.0.2\r" << utf8 << "2,3";
    QTest::newRow("Latin-1 name where that is the codec in use") << Header + ",Jos\xe9,10.0.0.1\n"
                                                                 << QByteArray("Windows-1252") << QString();
}

void TestDevicesDialogs::importRefusesBytesThatAreNoText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, codecInUse);
    QFETCH(QString, refusedAt);

    const QString path = m_env->home() + QStringLiteral("/bytes.csv");
    writeFile(path, bytes);
    ImportDialog dialog;
    QTextCodec *const previous = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(codecInUse));
    const bool imported = dialog.importCsvFile(path);
    QTextCodec::setCodecForLocale(previous);

    if (refusedAt.isEmpty()) {
        QVERIFY(imported);
        QVERIFY(storedDevice(QString::fromUtf8("Jos\u00e9")).did != 0);
        return;
    }
    QVERIFY(!imported);
    QVERIFY(dialog.errorDialog()->isVisible());
    QTextDocument shown;
    shown.setHtml(dialog.errorDialog()->labeError->text());
    const QStringList cell = refusedAt.split(',');
    QCOMPARE(shown.toPlainText(), QStringLiteral("The 1st error on Column [%1], Row [%2]\nThis cell holds characters "
                                                 "that cannot be read. Save the file as CSV UTF-8 and import it again.")
                                      .arg(cell.at(0), cell.at(1)));
    QCOMPARE(deviceCount(), 0);
    dialog.errorDialog()->close();
}

// An import that the database file stopped points at no cell: a message says that it stopped and kept nothing.
void TestDevicesDialogs::importStoppedByTheDatabaseSaysSo()
{
    const QString path = m_env->home() + QStringLiteral("/in.csv");
    writeFile(path, Header + ",First,10.0.0.1\n,Second,10.0.0.2\n");
    ImportDialog dialog;
    bool imported = true;
    {
        DatabaseFault readOnly(DatabaseFault::ReadOnly);
        QVERIFY(readOnly.isActive());
        imported = dialog.importCsvFile(path);
    }
    QVERIFY(!imported);
    QVERIFY(!dialog.errorDialog()->isVisible());
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    QVERIFY(message->isVisible());
    QCOMPARE(message->labelMessage->text(), QStringLiteral("The import stopped because the database file is read-only. "
                                                           "Nothing of the file was kept."));
    QCOMPARE(deviceCount(), 0);
    message->close();
}

void TestDevicesDialogs::importReadsWhatSpreadsheetsSave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("imported"); // the device names stored afterwards
    QTest::addColumn<QString>("told");         // what the operator reads: the error notice, or else the message

    const QByteArray rows = ",Panel 1,10.0.0.1,aa:bb:cc:00:00:01,IFP/Control Box,Hall,,\n"
                            "\"A,B\",Panel 2,10.0.0.2,,IFP/Control Box,\"Room 2\rleft\",,\n";
    const QStringList both = {"Panel 1", "Panel 2"};
    const QString noRow = "No device was imported: the file has no row after its header line.";
    // Excel for Mac's "CSV (Macintosh)": lines end with CR alone; a quoted CR is the cell's own line break.
    QByteArray mac = Header + rows;
    mac.replace('\n', '\r');
    QTest::newRow("lines ending with CR alone") << mac << both << QString();
    QTest::newRow("lines ending with CR alone, with a byte order mark") << "\xef\xbb\xbf" + mac << both << QString();
    QTest::newRow("lines ending with CR alone, no line end at the end") << mac.chopped(1) << both << QString();
    QTest::newRow("header alone") << Header << QStringList() << noRow;
    QTest::newRow("header and blank lines") << Header + "\n,,,,\n" << QStringList() << noRow;
    QTest::newRow("empty file") << QByteArray() << QStringList() << noRow;
    // Excel's "Unicode Text": UTF-16 with tabs between the cells.
    const QString tabs = QString::fromUtf8(Header + rows).replace(',', '\t');
    const QString notCommas = "The 1st error on Column [1], Row [1]\nThe cells of this file are not separated by "
                              "commas. Save it as CSV UTF-8 and import it again.";
    QTest::newRow("UTF-16 with tabs") << QTextCodec::codecForName("UTF-16LE")->fromUnicode(QChar(0xfeff) + tabs)
                                      << QStringList() << notCommas;
    QTest::newRow("tabs, lines ending with CR alone")
        << tabs.toUtf8().replace('\n', '\r') << QStringList() << notCommas;
    // Excel's "CSV" where the system's list separator is a semicolon.
    QTest::newRow("semicolons") << QByteArray(Header + rows).replace(',', ';') << QStringList()
                                << "The 1st error on Column [1], Row [1]\nThe cells of this file are separated by "
                                   "semicolons. Save it with commas between the cells and import it again.";

    // Line ends mixed, as files put together in several programs have them. A lone CR was a line end only in a file
    // without any LF: elsewhere it stayed in its cell and joined its row to the next one, or the whole file to its
    // header.
    QByteArray crHeader = Header;
    crHeader.replace('\n', '\r');
    QTest::newRow("header ending with CR alone, rows with LF") << crHeader + rows << both << QString();
    QTest::newRow("stray CR at the end of the file") << Header + rows.chopped(1) + '\r' << both << QString();
    QTest::newRow("stray CR before the last line end") << Header + rows.chopped(1) + "\r\r\n" << both << QString();
    // A spreadsheet shows an empty row there, which the import refuses at its number as any blank row.
    const int firstEnd = rows.indexOf('\n');
    QTest::newRow("stray CR before a line end between rows")
        << Header + rows.left(firstEnd) + "\r\r\n" + rows.mid(firstEnd + 1) << QStringList()
        << "The 1st error on Column [1], Row [3]\nThis row is empty. Remove it and import the file again.";
    // The export quotes a Location holding a line break; saved again with CR row ends, the quoted LF stays.
    const QByteArray third = ",Panel 3,10.0.0.3,,Streaming Audio Box,\"Room 3\nright\",,\n";
    const QStringList three = {"Panel 1", "Panel 2", "Panel 3"};
    QTest::newRow("CR row ends, a line break in a quoted Location")
        << QByteArray(Header + rows + third).replace('\n', '\r').replace("3\rright", "3\nright") << three << QString();
    QTest::newRow("two rows ending with CR alone, then one with LF")
        << Header + QByteArray(rows).replace('\n', '\r') + third << three << QString();
    // A quote no quote closes took the rest of the file into one cell, and the refusal blamed the SOS column: the
    // cell where the quote opened is named, and why.
    QTest::newRow("quote never closed")
        << Header + rows + ",Panel 3,10.0.0.3,,Streaming Audio Box,\"Room 3,,\n,Panel 4,10.0.0.4\n"
        << QStringList()
        << "The 1st error on Column [6], Row [4]\nA quote (\") opened in this cell is never closed. Close or remove it "
           "and import the file again.";
}

// The files spreadsheet programs write when asked for something else than a comma-separated file: the device list
// takes them whole, or the operator is told why nothing was imported.
void TestDevicesDialogs::importReadsWhatSpreadsheetsSave()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, imported);
    QFETCH(QString, told);
    const QString path = m_env->home() + QStringLiteral("/saved.csv");
    writeFile(path, bytes);
    ImportDialog dialog;
    QSignalSpy updated(&dialog, &ImportDialog::updateDevice);
    m_chooser.openName = path;
    QTest::mouseClick(dialog.btnImport, Qt::LeftButton);

    QCOMPARE(updated.count(), imported.isEmpty() ? 0 : 1);
    QCOMPARE(deviceCount(), imported.size());
    for (const QString &name : qAsConst(imported))
        QVERIFY2(storedDevice(name).did != 0, qPrintable(name));
    if (!imported.isEmpty()) {
        QCOMPARE(storedDevice("Panel 1").macAddress, QStringLiteral("aa:bb:cc:00:00:01"));
        QCOMPARE(storedDevice("Panel 2").position, QStringLiteral("Room 2\rleft"));
        QCOMPARE(groupsOf("Panel 2"), (QStringList{"A", "B"}));
    }
    if (imported.contains("Panel 3"))
        QCOMPARE(storedDevice("Panel 3").position, QStringLiteral("Room 3\nright"));
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    const bool noticeShown = dialog.errorDialog()->isVisible();
    const bool messageShown = message && message->isVisible();
    QString shown;
    if (noticeShown) {
        QTextDocument notice;
        notice.setHtml(dialog.errorDialog()->labeError->text());
        shown = notice.toPlainText();
        dialog.errorDialog()->close();
    } else if (messageShown) {
        shown = message->labelMessage->text();
        message->close();
    }
    QCOMPARE(shown, told);
}

// At scale 1.4 a dialog is scaled once, when it is built; showing it changes nothing more.
void TestDevicesDialogs::dialogsScaleOnceAtConstruction()
{
    initScaleFactorFor(144, 1080);
    QCOMPARE(getScaleFactor(), 1.4);
    {
        ImportErrorDialog notice;
        QCOMPARE(notice.size(), QSize(604, 250));
        QCOMPARE(notice.btnOk->geometry(), QRect(228, 196, 112, 30));
        notice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        QCOMPARE(notice.size(), QSize(604, 250));
        ManagementShowIPInfo info;
        QCOMPARE(info.size(), QSize(382, 263));
        ImportDialog import;
        QCOMPARE(import.size(), QSize(581, 329));
    }
    initScaleFactorFor(96, 1080);
}

QTEST_MAIN(TestDevicesDialogs)
#include "tst_devices_dialogs.moc"
