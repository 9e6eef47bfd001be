#include "BroadcastTestSupport.h"

#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastCapability.h"
#include "broadcast/BroadcastContentEditor.h"
#include "broadcast/BroadcastContentRules.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastSaveDialog.h"
#include "broadcast/BroadcastSchedule.h"
#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastSetting.h"
#include "shell/base/Clock.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/SortingIndicator.h"
#include "support/CheckCells.h"
#include "support/DatabaseHold.h"
#include "support/FakeSoundPlayer.h"
#include "support/HoldKinds.h"
#include "support/ManyDevices.h"
#include "support/ShortDatabaseWaits.h"
#include "support/WriteRefusal.h"

#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace BroadcastTest;

namespace {

// Answers the file dialog in place of the operator.
class ChosenFile : public FileChooser
{
public:
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return QString(); }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return path; }
    QString path;
};

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

CheckCell rowBox(QAbstractItemView *table, int row)
{
    return CheckCell(table, row);
}

} // namespace

// The two-step editor offscreen against a real database: the text limit, uploads, the schedule step on a moved
// clock, the target tables, the stored round trip and its failures, and a broadcast written in it reaching
// simulated panels.
class TestBroadcastEditor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void textLimitAndAudioTitle();
    void uploadsAndTheirFiles();
    void scheduleStep();
    void scheduleStepOnDaylightSavingDays();
    void targetTables();
    void targetTablesDrawEveryRowWithoutAWidgetEach();
    void targetRowsTickFromTheKeyboard_data();
    void targetRowsTickFromTheKeyboard();
    void filterPopUps();
    void roundTrip();
    void heldDatabaseSaveSaysWhy_data();
    void heldDatabaseSaveSaysWhy();
    void devicesHeldExclusivelyAreSaidAndReadAgain();
    void endToEndWithPanels();
    void wakeNoticeCountsPanelsWithoutAMac();

private:
    QList<VelkBroadcast> stored(VelkBroadcast::Status status);
    void newEditor(const QDateTime &now);
    // A pending broadcast "now" to those devices, stored; bid 0 when the store refused it.
    static VelkBroadcast storedDraft(const QString &text, const QList<VelkIFPDevice> &devices);
    // Checks the device rows by name and moves on to the content step.
    void pickDevicesAndGoOn(const QStringList &names);
    // On a fresh step: checks the device row of that name, chooses "Schedule" at that minute and presses "Next";
    // true when the step went on.
    bool scheduleFor(BroadcastSchedule *step, const QString &device, const QDate &date, int hour, int minute);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    ChosenFile m_chooser;
    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<FakeSoundPlayer> m_player;
    std::unique_ptr<BroadcastSetting> m_editor;
};

void TestBroadcastEditor::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    m_config = loopbackNetworkConfig(m_dir.path());
    NetworkConfig::setCurrent(m_config);
    QVERIFY(CmdServer::getInstance()->serverPort() != 0);
    FileChooser::setInstance(&m_chooser);

    // Which devices can take a broadcast: the display client's build, or an audio box with a four-field version.
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const struct
    {
        const char *name;
        const char *version;
        const char *type;
    } devices[] = {{"Alpha", "1.1.1017.18", "Control Box"},
                   {"beta", "0.0.0.30", "Control Box"},
                   {"Gamma", "1.1.1017.17", "Control Box"},
                   {"Delta", "1.1.1017", "Audio Box"},
                   {"Epsilon", "1.1.1017.18.1", "Audio Box"},
                   {"Zeta", "1.1.1017.5", "Audio Box"},
                   {"Eta", "", "Audio Box"},
                   {"Theta", "1.1.1017.x", "audio box"}};
    int serial = 900;
    for (const auto &d : devices) {
        VelkIFPDevice device;
        device.deviceName = QLatin1String(d.name);
        device.macAddress = testMac(serial++);
        device.displayClientVersion = QLatin1String(d.version);
        device.deviceType = QLatin1String(d.type);
        QCOMPARE(db->createIFPDevice(device), DB_OK);
    }
    for (const char *name : {"Hall", "Lab"}) {
        VelkGroups group;
        group.groupName = QLatin1String(name);
        QCOMPARE(db->createGroups(group), DB_OK);
        VelkIFPDevice zeta;
        zeta.deviceName = QStringLiteral("Zeta");
        QCOMPARE(db->joinGroups(zeta, group), DB_OK);
    }
    VelkGroups old;
    old.groupName = QStringLiteral("Old");
    QCOMPARE(db->createGroups(old), DB_OK);
    VelkIFPDevice gamma;
    gamma.deviceName = QStringLiteral("Gamma");
    QCOMPARE(db->joinGroups(gamma, old), DB_OK);
}

void TestBroadcastEditor::init()
{
    wipeBroadcasts();
}

void TestBroadcastEditor::cleanup()
{
    m_editor.reset();
    m_player.reset();
    m_clock.reset();
}

QList<VelkBroadcast> TestBroadcastEditor::stored(VelkBroadcast::Status status)
{
    QList<VelkBroadcast> list;
    OrvantaDBManager::getInstance()->queryBroadcastByStatus(status, list);
    return list;
}

VelkBroadcast TestBroadcastEditor::storedDraft(const QString &text, const QList<VelkIFPDevice> &devices)
{
    VelkBroadcast draft;
    draft.status = VelkBroadcast::Pending;
    draft.contentText = text;
    draft.target = 2;
    draft.isNow = true;
    draft.startDate = QStringLiteral("2024-05-06");
    draft.time = QStringLiteral("09:00");
    draft.durationSec = 30;
    draft.devices = devices;
    if (OrvantaDBManager::getInstance()->insertBroadcast(draft) != DB_OK)
        draft.bid = 0;
    return draft;
}

void TestBroadcastEditor::newEditor(const QDateTime &now)
{
    m_clock.reset(new ManualClock(now));
    m_player.reset(new FakeSoundPlayer);
    m_editor.reset(new BroadcastSetting(nullptr, m_clock.get(), m_player.get()));
    m_editor->newBroadcast();
    m_editor->show();
}

void TestBroadcastEditor::pickDevicesAndGoOn(const QStringList &names)
{
    BroadcastSchedule *step = m_editor->scheduleStep();
    for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row) {
        if (names.contains(cellText(step->tableWidgetDevice, row, 2)))
            rowBox(step->tableWidgetDevice, row).click();
    }
    step->btnNext->click();
}

bool TestBroadcastEditor::scheduleFor(BroadcastSchedule *step, const QString &device, const QDate &date, int hour,
                                      int minute)
{
    for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row) {
        if (cellText(step->tableWidgetDevice, row, 2) == device)
            rowBox(step->tableWidgetDevice, row).click();
    }
    step->btnSchedule->click();
    step->calendarWidget->setSelectedDate(date);
    step->spinBox_Time_HR->setValue(hour);
    step->spinBox_Time_Min->setValue(minute);
    step->messageDialog()->hide();
    QSignalSpy next(step, &BroadcastSchedule::emitBtnNextClicked);
    step->btnNext->click();
    return next.count() == 1 && !step->messageDialog()->isVisible();
}

void TestBroadcastEditor::textLimitAndAudioTitle()
{
    newEditor(at("2024-05-06 09:00:00"));
    pickDevicesAndGoOn({"Alpha"});
    BroadcastContentEditor *content = m_editor->contentEditor();
    CustomPlainTextEdit *box = content->plainTextEdit;
    QCOMPARE(box->toPlainText(), QString("Enter your text..."));
    box->setFocus();
    QApplication::setActiveWindow(m_editor.get());
    QTRY_VERIFY(box->hasFocus());
    QCOMPARE(box->toPlainText(), QString()); // the example text goes with the first focus

    box->setPlainText(QString(300, QLatin1Char('a')));
    QCOMPARE(content->labelCount->text(), QString("0"));
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_B);
    QCOMPARE(box->toPlainText(), QString(300, QLatin1Char('a')));
    QCOMPARE(box->textCursor().position(), 300);

    // Pasting 50 characters at position 10 of a 280-character text keeps the first 20 of them.
    box->setPlainText(QString(280, QLatin1Char('x')));
    QCOMPARE(content->labelCount->text(), QString("20"));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(10);
    box->setTextCursor(cursor);
    const QString pasted = QStringLiteral("0123456789abcdefghijKLMNOPQRSTUVWXYZ_+-=*/!?@#$%^&");
    QCOMPARE(pasted.size(), 50);
    box->insertPlainText(pasted);
    QCOMPARE(box->toPlainText(), QString(10, 'x') + pasted.left(20) + QString(270, 'x'));
    QCOMPARE(box->textCursor().position(), 30);
    QCOMPARE(content->labelCount->text(), QString("0"));

    // "Only audio" needs a sound; without a title the sound's name is the title.
    content->groupComboBox->setCurrentIndex(2);
    QCOMPARE(box->toPlainText(), QString("Please enter your broadcast title of audio..."));
    QSignalSpy add(content, &BroadcastContentEditor::addBroadcast);
    content->btnAddBroadcast->click();
    QCOMPARE(add.count(), 0);
    QVERIFY(content->frameAudioAlert->isVisible());
    content->radioButtonDefault2->click();
    QVERIFY(!content->frameAudioAlert->isVisible());
    content->btnAddBroadcast->click();
    QCOMPARE(add.count(), 1);
    const VelkBroadcast record = content->fillBroadcast();
    QCOMPARE(record.displayType, 2);
    QCOMPARE(record.audioSelection, 2);
    QCOMPARE(record.contentText, QString("Default audio 2"));
    // Repeat off still carries the default duration the panels expect.
    QCOMPARE(record.durationMin, 0);
    QCOMPARE(record.durationSec, 30);
}

void TestBroadcastEditor::uploadsAndTheirFiles()
{
    newEditor(at("2024-05-06 09:00:00"));
    pickDevicesAndGoOn({"Alpha"});
    BroadcastContentEditor *content = m_editor->contentEditor();
    const QString folder = content->audioFolder();
    const QString outside = m_dir.filePath("picked");
    QDir().mkpath(outside);

    const QString exact = writeRandomFile(outside + "/exact.mp3", 10 * 1024 * 1024);
    m_chooser.path = exact;
    content->radioButtonUserSelect->click();
    QCOMPARE(content->savedAudioFilename(), QString("exact.mp3"));
    QCOMPARE(fileSha256(folder + "exact.mp3"), fileSha256(exact));
    QVERIFY(QFileInfo(folder + "exact.mp3").permissions() & QFileDevice::ReadOwner);
    QVERIFY(content->radioButtonUserSelect->isChecked());
    QVERIFY(!content->toolButtonDeleteAudio->isHidden());

    content->toolButtonDeleteAudio->click();
    QVERIFY(content->radioButtonNone->isChecked());
    m_chooser.path = writeRandomFile(outside + "/big.mp3", 10 * 1024 * 1024 + 1);
    content->radioButtonUserSelect->click();
    QVERIFY(content->messageDialog()->isVisible());
    QCOMPARE(content->messageDialog()->message(), QString("The size of the uploaded file cannot exceed 10MB."));
    QVERIFY(content->radioButtonNone->isChecked());
    QVERIFY(!QFile::exists(folder + "big.mp3"));
    content->messageDialog()->hide();

    // A second file of a name already in the folder never replaces it.
    writeRandomFile(folder + "song.mp3", 100);
    m_chooser.path = writeRandomFile(outside + "/song.mp3", 2000);
    content->radioButtonUserSelect->click();
    QVERIFY(QRegularExpression("^song\\(\\d+\\)\\.mp3$").match(content->savedAudioFilename()).hasMatch());
    QCOMPARE(content->displayedAudioFilename(), QString("song.mp3"));
    QCOMPARE(QFileInfo(folder + "song.mp3").size(), qint64(100));
    QCOMPARE(content->fillBroadcast().displayedAudioFilename, QString("song.mp3"));
    content->toolButtonDeleteAudio->click();
    writeRandomFile(folder + "a.b.mp3", 100);
    m_chooser.path = writeRandomFile(outside + "/a.b.mp3", 300);
    content->radioButtonUserSelect->click();
    QVERIFY(QRegularExpression("^a\\(\\d+\\)\\.b\\.mp3$").match(content->savedAudioFilename()).hasMatch());
    content->toolButtonDeleteAudio->click();

    // A name a panel could read as a path is stored as a plain file name; the operator still sees the one picked.
    m_chooser.path = writeRandomFile(outside + "/back\\..\\slash.mp3", 200);
    content->radioButtonUserSelect->click();
    QCOMPARE(content->savedAudioFilename(), QString("back_.._slash.mp3"));
    QCOMPARE(content->displayedAudioFilename(), QString("back\\..\\slash.mp3"));
    QVERIFY(QFile::exists(folder + "back_.._slash.mp3"));
    content->toolButtonDeleteAudio->click();
    writeRandomFile(folder + "back_.._slash.mp3", 10);
    const auto seven = [] { return 7u; };
    QCOMPARE(BroadcastContentRules::uploadTargetName(folder, "back\\..\\slash.mp3", seven),
             QString("back_(7).._slash.mp3"));
    QCOMPARE(BroadcastContentRules::uploadTargetName(folder, ".hidden.mp3", seven), QString("_hidden.mp3"));
    QCOMPARE(BroadcastContentRules::uploadTargetName(folder, "bell\x01\tring\x7f.wav", seven),
             QString("bell__ring_.wav"));
    QCOMPARE(BroadcastContentRules::uploadTargetName(folder, QString::fromUtf8("Grüße 朝会.mp3"), seven),
             QString::fromUtf8("Grüße 朝会.mp3"));

    // A file that went away before it could be read, and an Audio folder that cannot take it, are reported.
    m_chooser.path = outside + "/gone.mp3";
    content->radioButtonUserSelect->click();
    QCOMPARE(content->messageDialog()->message(), QString("The audio file cannot be read."));
    QVERIFY(content->radioButtonNone->isChecked());
    const QString moved = m_dir.filePath("AudioAside");
    QVERIFY(QDir().rename(folder, moved));
    writeRandomFile(QDir::cleanPath(folder), 1); // a file where the folder belongs
    m_chooser.path = writeRandomFile(outside + "/tune.wav", 400);
    content->radioButtonUserSelect->click();
    QCOMPARE(content->messageDialog()->message(), QString("The audio file cannot be copied."));
    QVERIFY(content->radioButtonNone->isChecked());
    QCOMPARE(content->radioButtonUserSelect->text(), QString("Upload custom audio"));
    QVERIFY(QFile::remove(QDir::cleanPath(folder)));
    QVERIFY(QDir().rename(moved, folder));
    content->messageDialog()->hide();

    // Deleting the sound of a stored broadcast takes effect only when the edit is saved.
    writeRandomFile(folder + "keep.mp3", 500);
    VelkBroadcast b = storeBroadcast({}, 4, "keep.mp3");
    b.status = VelkBroadcast::Pending;
    b.isNow = false;
    m_editor->editBroadcast(b);
    QVERIFY(!content->toolButtonDeleteAudio->isHidden());
    content->toolButtonDeleteAudio->click();
    QVERIFY(QFile::exists(folder + "keep.mp3"));
    QTimer::singleShot(0, m_editor->saveDialog(), [this] { m_editor->saveDialog()->btnCancel->click(); });
    m_editor->close();
    QVERIFY(QFile::exists(folder + "keep.mp3"));
    QCOMPARE(stored(VelkBroadcast::Upcoming).first().savedAudioFilename, QString("keep.mp3"));
    m_editor->editBroadcast(stored(VelkBroadcast::Upcoming).first());
    m_editor->show();
    content->toolButtonDeleteAudio->click();
    QTimer::singleShot(0, m_editor->saveDialog(), [this] { m_editor->saveDialog()->btnOk->click(); });
    m_editor->close();
    QVERIFY(!QFile::exists(folder + "keep.mp3"));
    QCOMPARE(stored(VelkBroadcast::Pending).first().audioSelection, 0);
}

void TestBroadcastEditor::scheduleStep()
{
    newEditor(at("2024-05-06 23:30:20"));
    BroadcastSchedule *step = m_editor->scheduleStep();
    QVERIFY(step->isNow());
    QVERIFY(!step->calendarWidget->isEnabled());
    pickDevicesAndGoOn({}); // nothing checked: "Next" is off and the schedule panel hidden
    QVERIFY(!step->btnNext->isEnabled());
    QVERIFY(step->selectScheduleWidget->isHidden());
    rowBox(step->tableWidgetDevice, 0).click();
    QVERIFY(step->btnNext->isEnabled());

    // "Schedule" proposes an hour from now: past 23:00, that is tomorrow.
    step->btnSchedule->click();
    QCOMPARE(step->calendarWidget->selectedDate(), QDate(2024, 5, 7));
    QCOMPARE(step->spinBox_Time_HR->text(), QString("00"));
    QCOMPARE(step->spinBox_Time_Min->text(), QString("30"));
    QVERIFY(step->calendarWidget->isEnabled());

    // The current minute and earlier are refused; the next minute is taken.
    QSignalSpy next(step, &BroadcastSchedule::emitBtnNextClicked);
    step->calendarWidget->setSelectedDate(QDate(2024, 5, 6));
    step->spinBox_Time_HR->setValue(23);
    step->spinBox_Time_Min->setValue(30);
    step->btnNext->click();
    QCOMPARE(next.count(), 0);
    QVERIFY(step->messageDialog()->isVisible());
    QCOMPARE(step->messageDialog()->message(), QString("You can't select the date to broadcast before right now."));
    step->messageDialog()->hide();
    step->spinBox_Time_Min->setValue(31);
    step->btnRepeatMon->click();
    step->btnNext->click();
    QCOMPARE(next.count(), 1);
    VelkBroadcast scheduled = step->getBroadcastData();
    QCOMPARE(scheduled.startDate, QString("2024-05-06"));
    QCOMPARE(scheduled.time, QString("23:31"));
    QVERIFY(scheduled.repeatMon);
    step->spinBox_Time_HR->setValue(7);
    step->spinBox_Time_Min->setValue(5);
    m_clock->setNow(at("2024-05-06 06:00:00"));
    QCOMPARE(step->getBroadcastData().time, QString("07:05"));

    // "Broadcast Now" stores the minute of saving and no weekday; "Schedule" again shows what was entered.
    step->btnBroadcastNow->click();
    m_clock->setNow(at("2024-05-06 08:09:59"));
    const VelkBroadcast now = step->getBroadcastData();
    QVERIFY(now.isNow);
    QCOMPARE(now.startDate, QString("2024-05-06"));
    QCOMPARE(now.time, QString("08:09"));
    QVERIFY(!now.repeatMon);
    step->btnSchedule->click();
    QCOMPARE(step->spinBox_Time_HR->text(), QString("07"));
}

// Berlin springs forward on 2027-03-28 (02:00 becomes 03:00) and falls back on 2027-10-31 (03:00 becomes 02:00).
void TestBroadcastEditor::scheduleStepOnDaylightSavingDays()
{
    const LocalZone berlin("Europe/Berlin");
    {
        // The day before the short day: 02:30 on it is taken, and the broadcast runs at 03:00, when the clocks
        // have jumped past the hour that does not exist.
        m_clock.reset(new ManualClock(at("2027-03-27 10:00:00")));
        FakeSoundPlayer player;
        Broadcast page(m_clock.get(), &player);
        page.show();
        page.btnAddBroadcast->click();
        BroadcastSetting *editor = page.editor();
        QVERIFY(scheduleFor(editor->scheduleStep(), "Alpha", QDate(2027, 3, 28), 2, 30));
        editor->contentEditor()->plainTextEdit->setPlainText(QStringLiteral("Clocks go forward tonight"));
        editor->contentEditor()->btnAddBroadcast->click();
        QTRY_COMPARE_WITH_TIMEOUT(page.scheduler()->taskList().size(), 1, 30000);
        const BroadcastTask task = page.scheduler()->taskList().first();
        QCOMPARE(task.broadcast.time, QString("02:30"));
        QCOMPARE(task.startDateTime, at("2027-03-28 03:00:00"));
        m_clock->setNow(at("2027-03-28 01:59:59"));
        QCOMPARE(BroadcastManager::getInstance()->taskCount(), 0);
        QVERIFY(page.scheduler()->completedList().isEmpty());
        m_clock->setNow(at("2027-03-28 03:00:00")); // Alpha is off: the run ends at once with "Power-off"
        QTRY_COMPARE_WITH_TIMEOUT(page.scheduler()->completedList().size(), 1, 30000);
    }

    // The long day: 02:30 is taken at its first occurrence. At 02:10 in the first pass it lies ahead; at 02:10 in
    // the second pass it has passed, an hour ago, while 03:00 still lies ahead.
    const QDateTime firstPass = QDateTime(QDate(2027, 10, 31), QTime(0, 10), Qt::UTC).toLocalTime();
    const QDateTime secondPass = firstPass.addSecs(3600);
    QCOMPARE(secondPass.time(), QTime(2, 10));
    QCOMPARE(secondPass.offsetFromUtc(), 3600);
    newEditor(firstPass);
    QVERIFY(scheduleFor(m_editor->scheduleStep(), "Alpha", QDate(2027, 10, 31), 2, 30));
    newEditor(secondPass);
    BroadcastSchedule *step = m_editor->scheduleStep();
    QVERIFY(!scheduleFor(step, "Alpha", QDate(2027, 10, 31), 2, 30));
    QCOMPARE(step->messageDialog()->message(), QString("You can't select the date to broadcast before right now."));
    step->messageDialog()->hide();
    step->spinBox_Time_HR->setValue(3);
    step->spinBox_Time_Min->setValue(0);
    QSignalSpy next(step, &BroadcastSchedule::emitBtnNextClicked);
    step->btnNext->click();
    QCOMPARE(next.count(), 1);
}

void TestBroadcastEditor::targetTables()
{
    newEditor(at("2024-05-06 09:00:00"));
    BroadcastSchedule *step = m_editor->scheduleStep();
    QStringList listed;
    for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row)
        listed.append(cellText(step->tableWidgetDevice, row, 2));
    // Only capable devices, by name with capitals before small letters.
    QCOMPARE(listed, QStringList({"Alpha", "Zeta", "beta"}));
    QCOMPARE(step->labelTotalInfo->text(), QString("3 devices in total"));
    QCOMPARE(cellText(step->tableWidgetDevice, 1, 3), QString("Hall, Lab"));
    QCOMPARE(cellText(step->tableWidgetDevice, 1, 4), QString("Streaming Audio Box"));
    QCOMPARE(cellText(step->tableWidgetDevice, 0, 4), QString("IFP/Control Box"));
    step->comboBoxType->setCurrentIndex(1);
    // Two groups share their only capable device; the group of an incapable device is not offered.
    QCOMPARE(step->labelTotalInfo->text(), QString("2 groups in total (1 device)"));
    QCOMPARE(rowCount(step->tableWidgetGroup), 2);
    step->comboBoxType->setCurrentIndex(0);

    // Checked rows survive a re-sort; while anything is checked the search and the filter are out of reach.
    rowBox(step->tableWidgetDevice, 1).click(); // Zeta
    QVERIFY(step->lineEditFilter->isHidden());
    QVERIFY(step->btnFilter->isHidden());
    QVERIFY(step->comboBoxType->isHidden());
    QCOMPARE(step->labelSelectedInfo->text(), QString("1 device selected"));
    step->deviceHeaderDevice->clicked();
    QCOMPARE(cellText(step->tableWidgetDevice, 0, 2), QString("beta"));
    QCOMPARE(step->sortIndicator(1)->state(), 1);
    QVERIFY(rowBox(step->tableWidgetDevice, 1).isChecked());
    QVERIFY(!rowBox(step->tableWidgetDevice, 0).isChecked());
    rowBox(step->tableWidgetDevice, 0).click();
    QCOMPARE(step->labelSelectedInfo->text(), QString("2 devices selected"));
    step->btnCloseInfo->click();
    QVERIFY(!step->lineEditFilter->isHidden());
    QVERIFY(step->targets().checkedDevices().isEmpty());

    // Search by type matches the stored type, not the shown one.
    step->checkBox1Device->setChecked(false);
    step->checkBox1Group->setChecked(false);
    step->lineEditFilter->setText("audio");
    QTest::keyClick(step->lineEditFilter, Qt::Key_Return);
    QCOMPARE(rowCount(step->tableWidgetDevice), 1);
    QCOMPARE(cellText(step->tableWidgetDevice, 0, 2), QString("Zeta"));
    step->lineEditFilter->setText("Streaming");
    QTest::keyClick(step->lineEditFilter, Qt::Key_Return);
    QCOMPARE(rowCount(step->tableWidgetDevice), 0);
}

// A school of hundreds of panels: the step built with the page lists none of them until a broadcast is edited, and
// its tables then show every device and group with no widget per row (a widget each made a large site's log-in and
// editor take seconds and hundreds of megabytes); the last row is still checked by a click on its box.
void TestBroadcastEditor::targetTablesDrawEveryRowWithoutAWidgetEach()
{
    const ManyDevices site(300, 30, QStringLiteral("Room"), 2000);
    QVERIFY(site.isValid());

    m_clock.reset(new ManualClock(at("2024-05-06 09:00:00")));
    m_player.reset(new FakeSoundPlayer);
    m_editor.reset(new BroadcastSetting(nullptr, m_clock.get(), m_player.get()));
    BroadcastSchedule *step = m_editor->scheduleStep();
    QCOMPARE(step->tableWidgetDevice->model()->rowCount(), 0);
    QCOMPARE(step->tableWidgetGroup->model()->rowCount(), 0);

    m_editor->newBroadcast();
    m_editor->show();
    QCOMPARE(step->tableWidgetDevice->model()->rowCount(), 303);
    QCOMPARE(step->tableWidgetGroup->model()->rowCount(), 32);
    QCOMPARE(step->labelTotalInfo->text(), QString("303 devices in total"));
    // What the viewports hold does not grow with the rows: the few stamps the rows are drawn from.
    checkViewportHoldsFewWidgets(step->tableWidgetDevice);
    checkViewportHoldsFewWidgets(step->tableWidgetGroup);

    CheckCell last(step->tableWidgetDevice, 302);
    last.click();
    QVERIFY(last.isChecked());
    QCOMPARE(step->labelSelectedInfo->text(), QString("1 device selected"));
    QCOMPARE(step->targets().checkedDevices().size(), 1);
    QCOMPARE(step->targets().checkedDevices().first().deviceName, QString("beta"));
}

void TestBroadcastEditor::targetRowsTickFromTheKeyboard_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("ticked");
    QTest::newRow("Space ticks the current row") << QStringList{"Tab", "Down", "Space"} << QStringList{"Zeta"};
    QTest::newRow("Space again clears it") << QStringList{"Tab", "Down", "Space", "Space"} << QStringList{};
    QTest::newRow("a click ticks its row") << QStringList{"click"} << QStringList{"Zeta"};
    QTest::newRow("Space after a click clears that row") << QStringList{"click", "Space"} << QStringList{};
    QTest::newRow("select-all ticks every row") << QStringList{"all"} << QStringList{"Alpha", "Zeta", "beta"};
    QTest::newRow("a sort keeps the ticks") << QStringList{"Tab", "Down", "Space", "sort"} << QStringList{"Zeta"};
    QTest::newRow("a search, then Space") << QStringList{"search zeta", "Tab", "Space"} << QStringList{"Zeta"};
}

// The target table took no keys: Tab passed it by and Space ticked no row. Ticked from the keyboard, by a click or
// by select-all, the targets are what the table shows ticked, through a sort and a search.
void TestBroadcastEditor::targetRowsTickFromTheKeyboard()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, ticked);
    newEditor(at("2024-05-06 09:00:00"));
    QVERIFY(QTest::qWaitForWindowActive(m_editor.get()));
    BroadcastSchedule *step = m_editor->scheduleStep();
    operateDeviceTable(step, steps);
    if (QTest::currentTestFailed())
        return;
    QStringList targets;
    for (const VelkIFPDevice &device : step->targets().checkedDevices())
        targets << device.deviceName;
    QCOMPARE(targets, ticked);
    QCOMPARE(tickedRows(step->tableWidgetDevice, 2), ticked);
}

namespace {

// A press and release where the operator clicks in the window: the widget on top at that point takes it.
QWidget *clickAt(QWidget *window, const QPoint &point)
{
    QWidget *target = window->childAt(point);
    if (!target)
        target = window;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window, point));
    return target;
}

QStringList deviceRows(BroadcastSchedule *step)
{
    QStringList rows;
    for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row)
        rows << cellText(step->tableWidgetDevice, row, 2);
    return rows;
}

} // namespace

// The filter pop-ups open over the tables for the page shown, stay open while the operator works inside them, and
// close on a press beside them without touching the table; only Apply filters, by the columns left ticked.
void TestBroadcastEditor::filterPopUps()
{
    newEditor(at("2024-05-06 09:00:00"));
    BroadcastSchedule *step = m_editor->scheduleStep();
    QWidget *window = m_editor.get();
    QCOMPARE(deviceRows(step), QStringList({"Alpha", "Zeta", "beta"}));

    step->btnFilter->click();
    QVERIFY(step->widgetFilterDevice->isVisible());
    QVERIFY(!step->widgetFilterGroup->isVisible());
    QVERIFY(step->btnFilter->styleSheet().contains(QLatin1String("btn_filter_selected")));
    // It lies over the table: a click on the pop-up reaches the pop-up, and within it does not close it.
    const QRect popup(step->widgetFilterDevice->mapTo(window, QPoint(0, 0)), step->widgetFilterDevice->size());
    const QPoint inside = popup.bottomLeft() + QPoint(4, -4);
    QVERIFY(step->tableWidgetDevice->rect().contains(step->tableWidgetDevice->mapFrom(window, inside)) ||
            !step->tableWidgetDevice->isVisible());
    QWidget *hit = clickAt(window, inside);
    QVERIFY2(hit == step->widgetFilterDevice || step->widgetFilterDevice->isAncestorOf(hit),
             hit->metaObject()->className());
    QVERIFY(step->widgetFilterDevice->isVisible());

    // Ticks changed, then a press beside the pop-up: closed, nothing filtered.
    step->checkBox1Device->setChecked(false);
    step->checkBox1Group->setChecked(false);
    step->lineEditFilter->setText(QStringLiteral("audio"));
    const QPoint beside = QPoint(popup.right() + 40, popup.center().y());
    QVERIFY(!popup.contains(beside));
    clickAt(window, beside);
    QVERIFY(!step->widgetFilterDevice->isVisible());
    QVERIFY(!step->widgetFilterParent->isVisible());
    QVERIFY(step->btnFilter->styleSheet().contains(QLatin1String("btn_filter_normal")));
    QCOMPARE(deviceRows(step), QStringList({"Alpha", "Zeta", "beta"}));

    // Apply filters by the stored type alone.
    step->btnFilter->click();
    step->btnApply1->click();
    QVERIFY(!step->widgetFilterParent->isVisible());
    QCOMPARE(deviceRows(step), QStringList({"Zeta"}));

    // The group page has its own pop-up.
    step->lineEditFilter->clear();
    step->comboBoxType->setCurrentIndex(1);
    step->btnFilter->click();
    QVERIFY(step->widgetFilterGroup->isVisible());
    QVERIFY(!step->widgetFilterDevice->isVisible());
    step->checkBox2Group->setChecked(false);
    step->lineEditFilter->setText(QStringLiteral("2"));
    step->btnApply2->click();
    QVERIFY(!step->widgetFilterGroup->isVisible());
    QCOMPARE(rowCount(step->tableWidgetGroup), 0);
    step->lineEditFilter->setText(QStringLiteral("1"));
    step->btnFilter->click();
    step->btnApply2->click();
    QCOMPARE(rowCount(step->tableWidgetGroup), 2);
}

void TestBroadcastEditor::roundTrip()
{
    newEditor(at("2024-05-06 09:00:00"));
    QSignalSpy saved(m_editor.get(), &BroadcastSetting::broadcastSettingSavedSuccess);
    BroadcastSchedule *step = m_editor->scheduleStep();
    BroadcastContentEditor *content = m_editor->contentEditor();
    rowBox(step->tableWidgetDevice, 0).click(); // Alpha
    step->btnSchedule->click();
    step->spinBox_Time_HR->setValue(14);
    step->spinBox_Time_Min->setValue(5);
    step->btnRepeatTue->click();
    step->btnRepeatThu->click();
    step->btnNext->click();
    QCOMPARE(m_editor->stackedWidgetBroadcastSetting->currentWidget(), content);
    content->plainTextEdit->setFocus();
    content->plainTextEdit->setPlainText(QStringLiteral("Choir practice moves to the music room"));
    content->groupComboBox->setCurrentIndex(1);
    content->radioButtonDefault3->click();
    content->checkBoxRepeat->click();
    content->lineEditMin->setText("2");
    content->lineEditSec->setText("15");
    content->checkBoxWakeOnLan->click();
    content->btnAddBroadcast->click();
    QCOMPARE(saved.count(), 1);
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(stored(VelkBroadcast::Upcoming).size(), 1);
    const VelkBroadcast b = stored(VelkBroadcast::Upcoming).first();
    QCOMPARE(b.contentText, QString("Choir practice moves to the music room"));
    QCOMPARE(b.displayType, 1);
    QCOMPARE(b.audioSelection, 3);
    QVERIFY(b.repeat);
    QCOMPARE(b.durationMin, 2);
    QCOMPARE(b.durationSec, 15);
    QVERIFY(b.wakeOnLan);
    QCOMPARE(b.target, 2);
    QCOMPARE(b.devices.size(), 1);
    QCOMPARE(b.devices.first().deviceName, QString("Alpha"));
    QVERIFY(!b.isNow);
    QCOMPARE(b.startDate, QString("2024-05-06"));
    QCOMPARE(b.time, QString("14:05"));
    QVERIFY(b.repeatTue && b.repeatThu && !b.repeatMon && !b.repeatSun);
    QCOMPARE(saved.at(0).at(0).value<VelkBroadcast>().bid, b.bid);

    // Closing early: "Save" keeps it as pending; "Discard Changes" and the question's own close button keep nothing.
    m_editor->newBroadcast();
    m_editor->show();
    rowBox(step->tableWidgetDevice, 2).click();
    QTimer::singleShot(0, m_editor->saveDialog(), [this] { m_editor->saveDialog()->btnOk->click(); });
    m_editor->close();
    QCOMPARE(saved.count(), 2);
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 1);
    QCOMPARE(stored(VelkBroadcast::Pending).first().devices.first().deviceName, QString("beta"));
    for (int way = 0; way < 2; ++way) {
        m_editor->newBroadcast();
        m_editor->show();
        rowBox(step->tableWidgetDevice, 0).click();
        QTimer::singleShot(0, m_editor->saveDialog(), [this, way] {
            if (way == 0)
                m_editor->saveDialog()->btnCancel->click();
            else
                m_editor->saveDialog()->close();
        });
        m_editor->close();
    }
    QCOMPARE(saved.count(), 2);
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 1);
    QCOMPARE(stored(VelkBroadcast::Upcoming).size(), 1);

    // A store that refuses the broadcast is reported; nothing is announced and the editor stays open.
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_broadcast BEFORE INSERT ON Broadcast "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    m_editor->newBroadcast();
    m_editor->show();
    pickDevicesAndGoOn({"Alpha"});
    content->btnAddBroadcast->click();
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_broadcast")));
    QCOMPARE(saved.count(), 2);
    QVERIFY(m_editor->isVisible());
    QVERIFY(m_editor->failureDialog()->isVisible());
    QCOMPARE(m_editor->failureDialog()->message(), QString("The broadcast could not be saved."));
    m_editor->failureDialog()->hide();
    // The same refusal when "Save" is chosen on closing: the editor stays open, the entries kept.
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_broadcast BEFORE INSERT ON Broadcast "
                                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")));
    QTimer::singleShot(0, m_editor->saveDialog(), [this] { m_editor->saveDialog()->btnOk->click(); });
    m_editor->close();
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_broadcast")));
    QCOMPARE(saved.count(), 2);
    QVERIFY(m_editor->isVisible());
    QVERIFY(m_editor->failureDialog()->isVisible());
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 1);
    m_editor->failureDialog()->hide();
    QTimer::singleShot(0, m_editor->saveDialog(), [this] { m_editor->saveDialog()->btnOk->click(); });
    m_editor->close();
    QCOMPARE(saved.count(), 3);
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 2);

    // A stored broadcast whose run is on its way cannot be edited.
    PanelFleet *fleet = makeFleet(1, 950, "Busy-", "127.0.9.2").release();
    const QList<VelkIFPDevice> busy = storeFleet(*fleet);
    fleet->panel(0)->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    fleet->startAll();
    QTRY_COMPARE(fleet->connectedCount(), 1);
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(busy.first()));
    const VelkBroadcast running = storeBroadcast(busy);
    BroadcastManager::getInstance()->addBroadcastTask(taskOf(running));
    BroadcastManager::getInstance()->startQueuedBroadcastTasks();
    m_editor->editBroadcast(running);
    m_editor->show();
    QSignalSpy next(step, &BroadcastSchedule::emitBtnNextClicked);
    step->btnNext->click();
    QCOMPARE(next.count(), 0);
    QCOMPARE(step->messageDialog()->message(), QString("Can not edit this broadcast."));
    step->messageDialog()->hide();
    m_editor->close(); // asks nothing while the run is on
    QCOMPARE(saved.count(), 3);
    BroadcastManager::getInstance()->cancelBroadcastTask(taskOf(running));
    fleet->shutDownAll();
    delete fleet;
}

void TestBroadcastEditor::heldDatabaseSaveSaysWhy_data()
{
    WriteRefusal::addRows();
}

// A pending broadcast edited and added while another program holds the database: nothing is stored, and the editor
// said only that it could not be saved, as for a broadcast the database refuses for good. It says why, in full, keeps
// what was entered, and the broadcast stays as stored until Add goes through with the database free.
void TestBroadcastEditor::heldDatabaseSaveSaysWhy()
{
    QFETCH(int, kind);
    QList<VelkIFPDevice> all;
    QCOMPARE(OrvantaDBManager::getInstance()->queryAllAvailableIFP(all), DB_OK);
    const VelkBroadcast draft = storedDraft(QStringLiteral("Assembly in the hall"), all.mid(0, 1));
    QVERIFY(draft.bid != 0);
    newEditor(at("2024-05-06 09:00:00"));
    QSignalSpy saved(m_editor.get(), &BroadcastSetting::broadcastSettingSavedSuccess);
    m_editor->editBroadcast(draft);
    m_editor->scheduleStep()->btnNext->click();
    BroadcastContentEditor *content = m_editor->contentEditor();
    QCOMPARE(m_editor->stackedWidgetBroadcastSetting->currentWidget(), content);
    const ShortDatabaseWaits waits(100);
    {
        const WriteRefusal refusal(kind, waits.db()->databaseFilePath(), {QStringLiteral("Broadcast")});
        QVERIFY(refusal.isActive());
        content->plainTextEdit->setPlainText(QStringLiteral("Assembly moves to the yard"));
        content->btnAddBroadcast->click();
        QVERIFY(m_editor->isVisible());
        QVERIFY(m_editor->failureDialog()->isVisible());
        // A full disk and another program's hold are told apart: only the hold passes by itself.
        QCOMPARE(m_editor->failureDialog()->message(),
                 kind == WriteRefusal::kFullDisk
                     ? QString("The broadcast was not saved: the disk is full.")
                     : QString("The broadcast was not saved: the database is in use by another program. Try again "
                               "later."));
        const QLabel *label = m_editor->failureDialog()->labelMessage;
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        m_editor->failureDialog()->hide();
    }
    QCOMPARE(saved.count(), 0);
    QCOMPARE(stored(VelkBroadcast::Upcoming).size(), 0);
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 1);
    QCOMPARE(stored(VelkBroadcast::Pending).first().contentText, QString("Assembly in the hall"));

    QCOMPARE(content->plainTextEdit->toPlainText(), QString("Assembly moves to the yard"));
    content->btnAddBroadcast->click();
    QCOMPARE(saved.count(), 1);
    QCOMPARE(stored(VelkBroadcast::Pending).size(), 0);
    QCOMPARE(stored(VelkBroadcast::Upcoming).size(), 1);
    QCOMPARE(stored(VelkBroadcast::Upcoming).first().bid, draft.bid);
    QCOMPARE(stored(VelkBroadcast::Upcoming).first().contentText, QString("Assembly moves to the yard"));
}

// The editor opened while another program holds the database exclusively: the devices cannot be read, and the step
// showed "0 devices in total" with empty tables, as if the site had no device, and a stored broadcast opened then lost
// its targets from view. The step says the list can't be read right now and reads it again until it can: then the
// devices are listed and the stored broadcast's targets are checked.
void TestBroadcastEditor::devicesHeldExclusivelyAreSaidAndReadAgain()
{
    const QList<VelkIFPDevice> capable = BroadcastCapability::supportedDevices(OrvantaDBManager::getInstance());
    QVERIFY(capable.size() >= 2);
    const VelkBroadcast draft = storedDraft(QStringLiteral("Fire drill at ten"), capable.mid(1, 1));
    QVERIFY(draft.bid != 0);
    newEditor(at("2024-05-06 09:00:00"));
    BroadcastSchedule *step = m_editor->scheduleStep();
    const QString total = step->labelTotalInfo->text();
    QVERIFY(total.endsWith(QLatin1String("devices in total")));

    const ShortDatabaseWaits waits(50);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        m_editor->editBroadcast(draft);
        QCOMPARE(rowCount(step->tableWidgetDevice), 0);
        QCOMPARE(step->labelTotalInfo->text(), BroadcastSchedule::unreadableText());
        // The whole text shows.
        QVERIFY(step->labelTotalInfo->fontMetrics().horizontalAdvance(step->labelTotalInfo->text()) <=
                step->labelTotalInfo->width());
        QVERIFY(!step->btnNext->isEnabled());
    }
    QTRY_COMPARE_WITH_TIMEOUT(step->labelTotalInfo->text(), total, 30000);
    QCOMPARE(rowCount(step->tableWidgetDevice), capable.size());
    QCOMPARE(step->targets().checkedDevices().size(), 1);
    QCOMPARE(step->targets().checkedDevices().first().deviceName, capable.at(1).deviceName);
    QVERIFY(step->btnNext->isEnabled());

    // Read at once, a new broadcast says nothing of the kind.
    m_editor->newBroadcast();
    QCOMPARE(step->labelTotalInfo->text(), total);
}

void TestBroadcastEditor::endToEndWithPanels()
{
    PanelFleet *fleet = makeFleet(3, 960, "Class-", "127.0.10.2").release();
    storeFleet(*fleet);
    fleet->startAll();
    QTRY_COMPARE(fleet->connectedCount(), 3);
    m_clock.reset(new ManualClock(QDateTime::currentDateTime()));
    FakeSoundPlayer player;
    Broadcast page(m_clock.get(), &player);
    page.show();
    page.btnAddBroadcast->click();
    BroadcastSetting *editor = page.editor();
    QVERIFY(editor->isVisible());
    BroadcastSchedule *step = editor->scheduleStep();
    for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row) {
        const QString name = cellText(step->tableWidgetDevice, row, 2);
        if (name == "Class-001" || name == "Class-003")
            rowBox(step->tableWidgetDevice, row).click();
    }
    step->btnNext->click();
    editor->contentEditor()->plainTextEdit->setPlainText(QStringLiteral("Lunch break starts now"));
    editor->contentEditor()->radioButtonDefault1->click();
    editor->contentEditor()->btnAddBroadcast->click();
    QVERIFY(!page.labelMessage->isHidden());
    QTRY_COMPARE(page.table(VelkBroadcast::Completed)->rowCount(), 1);
    const VelkBroadcast done = page.scheduler()->completedList().first();
    QCOMPARE(done.contentText, QString("Lunch break starts now"));
    const auto report = reportOf(done);
    QCOMPARE(report.keys(), QStringList({"Class-001", "Class-003"}));
    for (const auto &row : report)
        QCOMPARE(row, qMakePair(1, 0));
    QCOMPARE(fleet->panel(0)->lastBroadcast().contentText, QString("Lunch break starts now"));
    QCOMPARE(fleet->panel(0)->lastAudioFile().name, QString("Default_Audio_1.mp3"));
    QCOMPARE(fleet->panel(1)->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 0);
    fleet->shutDownAll();
    delete fleet;
}

// Wake-on-LAN goes by MAC: where the wake is ticked, the editor says how many chosen panels it cannot reach. A panel
// without a MAC that is on needs no waking and is not counted.
void TestBroadcastEditor::wakeNoticeCountsPanelsWithoutAMac()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    std::unique_ptr<PanelFleet> fleet = makeFleet(1, 990, "Kappa-", "127.0.10.91");
    SimulatedPanel *online = fleet->panel(0);
    PanelIdentity identity = online->identity();
    identity.mac = QStringLiteral("00:00:00:00:00:00");
    online->setIdentity(identity);
    const VelkIFPDevice kappa = storeFleet(*fleet, [](int, const QString &) { return QString(); }).first();
    const auto removeKappa = qScopeGuard([&fleet, db, kappa] {
        fleet->shutDownAll();
        VelkIFPDevice gone = kappa;
        db->deleteIFPDevice(gone);
    });
    online->start();
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(kappa));

    VelkIFPDevice byAddress;
    byAddress.deviceName = QStringLiteral("Iota");
    byAddress.ipAddress = QStringLiteral("127.0.0.90");
    byAddress.displayClientVersion = QStringLiteral("1.1.1017.18");
    byAddress.deviceType = QStringLiteral("Control Box");
    QCOMPARE(db->createIFPDevice(byAddress), DB_OK);
    const auto removeIt = qScopeGuard([db] {
        VelkIFPDevice gone;
        gone.deviceName = QStringLiteral("Iota");
        QList<VelkIFPDevice> all;
        db->queryAllAvailableIFP(all);
        for (VelkIFPDevice &device : all) {
            if (device.deviceName == gone.deviceName)
                db->deleteIFPDevice(device);
        }
    });

    newEditor(at("2024-05-06 09:00:00"));
    pickDevicesAndGoOn({"Alpha", "Iota", kappa.deviceName});
    BroadcastContentEditor *content = m_editor->contentEditor();
    QVERIFY(content->frameWakeAlert->isHidden());
    content->checkBoxWakeOnLan->click();
    QVERIFY(content->frameWakeAlert->isVisible());
    QCOMPARE(content->labelWakeNote->text(),
             QStringLiteral("Wake-on-LAN can't wake 1 chosen panel(s) without a MAC address."));
    content->checkBoxWakeOnLan->click();
    QVERIFY(content->frameWakeAlert->isHidden());

    // Back to the targets: without it, the wake reaches them all and nothing is said.
    content->checkBoxWakeOnLan->click();
    content->btnBack->click();
    pickDevicesAndGoOn({"Iota"});
    QVERIFY(content->checkBoxWakeOnLan->isChecked());
    QVERIFY(content->frameWakeAlert->isHidden());
}

QTEST_MAIN(TestBroadcastEditor)
#include "tst_broadcast_editor.moc"
