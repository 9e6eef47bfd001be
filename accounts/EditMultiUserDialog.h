#pragma once

#include <QDialog>
#include <QString>

#include "accounts/Ui_EditMultiUserDialog.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class BindCardWaitingDialog;
class OrvantaDBIntf;
class QVBoxLayout;
class SwitchControl;
class UserPasswordNewDialog;
class UserPasswordRemoveConfirmDialog;

/// Edits one panel user: the name, whether there is a password and which, whether the user
/// logs in with a card and which. Password changes made through the two password dialogs are
/// written at once; the name and the card only by Save, the card only when it was changed here.
/// Save, Cancel and closing the dialog each end with one updateMultiUser().
///
/// The dialog hides itself while a sub-dialog asks for a password or reads a card, and keeps
/// its state for the return; a final close resets it.
class EditMultiUserDialog : public QDialog, public Ui_EditMultiUserDialog
{
    Q_OBJECT
public:
    explicit EditMultiUserDialog(QWidget *parent = nullptr);
    ~EditMultiUserDialog() override;

    void setMultiUser(VelkMultiUser user);
    /// Builds both switches and the fields from the user set last; called before each show.
    void loadMultiUser();

    SwitchControl *passwordSwitch() const { return passwordSlot.control; }
    SwitchControl *cardSwitch() const { return cardSlot.control; }
    BindCardWaitingDialog *cardDialog() const { return bindCardWaitingDialog; }
    UserPasswordNewDialog *newPasswordDialog() const { return userPasswordNewDialog; }
    UserPasswordRemoveConfirmDialog *removePasswordDialog() const { return userPasswordRemoveConfirmDialog; }
    QString warningText() const { return lbMessage->shownWarning(); }

signals:
    void updateMultiUser();

public slots:
    /// Escape closes the dialog as its title bar does.
    void reject() override;

private slots:
    void saveButtonClicked();
    void showChangePassword();
    void saveRfidId(const QString &rfidID);
    void changeBindCard(bool checked);
    void changeBindCardLabelClicked();
    void turnBindCardSwitchOff();
    void showMe();
    void changePasswordSwitch(bool checked);
    void turnPasswordSwitchOff();
    void turnPasswordSwitchOn();
    void handleUserPasswordRemove();
    void cancelButtonClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    /// One switch in its own container, laid at the field column of a row.
    struct SwitchSlot
    {
        QWidget *container = nullptr;
        SwitchControl *control = nullptr;
        QVBoxLayout *layout = nullptr;
    };

    void hideChangePassword();
    void openCardStep(bool fromLabel);
    void placeCardRow(int y);
    SwitchSlot makeSwitch(bool checked, int y);
    static void dropSwitch(SwitchSlot &slot);
    static bool isOn(const SwitchSlot &slot);
    void showWarning(const QString &text);
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    VelkMultiUser multiUser;
    QString pendingRfidId;
    /// The card the user held when the editor was loaded: Save checks and writes the card only
    /// when the editor changed it.
    QString loadedRfidId;
    SwitchSlot cardSlot;
    SwitchSlot passwordSlot;
    BindCardWaitingDialog *bindCardWaitingDialog;
    UserPasswordNewDialog *userPasswordNewDialog;
    UserPasswordRemoveConfirmDialog *userPasswordRemoveConfirmDialog;
    bool resetOnClose = false;
    bool notifyOnClose = false;
    FormScale formScale;
};
