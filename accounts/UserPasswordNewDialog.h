#pragma once

#include <QDialog>

#include "accounts/Ui_UserPasswordNewDialog.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// A new password for a panel user, asked when the user's password switch is turned on. Save
/// writes it at once and answers showEditMultiUserDialog(); Cancel answers passwordSwitchOff();
/// closing the window answers nothing.
class UserPasswordNewDialog : public QDialog, public Ui_UserPasswordNewDialog
{
    Q_OBJECT
public:
    explicit UserPasswordNewDialog(QWidget *parent = nullptr);
    ~UserPasswordNewDialog() override;

    void setMultiUser(VelkMultiUser user);
    QString warningText() const { return lbMessage->shownWarning(); }

signals:
    void passwordSwitchOff();
    void showEditMultiUserDialog();

public slots:
    void reject() override;

private slots:
    void saveButtonClicked();
    void cancelButtonClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    VelkMultiUser multiUser;
    FormScale formScale;
};
