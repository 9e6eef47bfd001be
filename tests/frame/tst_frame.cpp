#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProcess>
#include <QProgressDialog>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "FrameTestSupport.h"
#include "broadcast/Broadcast.h"
#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "devices/AlertRoad.h"
#include "devices/ConnectedList.h"
#include "devices/DeviceTableModel.h"
#include "devices/Management.h"
#include "emergency/EmergencyWarningDialog.h"
#include "firmware/IFPUpgradeManager.h"
#include "network/CmdServer.h"
#include "scheduling/Scheduling.h"
#include "shell/app/AccountEditRules.h"
#include "shell/app/CheckPasswordDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LanguageDialog.h"
#include "shell/app/ReStartConfirmDialog.h"
#include "shell/app/Settings.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "support/DatabaseHold.h"
#include "support/DbProbe.h"
#include "support/HeldEventRow.h"
#include "support/KeyList.h"
#include "support/ManyDevices.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void adminFrameStartsOnDeviceControl();
    void logInBuildsNoWidgetPerDevice();
    void normalUserGetsBroadcastOnly();
    void navigationKeepsSelectedLook();
    void upgradeNotificationForAdministratorOnly();
    void closingWithoutTrayMinimises();
    void lostHeldRecordsAreTold();

    void pageModeIsStoredInSettingsFile();
    void audioBoxModeForcesDevicesTab();

    void emailRule_data();
    void emailRule();
    void accountEditRules_data();
    void accountEditRules();
    void passwordChangeNeedsCurrentPassword();
    void savingKeepsCredentialsWrittenElsewhere();
    void userSettingsAddressEdits_data();
    void userSettingsAddressEdits();
    void failedWriteKeepsPasswordFromPanels();
    void languageOnlyChangeRestarts();
    void languageChangeRestartsIntoOneConsole();

    void eventLogShowsAndExportsEvents();
    void backupWritesAndReplacesFile();
    void backupHoldsChangesOfEveryConnection();
    void restoreRefusesFilesThatAreNotBackups();
    void restoreRefusesBackupWithDamagedPages();
    void restoreRefusesForeignAccountTable();
    void restoreNamesAFileThatCannotBeRead();
    void restoreNamesWhatLiesBesideTheBackup();
    void restoreRefusesAFileTheConsoleCannotRunOn();
    void copiesRunWhileTheConsoleAnswers();
    void backupNamesAFullDisk();
    void backupFailuresNameTheirCause();
    void busyNoticeStaysWhileTheCopyRuns();
    void deletedDeviceLeavesARunningUpdate();
    // Restore, then open the live database again.
    void restoreWaitsForAProgramHoldingTheDatabase();
    void restoreBringsChangesOfWalFile();
    void restoreTellsWhatItMadeFit();
    void sosWhileRestoringIsAnsweredAndKept_data();
    void sosWhileRestoringIsAnsweredAndKept();
    // Closes the live database: keep last.
    void restoreSwapsInBackupAndRestarts();

private:
    FrameLayoutPage *newFrame(bool admin);
    UserInfoDialog *openUserSettings(FrameLayoutPage *frame);
    // Restore in the user settings, confirmed, with `file` chosen, and whileCopying done as the copy runs; false when
    // no confirmation showed.
    bool restoreFrom(UserInfoDialog &dialog, const QString &file, const std::function<void()> &whileCopying = {});
    // Waits until the dialog's backup or restore copy, which runs on a thread of its own, has ended.
    static bool copyEnded(UserInfoDialog &dialog)
    {
        return QTest::qWaitFor([&dialog]() { return !dialog.isCopying(); }, QuorvinTryCeilingMs);
    }
    // Backup pressed, and its copy ended.
    static bool backUp(UserInfoDialog &dialog)
    {
        dialog.btnBackup->click();
        return copyEnded(dialog);
    }
    // The notice a confirmed restore of `file` showed; empty when it showed none.
    QString restoreNotice(const QString &file);
    // Every row of the database file, read on a connection of its own.
    static QStringList contentOf(const QString &file)
    {
        DbProbe probe(file, QStringLiteral("content-probe"));
        return probe.content();
    }
    static QString journalModeOf(const QString &file)
    {
        DbProbe probe(file, QStringLiteral("mode-probe"));
        return probe.journalMode();
    }
    static QByteArray bytesOf(const QString &file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static DatabaseManager *liveManager()
    {
        return static_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance())->databaseManager();
    }
    static QString settingsPath()
    {
        return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/settings.ini");
    }

    TestEnv *env = nullptr;
    ScriptedChooser chooser;
    int restarts = 0;
    QStringList restartArguments; ///< those of the last restart
    QList<FrameLayoutPage *> frames;
};

void TestFrame::initTestCase()
{
    env = new TestEnv;
    QVERIFY(env->isValid());
    useLoopbackNetwork();
    FileChooser::setInstance(&chooser);
    UserInfoDialog::setRestartHandler([this](const QStringList &arguments) {
        ++restarts;
        restartArguments = arguments;
    });
    QVERIFY(OrvantaDBManager::getInstance());
    QVERIFY(storedAccount(true).isAdmin);
}

void TestFrame::cleanup()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog *>(widget))
            widget->hide();
    }
    chooser.answers.clear();
    chooser.asked = 0;
    restarts = 0;
    restartArguments.clear();
}

FrameLayoutPage *TestFrame::newFrame(bool admin)
{
    auto *frame = new FrameLayoutPage(storedAccount(admin));
    frames << frame;
    frame->show();
    return frame;
}

UserInfoDialog *TestFrame::openUserSettings(FrameLayoutPage *frame)
{
    frame->btnInfo->click();
    return visibleTopLevel<UserInfoDialog>();
}

bool TestFrame::restoreFrom(UserInfoDialog &dialog, const QString &file, const std::function<void()> &whileCopying)
{
    dialog.show();
    dialog.btnRestore->click();
    auto *confirm = visibleTopLevel<ReStartConfirmDialog>();
    if (!confirm)
        return false;
    chooser.answers << file;
    confirm->btnOk->click();
    if (whileCopying && dialog.isCopying())
        whileCopying();
    return copyEnded(dialog);
}

QString TestFrame::restoreNotice(const QString &file)
{
    UserInfoDialog dialog(storedAccount(true));
    if (!restoreFrom(dialog, file))
        return QString();
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    return message && message->isVisible() ? message->labelMessage->text() : QString();
}

// An SOS's Event Log row whose counter is at its end is given up after the file refused it while it took other
// writes, and only the log said so: the operator, told that it was saved, learns it in a message that blocks nothing.
void TestFrame::lostHeldRecordsAreTold()
{
    FrameLayoutPage *frame = newFrame(true);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    QSqlQuery sql(db->databaseManager()->connection());
    QVERIFY(sql.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'EventLog'")));
    QVERIFY(
        sql.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('EventLog', 9223372036854775807)")));
    const auto mended = qScopeGuard([&sql] {
        sql.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = (SELECT ifnull(max(did), 0) FROM EventLog) WHERE "
                                "name = 'EventLog'"));
        sql.exec(QStringLiteral("DELETE FROM Groups WHERE groupName = 'Written behind it'"));
    });
    holdEventRow(db, "AlertRoad", QStringLiteral("event-log row of the SOS from Gym"), QStringLiteral("Gym"),
                 QStringLiteral("2026-03-02 09:15:00"));
    db->heldWrites()->writeLater("test", QStringLiteral("group"), [db] {
        VelkGroups group;
        group.groupName = QStringLiteral("Written behind it");
        group.groupType = QStringLiteral("Control Box");
        return db->createGroups(group);
    });
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    GeneralMsgDialog *told = nullptr;
    for (GeneralMsgDialog *message : frame->findChildren<GeneralMsgDialog *>()) {
        if (message->isVisible() && message->labelMessage->text().contains(QStringLiteral("could not be saved")))
            told = message;
    }
    QVERIFY(told);
    QVERIFY2(told->labelMessage->text().startsWith(QStringLiteral("1 record")), qPrintable(told->labelMessage->text()));
    QCOMPARE(told->windowModality(), Qt::NonModal);
}

void TestFrame::adminFrameStartsOnDeviceControl()
{
    FrameLayoutPage *frame = newFrame(true);
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvin v1.5.1036.0"));
    QCOMPARE(frame->size(), QSize(940, 705));
    QVERIFY(frame->windowFlags() & Qt::Dialog);
    QVERIFY(!(frame->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(qobject_cast<ConnectedList *>(frame->stackedWidget->currentWidget()));
    QVERIFY(frame->Lb_ConnectedList->styleSheet().contains("#1db5ff"));
    QVERIFY(frame->iconDeviceControl->styleSheet().contains("btn_device_control_selected.png"));
    for (QLabel *label : {frame->Lb_Management, frame->Lb_Scheduling, frame->Lb_Broadcast})
        QVERIFY(label->styleSheet().contains("#bfbfbf"));
    QVERIFY(!frame->sosBackground->isVisible());
    QVERIFY(!frame->otaNotificationWidget->isVisible());
}

// Every device table built at log-in used to hold a widget or two per device: a site of 10,000 devices logged in
// for seconds and took hundreds of megabytes. A site of 300 more devices (in 30 more groups) now logs in to a main
// window of the same widgets.
void TestFrame::logInBuildsNoWidgetPerDevice()
{
    const auto widgetsOfANewFrame = [this] {
        const int before = QApplication::allWidgets().size();
        newFrame(true);
        return QApplication::allWidgets().size() - before;
    };
    const int small = widgetsOfANewFrame();
    const ManyDevices site(300, 30, QStringLiteral("Hall"), 5000);
    QVERIFY(site.isValid());
    const int large = widgetsOfANewFrame();
    QVERIFY2(large - small < 20,
             qPrintable(QStringLiteral("%1 widgets, %2 with 300 devices more").arg(small).arg(large)));
}

void TestFrame::normalUserGetsBroadcastOnly()
{
    FrameLayoutPage *frame = newFrame(false);
    QVERIFY(qobject_cast<Broadcast *>(frame->stackedWidget->currentWidget()));
    QVERIFY(frame->Lb_Broadcast->styleSheet().contains("#1db5ff"));

    auto disabledLook = [frame]() {
        return frame->iconDeviceControl->styleSheet().contains("btn_device_control_disabled.png") &&
               frame->iconManagement->styleSheet().contains("btn_setting_disabled.png") &&
               frame->iconScheduling->styleSheet().contains("btn_schedule_setup_disabled.png") &&
               frame->Lb_ConnectedList->styleSheet().contains("#666666") &&
               frame->Lb_Management->styleSheet().contains("#666666") &&
               frame->Lb_Scheduling->styleSheet().contains("#666666");
    };
    QVERIFY(disabledLook());

    // Pressing a disabled entry neither changes its look nor the page.
    QTest::mousePress(frame->Frame_Management, Qt::LeftButton);
    QTest::mouseRelease(frame->Frame_Management, Qt::LeftButton);
    QVERIFY(qobject_cast<Broadcast *>(frame->stackedWidget->currentWidget()));
    QVERIFY(disabledLook());

    QTest::mousePress(frame->Frame_Broadcast, Qt::LeftButton);
    QTest::mouseRelease(frame->Frame_Broadcast, Qt::LeftButton);
    QVERIFY(qobject_cast<Broadcast *>(frame->stackedWidget->currentWidget()));
    QVERIFY(disabledLook());
}

void TestFrame::navigationKeepsSelectedLook()
{
    FrameLayoutPage *frame = newFrame(true);
    QTest::mousePress(frame->Frame_Management, Qt::LeftButton);
    QVERIFY(frame->Lb_Management->styleSheet().contains("#666666")); // pressed
    QTest::mouseRelease(frame->Frame_Management, Qt::LeftButton);
    auto *settings = qobject_cast<Settings *>(frame->stackedWidget->currentWidget());
    QVERIFY(settings);
    QVERIFY(frame->Lb_Management->styleSheet().contains("#1db5ff"));
    QVERIFY(frame->Lb_ConnectedList->styleSheet().contains("#bfbfbf"));

    // Hovering or leaving the selected entry leaves it selected; another entry lights up.
    emit frame->Frame_Management->mouseEntered();
    emit frame->Frame_Management->mouseLeaved();
    QVERIFY(frame->Lb_Management->styleSheet().contains("#1db5ff"));
    emit frame->Frame_Scheduling->mouseEntered();
    QVERIFY(frame->Lb_Scheduling->styleSheet().contains("#ffffff"));
    emit frame->Frame_Scheduling->mouseLeaved();
    QVERIFY(frame->Lb_Scheduling->styleSheet().contains("#bfbfbf"));

    QTest::mousePress(frame->Frame_Scheduling, Qt::LeftButton);
    QTest::mouseRelease(frame->Frame_Scheduling, Qt::LeftButton);
    QVERIFY(qobject_cast<Scheduling *>(frame->stackedWidget->currentWidget()));

    // The device list's way to device creation lands on Settings.
    emit frame->stackedWidget->findChild<ConnectedList *>()->navigateToManagement();
    QCOMPARE(frame->stackedWidget->currentWidget(), settings);
}

void TestFrame::upgradeNotificationForAdministratorOnly()
{
    FrameLayoutPage *user = newFrame(false);
    FrameLayoutPage *admin = newFrame(true);
    IFPUpgradeManager *manager = IFPUpgradeManager::getInstance();
    const QString title = QStringLiteral("Update Available for ") + QString(40, QLatin1Char('M'));

    emit manager->showUpgradeNotificationTopButton(true);
    emit manager->showUpgradeNotification(true, title);
    QVERIFY(admin->otaNotificationWidget->isVisible());
    QVERIFY(admin->otaNotificationTopSetupBtn->isVisible());
    QCOMPARE(admin->otaNotificationTitleLabel->toolTip(), title);
    QVERIFY(admin->otaNotificationTitleLabel->text().endsWith(QChar(0x2026)));
    QVERIFY(!user->otaNotificationWidget->isVisible());
    QVERIFY(!user->otaNotificationTopSetupBtn->isVisible());

    // Setting up the update hides the bar and opens the schedules.
    admin->otaNotificationSetupBtn->click();
    QVERIFY(!admin->otaNotificationWidget->isVisible());
    QVERIFY(qobject_cast<Scheduling *>(admin->stackedWidget->currentWidget()));

    emit manager->showUpgradeNotification(true, title);
    admin->otaNotificationRemindBtn->click();
    QVERIFY(!admin->otaNotificationWidget->isVisible());
    emit manager->showUpgradeNotificationTopButton(false);
    QVERIFY(!admin->otaNotificationTopSetupBtn->isVisible());
}

void TestFrame::closingWithoutTrayMinimises()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QSKIP("this platform has a system tray");
    FrameLayoutPage *frame = newFrame(true);
    QVERIFY(!frame->close());
    QVERIFY(frame->isVisible());
    QVERIFY(frame->windowState() & Qt::WindowMinimized);
    frame->restoreWindow();
    QVERIFY(!(frame->windowState() & Qt::WindowMinimized));
}

void TestFrame::pageModeIsStoredInSettingsFile()
{
    auto storedMode = []() {
        QSettings file(settingsPath(), QSettings::IniFormat);
        return file.value(QStringLiteral("Page/PageMode")).toString();
    };

    QFile::remove(settingsPath());
    {
        auto *management = new Management();
        Settings settings(management);
        QVERIFY(QFile::exists(settingsPath()));
        QCOMPARE(storedMode(), QStringLiteral("0"));
        QCOMPARE(settings.cbDeviceType->currentIndex(), 0);
        QCOMPARE(settings.cbDeviceType->currentText(), QStringLiteral("IFP/Control Box"));
        QCOMPARE(management->pageMode(), 0);
    }

    {
        QSettings file(settingsPath(), QSettings::IniFormat);
        file.setValue(QStringLiteral("Page/PageMode"), QStringLiteral("1"));
    }
    {
        auto *management = new Management();
        Settings settings(management);
        settings.show();
        QCOMPARE(settings.cbDeviceType->currentText(), QStringLiteral("Streaming Audio Box"));
        QCOMPARE(settings.currentPageIndex(), 0);
        QVERIFY(!settings.btnDevices->isEnabled());
        QVERIFY(!settings.btnUserAccounts->isVisible());
        QCOMPARE(management->pageMode(), 1);
        QCOMPARE(storedMode(), QStringLiteral("1"));
    }

    // Only 0 and 1 exist; anything else is panels, and the file says so again.
    for (const QString &odd : {QStringLiteral("7"), QStringLiteral("-1"), QStringLiteral("audio")}) {
        {
            QSettings file(settingsPath(), QSettings::IniFormat);
            file.setValue(QStringLiteral("Page/PageMode"), odd);
        }
        auto *management = new Management();
        Settings settings(management);
        QCOMPARE(settings.cbDeviceType->currentIndex(), 0);
        QCOMPARE(management->pageMode(), 0);
        QCOMPARE(storedMode(), QStringLiteral("0"));
    }
}

void TestFrame::audioBoxModeForcesDevicesTab()
{
    QFile::remove(settingsPath());
    auto *management = new Management();
    Settings settings(management);
    settings.show();

    settings.btnUserAccounts->click();
    QCOMPARE(settings.currentPageIndex(), 1);
    const QByteArray before = [] {
        QFile file(settingsPath());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();

    settings.cbDeviceType->setCurrentIndex(1);
    QCOMPARE(settings.currentPageIndex(), 0);
    QVERIFY(!settings.btnUserAccounts->isVisible());
    QCOMPARE(management->pageMode(), 1);

    // Back to panels returns to the tab that was open.
    settings.cbDeviceType->setCurrentIndex(0);
    QCOMPARE(settings.currentPageIndex(), 1);
    QVERIFY(settings.btnUserAccounts->isVisible());
    QVERIFY(settings.btnDevices->isEnabled());

    // Tabs alone never write the file.
    settings.btnDevices->click();
    QCOMPARE(settings.currentPageIndex(), 0);
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestFrame::emailRule_data()
{
    QTest::addColumn<QString>("email");
    QTest::addColumn<bool>("valid");
    QTest::newRow("shortest") << "a@b.cd" << true;
    QTest::newRow("ordinary") << "operator@school.example.org" << true;
    QTest::newRow("starts with at") << "@b.cd" << false;
    QTest::newRow("dot right after at") << "a@.cd" << false;
    QTest::newRow("one after dot") << "a@b.c" << false;
    QTest::newRow("no at") << "ab.cd" << false;
    QTest::newRow("dot only before at") << "a.b@cd" << false;
    QTest::newRow("empty") << "" << false;
}

void TestFrame::emailRule()
{
    QFETCH(QString, email);
    QFETCH(bool, valid);
    QCOMPARE(UserInfoDialog::isValidEmail(email), valid);
}

// The decisions behind the user settings' Save, for both accounts: the language belongs to the administrator's record.
void TestFrame::accountEditRules_data()
{
    QTest::addColumn<bool>("admin");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("recordLanguage");
    QTest::addColumn<bool>("languageChanged");

    const QString mail = QStringLiteral("op@school.example");
    QTest::newRow("nothing") << true << mail << ""
                             << ""
                             << "en_US" << int(AccountEditRules::NothingChanged) << "en_US" << false;
    QTest::newRow("user, admin's language") << false << mail << ""
                                            << ""
                                            << "en_US" << int(AccountEditRules::NothingChanged) << "" << false;
    QTest::newRow("language only") << false << mail << ""
                                   << ""
                                   << "zh_TW" << int(AccountEditRules::LanguageOnly) << "" << false;
    // Spaces pasted around an address are no part of it.
    QTest::newRow("the stored address with spaces around")
        << true << " op@school.example "
        << ""
        << ""
        << "en_US" << int(AccountEditRules::NothingChanged) << "en_US" << false;
    QTest::newRow("bad e-mail first") << true << "nobody"
                                      << "a"
                                      << "b"
                                      << "en_US" << int(AccountEditRules::InvalidEmail) << "en_US" << false;
    QTest::newRow("passwords differ") << true << mail << "a"
                                      << "b"
                                      << "en_US" << int(AccountEditRules::PasswordsDiffer) << "en_US" << false;
    QTest::newRow("admin, new password and language")
        << true << mail << "new"
        << "new"
        << "zh_TW" << int(AccountEditRules::NeedsPasswordCheck) << "zh_TW" << true;
    QTest::newRow("user, new e-mail and language")
        << false << "new@school.example"
        << ""
        << ""
        << "zh_TW" << int(AccountEditRules::NeedsPasswordCheck) << "" << true;
}

void TestFrame::accountEditRules()
{
    QFETCH(bool, admin);
    QFETCH(QString, email);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, language);
    QFETCH(int, outcome);
    QFETCH(QString, recordLanguage);
    QFETCH(bool, languageChanged);

    VelkAccount administrator;
    administrator.aid = 1;
    administrator.isAdmin = true;
    administrator.password = QStringLiteral("kelvo");
    administrator.email = QStringLiteral("op@school.example");
    administrator.language = QStringLiteral("en_US");
    VelkAccount user;
    user.aid = 2;
    user.password = QStringLiteral("qeno");
    user.email = QStringLiteral("op@school.example");
    const VelkAccount account = admin ? administrator : user;

    const AccountEditRules::Decision decision =
        AccountEditRules::decide(account, administrator, {email, password, confirmation, language});
    QCOMPARE(int(decision.outcome), outcome);
    QCOMPARE(decision.record.language, recordLanguage);
    QCOMPARE(decision.languageChanged, languageChanged);
    if (decision.outcome == AccountEditRules::NeedsPasswordCheck) {
        QCOMPARE(decision.record.email, email);
        QCOMPARE(decision.record.password, password.isEmpty() ? account.password : password);
    }
}

void TestFrame::passwordChangeNeedsCurrentPassword()
{
    FrameLayoutPage *frame = newFrame(true);
    const VelkAccount before = storedAccount(true);
    UserInfoDialog *dialog = openUserSettings(frame);
    QVERIFY(dialog);
    QSignalSpy changed(dialog, &UserInfoDialog::changePassWord);

    // An invalid e-mail is refused before anything else.
    dialog->lineEditEmail->setText(QStringLiteral("nobody"));
    dialog->writeSetting();
    QVERIFY(dialog->lbMessage->isVisible());
    QCOMPARE(dialog->lbMessage->text(), QStringLiteral("Invalid user Email."));

    dialog->lineEditEmail->setText(QStringLiteral("admin@school.example"));
    dialog->showChangePassword();
    dialog->lineEditPassword->setText(QStringLiteral("newSecret1"));
    dialog->lineEditPasswordConfirm->setText(QStringLiteral("newSecret2"));
    dialog->writeSetting();
    QCOMPARE(dialog->lbMessage->text(), QStringLiteral("The Password do not match."));
    QVERIFY(dialog->lineEditPassword->text().isEmpty());

    dialog->lineEditPassword->setText(QStringLiteral("newSecret1"));
    dialog->lineEditPasswordConfirm->setText(QStringLiteral("newSecret1"));
    dialog->writeSetting();
    QVERIFY(!dialog->isVisible());
    auto *check = visibleTopLevel<CheckPasswordDialog>();
    QVERIFY(check);

    check->lineEditPassword->setText(before.password + QStringLiteral("x"));
    check->btnOK->click();
    QVERIFY(check->isVisible());
    QVERIFY(check->lbMessage->isVisible());
    QVERIFY(check->lineEditPassword->text().isEmpty());
    QCOMPARE(changed.count(), 0);
    const VelkAccount unchanged = storedAccount(true);
    QCOMPARE(unchanged.password, before.password);
    QCOMPARE(unchanged.email, before.email);

    check->lineEditPassword->setText(before.password);
    check->btnOK->click();
    QVERIFY(!check->isVisible());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("newSecret1"));
    const VelkAccount after = storedAccount(true);
    QCOMPARE(after.password, QStringLiteral("newSecret1"));
    QCOMPARE(after.email, QStringLiteral("admin@school.example"));
    // The panels' control password follows.
    QCOMPARE(CmdServer::getInstance()->controlPassword(), QStringLiteral("newSecret1"));
    QCOMPARE(restarts, 0);

    // The dialog now checks against the new password.
    dialog = openUserSettings(frame);
    QCOMPARE(dialog->lineEditEmail->text(), QStringLiteral("admin@school.example"));
    dialog->lineEditEmail->setText(QStringLiteral("second@school.example"));
    dialog->writeSetting();
    check->lineEditPassword->setText(QStringLiteral("newSecret1"));
    check->writeSetting();
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).toString(), QStringLiteral("newSecret1"));
    QCOMPARE(storedAccount(true).email, QStringLiteral("second@school.example"));

    // Put the seeded password back for the tests that follow.
    VelkAccount restore = storedAccount(true);
    restore.password = before.password;
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(restore), DB_OK);
}

void TestFrame::savingKeepsCredentialsWrittenElsewhere()
{
    const VelkAccount base = storedAccount(false);
    UserInfoDialog dialog(base);
    dialog.show();
    dialog.lineEditEmail->setText(QStringLiteral("user@school.example"));
    dialog.writeSetting();
    auto *check = visibleTopLevel<CheckPasswordDialog>();
    QVERIFY(check);

    // While the confirmation waits, the camera link stores its credentials in the same row.
    VelkAccount elsewhere = storedAccount(false);
    elsewhere.sosUsername = QStringLiteral("camuser");
    elsewhere.sosPassword = QStringLiteral("Y2FtcGFzcw==");
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(elsewhere), DB_OK);

    check->lineEditPassword->setText(base.password);
    check->writeSetting();
    const VelkAccount after = storedAccount(false);
    QCOMPARE(after.email, QStringLiteral("user@school.example"));
    QCOMPARE(after.sosUsername, QStringLiteral("camuser"));
    QCOMPARE(after.sosPassword, QStringLiteral("Y2FtcGFzcw=="));
    QCOMPARE(after.password, base.password);
}

// An address an earlier version stored with spaces around it kept them when the operator took them out; one pasted
// over a stored address longer than the field's limit was stored whole. Ctrl+Z takes back to the stored address.
void TestFrame::userSettingsAddressEdits_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<bool>("asked"); // for the current password

    const QString spaced = QStringLiteral(" ops@example.org ");
    const QString long40 = QStringLiteral("admin@st-mary-primary-school.example.org");
    const QString pasted40 = QStringLiteral("ops@st-mary-primary-school.example.co.uk");
    QTest::newRow("the spaces taken out") << spaced << "Home, Del, End, Backspace"
                                          << ""
                                          << "ops@example.org" << false;
    QTest::newRow("nothing touched") << spaced << ""
                                     << "" << spaced << false;
    // An address too long for the field is refused whole, over a long stored one as over an everyday one: cut, it
    // would be another address. "Return" saves through the field before the event loop turns again.
    QTest::newRow("40 characters: Ctrl+A, paste 40") << long40 << "Ctrl+A, Ctrl+V" << pasted40 << long40 << false;
    const QString long46 = QStringLiteral("facilities.office.north@st-mary.example.org.uk");
    QTest::newRow("46 characters: Ctrl+A, paste 43, Return")
        << long46 << "Ctrl+A, Ctrl+V, Return" << QStringLiteral("maintenance.office.north@school.example.org") << long46
        << false;
    QTest::newRow("46 characters: Ctrl+A, paste 34, Return")
        << long46 << "Ctrl+A, Ctrl+V, Return" << pasted40.left(34) << pasted40.left(34) << true;
    QTest::newRow("40 characters: Ctrl+A, x, Ctrl+Z") << long40 << "Ctrl+A, X, Ctrl+Z"
                                                      << "" << long40 << false;
}

void TestFrame::userSettingsAddressEdits()
{
    QFETCH(QString, stored);
    QFETCH(QString, keys);
    QFETCH(QString, clipboard);
    QFETCH(QString, kept);
    QFETCH(bool, asked);
    const VelkAccount before = storedAccount(false);
    VelkAccount seeded = before;
    seeded.email = stored;
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(seeded), DB_OK);
    QGuiApplication::clipboard()->setText(clipboard);

    UserInfoDialog dialog(storedAccount(false));
    dialog.show();
    keyList(keys).simulate(dialog.lineEditEmail);
    QTRY_COMPARE(dialog.lineEditEmail->text(), kept);
    if (!keys.endsWith(QLatin1String("Return")))
        dialog.writeSetting();
    auto *check = visibleTopLevel<CheckPasswordDialog>();
    QCOMPARE(check != nullptr, asked);
    if (check) {
        check->lineEditPassword->setText(before.password);
        check->writeSetting();
    }
    QVERIFY(!dialog.isVisible());
    QCOMPARE(storedAccount(false).email.toUtf8().toHex(), kept.toUtf8().toHex());
    VelkAccount restore = before;
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(restore), DB_OK);
}

void TestFrame::failedWriteKeepsPasswordFromPanels()
{
    CheckPasswordDialog check;
    VelkAccount ghost;
    ghost.aid = 9999; // no such row: the update fails
    ghost.password = QStringLiteral("old");
    ghost.isAdmin = true;
    check.setUserInfo(ghost);
    VelkAccount changed = ghost;
    changed.password = QStringLiteral("brandNew");
    check.setPendingUserInfo(changed);
    QSignalSpy spy(&check, &CheckPasswordDialog::passWordChange);
    check.show();
    check.lineEditPassword->setText(QStringLiteral("old"));
    check.writeSetting();
    QCOMPARE(spy.count(), 0);
    QVERIFY(check.isVisible());
    QVERIFY(check.lbMessage->isVisible());
}

void TestFrame::languageOnlyChangeRestarts()
{
    // A normal user's choice goes into the administrator's record.
    const VelkAccount adminBefore = storedAccount(true);
    const VelkAccount userBefore = storedAccount(false);
    UserInfoDialog dialog(userBefore);
    dialog.show();
    const int target = adminBefore.language == QLatin1String("zh_TW") ? 1 : 2;
    dialog.comboBoxLang->setCurrentIndex(target);
    QVERIFY(visibleTopLevel<LanguageDialog>());
    dialog.writeSetting();
    QCOMPARE(restarts, 1);
    QCOMPARE(storedAccount(true).language, dialog.comboBoxLang->itemData(target).toString());
    QCOMPARE(storedAccount(false).language, userBefore.language);

    // Nothing changed: nothing written, no restart.
    restarts = 0;
    UserInfoDialog again(storedAccount(false));
    again.show();
    again.writeSetting();
    QCOMPARE(restarts, 0);
    QVERIFY(!again.isVisible());

    VelkAccount reset = storedAccount(true);
    reset.language = adminBefore.language;
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(reset), DB_OK);
}

void TestFrame::languageChangeRestartsIntoOneConsole()
{
    // The probe changes the language the way the dialog's Save does and restarts with the real
    // hand-over; the program it restarts reports whether it became the one console.
    QTemporaryDir probeHome;
    QVERIFY(probeHome.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), probeHome.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), probeHome.path() + QStringLiteral("/.local/share"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), probeHome.path() + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("QV_PROBE_REPORT"), probeHome.path() + QStringLiteral("/report.txt"));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(QV_RESTART_PROBE), {QStringLiteral("change-language")});
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitCode(), 0);

    const QString reportPath = probeHome.path() + QStringLiteral("/report.txt");
    auto reportLines = [reportPath]() {
        QFile report(reportPath);
        if (!report.open(QIODevice::ReadOnly))
            return QStringList();
        return QString::fromUtf8(report.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    QTRY_VERIFY_WITH_TIMEOUT(reportLines().size() >= 3, 30000);
    // The restarted console has ended once its lock is gone.
    const QDir lockFolder(probeHome.path() + QStringLiteral("/.local/share/frame_restart_probe"));
    QTRY_VERIFY_WITH_TIMEOUT(lockFolder.entryList({QStringLiteral("*.lock")}, QDir::Files).isEmpty(), 30000);
    const QStringList lines = reportLines();
    QCOMPARE(lines, QStringList({QStringLiteral("started once"), QStringLiteral("acquired"),
                                 QStringLiteral("language zh_TW")}));
}

void TestFrame::eventLogShowsAndExportsEvents()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkEventLog> existing;
    QCOMPARE(db->queryEventLog(existing), DB_OK);
    QVERIFY(existing.isEmpty());

    EventLogDialog dialog;
    dialog.show();
    QVERIFY(dialog.widgetEmptyLog->isVisible());
    QVERIFY(!dialog.btnExport->isEnabled());
    QCOMPARE(dialog.logModel()->totalRows(), 0);

    VelkEventLog first;
    first.deviceName = QStringLiteral("Lobby Panel 2");
    first.time = QStringLiteral("2024-03-01 08:15:00");
    VelkEventLog second;
    second.deviceName = QStringLiteral("Gym");
    second.event = 5;
    second.time = QStringLiteral("2024-03-02 12:00:59");
    QCOMPARE(db->insertEventLog(first), DB_OK);
    QCOMPARE(db->insertEventLog(second), DB_OK);

    dialog.initial();
    QVERIFY(!dialog.widgetEmptyLog->isVisible());
    QVERIFY(dialog.btnExport->isEnabled());
    QCOMPARE(dialog.logModel()->totalRows(), 2);
    QCOMPARE(dialog.logModel()->index(1, 1).data().toString(), QStringLiteral("Emergency Event"));

    const QString target = env->home() + QStringLiteral("/events.txt");
    chooser.answers << target;
    dialog.btnExport->click();
    // Written on a thread of its own.
    QTRY_VERIFY(!dialog.logModel()->isExporting());
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("Device Name   Event   Time   \n"
                            "Lobby Panel 2   Emergency Event   2024-03-01 08:15:00   \n"
                            "Gym   Emergency Event   2024-03-02 12:00:59   \n"));

    // A file that cannot be written is reported, not passed over.
    chooser.answers << env->home() + QStringLiteral("/no-such-folder/events.txt");
    dialog.btnExport->click();
    GeneralMsgDialog *message = nullptr;
    QTRY_VERIFY((message = dialog.findChild<GeneralMsgDialog *>()) && message->isVisible());
    QVERIFY(!message->labelMessage->text().isEmpty());
}

void TestFrame::backupWritesAndReplacesFile()
{
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QStringList content = contentOf(live);
    QVERIFY(content.size() > 10);

    const QString target = env->home() + QStringLiteral("/backup.db");
    chooser.answers << target;
    QVERIFY(backUp(dialog));
    QVERIFY(bytesOf(target).startsWith("SQLite format 3"));
    QCOMPARE(contentOf(target), content);

    // The save dialog already asked before replacing; the copy really replaces.
    QFile written(target);
    QVERIFY(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
    written.write("stale");
    written.close();
    chooser.answers << target;
    QVERIFY(backUp(dialog));
    QCOMPARE(contentOf(target), content);
    // Nothing but the copy is left beside it.
    QCOMPARE(QDir(env->home()).entryList({QStringLiteral("backup.db*")}, QDir::Files), QStringList{"backup.db"});

    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message && !message->isVisible());
    chooser.answers << env->home() + QStringLiteral("/no-such-folder/backup.db");
    QVERIFY(backUp(dialog));
    QVERIFY(message->isVisible());

    // The live file itself is no backup: it is refused and stays the file the data store
    // writes to, so what is saved afterwards is still there for the next start.
    message->hide();
    chooser.answers << live;
    QVERIFY(backUp(dialog));
    QVERIFY(message->isVisible());
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("after-self-backup@school.example");
    QCOMPARE(OrvantaDBManager::getInstance()->updateAccount(admin), DB_OK);
    {
        QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("self-backup"));
        reader.setDatabaseName(live);
        QVERIFY(reader.open());
        QSqlQuery query(reader);
        QVERIFY(query.exec(QStringLiteral("SELECT email FROM Account WHERE isAdmin = 1")) && query.next());
        QCOMPARE(query.value(0).toString(), admin.email);
        query.finish();
        reader.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("self-backup"));

    // Cancelling the save dialog does nothing.
    message->hide();
    message->hide();
    QVERIFY(backUp(dialog));
    QVERIFY(!message->isVisible());
}

// The data store's own connection and any other may hold committed changes that the database file itself does not
// show yet: in WAL mode (a file restored from a backup in that mode) they sit in the file beside it. A byte copy of the
// database file lost them all; the backup had the old e-mail address and lacked the newest events.
void TestFrame::backupHoldsChangesOfEveryConnection()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString target = env->home() + QStringLiteral("/changes-backup.db");
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    // The live file back in the console's own mode for the cases after this one, however this one ends.
    const auto backToOwnMode = qScopeGuard([live]() {
        liveManager()->closeDatabase();
        {
            DbProbe back(live, QStringLiteral("wal-undo"));
            back.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        }
        liveManager()->openDatabase();
    });
    {
        DbProbe other(live, QStringLiteral("wal-writer"));
        QVERIFY(other.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
        QCOMPARE(other.journalMode(), QStringLiteral("wal"));
        QVERIFY(other.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
        QVERIFY(other.exec(QStringLiteral("UPDATE Account SET email = ? WHERE isAdmin = 1"),
                           {QStringLiteral("from-wal@school.example")}));
        VelkEventLog event;
        event.deviceName = QStringLiteral("Library Panel");
        event.time = QStringLiteral("2024-05-02 10:30:00");
        QCOMPARE(db->insertEventLog(event), DB_OK);
        QVERIFY(QFileInfo(live + QStringLiteral("-wal")).size() > 0);

        chooser.answers << target;
        QVERIFY(backUp(dialog));
        QVERIFY(!message->isVisible());
        const QStringList copied = contentOf(target);
        QVERIFY2(!copied.filter(QStringLiteral("from-wal@school.example")).isEmpty(), qPrintable(copied.join('\n')));
        QVERIFY(!copied.filter(QStringLiteral("Library Panel")).isEmpty());
        // The copy stands alone, in the console's own journal mode.
        QCOMPARE(journalModeOf(target), QStringLiteral("delete"));
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
    }
}

void TestFrame::restoreRefusesFilesThatAreNotBackups()
{
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    const QString live = DatabaseFileOps::liveDatabasePath();
    QFile liveFile(live);
    QVERIFY(liveFile.open(QIODevice::ReadOnly));
    const QByteArray content = liveFile.readAll();
    liveFile.close();

    const QString garbage = env->home() + QStringLiteral("/garbage.db");
    QFile garbageFile(garbage);
    QVERIFY(garbageFile.open(QIODevice::WriteOnly));
    garbageFile.write(QByteArray(4096, 'x'));
    garbageFile.close();

    const QString otherDb = env->home() + QStringLiteral("/other.db");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(otherDb);
        QVERIFY(other.open());
        QSqlQuery query(other);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE Notes (id INTEGER)")));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));

    const QString upperCase = env->home() + QStringLiteral("/backup.DB");
    QVERIFY(QFile::copy(live, upperCase));

    for (const QString &choice : {garbage, live, otherDb, upperCase}) {
        message->hide();
        chooser.answers << choice;
        dialog.restoreDb();
        QVERIFY(copyEnded(dialog));
        QVERIFY2(message->isVisible(), qPrintable(choice));
        QCOMPARE(restarts, 0);
        QVERIFY(liveFile.open(QIODevice::ReadOnly));
        QCOMPARE(liveFile.readAll(), content);
        liveFile.close();
        QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
    }
    // The live database still serves.
    QList<VelkAccount> accounts;
    QCOMPARE(OrvantaDBManager::getInstance()->queryAccount(accounts), DB_OK);
    QCOMPARE(accounts.size(), 2);

    message->hide();
    dialog.restoreDb(); // cancelled
    QVERIFY(!message->isVisible());
}

// A backup whose pages were damaged still lists its tables, so it passed for a backup; swapped in,
// the next start found it damaged, set it aside and began with an empty database, while the data
// in use lay in a ".bak" file nobody was told of.
void TestFrame::restoreRefusesBackupWithDamagedPages()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (int n = 0; n < 400; ++n) {
        VelkEventLog event;
        event.deviceName = QStringLiteral("Hall Panel %1").arg(n);
        event.time = QStringLiteral("2024-04-01 09:00:00");
        QCOMPARE(db->insertEventLog(event), DB_OK);
    }
    const QString live = DatabaseFileOps::liveDatabasePath();

    auto probe = [](const QString &path, const QString &sql) {
        QVariantList values;
        {
            QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage-probe"));
            reader.setDatabaseName(path);
            if (reader.open()) {
                QSqlQuery query(reader);
                if (query.exec(sql)) {
                    while (query.next())
                        values << query.value(0);
                }
                query.finish();
                reader.close();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("damage-probe"));
        return values;
    };
    // A copy of the live file with garbage in the middle of a full page of the event table (the first
    // leaf below its top page); the schema on the first pages stays whole.
    auto damagedCopy = [&](const QString &path) {
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
            DatabaseFileOps::backup(live, path) != DatabaseFileOps::Ok)
            return false;
        const int pageSize = probe(path, QStringLiteral("PRAGMA page_size")).value(0).toInt();
        const int root =
            probe(path, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'EventLog'")).value(0).toInt();
        QFile file(path);
        if (pageSize <= 0 || root <= 1 || !file.open(QIODevice::ReadWrite) || !file.seek(qint64(root - 1) * pageSize))
            return false;
        const QByteArray top = file.read(pageSize);
        auto number = [](const QByteArray &bytes, int at, int size) {
            quint32 value = 0;
            for (int n = 0; n < size; ++n)
                value = value << 8 | quint8(bytes.at(at + n));
            return value;
        };
        // 0x05: an inner page of a table; its first cell starts with the number of the page left of it.
        if (top.size() != pageSize || quint8(top.at(0)) != 0x05)
            return false;
        const quint32 leaf = number(top, int(number(top, 12, 2)), 4);
        return file.seek(qint64(leaf - 1) * pageSize + pageSize / 2) && file.write(QByteArray(64, '\xff')) == 64;
    };

    // Such a file is what start-up sets aside.
    const QString startUpFolder = env->home() + QStringLiteral("/damaged-start");
    QVERIFY(damagedCopy(startUpFolder + QStringLiteral("/dbManagement/QuorvinDatabase.db")));
    {
        DatabaseManager startUp(startUpFolder, QStringLiteral("damage-startup"));
        QCOMPARE(startUp.openState(), DatabaseManager::Recreated);
    }

    const QString backup = env->home() + QStringLiteral("/damaged-backup.db");
    QVERIFY(damagedCopy(backup));
    QCOMPARE(probe(backup, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'Account'")),
             QVariantList{1});
    QVERIFY(probe(backup, QStringLiteral("PRAGMA quick_check")) != QVariantList{QStringLiteral("ok")});

    QFile liveFile(live);
    QVERIFY(liveFile.open(QIODevice::ReadOnly));
    const QByteArray liveBefore = liveFile.readAll();
    liveFile.close();

    UserInfoDialog dialog(storedAccount(true));
    QVERIFY(restoreFrom(dialog, backup));

    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message && message->isVisible());
    QCOMPARE(message->labelMessage->text(),
             UserInfoDialog::tr("This backup file is damaged and cannot be restored. The current data is kept."));
    QCOMPARE(restarts, 0);
    QVERIFY(liveFile.open(QIODevice::ReadOnly));
    QCOMPARE(liveFile.readAll(), liveBefore);
    liveFile.close();
    QVERIFY(!QFile::exists(DatabaseFileOps::keptPath(live)));
    QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
    // The data in use still serves.
    QList<VelkEventLog> events;
    QCOMPARE(db->queryEventLog(events), DB_OK);
    QVERIFY(events.size() >= 400);
}

// Another program's database with a table named Account passed for a backup. Swapped in, log-in read no account
// ("Invalid user password") and the operator's data lay in a ".bak" file that the restore cannot pick.
void TestFrame::restoreRefusesForeignAccountTable()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString foreign = env->home() + QStringLiteral("/shop.db");
    {
        DbProbe shop(foreign, QStringLiteral("shop"));
        QVERIFY(shop.exec(QStringLiteral("CREATE TABLE Account (id INTEGER PRIMARY KEY, owner TEXT NOT NULL, "
                                         "balance REAL)")));
        QVERIFY(shop.exec(QStringLiteral("INSERT INTO Account (owner, balance) VALUES ('Lin', 12.5)")));
    }
    const QByteArray foreignBefore = bytesOf(foreign);
    const QByteArray liveBefore = bytesOf(live);
    // An earlier restore's kept file would hide one this restore must not leave.
    QFile::remove(DatabaseFileOps::keptPath(live));

    QCOMPARE(restoreNotice(foreign),
             UserInfoDialog::tr("This file is not a database of this program. The current data is kept."));
    QCOMPARE(restarts, 0);
    QCOMPARE(bytesOf(live), liveBefore);
    QCOMPARE(bytesOf(foreign), foreignBefore);
    QVERIFY(!QFile::exists(DatabaseFileOps::keptPath(live)));
    QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
    QList<VelkAccount> accounts;
    QCOMPARE(OrvantaDBManager::getInstance()->queryAccount(accounts), DB_OK);
    QCOMPARE(accounts.size(), 2);
}

// A file the restore cannot read was called "not a database of this program", the text of a foreign file: a healthy
// backup in WAL mode in a folder that may not be written got it, and the operator had no way to learn what to do.
void TestFrame::restoreNamesAFileThatCannotBeRead()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString folder = env->home() + QStringLiteral("/archive.db");
    QVERIFY(QDir().mkpath(folder));
    const QByteArray liveBefore = bytesOf(live);

    QCOMPARE(restoreNotice(folder), UserInfoDialog::tr("This file cannot be read. The current data is kept."));
    QCOMPARE(restarts, 0);
    QCOMPARE(bytesOf(live), liveBefore);
}

// A FIFO named like a backup's journal kept "Restoring the database..." up for good, and a copy the disk had no room
// for ended in "could not be restored": the operator learns which name to remove, or how much room is missing.
void TestFrame::restoreNamesWhatLiesBesideTheBackup()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString backup = env->home() + QStringLiteral("/beside/console.db");
    QVERIFY(QDir().mkpath(QFileInfo(backup).absolutePath()));
    QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
    const QString journal = backup + QStringLiteral("-journal");
    QVERIFY(::mkfifo(QFile::encodeName(journal).constData(), 0600) == 0);
    const QByteArray liveBefore = bytesOf(live);
    QCOMPARE(restoreNotice(backup), UserInfoDialog::tr("The backup cannot be read, because %1 beside it is not an "
                                                       "ordinary file. Remove it, or choose another backup. The "
                                                       "current data is kept.")
                                        .arg(journal));

    QVERIFY(QFile::remove(journal));
    QVERIFY(!writeRandomFile(journal, 3 << 20).isEmpty());
    DatabaseFileOps::setFreeRoom([](const QString &) { return qint64(1) << 20; });
    const QString notice = restoreNotice(backup);
    DatabaseFileOps::setFreeRoom(nullptr);
    const qint64 needed = QFileInfo(backup).size() + (3 << 20);
    QCOMPARE(
        notice,
        UserInfoDialog::tr("The database could not be restored: copies of the backup and of the files beside it "
                           "need %1 MB on the disk that holds %2, and only %3 MB are free. Free space on that "
                           "disk and try again. The current data is kept.")
            .arg(QString::number((needed + (1 << 20) - 1) >> 20), QFileInfo(live).absolutePath(), QStringLiteral("1")));
    QCOMPARE(restarts, 0);
    QCOMPARE(bytesOf(live), liveBefore);
    QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
}

// A file whose accounts log-in reads but whose other tables are another program's, or whose administrator has no
// password, was restored: the console restarted with empty pages that saved nothing, or let anyone in as
// administrator with an empty password. It gets the notice of a foreign file, and the data in use stays.
void TestFrame::restoreRefusesAFileTheConsoleCannotRunOn()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    QFile::remove(DatabaseFileOps::keptPath(live));
    const QStringList changes{QStringLiteral("DROP TABLE Device"),
                              QStringLiteral("CREATE TABLE Device (id INTEGER PRIMARY KEY, name TEXT, address TEXT)"),
                              QStringLiteral("UPDATE Account SET password = NULL WHERE isAdmin = 1")};
    for (int n = 0; n < 2; ++n) {
        const QString file = env->home() + QStringLiteral("/cannot-run-%1.db").arg(n);
        QCOMPARE(DatabaseFileOps::backup(live, file), DatabaseFileOps::Ok);
        {
            DbProbe changer(file, QStringLiteral("cannot-run"));
            for (const QString &sql : n == 0 ? changes.mid(0, 2) : changes.mid(2))
                QVERIFY2(changer.exec(sql), qPrintable(changer.lastError()));
        }
        const QByteArray liveBefore = bytesOf(live);
        QCOMPARE(restoreNotice(file),
                 UserInfoDialog::tr("This file is not a database of this program. The current data is kept."));
        QCOMPARE(restarts, 0);
        QCOMPARE(bytesOf(live), liveBefore);
        QVERIFY(!QFile::exists(DatabaseFileOps::keptPath(live)));
        QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
    }
}

// Backup and Restore held the GUI thread for the whole copy, seconds for a large database, and showed nothing. The
// copy runs on a thread of its own, and a notice with a moving bar shows meanwhile.
void TestFrame::copiesRunWhileTheConsoleAnswers()
{
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    auto *busy = dialog.findChild<QProgressDialog *>();
    QVERIFY(busy && !busy->isVisible());
    const QString target = env->home() + QStringLiteral("/while-answering.db");
    chooser.answers << target;
    dialog.btnBackup->click();
    // The click has returned to the event loop; the copy ends only after it.
    QVERIFY(dialog.isCopying());
    QVERIFY(busy->isVisible());
    QCOMPARE(busy->labelText(), UserInfoDialog::tr("Backing up the database..."));
    QCOMPARE(busy->minimum(), busy->maximum());
    QVERIFY(copyEnded(dialog));
    QVERIFY(!busy->isVisible());
    QCOMPARE(contentOf(target), contentOf(DatabaseFileOps::liveDatabasePath()));

    const QString notBackup = env->home() + QStringLiteral("/not-a-backup.db");
    {
        DbProbe other(notBackup, QStringLiteral("not-a-backup"));
        QVERIFY(other.exec(QStringLiteral("CREATE TABLE Notes (id INTEGER)")));
    }
    dialog.btnRestore->click();
    auto *confirm = visibleTopLevel<ReStartConfirmDialog>();
    QVERIFY(confirm);
    chooser.answers << notBackup;
    confirm->btnOk->click();
    QVERIFY(dialog.isCopying());
    QVERIFY(busy->isVisible());
    QCOMPARE(busy->labelText(), UserInfoDialog::tr("Restoring the database..."));
    QVERIFY(copyEnded(dialog));
    QVERIFY(!busy->isVisible());
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message && message->isVisible());
    QCOMPARE(restarts, 0);
}

// A Backup that failed on a full disk said only "The database could not be backed up.", while the log said the disk
// was full; the operator learns which disk, and what to do.
void TestFrame::backupNamesAFullDisk()
{
    const QString target = QStringLiteral("/media/usb-stick/backups/console.db");
    const QString full = UserInfoDialog::backupFailure(DatabaseFileOps::DiskFull, target);
    QVERIFY2(full.contains(QDir::toNativeSeparators(QStringLiteral("/media/usb-stick/backups"))), qPrintable(full));
    QVERIFY2(full.contains(QStringLiteral("is full")), qPrintable(full));
    QCOMPARE(UserInfoDialog::backupFailure(DatabaseFileOps::CopyFailed, target),
             UserInfoDialog::tr("The database could not be backed up."));
}

// "The database could not be backed up." was all an operator learned when the target was the database in use, lay in a
// folder that does not exist or cannot be written, or when another program held the database.
void TestFrame::backupFailuresNameTheirCause()
{
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message);
    chooser.answers << DatabaseFileOps::liveDatabasePath();
    QVERIFY(backUp(dialog));
    QVERIFY(message->isVisible());
    QCOMPARE(message->labelMessage->text(),
             UserInfoDialog::tr("This file is the database in use. Please choose another file for the backup."));

    message->hide();
    const QString missing = env->home() + QStringLiteral("/no-such-folder");
    chooser.answers << missing + QStringLiteral("/backup.db");
    QVERIFY(backUp(dialog));
    QVERIFY(message->isVisible());
    QCOMPARE(message->labelMessage->text(),
             UserInfoDialog::tr("The database could not be backed up, because the folder %1 does not exist.")
                 .arg(QDir::toNativeSeparators(missing)));

    const QString target = QStringLiteral("/media/usb-stick/backups/console.db");
    const QString readOnly = UserInfoDialog::backupFailure(DatabaseFileOps::FolderReadOnly, target);
    QVERIFY2(readOnly.contains(QDir::toNativeSeparators(QStringLiteral("/media/usb-stick/backups"))) &&
                 readOnly.contains(QStringLiteral("cannot be written")),
             qPrintable(readOnly));
    const QString inUse = UserInfoDialog::backupFailure(DatabaseFileOps::InUse, target);
    QVERIFY2(inUse.contains(QStringLiteral("another program")), qPrintable(inUse));

    // A folder whose name the dialog could not show (bytes that are no text here) was said not to exist.
    message->hide();
    const QString unshown = env->home() + QString::fromUtf8("/caf\uFFFD/backup.db");
    chooser.answers << unshown;
    QVERIFY(backUp(dialog));
    QVERIFY(message->isVisible());
    QCOMPARE(message->labelMessage->text(),
             UserInfoDialog::tr("The database could not be backed up, because the name %1 holds characters this "
                                "system cannot show. Choose a folder and a file name without them.")
                 .arg(QDir::toNativeSeparators(unshown)));
}

// Escape hid the moving-bar notice while the copy ran; a second Restore confirmation could then be opened, and its
// Continue did nothing, without a word. The notice stays until its copy ends, and nothing else begins meanwhile.
void TestFrame::busyNoticeStaysWhileTheCopyRuns()
{
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    auto *busy = dialog.findChild<QProgressDialog *>();
    QVERIFY(busy);
    chooser.answers << env->home() + QStringLiteral("/escaped.db");
    dialog.btnBackup->click();
    // The copy ends only once the event loop runs again.
    QVERIFY(dialog.isCopying());
    QVERIFY(busy->isVisible());
    QTest::keyClick(busy, Qt::Key_Escape);
    QVERIFY(busy->isVisible());
    busy->close();
    QVERIFY(busy->isVisible());
    dialog.restartCheck();
    QVERIFY(!visibleTopLevel<ReStartConfirmDialog>());
    dialog.restoreDb();
    QCOMPARE(chooser.asked, 1);
    QVERIFY(busy->isVisible());
    QVERIFY(copyEnded(dialog));
    QVERIFY(!busy->isVisible());
    QVERIFY(QFile::exists(env->home() + QStringLiteral("/escaped.db")));
}

// A firmware update waits up to ten minutes for a device that is off to wake. Deleting that device on the device page
// ends the wait at once: the main frame hands the deletion to the update manager.
void TestFrame::deletedDeviceLeavesARunningUpdate()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice doomed;
    doomed.deviceName = QStringLiteral("Doomed box");
    doomed.modelName = QStringLiteral("Velk TM7-B");
    doomed.macAddress = QStringLiteral("02:51:4d:00:0b:01");
    doomed.ipAddress = QStringLiteral("127.0.0.61");
    doomed.fwVersion = QStringLiteral("2.5.2051.0");
    doomed.deviceType = QStringLiteral("Control Box");
    QCOMPARE(db->createIFPDevice(doomed), DB_OK);
    FrameLayoutPage *frame = newFrame(true);
    auto *management = frame->findChild<Management *>();
    QVERIFY(management);
    const int row = management->deviceModel()->rowOfName(doomed.deviceName);
    QVERIFY(row >= 0);
    VelkIFPDevice record = management->deviceModel()->deviceAt(row);
    VelkOtaSchedule schedule;
    schedule.scheduleTarget = 2;
    schedule.date = QStringLiteral("2031-03-03");
    schedule.time = QStringLiteral("09:00");
    schedule.status = UPDATE_UPDATING;
    schedule.isEnable = true;
    schedule.devices = {record};
    QCOMPARE(db->insertOtaSchedule(schedule), DB_OK);
    QList<VelkIFPDevice> rows = {record};
    QCOMPARE(db->insertOtaScheduleReport(schedule, rows), DB_OK);
    QList<VelkIFPDevice *> runDevices = {&record};
    IFPUpgradeManager *manager = IFPUpgradeManager::getInstance();
    // The run holds pointers to the records above: it must not outlive them, however this case ends.
    struct CancelRun
    {
        ~CancelRun() { IFPUpgradeManager::getInstance()->cancelOta(); }
    } cancel;
    QSignalSpy finished(manager, &IFPUpgradeManager::otaScheduleFinished);
    manager->startOta(&schedule, runDevices);
    QVERIFY(manager->isOtaRunning());

    management->deleteDevice(row);
    QVERIFY(management->deleteDialog()->isVisible());
    QTest::mouseClick(management->deleteDialog()->btnOk, Qt::LeftButton);
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!manager->isOtaRunning());
    QCOMPARE(management->deviceModel()->rowOfName(doomed.deviceName), -1);
}

// A restore swapped the live file from under another program's transaction, whose commit then failed with a disk
// I/O error. It waits for that program to let go, and when it does not, says so and keeps the data in use.
void TestFrame::restoreWaitsForAProgramHoldingTheDatabase()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString backup = env->home() + QStringLiteral("/while-held.db");
    QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
    const auto waitBack = qScopeGuard([]() { UserInfoDialog::setLiveFileWaitMs(DatabaseFileOps::kLiveFileWaitMs); });
    UserInfoDialog::setLiveFileWaitMs(300);
    {
        DatabaseHold hold(live, DatabaseHold::Writer);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        const QByteArray liveBefore = bytesOf(live);
        QCOMPARE(restoreNotice(backup),
                 UserInfoDialog::tr("The database could not be restored, because another program is using it. Close "
                                    "that program and try again. The current data is kept."));
        QCOMPARE(restarts, 0);
        QCOMPARE(bytesOf(live), liveBefore);
        QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
        QList<VelkAccount> accounts;
        QCOMPARE(OrvantaDBManager::getInstance()->queryAccount(accounts), DB_OK);
        QCOMPARE(accounts.size(), 2);
    }

    // A program that lets go within the wait is waited for.
    UserInfoDialog::setLiveFileWaitMs(QuorvinTryCeilingMs);
    const auto reopen = qScopeGuard([]() { liveManager()->openDatabase(); });
    DatabaseHold brief(live, DatabaseHold::Writer, 1000);
    QVERIFY2(brief.isHeld(), qPrintable(brief.error()));
    UserInfoDialog dialog(storedAccount(true));
    QVERIFY(restoreFrom(dialog, backup));
    QCOMPARE(restarts, 1);
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message && !message->isVisible());
}

// A backup with rows the console's tables hold once (two devices of one name) was refused as "not a database of this
// program"; what the restore made fit is told. Told before the restart, it held the restart back with the database
// closed, and the row of an SOS that came as the operator read it was held and lost at the restart. The console
// restarts at once, and the restarted one tells it, with the restored file open. A long value is no such thing: it
// comes back whole, and the message does not name it.
void TestFrame::restoreTellsWhatItMadeFit()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString backup = env->home() + QStringLiteral("/made-to-fit.db");
    QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
    auto reopen = qScopeGuard([]() { liveManager()->openDatabase(); });
    {
        DbProbe changer(backup, QStringLiteral("made-to-fit"));
        QString error;
        QVERIFY2(changer.execAll(QStringLiteral("CREATE TABLE Rebuilt AS SELECT * FROM Device; DROP TABLE Device; "
                                                "ALTER TABLE Rebuilt RENAME TO Device; INSERT INTO Device (did, "
                                                "deviceName) VALUES (901, 'Twice'); INSERT INTO Device (did, "
                                                "deviceName) VALUES (902, 'Twice'); INSERT INTO EventLog (deviceName, "
                                                "event, time) VALUES (hex(zeroblob(5000)), 1, '2024-05-06 07:30:00')"),
                                 &error),
                 qPrintable(error));
    }
    UserInfoDialog dialog(storedAccount(true));
    QVERIFY(restoreFrom(dialog, backup));
    QCOMPARE(restarts, 1);
    auto *message = dialog.findChild<GeneralMsgDialog *>();
    QVERIFY(message && !message->isVisible());
    QCOMPARE(DbProbe(live, QStringLiteral("made-to-fit-live"))
                 .column(QStringLiteral("SELECT did FROM Device WHERE deviceName = 'Twice'")),
             QStringList{QStringLiteral("901")});

    // The restarted console: the restored file open as it tells what was made fit, and an SOS comes meanwhile.
    liveManager()->openDatabase();
    reopen.dismiss();
    DatabaseFileOps::RestoreReport made;
    made.duplicateRows.insert(QStringLiteral("Device"), 1);
    const QString told = UserInfoDialog::noticeAfterRestart(restartArguments);
    QCOMPARE(told, UserInfoDialog::restoreChanges(made));
    QVERIFY(told.contains(QStringLiteral("Device (1)")));
    QVERIFY(!told.contains(QStringLiteral("EventLog")));
    QCOMPARE(DbProbe(live, QStringLiteral("made-to-fit-long"))
                 .column(QStringLiteral("SELECT length(deviceName) FROM EventLog WHERE time = '2024-05-06 07:30:00' "
                                        "AND length(deviceName) > 4096")),
             QStringList{QStringLiteral("10000")});
    // Other arguments make up no report.
    QCOMPARE(UserInfoDialog::noticeAfterRestart({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                                 QStringLiteral("--restored-rows-left-out=Device=x")}),
             QString());
    holdEventRow(OrvantaDBManager::getInstance(), "AlertRoad", QStringLiteral("event-log row of the SOS"),
                 QStringLiteral("Room 12"), QStringLiteral("2024-05-06 08:00:00"));
    QTRY_COMPARE(DbProbe(live, QStringLiteral("made-to-fit-sos"))
                     .column(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'Room 12'")),
                 QStringList{QStringLiteral("1")});
}

void TestFrame::sosWhileRestoringIsAnsweredAndKept_data()
{
    // "", "before" the restore (answered at once), "open" (raised before, answered after the copy) or "during" the copy
    QTest::addColumn<QString>("sos");
    QTest::addColumn<bool>("held"); // another program holds the file as the SOS comes, till the copy waits it out
    QTest::newRow("no SOS") << QString() << false;
    QTest::newRow("an SOS during the copy") << QStringLiteral("during") << false;
    QTest::newRow("an SOS during the copy, its row held") << QStringLiteral("during") << true;
    QTest::newRow("an SOS answered before, its row still held") << QStringLiteral("before") << true;
    QTest::newRow("an SOS still open as the restore begins, its row written") << QStringLiteral("open") << false;
}

// An SOS that came while Restore copied a backup was lost at the restart that followed at once: its warning vanished
// unanswered, and its Event Log row went to the file that was swapped away, or, still held while another program held
// the file, was dropped with the closed database. The restart waits for the warning to be answered, as an exit does,
// and the row goes into the restored file. Without an SOS the console restarts as the copy ends, and says nothing.
void TestFrame::sosWhileRestoringIsAnsweredAndKept()
{
    QFETCH(QString, sos);
    QFETCH(bool, held);
    const QString live = DatabaseFileOps::liveDatabasePath();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    // A panel of its own for each row: an answered panel's SOS is dropped for a while.
    static int serial = 0;
    VelkIFPDevice device;
    device.deviceName = QStringLiteral("Restore SOS %1").arg(++serial);
    device.macAddress = QStringLiteral("02:51:4d:00:0d:%1").arg(serial, 2, 10, QLatin1Char('0'));
    device.deviceType = QStringLiteral("Control Box");
    QCOMPARE(db->createIFPDevice(device), DB_OK);
    QList<VelkIFPDevice> managed;
    QCOMPARE(db->queryAllAvailableIFP(managed), DB_OK);
    CmdServer::getInstance()->setManagedDevices(managed);
    const QString backup = env->home() + QStringLiteral("/sos-while-restoring.db");
    QFile::remove(backup);
    QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
    const QStringList backupContent = contentOf(backup);
    const QString events = QStringLiteral("SELECT deviceName FROM EventLog ORDER BY did");
    const QStringList backupEvents = DbProbe(backup, QStringLiteral("sos-backup")).column(events);
    auto reopen = qScopeGuard([]() { liveManager()->openDatabase(); });
    const auto waitBack = qScopeGuard([]() { UserInfoDialog::setLiveFileWaitMs(DatabaseFileOps::kLiveFileWaitMs); });
    UserInfoDialog::setLiveFileWaitMs(QuorvinTryCeilingMs);
    // A held row is tried again only after a commit of another write.
    const ShortDatabaseWaits waits(50, 600000);
    std::unique_ptr<DatabaseHold> hold;
    if (held) {
        hold = std::make_unique<DatabaseHold>(live, DatabaseHold::Writer);
        QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    }
    FrameLayoutPage *frame = newFrame(true);
    AlertRoad *road = frame->findChild<Management *>()->alertRoad();
    UserInfoDialog *dialog = openUserSettings(frame);
    QVERIFY(dialog);
    const auto raiseSos = [&] {
        road->handleSafeAlert(device.macAddress);
        QCOMPARE(road->pendingAlerts().size(), 1);
        if (held)
            QTRY_VERIFY(waits.db()->heldWrites()->isRefused());
    };
    if (sos == QLatin1String("before") || sos == QLatin1String("open")) {
        raiseSos();
        if (QTest::currentTestFailed())
            return;
    }
    if (sos == QLatin1String("open")) {
        // Written into the file the restore replaces, not merely handed over.
        QTRY_VERIFY(DbProbe(live, QStringLiteral("sos-live")).column(events).contains(device.deviceName));
    }
    if (sos == QLatin1String("before")) {
        visibleTopLevel<EmergencyWarningDialog>()->btnClear->click();
        QVERIFY(road->pendingAlerts().isEmpty());
    }
    QVERIFY(restoreFrom(*dialog, backup, [&] {
        if (sos == QLatin1String("during"))
            raiseSos();
        hold.reset();
    }));
    if (QTest::currentTestFailed())
        return;
    if (sos == QLatin1String("during") || sos == QLatin1String("open")) {
        QCOMPARE(restarts, 0);
        QPointer<EmergencyWarningDialog> warning = visibleTopLevel<EmergencyWarningDialog>();
        QVERIFY(warning);
        warning->btnClear->click();
    }
    QCOMPARE(restarts, 1);
    QVERIFY(!visibleTopLevel<GeneralMsgDialog>());
    if (sos.isEmpty()) {
        QCOMPARE(contentOf(live), backupContent);
        return;
    }
    QCOMPARE(DbProbe(live, QStringLiteral("sos-restored")).column(events),
             backupEvents + QStringList{device.deviceName});
}

// A backup in WAL mode keeps its latest changes in the file beside it. Staged as a byte copy of the database file, the
// restore lost every one of them, and the live file stayed in WAL mode, so the console's own backups missed changes
// from then on.
void TestFrame::restoreBringsChangesOfWalFile()
{
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString backup = env->home() + QStringLiteral("/wal-mode.db");
    QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
    const auto reopen = qScopeGuard([]() { liveManager()->openDatabase(); });
    DbProbe writer(backup, QStringLiteral("wal-backup-writer"));
    QVERIFY(writer.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
    QVERIFY(writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
    QVERIFY(writer.exec(QStringLiteral("UPDATE Account SET email = ? WHERE isAdmin = 1"),
                        {QStringLiteral("kept-in-wal@school.example")}));
    QVERIFY(writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, ?, ?)"),
                        {QStringLiteral("Music Room"), 1, QStringLiteral("2024-05-03 14:00:00")}));
    QVERIFY(QFileInfo(backup + QStringLiteral("-wal")).size() > 0);

    UserInfoDialog dialog(storedAccount(true));
    QVERIFY(restoreFrom(dialog, backup));
    QCOMPARE(restarts, 1);
    const QStringList restored = contentOf(live);
    QVERIFY2(!restored.filter(QStringLiteral("kept-in-wal@school.example")).isEmpty(),
             qPrintable(restored.filter(QStringLiteral("Account: ")).join('\n')));
    QVERIFY(!restored.filter(QStringLiteral("Music Room")).isEmpty());
    QCOMPARE(journalModeOf(live), QStringLiteral("delete"));
    QVERIFY(!QFile::exists(live + QStringLiteral("-wal")));
}

void TestFrame::restoreSwapsInBackupAndRestarts()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QString live = DatabaseFileOps::liveDatabasePath();
    const QString backup = env->home() + QStringLiteral("/restore-me.db");
    QVERIFY(DatabaseFileOps::backup(live, backup) == DatabaseFileOps::Ok);

    // The data changes after the backup; the restore brings the backup's state back.
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("after-backup@school.example");
    QCOMPARE(db->updateAccount(admin), DB_OK);
    QFile liveFile(live);
    QVERIFY(liveFile.open(QIODevice::ReadOnly));
    const QByteArray liveBefore = liveFile.readAll();
    liveFile.close();
    const QStringList backupContent = contentOf(backup);
    QVERIFY(!backupContent.filter(QStringLiteral("Account: ")).isEmpty());
    QVERIFY(backupContent.filter(admin.email).isEmpty());

    UserInfoDialog dialog(storedAccount(true));
    QVERIFY(restoreFrom(dialog, backup));

    QCOMPARE(restarts, 1);
    QCOMPARE(UserInfoDialog::noticeAfterRestart(restartArguments), QString());
    QCOMPARE(contentOf(live), backupContent);
    QFile kept(DatabaseFileOps::keptPath(live));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), liveBefore);
    QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
