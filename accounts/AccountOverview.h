#pragma once

#include <QFrame>
#include <QHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include "accounts/Ui_AccountOverview.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class AccountRegisterDialog;
class AccountReportDialog;
class AccountSyncRun;
class AccountTableDelegate;
class AccountTableModel;
class CmdServer;
class DeviceListDialog;
class GeneralMsgDialog;
class ImportListDialog;
class MoreOptionDialog;
class OrvantaDBIntf;
class QProgressBar;
class QProgressDialog;
class QTimer;
class SystemSettingsDialog;

/// The User Accounts tab of the Settings page: one row per panel user, with whether the user
/// has a password and a card, the devices the account is valid on, and buttons for the user's
/// actions, device assignment and synchronisation report. Above the table: add a user, import
/// users, the panels' system settings and the synchronisation of every panel.
///
/// The table is a projection of the database: every change of users, permissions or
/// assignments ends in updateMultiUserTable(), which rebuilds it whole. A press on a row's
/// button acts on the user of that row in the list read at the last rebuild.
class AccountOverview : public QFrame, public Ui_AccountOverview
{
    Q_OBJECT
public:
    explicit AccountOverview(QWidget *parent = nullptr);
    ~AccountOverview() override;

    /// Scales the page, its header row and its rows: by the UI scale when built (relative false),
    /// by the ratio to the scale applied last when the Settings page rescales (relative true).
    void scaleUi(bool relative);

    /// The users as the table shows them, row by row.
    const QList<VelkMultiUser> &users() const { return multiUserList; }
    AccountRegisterDialog *registerDialog() const { return accountRegisterDialog; }
    MoreOptionDialog *userActions() const { return moreOptionDialog; }
    DeviceListDialog *deviceList() const { return deviceListDialog; }
    AccountReportDialog *report() const { return accountReportDialog; }
    /// The time-outs and the progress of account synchronisation.
    AccountSyncRun *syncRun() const { return accountSyncRun; }
    /// The progress of a "Sync Now" run; made on the first use and kept.
    QProgressDialog *progressDialog();
    SystemSettingsDialog *systemSettings() const { return systemSettingsDialog; }
    ImportListDialog *importList() const { return importListDialog; }
    AccountTableModel *tableModel() const { return model; }
    AccountTableDelegate *tableDelegate() const { return delegate; }
    /// The page's message box (why a Sync Now did not start); null until first shown.
    GeneralMsgDialog *messageBox() const { return messageDialog; }

public slots:
    /// Rebuilds the user table from the data store.
    void updateMultiUserTable();
    void clickBtnAddUser();
    void clickBtnImportList();
    void clickBtnSystemSettings();
    void clickBtnSyncNow();
    /// A press on a row's cell: its user actions, device assignment or report button.
    void cellPressed(const QModelIndex &index);
    void showMoreOptionDialog(int row, const QRect &button);
    void showDeviceListDialog(int row);
    void showAccountReportDialog(int row);
    /// Removes the user whose muid the user actions menu carries in its property "muid".
    void deleteSpecificMultiUser();
    /// The command server asks for the time-out of a panel's synchronisation, whoever started it.
    void setupSyncUserDeviceTimeout(const QString &deviceMacAddress, int timeoutMillis);
    /// A panel's synchronisation ended.
    void syncUserDeviceFinished(const QString &deviceMacAddress);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void layoutHeader();
    void fitLastColumn();
    void cellEntered(const QModelIndex &index);
    void syncProgressed(int done, int total);
    void syncRunFinished();
    void showMessage(const QString &text);

    OrvantaDBIntf *db;
    CmdServer *cmdServer;
    AccountRegisterDialog *accountRegisterDialog;
    MoreOptionDialog *moreOptionDialog;
    DeviceListDialog *deviceListDialog;
    AccountReportDialog *accountReportDialog;
    AccountSyncRun *accountSyncRun;
    SystemSettingsDialog *systemSettingsDialog;
    ImportListDialog *importListDialog;
    AccountTableModel *model;
    AccountTableDelegate *delegate;
    GeneralMsgDialog *messageDialog = nullptr;
    QProgressDialog *syncNowProgressDialog = nullptr;
    QProgressBar *progressBar = nullptr;
    QTimer *progressTimer = nullptr;
    int pendingProgress = 0;
    QList<VelkMultiUser> multiUserList;
    bool filled = false;                              // the table was built at least once
    quint64 multiUserListVersion = 0;                 // the data store's account version multiUserList was read at
    QHash<quint32, QString> deviceText;               // each user's device names joined, by muid
    QPair<quint64, quint64> deviceTextVersions{0, 0}; // the account and device versions deviceText was read at
    QList<QLabel *> headerLabels;
    FormScale formScale;
};
