#pragma once

#include <QDialog>

#include "datastore/VelkAccount.h"
#include "shell/app/Ui_CheckPasswordDialog.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// Asks for the current password before the user settings write a changed e-mail address or
/// password.
class CheckPasswordDialog : public QDialog, public Ui_CheckPasswordDialog
{
    Q_OBJECT
public:
    explicit CheckPasswordDialog(QWidget *parent = nullptr);
    ~CheckPasswordDialog() override;

    /// The logged-in account, whose password is asked for.
    void setUserInfo(VelkAccount account);
    /// The account as the user settings changed it; written once the password is confirmed.
    void setPendingUserInfo(VelkAccount account);

signals:
    void passWordChange(QString str);

public slots:
    void writeSetting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    OrvantaDBIntf *dbIntf = nullptr;
    VelkAccount pendingUserInfo;
    bool hasPendingUserInfo = false;
    VelkAccount userInfo;
    FormScale formScale;
};
