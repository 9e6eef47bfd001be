// Walks through the schedule, firmware, broadcast, account and settings windows as a new operator would, with the
// sample update folder served on loopback and its simulated fleet connected, and saves what the screen shows to PNG
// files. Not a test; run under a real X server so that dialogs sit where the window system puts them:
//   xvfb-run -a -s "-screen 0 1600x1000x24" env QT_FONT_DPI=135 ./polish_walk /tmp/shots/s14 [zh_TW] [scene ...]
// Scenes (all when none is named): firmware, broadcast, accounts, devices, schedules, usersettings, files, timeboxes,
// syncreport, notices.
// The console's translation is installed as at start-up: en_US unless another language is given. Everything stays
// on loopback and in a temporary HOME.

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include "accounts/AccountOverview.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/EditMultiUserDialog.h"
#include "accounts/ImportListDialog.h"
#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastSchedule.h"
#include "broadcast/BroadcastSetting.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ImportDialog.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/pages/OtaMessageDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "scheduling/AutoTestScheduleSetting.h"
#include "scheduling/DeviceControlScheduleSetting.h"
#include "scheduling/Scheduling.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LanguageDialog.h"
#include "shell/app/Settings.h"
#include "shell/app/StartupLanguage.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/CheckCells.h"
#include "support/LoopbackNetwork.h"
#include "support/PanelUsers.h"
#include "support/Settle.h"
#include "support/StoredAccount.h"
#include "support/TestEnv.h"
#include "tools/localhttp/LocalHttpServer.h"
#include "tools/otafixture/OtaFixture.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/PanelSimOptions.h"

namespace {

QString g_prefix;

// The whole screen, so that where a dialog opens against the main window shows too.
void shoot(const QString &name)
{
    settle(300);
    QGuiApplication::primaryScreen()->grabWindow(0).save(g_prefix + QLatin1Char('-') + name + QStringLiteral(".png"));
}

template <typename T> T *topLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    }
    return nullptr;
}

bool exposed(QWidget *widget)
{
    return waitFor([widget] { return widget->windowHandle() && widget->windowHandle()->isExposed(); }, 5000);
}

QCheckBox *rowBox(QTableWidget *table, int row)
{
    QWidget *cell = table->cellWidget(row, 0);
    return cell ? (qobject_cast<QCheckBox *>(cell) ? qobject_cast<QCheckBox *>(cell) : cell->findChild<QCheckBox *>())
                : nullptr;
}

// Shoots a modal file dialog opened by `open` once it shows, then cancels it.
void shootFileDialog(const QString &name, const std::function<void()> &open)
{
    QTimer::singleShot(0, [name] {
        QFileDialog *dialog = nullptr;
        waitFor(
            [&dialog] {
                dialog = topLevel<QFileDialog>();
                return dialog && dialog->windowHandle() && dialog->windowHandle()->isExposed();
            },
            5000);
        shoot(name);
        if (dialog)
            dialog->reject();
    });
    open();
}

// Types into a time box as the operator does: the value selected, then the keys; Enter when asked.
void typeTime(QSpinBox *box, int start, const QString &keys, bool enter)
{
    box->setValue(start);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, keys);
    if (enter)
        QTest::keyClick(box, Qt::Key_Return);
}

// Answers the save dialogs with one name, so that the notice about a kept file shows.
class NamedChooser : public DialogFileChooser
{
public:
    QString answer;
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return answer; }
};

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    g_prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("walk");
    const QString language = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("en_US");
    QStringList scenes;
    for (int i = 3; i < argc; ++i)
        scenes << QString::fromLatin1(argv[i]);
    const auto wanted = [&scenes](const char *scene) {
        return scenes.isEmpty() || scenes.contains(QLatin1String(scene));
    };
    QTranslator translator;
    StartupLanguage::load(translator, language, {QStringLiteral(QV_BUILD_DIR)});
    QCoreApplication::installTranslator(&translator);
    QTranslator toolkit;
    if (StartupLanguage::loadToolkit(toolkit, language))
        QCoreApplication::installTranslator(&toolkit);
    currentLanguage = language;
    QDir().mkpath(QFileInfo(g_prefix).absolutePath());

    initScaleFactor(0, 0);
    isAdminLogin = true;
    NetworkConfig config = loopbackNetworkConfig(env.home());
    NetworkConfig::setCurrent(config);

    // The sample update folder, served on loopback, named in the console's settings.
    LocalHttpServer http;
    QString error;
    const QString otaFolder = env.home() + QStringLiteral("/ota");
    if (!OtaFixture::build(otaFolder, http.url(), 64 * 1024, &error)) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    http.serveFolder(otaFolder);
    {
        QSettings ini(OtaServerConfig::defaultSettingsFile(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Ota/UpdateServer"), http.url());
        ini.setValue(QStringLiteral("Ota/DownloadServer"), http.url());
    }

    // Its fleet: in the database, and running (but for the powered-off ones) on loopback.
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("it-office@school.example");
    admin.language = language;
    db->updateAccount(admin);
    QList<PanelFleet *> fleets;
    int index = 0;
    for (const FixtureFleet &fixture : OtaFixture::fleets()) {
        for (VelkIFPDevice device : OtaFixture::devices(fixture)) {
            db->createIFPDevice(device);
            VelkGroups group;
            group.groupName = index++ % 2 ? QStringLiteral("North Wing") : QStringLiteral("South Wing");
            group.groupType = device.deviceType == QLatin1String("Audio Box") ? QStringLiteral("Audio Box")
                                                                              : QStringLiteral("Control Box");
            if (group.groupType == QLatin1String("Control Box")) {
                db->createGroups(group);
                db->joinGroups(device, group);
            }
        }
        PanelSimOptions options;
        if (!PanelSimOptions::parse(
                QStringList{QStringLiteral("panelsim")} +
                    OtaFixture::panelsimArguments(fixture, CmdServer::getInstance()->serverPort(), 0, admin.password),
                &options, &error)) {
            qWarning("%s", qPrintable(error));
            return 1;
        }
        auto *fleet = new PanelFleet(options.fleet);
        fleets << fleet;
        if (!fixture.off)
            fleet->startAll();
    }
    for (const QString &name : {QStringLiteral("teacher1a"), QStringLiteral("Bob"), QStringLiteral("Chen Wei"),
                                QStringLiteral("librarian"), QStringLiteral("Principal Office")}) {
        const quint32 muid = createPanelUser(db, name, QStringLiteral("abcd"));
        QList<VelkIFPDevice> devices;
        db->queryAllAvailableIFP(devices);
        for (const VelkIFPDevice &device : devices) {
            if (device.modelName.startsWith(QLatin1String("Velk"))) {
                VelkUserDevice link;
                link.multiUserId = muid;
                link.deviceId = device.did;
                link.syncStatus = 3;
                db->createUserDevice(link);
            }
        }
    }

    FrameLayoutPage frame(admin);
    frame.show();
    exposed(&frame);
    settle(500);
    auto *scheduling = frame.findChild<Scheduling *>();
    auto *settingsPage = frame.findChild<Settings *>();
    auto *management = frame.findChild<Management *>();

    if (wanted("firmware")) {
        // The start-up check ends in the reminder.
        auto *reminder = frame.findChild<QWidget *>(QStringLiteral("otaNotificationWidget"));
        waitFor([reminder] { return reminder->isVisible(); }, 30000);
        waitFor([] { return false; }, 1000);
        shoot(QStringLiteral("fw-reminder"));
        frame.findChild<QToolButton *>(QStringLiteral("otaNotificationSetupBtn"))->click();
        Scheduling_Setting *editor = scheduling->settingDialog();
        waitFor([editor] { return editor->isVisible(); }, 10000);
        auto *page = editor->findChild<OtaScheduleSetting *>();
        shoot(QStringLiteral("fw-list"));
        // Offline devices ticked, the start left at 00:00 today.
        for (int row = 0; row < page->tableWidgetDevice->rowCount(); ++row) {
            if (QCheckBox *box = rowBox(page->tableWidgetDevice, row))
                box->click();
        }
        shoot(QStringLiteral("fw-ticked"));
        page->btnAddSchedule->click();
        shoot(QStringLiteral("fw-add-passed"));
        if (page->messageDialog()->isVisible())
            page->messageDialog()->btnOk->click();
        settle(300);
        shoot(QStringLiteral("fw-after-ok"));
        // A start in the next minute, confirmed after it passed.
        ManualClock clock(QDateTime(QDate::currentDate(), QTime(9, 0, 30)));
        page->setClock(&clock);
        page->calendarWidget->setSelectedDate(QDate::currentDate());
        page->spinBox_Time_HR->setValue(9);
        page->spinBox_Time_Min->setValue(1);
        page->btnAddSchedule->click();
        shoot(QStringLiteral("fw-confirm"));
        clock.advance(60000);
        QTest::mouseClick(page->messageDialog()->btnOk, Qt::LeftButton);
        shoot(QStringLiteral("fw-confirm-passed"));
        if (page->messageDialog()->isVisible())
            page->messageDialog()->btnOk->click();
        // Update Now with offline devices ticked.
        page->btnUpdateNow->click();
        page->btnAddSchedule->click();
        shoot(QStringLiteral("fw-update-now"));
        if (page->messageDialog()->isVisible())
            page->messageDialog()->close();
        editor->close();
    }

    if (wanted("broadcast")) {
        frame.clickBroadcast();
        auto *broadcast = frame.findChild<Broadcast *>();
        broadcast->btnAddBroadcast->click();
        BroadcastSetting *editor = broadcast->editor();
        exposed(editor);
        shoot(QStringLiteral("bc-targets"));
        BroadcastSchedule *step = editor->scheduleStep();
        for (int row = 0; row < rowCount(step->tableWidgetDevice); row += 3)
            CheckCell(step->tableWidgetDevice, row).click();
        step->btnSchedule->click();
        step->calendarWidget->setCurrentPage(QDate::currentDate().year(), 12);
        shoot(QStringLiteral("bc-december"));
        for (int row = 0; row < rowCount(step->tableWidgetDevice); ++row) {
            if (CheckCell box(step->tableWidgetDevice, row); box.isChecked())
                box.click();
        }
        shoot(QStringLiteral("bc-next-disabled"));
        editor->hide();
    }

    if (wanted("accounts")) {
        frame.clickManagement();
        settingsPage->btnUserAccountsClicked();
        auto *overview = settingsPage->findChild<AccountOverview *>();
        settle(300);
        shoot(QStringLiteral("acc-table"));
        QTableView *table = overview->tableWidget;
        const QModelIndex status = table->model()->index(0, table->model()->columnCount() - 1);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(status).center());
        auto *report = topLevel<AccountReportDialog>();
        if (report && exposed(report)) {
            shoot(QStringLiteral("acc-report"));
            report->close();
        }
        shoot(QStringLiteral("acc-after-report"));
        qInfo("user table scrolled sideways by %d", table->horizontalScrollBar()->value());
        // Edit user account.
        auto *edit = overview->findChild<EditMultiUserDialog *>();
        if (!edit) {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *candidate = widget->findChild<EditMultiUserDialog *>())
                    edit = candidate;
                if (auto *candidate = qobject_cast<EditMultiUserDialog *>(widget))
                    edit = candidate;
            }
        }
        if (edit) {
            QList<VelkMultiUser> users;
            db->queryAllMultiUser(users);
            edit->setMultiUser(users.first());
            edit->loadMultiUser();
            edit->show();
            exposed(edit);
            shoot(QStringLiteral("acc-edit"));
            edit->close();
        }
    }

    if (wanted("devices")) {
        frame.clickManagement();
        settingsPage->btnDevicesClicked();
        settingsPage->cbDeviceType->setCurrentIndex(1);
        settle(300);
        shoot(QStringLiteral("dev-audio-view"));
        management->clickAddDevice();
        exposed(management->addDeviceDialog());
        shoot(QStringLiteral("dev-add-audio"));
        management->addDeviceDialog()->close();
        settingsPage->cbDeviceType->setCurrentIndex(0);
    }

    if (wanted("schedules")) {
        frame.clickScheduling();
        settle(300);
        DeleteScheduleDialog *question = scheduling->deleteDialog();
        question->setText(Scheduling::tr("Are you sure you want to delete this schedule?"));
        question->show();
        exposed(question);
        shoot(QStringLiteral("sch-delete"));
        question->close();
    }

    if (wanted("usersettings")) {
        frame.btnInfo->click();
        auto *info = topLevel<UserInfoDialog>();
        if (info && exposed(info)) {
            settle(100);
            QTest::keyClick(info, Qt::Key_Tab);
            shoot(QStringLiteral("us-tab1"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            shoot(QStringLiteral("us-tab2"));
            QTest::mouseClick(info->comboBoxLang, Qt::LeftButton);
            settle(300);
            shoot(QStringLiteral("us-lang-click"));
            info->comboBoxLang->hidePopup();
            info->close();
        }
    }

    if (wanted("files")) {
        frame.clickManagement();
        settingsPage->btnUserAccountsClicked();
        auto *imports = frame.findChild<ImportListDialog *>();
        if (!imports) {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *candidate = qobject_cast<ImportListDialog *>(widget))
                    imports = candidate;
            }
        }
        if (imports)
            shootFileDialog(QStringLiteral("file-save"), [imports] { imports->downloadExample(); });
    }

    if (wanted("timeboxes")) {
        // Each schedule window's hour and minute boxes, typed into: two digits over a value, one digit and Enter, and
        // one digit still being typed (the box with the keyboard).
        frame.clickScheduling();
        Scheduling_Setting *editor = scheduling->settingDialog();
        editor->switchToPage(1);
        editor->show();
        exposed(editor);
        DeviceControlScheduleSetting *control = editor->deviceControlPage();
        for (QCheckBox *request : {control->checkBox_onTime, control->checkBox_rebootTime, control->checkBox_offTime})
            request->setChecked(true);
        typeTime(control->spinBox_onTime_HR, 17, QStringLiteral("21"), false);
        typeTime(control->spinBox_onTime_Min, 37, QStringLiteral("54"), false);
        typeTime(control->spinBox_rebootTime_HR, 13, QStringLiteral("5"), true);
        typeTime(control->spinBox_rebootTime_Min, 45, QStringLiteral("37"), false);
        typeTime(control->spinBox_offTime_HR, 8, QStringLiteral("23"), false);
        typeTime(control->spinBox_offTime_Min, 12, QStringLiteral("3"), false);
        shoot(QStringLiteral("tb-control"));
        qInfo("device control: %s:%s %s:%s %s:%s", qPrintable(control->spinBox_onTime_HR->text()),
              qPrintable(control->spinBox_onTime_Min->text()), qPrintable(control->spinBox_rebootTime_HR->text()),
              qPrintable(control->spinBox_rebootTime_Min->text()), qPrintable(control->spinBox_offTime_HR->text()),
              qPrintable(control->spinBox_offTime_Min->text()));
        editor->switchToPage(3);
        AutoTestScheduleSetting *autoTest = editor->autoTestPage();
        typeTime(autoTest->spinBox_onTime_HR, 21, QStringLiteral("13"), false);
        typeTime(autoTest->spinBox_onTime_Min, 45, QStringLiteral("37"), true);
        shoot(QStringLiteral("tb-autotest"));
        // The firmware window lists the devices the start-up check found out of date.
        auto *reminder = frame.findChild<QWidget *>(QStringLiteral("otaNotificationWidget"));
        waitFor([reminder] { return reminder->isVisible(); }, 30000);
        editor->switchToPage(2);
        auto *firmware = editor->fwUpdatePage();
        if (QCheckBox *box = rowBox(firmware->tableWidgetDevice, 0))
            box->click();
        typeTime(firmware->spinBox_Time_HR, 17, QStringLiteral("21"), false);
        typeTime(firmware->spinBox_Time_Min, 37, QStringLiteral("54"), true);
        shoot(QStringLiteral("tb-firmware"));
        editor->close();

        frame.clickBroadcast();
        auto *broadcast = frame.findChild<Broadcast *>();
        broadcast->btnAddBroadcast->click();
        BroadcastSetting *broadcastEditor = broadcast->editor();
        exposed(broadcastEditor);
        BroadcastSchedule *step = broadcastEditor->scheduleStep();
        if (CheckCell box(step->tableWidgetDevice, 0); box.isValid())
            box.click();
        step->btnSchedule->click();
        typeTime(step->spinBox_Time_HR, 17, QStringLiteral("21"), false);
        typeTime(step->spinBox_Time_Min, 37, QStringLiteral("54"), false);
        shoot(QStringLiteral("tb-broadcast"));
        typeTime(step->spinBox_Time_Min, 45, QStringLiteral("7"), true);
        shoot(QStringLiteral("tb-broadcast-enter"));
        broadcastEditor->hide();
    }

    if (wanted("syncreport")) {
        // The main window where an operator had moved it, right of and below the screen's centre: the report opens at
        // its top-left + (25, 81) times the scale, moved up only as far as keeps it on the screen.
        frame.clickManagement();
        settingsPage->btnUserAccountsClicked();
        auto *overview = settingsPage->findChild<AccountOverview *>();
        const QRect area = frame.screen()->availableGeometry();
        frame.move(area.left() + area.width() * 41 / 100, area.top() + area.height() * 24 / 100);
        frame.activateWindow();
        settle(300);
        overview->btnSyncNow->click();
        waitFor([overview] { return overview->btnSyncNow->isEnabled(); }, 60000);
        settle(300);
        QTableView *table = overview->tableWidget;
        const QModelIndex status = table->model()->index(0, table->model()->columnCount() - 1);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(status).center());
        AccountReportDialog *report = overview->report();
        if (exposed(report)) {
            shoot(QStringLiteral("sync-report"));
            const QRect placed = report->frameGeometry();
            qInfo("sync report at %d,%d, %dx%d; main window client at %d,%d; screen %dx%d", placed.x(), placed.y(),
                  placed.width(), placed.height(), frame.mapToGlobal(QPoint(0, 0)).x(),
                  frame.mapToGlobal(QPoint(0, 0)).y(), area.width(), area.height());
            report->close();
        }
        frame.move(area.topLeft());
    }

    if (wanted("notices")) {
        // A device list saved under a name whose ".csv" file exists: the notice, then Enter.
        QDir().mkpath(env.home() + QStringLiteral("/lists"));
        QFile kept(env.home() + QStringLiteral("/lists/devices.csv"));
        if (kept.open(QIODevice::WriteOnly))
            kept.write("kept");
        kept.close();
        NamedChooser chooser;
        chooser.answer = env.home() + QStringLiteral("/lists/devices");
        FileChooser::setInstance(&chooser);
        ImportDialog devices;
        devices.show();
        exposed(&devices);
        devices.labelDownloadSample->clicked();
        auto *notice = devices.findChild<GeneralMsgDialog *>();
        if (notice && exposed(notice)) {
            shoot(QStringLiteral("notice-kept"));
            QTest::keyClick(notice->windowHandle(), Qt::Key_Return);
            qInfo("kept-file notice after Enter: %s", notice->isVisible() ? "still open" : "closed");
        }
        FileChooser::setInstance(nullptr);
        devices.close();

        frame.btnInfo->click();
        auto *info = topLevel<UserInfoDialog>();
        if (info && exposed(info)) {
            info->comboBoxLang->setCurrentIndex(info->comboBoxLang->currentIndex() == 1 ? 2 : 1);
            auto *languageNotice = topLevel<LanguageDialog>();
            if (languageNotice && exposed(languageNotice)) {
                shoot(QStringLiteral("notice-language"));
                QTest::keyClick(languageNotice->windowHandle(), Qt::Key_Return);
                qInfo("language notice after Enter: %s", languageNotice->isVisible() ? "still open" : "closed");
            }
            info->close();
        }
    }

    for (PanelFleet *fleet : qAsConst(fleets))
        fleet->shutDownAll();
    qDeleteAll(fleets);
    return 0;
}
