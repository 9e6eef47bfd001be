#pragma once

#include <QDialog>

#include "datastore/VelkAccount.h"
#include "shell/kit/FormScale.h"
#include "shell/app/Ui_CheckPasswordDialog.h"

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

    /// The stored row of the account with `aid`, read afresh. False when it cannot be read.
    static bool readStoredAccount(OrvantaDBIntf *dbIntf, quint32 aid, VelkAccount &stored);
    /// `stored` with the fields the operator changed (e-mail, password, language: those where
    /// `edited` differs from `base`), so that fields written elsewhere meanwhile (the
    /// camera-management credentials) survive the update.
    static VelkAccount withChanges(const VelkAccount &base, const VelkAccount &edited, const VelkAccount &stored);
    /// Writes the changes of `edited` over `base` onto the stored row; the update's result code.
    /// `written` receives the record as written.
    static quint32 writeChanges(OrvantaDBIntf *dbIntf, const VelkAccount &base, const VelkAccount &edited,
                                VelkAccount *written = nullptr);

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
