#include "shell/app/FrameLayoutPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWindow>

#include "accounts/AccountOverview.h"
#include "broadcast/Broadcast.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/AlertRoad.h"
#include "devices/ConnectedList.h"
#include "devices/Management.h"
#include "firmware/IFPUpgradeManager.h"
#include "scheduling/Scheduling.h"
#include "shell/app/AppIdentity.h"
#include "shell/app/ExitPendingNotice.h"
#include "shell/app/ExitUnsavedDialog.h"
#include "shell/app/HeldWritesExit.h"
#include "shell/app/Settings.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {

const QString ImageFolder = QStringLiteral(":/resource/frameLayout/");

struct LookStyle
{
    const char *barImage; // nullptr: no image
    const char *iconSuffix;
    const char *labelColor;
};

// Indexed by FrameLayoutPage::Look.
const LookStyle LookStyles[] = {
    {nullptr, "_normal.png", "#bfbfbf"},
    {"btn_bar_hover.png", "_hover.png", "#ffffff"},
    {"btn_bar_pressed.png", "_pressed.png", "#666666"},
    {"btn_bar_selected.png", "_selected.png", "#1db5ff"},
    {nullptr, "_disabled.png", "#666666"},
};

} // namespace

FrameLayoutPage::FrameLayoutPage(VelkAccount loggedIn, QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    resizePages(false);
    qApp->installEventFilter(this);
    setWindowFlags((windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) | Qt::Dialog);
    setWindowTitle(AppIdentity::mainWindowTitle());

    upgradeManager = IFPUpgradeManager::getInstance();
    dbManager = OrvantaDBManager::getInstance();
    connect(dbManager->heldWrites(), &DbHeldWrites::writesLost, this, &FrameLayoutPage::tellWritesLost);

    management = new Management();
    settings = new Settings(management);
    connectedList = new ConnectedList();
    scheduling = new Scheduling();
    broadcast = new Broadcast();

    currentPage = connectedList;
    stackedWidget->addWidget(settings);
    stackedWidget->addWidget(connectedList);
    stackedWidget->addWidget(scheduling);
    stackedWidget->addWidget(broadcast);
    stackedWidget->setCurrentWidget(connectedList);

    for (QToolButton *icon : {iconDeviceControl, iconManagement, iconScheduling, iconBroadcast})
        icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The marker only frames the window; the pages beneath stay usable during an alert.
    sosBackground->setAttribute(Qt::WA_TransparentForMouseEvents);
    sosBackground->hide();

    account = loggedIn;

    if (account.isAdmin) {
        connectEntry(Frame_ConnectedList, &FrameLayoutPage::mousePressedList, &FrameLayoutPage::mouseEnteredList,
                     &FrameLayoutPage::mouseLeavedList, &FrameLayoutPage::clickList);
        connectEntry(Frame_Management, &FrameLayoutPage::mousePressedManagement,
                     &FrameLayoutPage::mouseEnteredManagement, &FrameLayoutPage::mouseLeavedManagement,
                     &FrameLayoutPage::clickManagement);
        connectEntry(Frame_Scheduling, &FrameLayoutPage::mousePressedScheduling,
                     &FrameLayoutPage::mouseEnteredScheduling, &FrameLayoutPage::mouseLeavedScheduling,
                     &FrameLayoutPage::clickScheduling);
        connect(upgradeManager, &IFPUpgradeManager::showUpgradeNotificationTopButton, this,
                &FrameLayoutPage::showUpgradeNotificationTopButton);
        connect(upgradeManager, &IFPUpgradeManager::showUpgradeNotification, this,
                &FrameLayoutPage::showUpgradeNotification);
        connect(upgradeManager, &IFPUpgradeManager::upgradeNotificationTitleChanged, this,
                &FrameLayoutPage::setUpgradeNotificationTitle);
        clickList();
    } else {
        clickBroadcast();
        for (MainButtonFrame *frame : {Frame_ConnectedList, Frame_Management, Frame_Scheduling}) {
            setLook(frame, Disabled);
            frame->setCursor(Qt::ArrowCursor);
        }
    }
    connectEntry(Frame_Broadcast, &FrameLayoutPage::mousePressedBroadcast, &FrameLayoutPage::mouseEnteredBroadcast,
                 &FrameLayoutPage::mouseLeavedBroadcast, &FrameLayoutPage::clickBroadcast);

    userInfoDialog = new UserInfoDialog(account);

    connect(btnInfo, &QToolButton::clicked, this, &FrameLayoutPage::showInfoDialog);
    connect(management, &Management::updateDB, connectedList, &ConnectedList::updateDB);
    connect(management, &Management::updateAllDB, connectedList, &ConnectedList::updateAllDB);
    connect(management, &Management::deleteDB, connectedList, &ConnectedList::deleteDB);
    connect(management, &Management::insertDB, connectedList, &ConnectedList::insertDB);
    connect(management, &Management::updateMultiUser, settings, &Settings::updateMultiUserTable);
    connect(management, &Management::startAlert, this, &FrameLayoutPage::showAlertIcon);
    connect(management, &Management::restoreWindow, this, &FrameLayoutPage::restoreWindow);
    connect(management->alertRoad(), &AlertRoad::pendingChanged, userInfoDialog, &UserInfoDialog::setAlertsOpen);
    // The panels get the new password before the frame re-reads the accounts.
    connect(userInfoDialog, &UserInfoDialog::changePassWord, connectedList, &ConnectedList::passWordChange);
    connect(userInfoDialog, &UserInfoDialog::changePassWord, this, &FrameLayoutPage::passWordChange);
    connect(connectedList, &ConnectedList::navigateToManagement, this, &FrameLayoutPage::clickManagement);
    connect(scheduling, &Scheduling::btnAddScheduleClicked, this, &FrameLayoutPage::hideUpgradeNotification);
    connect(otaNotificationSkipBtn, &QToolButton::clicked, this, &FrameLayoutPage::upgradeNotificationSkip);
    connect(otaNotificationRemindBtn, &QToolButton::clicked, this, &FrameLayoutPage::upgradeNotificationRemind);
    connect(otaNotificationSetupBtn, &QToolButton::clicked, this, &FrameLayoutPage::upgradeNotificationSetup);
    connect(otaNotificationTopSetupBtn, &QToolButton::clicked, this, &FrameLayoutPage::upgradeNotificationSetup);

    otaNotificationWidget->hide();
    otaNotificationTopSetupBtn->hide();

    setElidedButtonText(otaNotificationTopSetupBtn, otaNotificationTopSetupBtn->toolTip(),
                        otaNotificationTopSetupBtn->width() - 25);
    for (MainButtonFrame *frame : {Frame_ConnectedList, Frame_Management, Frame_Scheduling, Frame_Broadcast}) {
        QLabel *label = entryOf(frame).label;
        setElidedLabelText(label, label->toolTip(), static_cast<int>(frame->width() - 32 * getScaleFactor() - 10));
    }

    connect(management, &Management::deviceDeleted, broadcast, &Broadcast::deviceDeleted);
    // A deleted device leaves a running firmware update at once instead of being waited for.
    connect(management, &Management::deleteDB, upgradeManager, &IFPUpgradeManager::deviceRemoved);

    createTrayIcon();
}

FrameLayoutPage::~FrameLayoutPage()
{
    delete management;
    management = nullptr;
}

// ---- navigation ----

FrameLayoutPage::Entry FrameLayoutPage::entryOf(MainButtonFrame *frame) const
{
    if (frame == Frame_ConnectedList)
        return {Frame_ConnectedList, iconDeviceControl, Lb_ConnectedList, "btn_device_control", connectedList};
    if (frame == Frame_Management)
        return {Frame_Management, iconManagement, Lb_Management, "btn_setting", settings};
    if (frame == Frame_Scheduling)
        return {Frame_Scheduling, iconScheduling, Lb_Scheduling, "btn_schedule_setup", scheduling};
    return {Frame_Broadcast, iconBroadcast, Lb_Broadcast, "btn_broadcast", broadcast};
}

void FrameLayoutPage::setLook(MainButtonFrame *frame, Look look)
{
    const Entry entry = entryOf(frame);
    const LookStyle &style = LookStyles[look];
    const QString name = frame->objectName();
    if (style.barImage)
        frame->setStyleSheet(QStringLiteral("QFrame#%1{border-image: url(%2%3);border: none;}")
                                 .arg(name, ImageFolder, QLatin1String(style.barImage)));
    else
        frame->setStyleSheet(QStringLiteral("QFrame#%1{background-image: none;border: none;}").arg(name));
    entry.icon->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(%1%2%3);border: none;padding-top:13px;padding-left:13px}")
            .arg(ImageFolder, QLatin1String(entry.imageStem), QLatin1String(style.iconSuffix)));
    entry.label->setStyleSheet(
        QStringLiteral("QLabel{color: %1;font-family:Arial;padding-left:8px;padding-bottom:2px;}")
            .arg(QLatin1String(style.labelColor)));
}

void FrameLayoutPage::resetNavigationStyle(QWidget *selectedFrame, bool reset)
{
    if (!reset)
        return;
    for (MainButtonFrame *frame : {Frame_ConnectedList, Frame_Management, Frame_Scheduling, Frame_Broadcast}) {
        if (frame != selectedFrame)
            setLook(frame, Normal);
    }
}

void FrameLayoutPage::selectEntry(MainButtonFrame *frame)
{
    setLook(frame, Selected);
    // A normal user's other entries stay drawn disabled.
    if (frame != Frame_Broadcast || account.isAdmin)
        resetNavigationStyle(frame, true);
    currentPage = entryOf(frame).page;
}

void FrameLayoutPage::connectEntry(MainButtonFrame *frame, void (FrameLayoutPage::*pressed)(),
                                   void (FrameLayoutPage::*entered)(), void (FrameLayoutPage::*leaved)(),
                                   void (FrameLayoutPage::*clicked)())
{
    connect(frame, &MainButtonFrame::mousePressed, this, pressed);
    connect(frame, &MainButtonFrame::mouseEntered, this, entered);
    connect(frame, &MainButtonFrame::mouseLeaved, this, leaved);
    connect(frame, &MainButtonFrame::clicked, this, clicked);
}

void FrameLayoutPage::mousePressedList()
{
    setLook(Frame_ConnectedList, Pressed);
}

void FrameLayoutPage::mouseEnteredList()
{
    if (currentPage != connectedList)
        setLook(Frame_ConnectedList, Hover);
}

void FrameLayoutPage::mouseLeavedList()
{
    if (currentPage != connectedList)
        setLook(Frame_ConnectedList, Normal);
}

void FrameLayoutPage::clickList()
{
    selectEntry(Frame_ConnectedList);
    connectedList->setupGroupCombo();
    stackedWidget->setCurrentWidget(connectedList);
}

void FrameLayoutPage::mousePressedManagement()
{
    setLook(Frame_Management, Pressed);
}

void FrameLayoutPage::mouseEnteredManagement()
{
    if (currentPage != settings)
        setLook(Frame_Management, Hover);
}

void FrameLayoutPage::mouseLeavedManagement()
{
    if (currentPage != settings)
        setLook(Frame_Management, Normal);
}

void FrameLayoutPage::clickManagement()
{
    selectEntry(Frame_Management);
    stackedWidget->setCurrentWidget(settings);
    if (settings->currentPageIndex() == 0) {
        management->resetSearchBox();
        management->hideFilter();
    } else {
        settings->updateMultiUserTable();
    }
}

void FrameLayoutPage::mousePressedScheduling()
{
    setLook(Frame_Scheduling, Pressed);
}

void FrameLayoutPage::mouseEnteredScheduling()
{
    if (currentPage != scheduling)
        setLook(Frame_Scheduling, Hover);
}

void FrameLayoutPage::mouseLeavedScheduling()
{
    if (currentPage != scheduling)
        setLook(Frame_Scheduling, Normal);
}

void FrameLayoutPage::clickScheduling()
{
    selectEntry(Frame_Scheduling);
    scheduling->initial();
    stackedWidget->setCurrentWidget(scheduling);
}

void FrameLayoutPage::mousePressedBroadcast()
{
    setLook(Frame_Broadcast, Pressed);
}

void FrameLayoutPage::mouseEnteredBroadcast()
{
    if (currentPage != broadcast)
        setLook(Frame_Broadcast, Hover);
}

void FrameLayoutPage::mouseLeavedBroadcast()
{
    if (currentPage != broadcast)
        setLook(Frame_Broadcast, Normal);
}

void FrameLayoutPage::clickBroadcast()
{
    selectEntry(Frame_Broadcast);
    broadcast->deviceDeleted();
    stackedWidget->setCurrentWidget(broadcast);
}

// ---- tray ----

void FrameLayoutPage::showNormal()
{
    QWidget::showNormal();
}

void FrameLayoutPage::iconActive(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        show();
}

void FrameLayoutPage::closeProgram()
{
    if (!heldWritesExit) {
        heldWritesExit = new HeldWritesExit(OrvantaDBManager::getInstance()->heldWrites(), this);
        connect(heldWritesExit, &HeldWritesExit::quit, this, &FrameLayoutPage::endProgram);
        connect(heldWritesExit, &HeldWritesExit::notSaved, this, &FrameLayoutPage::askAboutUnsaved);
        connect(heldWritesExit, &HeldWritesExit::pendingChanged, this, &FrameLayoutPage::showPendingExit);
        connect(management->alertRoad(), &AlertRoad::pendingChanged, heldWritesExit, &HeldWritesExit::setAlertsOpen);
    }
    heldWritesExit->setAlertsOpen(management->alertRoad()->pendingAlerts().size());
    exitWaitChosen = false;
    heldWritesExit->request();
}

void FrameLayoutPage::endProgram()
{
    if (exitUnsavedDialog)
        exitUnsavedDialog->hide();
    if (exitPendingNotice)
        exitPendingNotice->hide();
    if (trayIcon)
        trayIcon->hide();
    QCoreApplication::quit();
}

void FrameLayoutPage::askAboutUnsaved(int records, DbHoldCause cause)
{
    if (!exitUnsavedDialog) {
        exitUnsavedDialog = new ExitUnsavedDialog(this);
        connect(exitUnsavedDialog, &ExitUnsavedDialog::waitChosen, this, [this] {
            exitWaitChosen = true;
            showPendingExit();
        });
        connect(exitUnsavedDialog, &ExitUnsavedDialog::quitChosen, heldWritesExit, &HeldWritesExit::quitAnyway);
    }
    exitUnsavedDialog->setRecords(records, cause);
    if (exitWaitChosen || exitUnsavedDialog->isVisible())
        return;
    if (exitPendingNotice)
        exitPendingNotice->hide();
    // Placed anew at every showing: shown again where it was left, it came up lower by its title bar each time.
    DialogPlacementRule::centreOnScreenOf(exitUnsavedDialog, this);
    exitUnsavedDialog->show();
    exitUnsavedDialog->raise();
    exitUnsavedDialog->activateWindow();
}

void FrameLayoutPage::tellWritesLost(int writes)
{
    // The callers went on as if these records were saved, and only the log said otherwise. Records lost while the
    // message is up add to its count; it blocks nothing.
    if (!writesLostMessage) {
        writesLostMessage = new GeneralMsgDialog(this);
        writesLostMessage->setModal(false);
    }
    writesLostShown = writesLostMessage->isVisible() ? writesLostShown + writes : writes;
    writesLostMessage->showOver(this, tr("%n records could not be saved in the database and were given up. The log "
                                         "names them.",
                                         nullptr, writesLostShown));
}

void FrameLayoutPage::showPendingExit()
{
    const bool pending = heldWritesExit && heldWritesExit->isPending();
    // Records saved meanwhile leave the question nothing to ask.
    if (exitUnsavedDialog && exitUnsavedDialog->isVisible() && (!pending || heldWritesExit->recordsAwaited() == 0))
        exitUnsavedDialog->hide();
    const bool asking = exitUnsavedDialog && exitUnsavedDialog->isVisible();
    if (!pending || asking || !(exitWaitChosen || heldWritesExit->waitsForAlert())) {
        if (exitPendingNotice)
            exitPendingNotice->hide();
        return;
    }
    if (!exitPendingNotice) {
        exitPendingNotice = new ExitPendingNotice(this);
        connect(exitPendingNotice, &ExitPendingNotice::stayOpenChosen, this, [this] {
            exitWaitChosen = false;
            heldWritesExit->callOff();
        });
    }
    exitPendingNotice->setWaits(heldWritesExit->alertsAwaited(), heldWritesExit->recordsAwaited());
    if (exitPendingNotice->isVisible())
        return;
    // Low on the screen, clear of an SOS warning, which comes up in the middle.
    DialogPlacementRule::centreLowOnScreenOf(exitPendingNotice, this, ScaleMath::truncScaled(40, getScaleFactor()));
    exitPendingNotice->show();
}

void FrameLayoutPage::createTrayMenu()
{
    openAction = new QAction(tr("Open ") + productName(), this);
    exitAction = new QAction(tr("Exit"), this);
    trayMenu = new QMenu(QApplication::desktop());
    trayMenu->setObjectName(QStringLiteral("trayMenu"));
    trayMenu->addAction(openAction);
    trayMenu->addSeparator();
    trayMenu->addAction(exitAction);
    connect(openAction, &QAction::triggered, this, &FrameLayoutPage::showNormal);
    connect(exitAction, &QAction::triggered, this, &FrameLayoutPage::closeProgram);
}

void FrameLayoutPage::createTrayIcon()
{
    createTrayMenu();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(QIcon(QStringLiteral(":/resource/Logo/Logo_22.png")));
    trayIcon->setToolTip(productName());
    trayIcon->setContextMenu(trayMenu);
    trayIcon->setVisible(true);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &FrameLayoutPage::iconActive);
}

// ---- notification bar ----

void FrameLayoutPage::showUpgradeNotificationTopButton(bool show)
{
    otaNotificationTopSetupBtn->setVisible(show);
}

void FrameLayoutPage::showUpgradeNotification(bool show, QString title)
{
    if (show)
        setUpgradeNotificationTitle(title);
    otaNotificationWidget->setVisible(show);
}

void FrameLayoutPage::setUpgradeNotificationTitle(const QString &title)
{
    setElidedLabelText(otaNotificationTitleLabel, title, otaNotificationTitleLabel->width() - 10);
    const QString tip = BoundedText::shown(title);
    otaNotificationTitleLabel->setToolTip(layoutDirection() == Qt::RightToLeft ? tip + QStringLiteral("  ") : tip);
}

void FrameLayoutPage::hideUpgradeNotification()
{
    if (otaNotificationWidget->isVisible())
        otaNotificationWidget->hide();
}

void FrameLayoutPage::upgradeNotificationSkip()
{
    otaNotificationWidget->hide();
    upgradeManager->upgradeNotificationSkip();
}

void FrameLayoutPage::upgradeNotificationRemind()
{
    otaNotificationWidget->hide();
    upgradeManager->upgradeNotificationRemind();
}

void FrameLayoutPage::upgradeNotificationSetup()
{
    hideUpgradeNotification();
    clickScheduling();
    scheduling->showOtaPage();
}

// ---- user settings, password, alert ----

void FrameLayoutPage::showInfoDialog()
{
    if (QScreen *screen = currentScreen()) {
        QRect rect = userInfoDialog->frameGeometry();
        rect.moveCenter(screen->availableGeometry().center());
        userInfoDialog->move(rect.topLeft());
    }
    userInfoDialog->show();
    management->hideFilter();
    scheduling->resetFilterButtons();
}

void FrameLayoutPage::passWordChange(QString password)
{
    Q_UNUSED(password)
    QList<VelkAccount> accounts;
    dbManager->queryAccount(accounts);
    for (const VelkAccount &candidate : accounts) {
        if (candidate.isAdmin == account.isAdmin) {
            account = candidate;
            break;
        }
    }
    if (userInfoDialog)
        userInfoDialog->setUserInfo(account);
}

void FrameLayoutPage::showAlertIcon(bool enable)
{
    sosBackground->setVisible(enable);
}

void FrameLayoutPage::restoreWindow()
{
    if (isMinimized())
        QWidget::showNormal();
    show();
    raise();
    activateWindow();
}

// ---- events ----

bool FrameLayoutPage::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched->objectName() == QLatin1String("trayMenu")) {
        if (type == QEvent::Show)
            trayMenuClosed = false;
        // A menu closed by choosing an entry is only hidden, never sent a close event.
        else if (type == QEvent::Close || type == QEvent::Hide)
            trayMenuClosed = true;
    }
    if (watched == qApp && type == QEvent::ApplicationActivate && trayMenuClosed)
        show();
    if (type == QEvent::NonClientAreaMouseButtonRelease && lastEventType == QEvent::NonClientAreaMouseButtonRelease &&
        getDpiRatio() > 1.4)
        checkScreenChange();
    lastEventType = type;
    return QWidget::eventFilter(watched, event);
}

void FrameLayoutPage::mousePressEvent(QMouseEvent *event)
{
    Q_UNUSED(event)
    management->hideFilter();
    scheduling->resetFilterButtons();
}

void FrameLayoutPage::closeEvent(QCloseEvent *event)
{
    event->ignore();
    // Without a tray to come back from, a hidden frame would leave an invisible process.
    if (trayIcon && trayIcon->isVisible())
        hide();
    else
        showMinimized();
}

void FrameLayoutPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QScreen *screen = currentScreen())
        screenHeight = screen->geometry().height();
    // The title-bar events the event filter watches do not arrive on every platform; the window's own
    // screen change does.
    if (!screenWatchConnected && windowHandle()) {
        screenWatchConnected = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this]() { checkScreenChange(); });
    }
}

bool FrameLayoutPage::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(eventType)
    Q_UNUSED(message)
    if (result)
        *result = 0;
    return false;
}

// ---- scaling ----

QScreen *FrameLayoutPage::currentScreen() const
{
    if (windowHandle() && windowHandle()->screen())
        return windowHandle()->screen();
    if (QScreen *screen = QGuiApplication::screenAt(geometry().center()))
        return screen;
    return QGuiApplication::primaryScreen();
}

void FrameLayoutPage::checkScreenChange()
{
    bool tallScreen = false;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().height() >= 2160)
            tallScreen = true;
    }
    if (!tallScreen)
        return;
    QScreen *screen = currentScreen();
    if (!screen)
        return;
    const int height = screen->geometry().height();
    if (height == screenHeight)
        return;
    screenHeight = height;
    initScaleFactor(screen->geometry().width(), height);
    resizePages(true);
}

void FrameLayoutPage::resizePages(bool rescale)
{
    const double s = getScaleFactor();
    setFixedSize(ScaleMath::truncScaled(940, s), ScaleMath::truncScaled(705, s));
    if (s == 1.0)
        return;
    double f = s;
    if (rescale) {
        f = s / getPreviousScaleFactor();
        connectedList->adjustIconSize(true);
        management->updateLayout(true);
        scheduling->layoutSettingsPage(true);
        settings->scaleUi(true);
        broadcast->scaleUi(true);
    }
    for (QWidget *widget : std::initializer_list<QWidget *>{
             FrameTop, Frame_Broadcast, Frame_ConnectedList, Frame_Management, Frame_Scheduling, btnInfo,
             otaNotificationTopSetupBtn, otaNotificationWidget, otaNotificationMessageLabel, otaNotificationRemindBtn,
             otaNotificationSetupBtn, otaNotificationSkipBtn, otaNotificationTitleLabel, stackedWidget, sosBackground})
        scaleWidgetGeometry(widget, f);
    // The entry icons sit in their frames' layouts, so they follow by their fixed size.
    for (QToolButton *icon : {iconDeviceControl, iconManagement, iconScheduling, iconBroadcast})
        icon->setFixedSize(ScaleMath::truncScaled(icon->width(), f), ScaleMath::truncScaled(icon->height(), f));
    scaleWidgetFonts(this, f, rescale, true);
}
