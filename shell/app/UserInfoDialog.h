#pragma once

#include <QDialog>

#include <functional>

#include "datastore/DatabaseFileOps.h"
#include "datastore/VelkAccount.h"
#include "shell/app/AccountEditRules.h"
#include "shell/app/Ui_UserInfoDialog.h"
#include "shell/kit/FormScale.h"

class CheckPasswordDialog;
class DatabaseFileJob;
class GeneralMsgDialog;
class HeldWritesExit;
class LanguageDialog;
class OrvantaDBIntf;
class QProgressDialog;
class ReStartConfirmDialog;

/// The logged-in operator's own settings: e-mail address, password, the console's language,
/// and the backup and restore of the whole database.
class UserInfoDialog : public QDialog, public Ui_UserInfoDialog
{
    Q_OBJECT
public:
    UserInfoDialog(VelkAccount account, QWidget *parent = nullptr);
    ~UserInfoDialog() override;

    /// The account as last read back after a change.
    void setUserInfo(VelkAccount account);

    /// At least one character before the first at sign, one between it and the last dot, and
    /// two after that dot.
    static bool isValidEmail(QString email);

    /// Replaces what a restart does (quit and start the program again with these arguments); nullptr restores it.
    static void setRestartHandler(std::function<void(const QStringList &arguments)> handler);
    /// How long a restore waits for another program to let go of the database before it gives up (tests shorten it).
    static void setLiveFileWaitMs(int waitMs);

    /// Whether a backup or the copy of a restore is running (on a thread of its own; a notice with a moving bar says
    /// so meanwhile).
    bool isCopying() const;
    /// What the operator is told when a backup to target fails with result.
    static QString backupFailure(DatabaseFileOps::Result result, const QString &target);
    /// What the operator is told of a restore that made rows of the chosen file fit (report); empty when it changed
    /// nothing.
    static QString restoreChanges(const DatabaseFileOps::RestoreReport &report);
    /// A restore restarts the program at once, with these arguments: what it made fit (report) is told by the program
    /// it starts. Told before the restart, the database stayed closed while the operator read it, and the row of an SOS
    /// handed over meanwhile was lost at the restart.
    static QStringList restartArguments(const DatabaseFileOps::RestoreReport &report);
    /// What the program started with arguments tells the operator of the restore that restarted it; empty: nothing.
    static QString noticeAfterRestart(const QStringList &arguments);
    /// What the operator is told when a restore of the live file livePath stops at result; report tells what the
    /// restore found.
    static QString restoreRefusal(DatabaseFileOps::Result result, const QString &livePath,
                                  const DatabaseFileOps::RestoreReport &report = DatabaseFileOps::RestoreReport());

signals:
    void changePassWord(QString password);

public slots:
    /// How many SOS warnings are open: a restore restarts the console only once none is.
    void setAlertsOpen(int warnings);
    void writeSetting();
    void showChangePassword();
    void passWordChange(QString password);
    void restartCheck();
    void backupDb();
    void restoreDb();
    void comboBoxLangIndexChanged(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);
    void resetFields();
    void selectLanguageItem();
    QString storedLanguage() const;
    QString chosenLanguage() const;
    void centreOnScreen(QWidget *dialog) const;
    void showMessage(const QString &message);
    /// While a copy runs: shows its notice again, and true, so that nothing else begins meanwhile.
    bool showCopying();
    /// Runs work on the copy's own thread with the busy notice showing notice, then done on this thread.
    void runCopy(const QString &notice, std::function<DatabaseFileOps::Result()> work,
                 std::function<void(DatabaseFileOps::Result)> done);
    /// The end of a restore once the chosen file is checked and staged (result): the swap and the restart, once no SOS
    /// warning is open.
    void swapInRestored(DatabaseFileOps::Result result, const QString &target, const QString &source,
                        const DatabaseFileOps::RestoreReport &report);
    void swapAndRestart(const QString &target, const QString &source, const DatabaseFileOps::RestoreReport &report);
    void restartProgram(const QStringList &arguments = QStringList());
    /// Stores the address without the spaces an earlier version kept around it, then closes, or restarts for a
    /// language chosen with it.
    void writeTrimmedAddress(const AccountEditRules::Decision &decision);

    OrvantaDBIntf *dbIntf = nullptr;
    CheckPasswordDialog *checkPasswordDialog = nullptr;
    VelkAccount userInfo;
    ReStartConfirmDialog *restartConfirmDialog = nullptr;
    LanguageDialog *languageDialog = nullptr;
    bool isLanguageChanged = false;
    int langIndex = 0;
    bool isLangNoticeArmed = false;
    VelkAccount adminInfo;

    GeneralMsgDialog *messageDialog = nullptr;
    DatabaseFileJob *copyJob = nullptr;
    QProgressDialog *busyNotice = nullptr;
    FormScale formScale;
    HeldWritesExit *restartWait = nullptr;
    std::function<void()> swapWaiting; ///< the swap of a staged restore that waits for SOS warnings to be answered
};
