#pragma once

#include <QFrame>
#include <QList>
#include <QStringList>

#include "accounts/Ui_AccountOverview.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class AccountRegisterDialog;
class AccountTableDelegate;
class AccountTableModel;
class ImportListDialog;
class MoreOptionDialog;
class OrvantaDBIntf;
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
    SystemSettingsDialog *systemSettings() const { return systemSettingsDialog; }
    ImportListDialog *importList() const { return importListDialog; }
    AccountTableModel *tableModel() const { return model; }
    AccountTableDelegate *tableDelegate() const { return delegate; }

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

private:
    void layoutHeader();
    void cellEntered(const QModelIndex &index);

    OrvantaDBIntf *db;
    AccountRegisterDialog *accountRegisterDialog;
    MoreOptionDialog *moreOptionDialog;
    SystemSettingsDialog *systemSettingsDialog;
    ImportListDialog *importListDialog;
    AccountTableModel *model;
    AccountTableDelegate *delegate;
    QList<VelkMultiUser> multiUserList;
    QList<QLabel *> headerLabels;
    FormScale formScale;
};
