#include "accounts/EditMultiUserDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/PasswordEntry.h"
#include "accounts/UserPasswordNewDialog.h"
#include "accounts/UserPasswordRemoveConfirmDialog.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/Log.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SwitchControl.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace {
// The card row's top while the change-password area is hidden and while it shows.
constexpr int CardRowTop = 121;
constexpr int CardRowTopBelowPassword = 182;
// Where the password switch's row lies in the form, and the size of a switch's container.
constexpr int PasswordRowTop = 60;
constexpr int SwitchWidth = 60;
constexpr int SwitchHeight = 40;
} // namespace

EditMultiUserDialog::EditMultiUserDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    bindCardWaitingDialog = new BindCardWaitingDialog(QString::fromLatin1(metaObject()->className()));
    userPasswordNewDialog = new UserPasswordNewDialog();
    userPasswordRemoveConfirmDialog = new UserPasswordRemoveConfirmDialog();

    connect(btnCancel, &QAbstractButton::clicked, this, &EditMultiUserDialog::cancelButtonClicked);
    connect(btnSave, &QAbstractButton::clicked, this, &EditMultiUserDialog::saveButtonClicked);
    connect(btnChangePassword, &QAbstractButton::clicked, this, &EditMultiUserDialog::showChangePassword);
    connect(bindCardWaitingDialog, &BindCardWaitingDialog::bindCardSwitchOff, this,
            &EditMultiUserDialog::turnBindCardSwitchOff);
    connect(bindCardWaitingDialog, &BindCardWaitingDialog::notifyRfidId, this, &EditMultiUserDialog::saveRfidId);
    connect(bindCardWaitingDialog, &BindCardWaitingDialog::showEditMultiUserDialog, this, &EditMultiUserDialog::showMe);
    connect(lbChangeBindCard, &ClickableLabel::clicked, this, &EditMultiUserDialog::changeBindCardLabelClicked);
    connect(userPasswordNewDialog, &UserPasswordNewDialog::showEditMultiUserDialog, this, &EditMultiUserDialog::showMe);
    connect(userPasswordNewDialog, &UserPasswordNewDialog::passwordSwitchOff, this,
            &EditMultiUserDialog::turnPasswordSwitchOff);
    connect(userPasswordRemoveConfirmDialog, &UserPasswordRemoveConfirmDialog::removeUserPassword, this,
            &EditMultiUserDialog::handleUserPasswordRemove);
    connect(userPasswordRemoveConfirmDialog, &UserPasswordRemoveConfirmDialog::passwordSwitchOn, this,
            &EditMultiUserDialog::turnPasswordSwitchOn);

    PasswordEntry::prepare(lineEditPassword, UserRules::MaxPasswordLength);
    PasswordEntry::prepare(lineEditPasswordConfirm, UserRules::MaxPasswordLength);
    widgetUser->show();
    widgetBindCard->show();
    hideChangePassword();
    widgetUser->layout()->activate();
    const int labelWidth = ScaleMath::truncScaled(gridLayout->columnStretch(0), getScaleFactor());
    for (QLabel *caption : {label, label_2, lbBindCard, lbPassword, lbPasswordConfirm})
        setElidedLabelText(caption, caption->toolTip(), labelWidth);
}

EditMultiUserDialog::~EditMultiUserDialog()
{
    delete bindCardWaitingDialog;
    delete userPasswordNewDialog;
    delete userPasswordRemoveConfirmDialog;
}

void EditMultiUserDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

bool EditMultiUserDialog::isOn(const SwitchSlot &slot)
{
    return slot.control && slot.control->isToggled();
}

EditMultiUserDialog::SwitchSlot EditMultiUserDialog::makeSwitch(bool checked, int y)
{
    const double scale = getScaleFactor();
    const int width = ScaleMath::truncScaled(SwitchWidth, scale);
    int x = lineUserName->mapTo(this, QPoint(0, 0)).x();
    if (layoutDirection() == Qt::RightToLeft)
        x = this->width() - x - width;
    SwitchSlot slot;
    slot.container = new QWidget(this);
    slot.container->setObjectName(QStringLiteral("switchWidget"));
    slot.container->setGeometry(x, ScaleMath::truncScaled(y, scale), width,
                                ScaleMath::truncScaled(SwitchHeight, scale));
    slot.layout = new QVBoxLayout(slot.container);
    slot.control = new SwitchControl(slot.container, checked);
    slot.layout->addWidget(slot.control);
    slot.container->show();
    return slot;
}

void EditMultiUserDialog::dropSwitch(SwitchSlot &slot)
{
    if (!slot.container)
        return;
    slot.layout->removeWidget(slot.control);
    slot.container->deleteLater();
    slot.container->hide();
    slot = SwitchSlot();
}

void EditMultiUserDialog::loadMultiUser()
{
    // Every opening starts from the loaded user alone. A road through a sub-dialog that ended
    // without an answer (a card step closed by Escape, a declined removal and then Escape) left
    // the previous user's password area open, and Save wrote that password on this user.
    hideChangePassword();
    resetOnClose = true;
    pendingRfidId = multiUser.rfidId;
    loadedRfidId = multiUser.rfidId;
    dropSwitch(cardSlot);
    cardSlot =
        makeSwitch(!multiUser.rfidId.isEmpty(), widgetPassword->isHidden() ? CardRowTop : CardRowTopBelowPassword);
    connect(cardSlot.control, &SwitchControl::toggled, this, &EditMultiUserDialog::changeBindCard);
    dropSwitch(passwordSlot);
    passwordSlot = makeSwitch(!multiUser.password.isEmpty(), PasswordRowTop);
    connect(passwordSlot.control, &SwitchControl::toggled, this, &EditMultiUserDialog::changePasswordSwitch);
    btnChangePassword->setEnabled(isOn(passwordSlot));
    showStoredText(lineUserName, multiUser.userName);
    lbChangeBindCard->setEnabled(isOn(cardSlot));
}

void EditMultiUserDialog::placeCardRow(int y)
{
    // The badge, the buttons and the dialog's lower edge follow the card row, so the dialog
    // grows by the change-password area while it shows.
    const double scale = getScaleFactor();
    const int top = ScaleMath::truncScaled(y, scale);
    widgetBindCard->move(widgetBindCard->x(), top);
    if (cardSlot.container)
        cardSlot.container->move(cardSlot.container->x(), top);
    lbMessage->move(lbMessage->x(), ScaleMath::truncScaled(y + 44, scale));
    btnCancel->move(btnCancel->x(), ScaleMath::truncScaled(y + 74, scale));
    btnSave->move(btnSave->x(), ScaleMath::truncScaled(y + 74, scale));
    const int height = ScaleMath::truncScaled(y + 118, scale);
    frameContent->resize(frameContent->width(), height);
    setFixedSize(width(), height);
}

void EditMultiUserDialog::showChangePassword()
{
    placeCardRow(CardRowTopBelowPassword);
    showStoredText(lineEditPassword, multiUser.password);
    showStoredText(lineEditPasswordConfirm, multiUser.password);
    widgetPassword->show();
}

void EditMultiUserDialog::hideChangePassword()
{
    placeCardRow(CardRowTop);
    lineEditPassword->clear();
    lineEditPasswordConfirm->clear();
    widgetPassword->hide();
    lbMessage->hide();
}

void EditMultiUserDialog::changePasswordSwitch(bool checked)
{
    resetOnClose = false;
    if (!checked) {
        AccountsForm::moveTo(userPasswordRemoveConfirmDialog, mapToGlobal(QPoint(0, 0)), 0, 0);
        userPasswordRemoveConfirmDialog->show();
        return;
    }
    notifyOnClose = false;
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    close();
    userPasswordNewDialog->setMultiUser(multiUser);
    AccountsForm::moveTo(userPasswordNewDialog, corner, 0, 0);
    userPasswordNewDialog->show();
    btnChangePassword->setEnabled(true);
}

void EditMultiUserDialog::turnPasswordSwitchOff()
{
    show();
    if (isOn(passwordSlot)) {
        passwordSlot.control->setToggle(false);
        btnChangePassword->setEnabled(false);
    }
}

void EditMultiUserDialog::turnPasswordSwitchOn()
{
    if (passwordSlot.control && !passwordSlot.control->isToggled()) {
        passwordSlot.control->setToggle(true);
        btnChangePassword->setEnabled(true);
    }
}

void EditMultiUserDialog::handleUserPasswordRemove()
{
    UserStore::UserEdit edit;
    edit.password = QString();
    const quint32 rc = UserStore::editUser(db, multiUser.muid, edit);
    if (rc != DB_OK && rc != DB_ROW_NOT_FOUND) {
        // The password is still stored: the switch goes back on rather than show it removed.
        writeLog(LOG_LEVEL_ERROR, "EditMultiUserDialog::handleUserPasswordRemove, updateMultiUser error 0x%08x", rc);
        turnPasswordSwitchOn();
        showWarning(UserRules::message(UserRules::WriteFailed));
        return;
    }
    resetOnClose = true;
    multiUser.password.clear();
    btnChangePassword->setEnabled(false);
    hideChangePassword();
    lineEditPassword->clearFocus();
    lineEditPasswordConfirm->clearFocus();
}

void EditMultiUserDialog::changeBindCard(bool checked)
{
    if (checked)
        openCardStep(false);
    lbChangeBindCard->setEnabled(isOn(cardSlot));
}

void EditMultiUserDialog::changeBindCardLabelClicked()
{
    if (isOn(cardSlot))
        openCardStep(true);
    lbChangeBindCard->setEnabled(isOn(cardSlot));
}

void EditMultiUserDialog::openCardStep(bool fromLabel)
{
    resetOnClose = false;
    notifyOnClose = false;
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    close();
    bindCardWaitingDialog->setChangeCard(fromLabel);
    AccountsForm::moveTo(bindCardWaitingDialog, corner, 0, -24);
    bindCardWaitingDialog->show();
}

void EditMultiUserDialog::saveRfidId(const QString &rfidID)
{
    pendingRfidId = rfidID;
    if (cardSlot.control && !cardSlot.control->isToggled()) {
        cardSlot.control->setToggle(true);
        lbChangeBindCard->setEnabled(true);
    }
    show();
}

void EditMultiUserDialog::turnBindCardSwitchOff()
{
    show();
    if (isOn(cardSlot)) {
        cardSlot.control->setToggle(false);
        lbChangeBindCard->setEnabled(false);
    }
}

void EditMultiUserDialog::showMe()
{
    resetOnClose = true;
    VelkMultiUser stored;
    if (UserStore::findUser(db, multiUser.muid, &stored) == DB_OK)
        multiUser = stored;
    showStoredText(lineEditPassword, multiUser.password);
    showStoredText(lineEditPasswordConfirm, multiUser.password);
    show();
}

void EditMultiUserDialog::saveButtonClicked()
{
    const QString name = editedOrStored(lineUserName, multiUser.userName);
    const bool changingPassword = !widgetPassword->isHidden();
    const QString password = editedOrStored(lineEditPassword, multiUser.password);
    const QString confirm = editedOrStored(lineEditPasswordConfirm, multiUser.password);
    // The name is checked first: an empty name or another user's would leave two users that
    // lookups by name cannot tell apart.
    UserRules::Verdict verdict = UserRules::checkRename(db, multiUser.muid, name);
    if (verdict == UserRules::Accepted && changingPassword)
        verdict = UserRules::checkPassword(password, confirm, false);
    if (verdict != UserRules::Accepted) {
        showWarning(UserRules::message(verdict));
        if (verdict == UserRules::PasswordMismatch || verdict == UserRules::PasswordTooShort) {
            lineEditPassword->clear();
            lineEditPasswordConfirm->clear();
        }
        return;
    }

    UserStore::UserEdit edit;
    edit.userName = name;
    edit.password = changingPassword ? password : multiUser.password;
    const QString card = isOn(cardSlot) ? pendingRfidId : QString();
    if (card != loadedRfidId) {
        // A card read in this editor was free when read; another window may have given it away since.
        if (!card.isEmpty()) {
            const UserRules::CardVerdict held = UserRules::checkCardOf(db, multiUser.muid, card);
            if (held != UserRules::CardFree) {
                showWarning(held == UserRules::CardUsed ? UserRules::cardUsedMessage()
                                                        : UserRules::message(UserRules::LookupFailed));
                return;
            }
        }
        edit.rfidId = card;
    } else if (!card.isEmpty()) {
        // The card the user already holds is not written again, so a card shared from before the
        // checks existed stays as stored: refusing it would refuse every other change of this user.
        const UserRules::CardVerdict held = UserRules::checkCardOf(db, multiUser.muid, card);
        if (held == UserRules::CardUsed)
            writeLog(LOG_LEVEL_WARNING,
                     "EditMultiUserDialog::saveButtonClicked, user %u keeps a card that another user or the "
                     "panels' administrator also holds; left as stored",
                     multiUser.muid);
        else if (held == UserRules::CardLookupFailed)
            writeLog(LOG_LEVEL_WARNING,
                     "EditMultiUserDialog::saveButtonClicked, the card user %u keeps could not be checked",
                     multiUser.muid);
    }
    const quint32 rc = UserStore::editUser(db, multiUser.muid, edit);
    if (rc != DB_OK && rc != DB_ROW_NOT_FOUND) {
        writeLog(LOG_LEVEL_ERROR, "EditMultiUserDialog::saveButtonClicked, updateMultiUser error 0x%08x", rc);
        showWarning(UserRules::message(UserRules::WriteFailed));
        return;
    }
    notifyOnClose = false;
    hideChangePassword();
    lbMessage->hide();
    close();
    emit updateMultiUser();
}

void EditMultiUserDialog::cancelButtonClicked()
{
    notifyOnClose = false;
    hideChangePassword();
    lbMessage->hide();
    close();
    emit updateMultiUser();
}

void EditMultiUserDialog::reject()
{
    close();
}

void EditMultiUserDialog::closeEvent(QCloseEvent *event)
{
    if (notifyOnClose)
        emit updateMultiUser();
    if (resetOnClose) {
        hideChangePassword();
        dropSwitch(cardSlot);
        dropSwitch(passwordSlot);
        pendingRfidId.clear();
    }
    // Without a reset everything stays for the return from a sub-dialog.
    event->ignore();
    hide();
}

void EditMultiUserDialog::showEvent(QShowEvent *event)
{
    notifyOnClose = true;
    scaleUi(true);
    QDialog::showEvent(event);
}

void EditMultiUserDialog::showWarning(const QString &text)
{
    lbMessage->showWarning(text);
}

void EditMultiUserDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    QList<QWidget *> widgets = {frameContent,   widgetUser, widgetChangePassword, widgetPassword,
                                widgetBindCard, lbBindCard, lbChangeBindCard,     lbMessage,
                                btnCancel,      btnSave,    btnChangePassword};
    for (const SwitchSlot *slot : {&cardSlot, &passwordSlot}) {
        if (slot->container)
            widgets << slot->container;
    }
    scaleForm(this, factor, widgets, rescale, false);
}
