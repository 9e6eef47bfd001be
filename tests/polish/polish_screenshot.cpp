// Walks through the console as a new operator would and saves what the screen shows to PNG files:
// the real console's notices before log-in for a disk that is full (its data folder's and its database's),
// the empty Device Control page and its empty event log, the event log with a screenful and more of events, the
// Devices tab with 20 devices (also after leaving and coming
// back), the add (also refusing a MAC no card can have), edit (also for an audio box, with its PTZ camera), groups and
// auto-detect dialogs (a suggestion made free with " (2)" at the top, a panel listed by its address alone at the end,
// and what it says while another program holds the database exclusively), the Devices tab built during such a hold,
// the user settings with a password mismatch and the notices of Backup and Restore that name what they found or
// changed, and the device-type and language lists opened. Usage (not a test; run
// under a real X server so that dialogs sit where the window system puts them):
//   xvfb-run -a -s "-screen 0 1600x1000x24" env QT_FONT_DPI=135 ./polish_screenshot /tmp/shots/s14 [zh_TW]
// The console's translation is installed as at start-up: en_US unless another language is given.
// Everything stays on loopback and in a temporary HOME.

#include <QAbstractItemView>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWindow>

#include <cstdio>

#include "datastore/DatabaseFileOps.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/AutoDetectModel.h"
#include "devices/ConnectedList.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "network/UPnPServer.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Settings.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Session.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/DatabaseHold.h"
#include "support/LoopbackNetwork.h"
#include "support/SchoolRooms.h"
#include "support/Settle.h"
#include "support/ShortDatabaseWaits.h"
#include "support/SmallDisk.h"
#include "support/StoredAccount.h"
#include "support/TestEnv.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/SimulatedPanel.h"

namespace {

QString g_prefix;

// The whole screen, so that where a dialog opens against the main window shows too.
void shoot(const QString &name)
{
    settle(250);
    QScreen *screen = QGuiApplication::primaryScreen();
    screen->grabWindow(0).save(g_prefix + QLatin1Char('-') + name + QStringLiteral(".png"));
}

// The real console, started where its disk is full, shows a notice before its log-in window; shot, then ended. With
// databaseOnly the lock file fits and the tables of a new database do not (a small disk of its own, where user
// namespaces allow one); otherwise its data folder lies under /proc, which has no room for a file.
void shootStartupNotice(const QString &name, const QString &language, bool databaseOnly)
{
    QTemporaryDir home;
    QTemporaryDir disk;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("LC_ALL"),
                       language == QLatin1String("en_US") ? QStringLiteral("C") : language + QStringLiteral(".UTF-8"));
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR"})
        environment.remove(QLatin1String(variable));
    QProcess console;
    console.setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
    if (databaseOnly) {
        if (!SmallDisk::available(disk.path())) {
            std::fprintf(stderr, "%s: no user namespace here to mount a small disk in\n", qPrintable(name));
            return;
        }
        environment.insert(QStringLiteral("XDG_DATA_HOME"), disk.path() + QStringLiteral("/data"));
        console.setProcessEnvironment(environment);
        SmallDisk::start(console, disk.path(), 1024 * 1024, 32 * 1024, {QStringLiteral("data/Quorvin")},
                         QStringLiteral(QV_CONSOLE), {});
    } else {
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/proc/quorvin/home/teacher/.local/share"));
        console.setProcessEnvironment(environment);
        console.start(QStringLiteral(QV_CONSOLE), QStringList());
    }
    // The notice is the console's first window; a second later it has been drawn.
    console.waitForStarted();
    settle(3000);
    shoot(name);
    console.kill();
    console.waitForFinished();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    g_prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("polish");
    const QString language = argc > 2 ? QString::fromLatin1(argv[2]) : QStringLiteral("en_US");
    QTranslator translator;
    if (translator.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_") + language + QStringLiteral(".qm")))
        QCoreApplication::installTranslator(&translator);
    QDir().mkpath(QFileInfo(g_prefix).absolutePath());

    shootStartupNotice(QStringLiteral("startup-disk-full"), language, false);
    shootStartupNotice(QStringLiteral("startup-database-full"), language, true);

    initScaleFactor(0, 0);
    isAdminLogin = true;

    // Twenty panels that search for a console, heard by the discovery responder on loopback.
    FleetOptions options;
    options.count = 20;
    options.firstSerial = 0x40;
    options.baseAddress = QHostAddress(QStringLiteral("127.0.0.40"));
    options.settings.discovery = true;
    options.settings.answerPort = 0;
    options.settings.searchIntervalMs = 200;
    options.settings.bootDelayMs = 10;
    options.settings.rejectBackoffMs = 60000;
    PanelFleet fleet(options);

    NetworkConfig config = loopbackNetworkConfig(env.home());
    config.answerPort = fleet.answerPort();
    config.wolTargets = {QHostAddress(QHostAddress::LocalHost)};
    NetworkConfig::setCurrent(config);
    // The last panel's card reports all zeros: auto-detect lists it by its address.
    PanelIdentity zeros = fleet.panels().last()->identity();
    zeros.mac = QStringLiteral("00:00:00:00:00:00");
    fleet.panels().last()->setIdentity(zeros);
    for (SimulatedPanel *panel : fleet.panels()) {
        PanelSettings settings = panel->settings();
        settings.discoveryPort = UPnPServer::getInstance()->boundPort(0);
        settings.consolePort = CmdServer::getInstance()->serverPort();
        panel->setSettings(settings);
        panel->start();
    }
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    // With an e-mail address on file, a password mismatch is what the badge shows.
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("it-office@school.example");
    db->updateAccount(admin);

    {
        // A console with no devices yet opens on the empty Device Control page.
        FrameLayoutPage frame(storedAccount(true));
        frame.show();
        shoot(QStringLiteral("control-empty"));
        auto *control = frame.findChild<ConnectedList *>();
        control->btnEventLog->click();
        shoot(QStringLiteral("eventlog-empty"));
        // Enough rows for the scroll bar, opened again as the operator does.
        for (int i = 0; i < 40; ++i) {
            VelkEventLog event;
            event.deviceName = QLatin1String(SchoolRooms[i % 20]);
            event.time = QDateTime(QDate(2024, 3, 4), QTime(8, 0))
                             .addSecs(i * 97)
                             .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            db->insertEventLog(event);
        }
        if (auto *eventLog = control->findChild<EventLogDialog *>()) {
            eventLog->close();
            control->btnEventLog->click();
            shoot(QStringLiteral("eventlog"));
            eventLog->close();
        }
    }

    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice device;
        device.deviceName = QLatin1String(SchoolRooms[i]);
        device.ipAddress = QStringLiteral("192.168.10.%1").arg(20 + i);
        device.macAddress = QStringLiteral("00:11:22:33:10:%1").arg(i, 2, 16, QLatin1Char('0'));
        device.deviceType = QStringLiteral("Control Box");
        device.position = i % 3 == 0 ? QStringLiteral("Building A, floor %1").arg(i / 5 + 1) : QString();
        db->createIFPDevice(device);
        VelkGroups group;
        group.groupName = i < 10 ? QStringLiteral("Floor 1") : QStringLiteral("Floor 2");
        group.groupType = device.deviceType;
        db->createGroups(group);
        db->joinGroups(device, group);
    }

    FrameLayoutPage frame(storedAccount(true));
    frame.show();
    settle(300);
    // The Device Control page with its group list open.
    auto *control = frame.findChild<ConnectedList *>();
    control->comboGroup->showPopup();
    shoot(QStringLiteral("combo-group"));
    control->comboGroup->hidePopup();
    auto *management = frame.findChild<Management *>();
    auto *settingsPage = frame.findChild<Settings *>();
    frame.clickManagement();
    shoot(QStringLiteral("devices"));
    frame.clickList();
    settle(100);
    frame.clickManagement();
    shoot(QStringLiteral("devices-again"));

    management->clickAddDevice();
    shoot(QStringLiteral("add"));
    // A MAC no network card can have is refused with the way out, on the lines it needs.
    ManagementAddDevice *add = management->addDeviceDialog();
    add->editName->setText(QStringLiteral("Room 301"));
    add->editIp->setText(QStringLiteral("192.168.10.90"));
    add->editMac->setText(QStringLiteral("00:00:00:00:00:00"));
    add->submit();
    shoot(QStringLiteral("add-refused"));
    add->close();

    management->editDevice(0);
    shoot(QStringLiteral("edit"));
    management->editDeviceDialog()->close();

    // An audio box pairs with a PTZ camera: the add dialog before and after a camera was chosen,
    // the edit dialog with the stored one.
    VelkIFPDevice audioBox;
    audioBox.deviceName = QStringLiteral("Main Gate SOS");
    audioBox.macAddress = QStringLiteral("00:11:22:33:20:01");
    audioBox.deviceType = QStringLiteral("Audio Box");
    audioBox.position = QStringLiteral("Main gate");
    audioBox.ptzCamera = QStringLiteral("Gate camera, east side");
    db->createIFPDevice(audioBox);
    settingsPage->cbDeviceType->setCurrentIndex(1);
    management->clickAddDevice();
    shoot(QStringLiteral("add-audio-empty"));
    management->addDeviceDialog()->setChosenCamera(QStringLiteral("Library entrance PTZ"),
                                                   QStringLiteral("aa:00:00:00:00:01"));
    shoot(QStringLiteral("add-audio"));
    management->addDeviceDialog()->close();
    management->editDevice(0);
    shoot(QStringLiteral("edit-audio"));
    management->editDeviceDialog()->close();
    settingsPage->cbDeviceType->setCurrentIndex(0);

    management->clickGroups();
    ManagementGroupDialog *groups = management->groupDialog();
    if (groups->listGroups->count() > 0)
        groups->listGroups->setCurrentRow(0);
    shoot(QStringLiteral("groups"));
    groups->close();

    // A managed device holds the name the first searching panel would be offered: it is offered one with " (2)".
    VelkIFPDevice firstHeard;
    firstHeard.macAddress = fleet.panels().first()->mac();
    firstHeard.modelName = fleet.panels().first()->identity().model;
    VelkIFPDevice namesake;
    namesake.deviceName = AutoDetectModel::suggestedName(firstHeard);
    namesake.macAddress = QStringLiteral("00:11:22:33:30:01");
    namesake.ipAddress = QStringLiteral("192.168.10.90");
    namesake.deviceType = QStringLiteral("Control Box");
    db->createIFPDevice(namesake);
    management->clickAutoDetect();
    ManagementAutoDetect *detect = management->autoDetectDialog();
    waitFor([detect]() { return detect->tableDevices->rowCount() >= 20; }, 10000);
    shoot(QStringLiteral("autodetect"));
    // The panel listed by its address alone is last.
    detect->tableDevices->scrollToBottom();
    shoot(QStringLiteral("autodetect-end"));
    detect->close();
    db->deleteIFPDevice(namesake);
    {
        // Another program holds the database exclusively: the dialog says it cannot tell what is new.
        const ShortDatabaseWaits waits(100);
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        management->clickAutoDetect();
        shoot(QStringLiteral("autodetect-held"));
        detect->close();
        // The Devices tab built meanwhile says that it can't read the list yet, not that there is none.
        Management held;
        held.setGeometry(management->geometry());
        held.show();
        shoot(QStringLiteral("devices-held"));
    }

    // What Restore and Backup tell beyond a plain refusal: what a restore made fit, the room its copies need, a name
    // beside the backup that is no file, a name the system cannot show; in the message box User Settings shows them in.
    {
        GeneralMsgDialog message(&frame);
        const QString live = DatabaseFileOps::liveDatabasePath();
        DatabaseFileOps::RestoreReport report;
        report.duplicateRows.insert(QStringLiteral("Device"), 2);
        report.duplicateRows.insert(QStringLiteral("Groups"), 1);
        report.roomNeeded = qint64(3300) << 20;
        report.roomFree = qint64(200) << 20;
        report.notAFile = QStringLiteral("/home/operator/Backups/console.db-journal");
        const QList<QPair<QString, QString>> messages{
            {QStringLiteral("restore-madefit"), UserInfoDialog::restoreChanges(report)},
            {QStringLiteral("restore-room"),
             UserInfoDialog::restoreRefusal(DatabaseFileOps::NotEnoughRoom, live, report)},
            {QStringLiteral("restore-notafile"),
             UserInfoDialog::restoreRefusal(DatabaseFileOps::SideFileNotRegular, live, report)},
            {QStringLiteral("backup-name"),
             UserInfoDialog::backupFailure(DatabaseFileOps::NameNotText,
                                           QString::fromUtf8("/home/operator/Caf\uFFFD/console.db"))}};
        for (const auto &shown : messages) {
            message.showOver(&frame, shown.second);
            shoot(shown.first);
            message.hide();
        }
    }

    settingsPage->cbDeviceType->showPopup();
    shoot(QStringLiteral("combo-type"));
    settingsPage->cbDeviceType->hidePopup();

    frame.btnInfo->click();
    UserInfoDialog *info = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<UserInfoDialog *>(widget))
            info = candidate;
    }
    // The window system shows the dialog in its own time; what the operator does comes after.
    if (info && waitFor([info]() { return info->windowHandle() && info->windowHandle()->isExposed(); }, 5000)) {
        settle(100);
        info->btnChangePassword->click();
        info->lineEditPassword->setText(QStringLiteral("first"));
        info->lineEditPasswordConfirm->setText(QStringLiteral("second"));
        info->btnSave->click();
        shoot(QStringLiteral("usersettings"));
        info->comboBoxLang->showPopup();
        shoot(QStringLiteral("combo-lang"));
        info->comboBoxLang->hidePopup();
        info->close();
    }
    fleet.shutDownAll();
    return 0;
}
