#pragma once

#include <QFrame>
#include <QList>
#include <QStringList>

#include "accounts/Ui_AccountOverview.h"
#include "datastore/VelkMultiUser.h"
#include "shell/FormScale.h"

class AccountRegisterDialog;
class MoreOptionDialog;
class OrvantaDBIntf;

/// The User Accounts tab of the Settings page: one row per panel user, with whether the user
/// has a password and a card, the devices the account is valid on, and buttons for the user's
/// actions, device assignment and synchronisation report. Above the table: add a user, import
/// users, the panels' system settings and the synchronisation of every panel.
///
/// The table is a projection of the database: every change of users, permissions or
/// assignments ends in updateMultiUserTable(), which rebuilds it whole. A row's buttons carry
/// the row's index into the list read at the last rebuild.
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

public slots:
    /// Rebuilds the user table from the data store.
    void updateMultiUserTable();
    void clickBtnAddUser();
    void clickBtnImportList();
    void clickBtnSystemSettings();
    void clickBtnSyncNow();
    void showMoreOptionDialog();
    void showDeviceListDialog();
    void showAccountReportDialog();
    /// Removes the user whose muid the user actions menu carries in its property "muid".
    void deleteSpecificMultiUser();

private:
    void fillRow(int row, const VelkMultiUser &user, const QString &devices);
    QWidget *rowButton(const char *objectName, const char *images, int row, void (AccountOverview::*slot)());
    void layoutHeader();
    void sizeRows();
    /// The row whose button sent the current signal, or -1.
    int senderRow() const;

    OrvantaDBIntf *db;
    AccountRegisterDialog *accountRegisterDialog;
    MoreOptionDialog *moreOptionDialog;
    QList<VelkMultiUser> multiUserList;
    QList<QLabel *> headerLabels;
    FormScale formScale;
};
