#pragma once

#include <QDialog>
#include <QString>

#include "accounts/Ui_BindCardWaitingDialog.h"
#include "shell/kit/FormScale.h"

class BindCardPassedDialog;
class BindCardUsedDialog;
class CardReaderLauncher;
class OrvantaDBIntf;
class QTimer;

/// The card step: "Tap your card on the reader". While it shows, the card-reader program runs
/// and types the number of a card held to the reader into a hidden field; a number of exactly
/// 8 characters is read 200 ms after its first character, checked against every user's card
/// and the panels' administrator card, and the outcome is shown in a message.
///
/// Three dialogs open it, each with an instance of its own named after the opener's class,
/// which decides the behaviour: adding a user ("AccountRegisterDialog") offers Skip and writes
/// the new user itself; editing a user ("EditMultiUserDialog") and the system settings
/// ("SystemSettingsDialog") receive the accepted number through notifyRfidId().
class BindCardWaitingDialog : public QDialog, public Ui_BindCardWaitingDialog
{
    Q_OBJECT
public:
    explicit BindCardWaitingDialog(const QString &openerName, QWidget *parent = nullptr);
    ~BindCardWaitingDialog() override;

    /// Set by the edit dialog before every show: true when an existing card is changed, false
    /// when the card switch was just turned on.
    void setChangeCard(bool change) { changeCard = change; }
    /// Replaces the card-reader launcher (not owned); tests pass a double.
    void setCardReader(CardReaderLauncher *launcher);
    QString openerName() const { return opener; }
    BindCardPassedDialog *passedMessage() const { return passedDialog; }
    BindCardUsedDialog *usedMessage() const { return usedDialog; }

    /// Writes the new user named by the properties "userName" and "password" with this card
    /// (empty: none).
    quint32 addMultiUser(const QString &rfidId);

signals:
    void updateMultiUser();
    void notifyRfidId(const QString &rfidId);
    void adminRdidIdSwitchOff();
    void showAccountRegisterDialog();
    void bindCardSwitchOff();
    void showEditMultiUserDialog();

public slots:
    void cancelButtonClicked();
    void skipButtonClicked();
    void lineCardNumberChanged();
    void cardNumberRead();
    void updateMultiUserTable();
    void showMe();
    void notifyRfidIdString();
    void restoreFocus();
    void restoreFocusDelayed();
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool addsUser() const;
    void startCardReader();
    void showOutcome(QDialog *message, const QPoint &corner);
    void scaleUi(bool rescale);

    QString opener;
    QString cardNumber;
    bool changeCard = false;
    QTimer *cardTimer;
    CardReaderLauncher *ownLauncher;
    CardReaderLauncher *launcher;
    BindCardPassedDialog *passedDialog;
    BindCardUsedDialog *usedDialog;
    OrvantaDBIntf *db;
    FormScale formScale;
};
