#pragma once

#include <QDialog>
#include <QString>

#include "accounts/Ui_SystemSettingsDialog.h"
#include "accounts/core/SystemSettingsModel.h"
#include "shell/kit/FormScale.h"

class AdminPasswordConfirmDialog;
class AdminPasswordNewDialog;
class BindCardWaitingDialog;
class CreateAccountPasswordDialog;
class GeneralMsgDialog;
class OrvantaDBIntf;
class QVBoxLayout;
class SetupUserConfirmDialog;
class SwitchControl;

/// The panels' multi-user settings: six switches kept consistent by SystemSettingsModel, each
/// password and the administrator card taken by a dialog of its own, and Save, which writes the
/// settings record. The dialog sends nothing to the panels; the next synchronisation reads the
/// record.
///
/// The password dialogs write their password into the record at once; the card dialog only
/// hands the number back, and Save stores it. While a sub-dialog takes its place, this dialog
/// hides and keeps its switches; a close of its own (Save, Cancel, the title bar) drops them,
/// and the next opening builds them afresh from the record.
class SystemSettingsDialog : public QDialog, public Ui_SystemSettingsDialog
{
    Q_OBJECT
public:
    using Switch = SystemSettingsModel::Switch;

    explicit SystemSettingsDialog(QWidget *parent = nullptr);
    ~SystemSettingsDialog() override;

    /// Builds the switches from the stored record; the overview page calls it before each show.
    void loadSettings();

    /// The switch of a row; null while the dialog is closed.
    SwitchControl *switchControl(Switch which) const { return rows[which].control; }
    const SystemSettingsModel &settingsModel() const { return model; }
    AdminPasswordConfirmDialog *adminPasswordConfirmDialog() const { return confirmDialog; }
    AdminPasswordNewDialog *adminPasswordNewDialog() const { return newPasswordDialog; }
    CreateAccountPasswordDialog *createAccountPasswordDialog() const { return cardPasswordDialog; }
    BindCardWaitingDialog *bindCardWaitingDialog() const { return cardDialog; }
    SetupUserConfirmDialog *setupUserConfirmDialog() const { return setupDialog; }

public slots:
    /// Escape closes the dialog as Cancel does.
    void reject() override;

private slots:
    void saveButtonClicked();
    void setupUserWidgetChanged(bool checked);
    void multiUserSwitchChanged(bool checked);
    void loginCardSwitchChanged(bool checked);
    void adminPasswordSwitchChanged(bool checked);
    void adminRfidIdSwitchChanged(bool checked);
    void showCreateAccountPasswordDialog();
    void showBindCardWaitingDialog();
    void changeAdminPasswordClicked();
    void showMe();
    void saveRfidId(const QString &rfidId);
    void turnMultiUserSwitchOff();
    void turnLoginCardSwitchOff();
    void turnAdminPasswordSwitchOn();
    void turnAdminPasswordSwitchOff();
    void turnAdminRfidIdSwitchOff();
    void turnSetupUserSwitchOn();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    /// One switch in its own container at the trailing end of its row.
    struct SwitchRow
    {
        QWidget *container = nullptr;
        QVBoxLayout *layout = nullptr;
        SwitchControl *control = nullptr;
    };

    void switchClicked(Switch which, bool checked);
    void handOver(QWidget *dialog, int down);
    void showNewPasswordDialog(int mode);
    void comeBack();
    /// Puts the switches and links where the model has them.
    void updateRowStates();
    void dropSwitches();
    QString storedAdminPassword();
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    SystemSettingsModel model;
    SwitchRow rows[SystemSettingsModel::SwitchCount];
    AdminPasswordConfirmDialog *confirmDialog;
    AdminPasswordNewDialog *newPasswordDialog;
    CreateAccountPasswordDialog *cardPasswordDialog;
    BindCardWaitingDialog *cardDialog;
    SetupUserConfirmDialog *setupDialog;
    GeneralMsgDialog *messageDialog = nullptr;
    bool open = false;
    FormScale formScale;
};
