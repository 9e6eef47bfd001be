// Renders the User Accounts page with 60 users, the empty page and every dialog of a user's
// life to PNG files, for a look by eye. Not a test.
// Usage: xvfb-run -a env QT_FONT_DPI=96 accounts_screenshot <folder> [language]   (135 for the 1.4 scale;
// language en_US, the default, or zh_TW)
// Everything stays in a temporary HOME.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTranslator>

#include <algorithm>
#include <memory>
#include <vector>

#include "accounts/AccountOverview.h"
#include "accounts/AccountRegisterDialog.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/AppPermissionConfirmDialog.h"
#include "accounts/AppPermissionDialog.h"
#include "accounts/BindCardPassedDialog.h"
#include "accounts/BindCardUsedDialog.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/DeviceListDialog.h"
#include "accounts/DeviceOverAssignDialog.h"
#include "accounts/EditMultiUserDialog.h"
#include "accounts/MoreOptionDialog.h"
#include "accounts/RemoveUserDialog.h"
#include "accounts/UserPasswordNewDialog.h"
#include "accounts/UserPasswordRemoveConfirmDialog.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/Management.h"
#include "network/NetTestSupport.h"
#include "shell/app/Settings.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"
#include "support/TestEnv.h"

namespace {

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

QString folder;

void shoot(QWidget *widget, const QString &name)
{
    widget->show();
    settle(250);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    widget->hide();
}

const char *const FirstNames[] = {"Alice", "Bruno", "Chen Wei", "Dana",   "Eitan",  "Fatima", "Greta", "Hiroshi",
                                  "Ines",  "Jonas", "Kavya",    "Lukas",  "Maya",   "Noah",   "Olga",  "Pablo",
                                  "Quinn", "Rosa",  "Samir",    "Tomás",  "Uma",    "Viktor", "Wen",   "Ximena",
                                  "Yusuf", "Zoe",   "林怡君",   "王小明", "Ananya", "Björn"};
const char *const Rooms[] = {"Room 101", "Room 102", "Science Lab A", "Library", "Music Room", "Auditorium"};

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    currentLanguage = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en_US");
    QTranslator translator;
    if (translator.load(QStringLiteral(QV_LANG_DIR "/Orvanta_") + currentLanguage + QStringLiteral(".qm")))
        app.installTranslator(&translator);
    QDir().mkpath(folder);
    initScaleFactor(0, 0);
    QTemporaryDir networkFolder;
    NetworkConfig::setCurrent(loopbackNetworkConfig(networkFolder.path()));
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();

    {
        AccountOverview empty;
        shoot(&empty, QStringLiteral("overview-empty"));
    }

    // 100 panels: the six named rooms, then classrooms on four floors, in a few groups.
    QStringList names;
    for (const char *room : Rooms)
        names << QString::fromUtf8(room);
    for (int i = names.size(); i < 100; ++i)
        names << QStringLiteral("Classroom %1%2").arg(1 + i / 25).arg(i % 25 + 1, 2, 10, QLatin1Char('0'));
    for (int i = 0; i < names.size(); ++i) {
        VelkIFPDevice device;
        device.deviceName = names.at(i);
        device.modelName = QStringLiteral("Velk TM B-Series");
        device.displayClientVersion = QStringLiteral("1.1.1030.30");
        device.deviceType = QStringLiteral("Control Box");
        device.macAddress = QStringLiteral("02:51:4d:00:01:%1").arg(i, 2, 16, QLatin1Char('0'));
        db->createIFPDevice(device);
        VelkGroups group;
        group.groupName = i < 6 ? QStringLiteral("Special Rooms") : QStringLiteral("Floor %1").arg(1 + i / 25);
        group.groupType = device.deviceType;
        db->createGroups(group);
        db->joinGroups(device, group);
    }
    QList<quint32> devices;
    {
        QList<VelkIFPDevice> found;
        db->queryAllAvailableIFP(found);
        for (const VelkIFPDevice &stored : found) {
            if (names.indexOf(stored.deviceName) < 6)
                devices << stored.did;
        }
    }
    for (int i = 0; i < 60; ++i) {
        VelkMultiUser user;
        user.userName = QString::fromUtf8(FirstNames[i % 30]) + (i >= 30 ? QStringLiteral(" (staff)") : QString());
        if (i == 7)
            user.userName = QStringLiteral("A very long user name that does not fit its column at all");
        user.password =
            i % 5 == 0 ? QString() : (i % 7 == 0 ? QStringLiteral("5827dbKTum") : QStringLiteral("pw%1x").arg(i));
        user.rfidId = i % 3 == 0 ? QStringLiteral("C%1").arg(i, 7, 10, QLatin1Char('0')) : QString();
        db->createMultiUser(user);
    }
    QList<VelkMultiUser> users;
    db->queryAllMultiUser(users);
    for (int i = 0; i < users.size(); ++i) {
        for (int d = 0; d < i % 4; ++d) {
            VelkUserDevice row;
            row.multiUserId = users.at(i).muid;
            row.deviceId = devices.at((i + d) % devices.size());
            // Some assignments were synchronised: successfully, failed, and with setup off.
            row.syncStatus = (i + d) % 4;
            if (row.syncStatus != 0)
                row.lastSyncTime = QStringLiteral("2024-05-0%1 0%2:1%3").arg(1 + d).arg(8 + d % 2).arg(d);
            db->createUserDevice(row);
        }
    }

    AccountOverview overview;
    shoot(&overview, QStringLiteral("overview-60-users"));
    {
        // The page as the Settings page hosts it, below its tab buttons.
        Settings settings(new Management());
        settings.btnUserAccounts->click();
        shoot(&settings, QStringLiteral("settings-user-accounts"));
    }

    AccountRegisterDialog *add = overview.registerDialog();
    add->lineEditUserName->setText(QStringLiteral("Alice"));
    add->lineEditPassword->setText(QStringLiteral("abcd"));
    add->lineEditPasswordConfirm->setText(QStringLiteral("abcd"));
    add->show();
    add->nextButtonClicked();
    add->lineEditUserName->setText(QStringLiteral("Alice"));
    shoot(add, QStringLiteral("add-user-taken"));

    BindCardWaitingDialog *card = add->cardDialog();
    shoot(card, QStringLiteral("card-waiting-add"));
    shoot(card->passedMessage(), QStringLiteral("card-passed"));
    shoot(card->usedMessage(), QStringLiteral("card-used"));

    MoreOptionDialog *menu = overview.userActions();
    menu->setMultiUser(users.at(1));
    shoot(menu, QStringLiteral("user-actions"));
    shoot(menu->removeDialog(), QStringLiteral("remove-user"));

    EditMultiUserDialog *edit = menu->editDialog();
    edit->setMultiUser(users.at(1));
    edit->loadMultiUser();
    shoot(edit, QStringLiteral("edit-user"));
    edit->setMultiUser(users.at(3));
    edit->loadMultiUser();
    edit->show();
    QMetaObject::invokeMethod(edit, "showChangePassword");
    edit->lineEditPasswordConfirm->setText(QStringLiteral("x"));
    QMetaObject::invokeMethod(edit, "saveButtonClicked");
    shoot(edit, QStringLiteral("edit-user-change-password"));
    shoot(edit->cardDialog(), QStringLiteral("card-waiting-edit"));
    edit->newPasswordDialog()->setMultiUser(users.at(1));
    shoot(edit->newPasswordDialog(), QStringLiteral("new-password"));
    shoot(edit->removePasswordDialog(), QStringLiteral("remove-password"));

    DeviceListDialog *assignment = overview.deviceList();
    assignment->setMultiUser(users.at(3));
    assignment->loadUserDevices();
    shoot(assignment, QStringLiteral("device-list"));
    // The keyboard in the list: Tab from the select-all box, then two rows down. Shown again, the window is not made
    // active by a display without a window manager.
    assignment->show();
    settle(250);
    QApplication::setActiveWindow(assignment);
    assignment->deviceCheckBoxAll->setFocus(Qt::OtherFocusReason);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(QApplication::focusWidget(), key);
    shoot(assignment, QStringLiteral("device-list-keys"));
    QMetaObject::invokeMethod(assignment, "closeSelectedInfo");
    assignment->comboBoxType->setCurrentIndex(1);
    shoot(assignment, QStringLiteral("device-list-groups"));
    assignment->comboBoxType->setCurrentIndex(0);
    assignment->show();
    QMetaObject::invokeMethod(assignment, "btnFilterClicked");
    shoot(assignment, QStringLiteral("device-list-filter"));
    assignment->overAssignDialog()->setDeviceList(QStringLiteral("Classroom 101,Library"));
    shoot(assignment->overAssignDialog(), QStringLiteral("over-assign"));

    // Three of the report's panels online and failed, so that their rows offer Sync.
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int serial = 1; serial <= 3; ++serial) {
        const VelkIFPDevice online =
            addManagedDevice(QStringLiteral("Online Lab %1").arg(serial), testMac(serial), QString());
        VelkUserDevice row;
        row.multiUserId = users.at(3).muid;
        row.deviceId = online.did;
        row.syncStatus = serial == 2 ? 3 : 2;
        row.lastSyncTime = QStringLiteral("2024-05-0%1 10:00").arg(serial);
        db->createUserDevice(row);
        panels.push_back(
            std::make_unique<SimulatedPanel>(identityWith(serial, QStringLiteral("kelvo")), directSettings(serial)));
        panels.back()->start();
    }
    QDeadlineTimer connected(5000);
    while (!connected.hasExpired() &&
           !std::all_of(panels.cbegin(), panels.cend(), [](const auto &panel) { return panel->isConnected(); }))
        settle(50);
    AccountReportDialog *report = overview.report();
    report->refreshReport(users.at(3));
    shoot(report, QStringLiteral("report"));
    {
        // Panels named as Auto Detect names them share their first 16 characters; with the reason shown whole, the
        // names are cut. The shot is of the screen, with the tool tip of the first cut name.
        VelkGroups building;
        building.groupName = QStringLiteral("Building North Wing");
        building.groupType = QStringLiteral("Control Box");
        db->createGroups(building);
        for (int serial = 1; serial <= 3; ++serial) {
            VelkIFPDevice panel =
                addManagedDevice(QStringLiteral("Velk TM B-Series-%1").arg(serial, 4, 10, QLatin1Char('0')),
                                 QStringLiteral("02:51:4d:00:05:%1").arg(serial, 2, 10, QLatin1Char('0')), QString());
            db->joinGroups(panel, building);
            VelkUserDevice row;
            row.multiUserId = users.at(4).muid;
            row.deviceId = panel.did;
            row.syncStatus = serial;
            row.lastSyncTime = QStringLiteral("2024-05-0%1 11:00").arg(serial);
            db->createUserDevice(row);
        }
        report->refreshReport(users.at(4));
        report->show();
        settle(250);
        QWidget *cell = report->tableWidgetReport->cellWidget(0, 1);
        QHelpEvent hover(QEvent::ToolTip, QPoint(10, 10), cell->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(cell, &hover);
        settle(500);
        const QRect area = report->frameGeometry().adjusted(0, 0, 0, 60);
        QGuiApplication::primaryScreen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .save(folder + QStringLiteral("/report-long-names.png"));
        report->hide();
    }
    QProgressDialog *progress = overview.progressDialog();
    progress->setRange(0, 8);
    progress->setValue(3);
    shoot(progress, QStringLiteral("sync-progress"));

    AppPermissionDialog *apps = menu->permissionDialog();
    apps->setMultiUser(users.at(2));
    apps->loadAppPermissions();
    shoot(apps, QStringLiteral("app-permissions"));
    shoot(apps->confirmDialog(), QStringLiteral("app-permission-warning"));
    return 0;
}
