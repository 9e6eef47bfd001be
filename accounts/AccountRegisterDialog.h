#pragma once

#include <QDialog>
#include <QString>

#include "accounts/Ui_AccountRegisterDialog.h"
#include "shell/kit/FormScale.h"

class BindCardWaitingDialog;
class OrvantaDBIntf;

/// The first step of adding a panel user: name, password and its confirmation. When the
/// checks pass it hands name and password to the card step, which writes the user (with a
/// card, or without one on Skip), and hides itself; cancelling the card step brings it back
/// with the texts as typed.
class AccountRegisterDialog : public QDialog, public Ui_AccountRegisterDialog
{
    Q_OBJECT
public:
    explicit AccountRegisterDialog(QWidget *parent = nullptr);
    ~AccountRegisterDialog() override;

    BindCardWaitingDialog *cardDialog() const { return bindCardWaitingDialog; }
    /// The badge's text while it shows, else empty.
    QString warningText() const { return lbMessage->shownWarning(); }

signals:
    /// A user was added.
    void updateMultiUser();

public slots:
    void nextButtonClicked();
    void updateMultiUserTable();
    /// Back from a cancelled card step, with the texts of the last Next.
    void showMe();
    /// Escape closes the dialog as Cancel does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showWarning(const QString &text);
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    BindCardWaitingDialog *bindCardWaitingDialog;
    QString savedUserName;
    QString savedPassword;
    QString savedPasswordConfirm;
    FormScale formScale;
};
