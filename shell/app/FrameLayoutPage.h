#pragma once

#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

#include "datastore/DbResult.h"
#include "datastore/VelkAccount.h"
#include "shell/app/Ui_FrameLayoutPage.h"

class Broadcast;
class ConnectedList;
class ExitPendingNotice;
class ExitUnsavedDialog;
class GeneralMsgDialog;
class HeldWritesExit;
class IFPUpgradeManager;
class Management;
class OrvantaDBIntf;
class QAction;
class QMenu;
class Scheduling;
class Settings;
class UserInfoDialog;

/// The console's main window after log-in: the navigation bar with its four entries, the page
/// area, the firmware-update notification, the alert marker and the tray icon. It creates the
/// pages of the other subsystems and wires them to each other.
class FrameLayoutPage : public QWidget, public Ui_FrameLayoutPage
{
    Q_OBJECT
public:
    explicit FrameLayoutPage(VelkAccount loggedIn, QWidget *parent = nullptr);
    ~FrameLayoutPage() override;

    /// The logged-in account as last read back.
    VelkAccount currentAccount() const { return account; }

public slots:
    void mousePressedList();
    void mouseEnteredList();
    void mouseLeavedList();
    void clickList();
    void mousePressedManagement();
    void mouseEnteredManagement();
    void mouseLeavedManagement();
    void clickManagement();
    void mousePressedScheduling();
    void mouseEnteredScheduling();
    void mouseLeavedScheduling();
    void clickScheduling();
    void mousePressedBroadcast();
    void mouseEnteredBroadcast();
    void mouseLeavedBroadcast();
    void clickBroadcast();
    void showNormal();
    void iconActive(QSystemTrayIcon::ActivationReason reason);
    void closeProgram();
    void showInfoDialog();
    void showUpgradeNotificationTopButton(bool show);
    void showUpgradeNotification(bool show, QString title);
    /// The reminder's models as the last check found them; shown or not, the bar keeps its state.
    void setUpgradeNotificationTitle(const QString &title);
    void hideUpgradeNotification();
    void upgradeNotificationSkip();
    void upgradeNotificationRemind();
    void upgradeNotificationSetup();
    void passWordChange(QString password);
    void showAlertIcon(bool enable);
    void restoreWindow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    enum Look
    {
        Normal,
        Hover,
        Pressed,
        Selected,
        Disabled
    };
    struct Entry
    {
        MainButtonFrame *frame;
        QToolButton *icon;
        QLabel *label;
        const char *imageStem;
        QWidget *page;
    };

    void resetNavigationStyle(QWidget *selectedFrame, bool reset);
    /// Ends the program: the held writes are written, or the operator chose not to wait for them.
    void endProgram();
    /// The database refuses the held writes at Exit: the operator is asked, unless they chose to wait already.
    void askAboutUnsaved(int records, DbHoldCause cause);
    /// Shows what a chosen Exit waits for, once the operator chose to wait or a warning holds it; hides it else.
    void showPendingExit();
    /// Held records were lost (DbHeldWrites::writesLost): told beside the pages, which stay usable.
    void tellWritesLost(int writes);
    void createTrayMenu();
    void createTrayIcon();
    void resizePages(bool rescale);
    void checkScreenChange();

    Entry entryOf(MainButtonFrame *frame) const;
    void setLook(MainButtonFrame *frame, Look look);
    void selectEntry(MainButtonFrame *frame);
    void connectEntry(MainButtonFrame *frame, void (FrameLayoutPage::*pressed)(), void (FrameLayoutPage::*entered)(),
                      void (FrameLayoutPage::*leaved)(), void (FrameLayoutPage::*clicked)());
    QScreen *currentScreen() const;

    OrvantaDBIntf *dbManager = nullptr;
    QSystemTrayIcon *trayIcon = nullptr;
    QMenu *trayMenu = nullptr;
    QAction *exitAction = nullptr;
    QAction *openAction = nullptr;
    HeldWritesExit *heldWritesExit = nullptr;
    ExitUnsavedDialog *exitUnsavedDialog = nullptr;
    ExitPendingNotice *exitPendingNotice = nullptr;
    bool exitWaitChosen = false; ///< the operator chose to wait since Exit was last chosen
    GeneralMsgDialog *writesLostMessage = nullptr;
    int writesLostShown = 0; ///< the records the message counts while it is up
    UserInfoDialog *userInfoDialog = nullptr;
    IFPUpgradeManager *upgradeManager = nullptr;
    VelkAccount account;
    int lastEventType = 0;
    bool trayMenuClosed = true;
    QWidget *currentPage = nullptr;
    Management *management = nullptr;
    Settings *settings = nullptr;
    ConnectedList *connectedList = nullptr;
    Scheduling *scheduling = nullptr;
    Broadcast *broadcast = nullptr;
    int screenHeight = 0;

    bool screenWatchConnected = false;
};
