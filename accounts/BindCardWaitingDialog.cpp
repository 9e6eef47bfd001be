#include "accounts/BindCardWaitingDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/BindCardPassedDialog.h"
#include "accounts/BindCardUsedDialog.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/ProcessCardReaderLauncher.h"
#include "shell/base/Log.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QTimer>

namespace {
const char *const RegisterOpener = "AccountRegisterDialog";
const char *const EditOpener = "EditMultiUserDialog";
const char *const SettingsOpener = "SystemSettingsDialog";
// The reader types a number within this time of its first character.
constexpr int CardReadDelayMs = 200;
// The program just started may take the keyboard focus; it is taken back after this.
constexpr int RestoreFocusDelayMs = 500;
} // namespace

BindCardWaitingDialog::BindCardWaitingDialog(const QString &openerName, QWidget *parent)
    : QDialog(parent), opener(openerName)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    lineCardNumber->setFocus();

    cardTimer = new QTimer(this);
    cardTimer->setSingleShot(true);
    cardTimer->setInterval(CardReadDelayMs);
    passedDialog = new BindCardPassedDialog();
    usedDialog = new BindCardUsedDialog();
    ownLauncher = new ProcessCardReaderLauncher(nullptr, this);
    launcher = nullptr;
    setCardReader(ownLauncher);

    connect(btnCancel, &QAbstractButton::clicked, this, &BindCardWaitingDialog::cancelButtonClicked);
    connect(btnSkip, &QAbstractButton::clicked, this, &BindCardWaitingDialog::skipButtonClicked);
    connect(lineCardNumber, &QLineEdit::textChanged, this, &BindCardWaitingDialog::lineCardNumberChanged);
    connect(cardTimer, &QTimer::timeout, this, &BindCardWaitingDialog::cardNumberRead);
    connect(passedDialog, &BindCardPassedDialog::updateMultiUser, this, &BindCardWaitingDialog::updateMultiUserTable);
    connect(passedDialog, &BindCardPassedDialog::notifyRfidId, this, &BindCardWaitingDialog::notifyRfidIdString);
    connect(usedDialog, &BindCardUsedDialog::showWaitingDialog, this, &BindCardWaitingDialog::showMe);
}

BindCardWaitingDialog::~BindCardWaitingDialog()
{
    delete passedDialog;
    delete usedDialog;
}

void BindCardWaitingDialog::setCardReader(CardReaderLauncher *replacement)
{
    if (launcher)
        disconnect(launcher, nullptr, this, nullptr);
    launcher = replacement;
    connect(launcher, &CardReaderLauncher::started, this, &BindCardWaitingDialog::restoreFocusDelayed,
            Qt::QueuedConnection);
    connect(launcher, &CardReaderLauncher::failedToStart, this,
            [] { writeLog(LOG_LEVEL_WARNING, "card reader process failed to start"); });
}

bool BindCardWaitingDialog::addsUser() const
{
    return opener == QLatin1String(RegisterOpener);
}

quint32 BindCardWaitingDialog::addMultiUser(const QString &rfidId)
{
    const quint32 rc = UserStore::addUser(db, property("userName").toString(), property("password").toString(), rfidId);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "BindCardWaitingDialog::addMultiUser, createMultiUser error 0x%08x", rc);
    return rc;
}

void BindCardWaitingDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    if (opener == QLatin1String(SettingsOpener) || opener == QLatin1String(EditOpener)) {
        btnSkip->hide();
        const double scale = getScaleFactor();
        btnCancel->setGeometry(ScaleMath::truncScaled(158, scale), btnCancel->y(), btnCancel->width(),
                               btnCancel->height());
    }
    lbWarning->hide();
    QDialog::showEvent(event);
    lineCardNumber->clear();
    lineCardNumber->setFocus();
    startCardReader();
}

void BindCardWaitingDialog::startCardReader()
{
    switch (launcher->start()) {
    case CardReaderLauncher::AlreadyRunning:
        writeLog(LOG_LEVEL_INFO, "DidAvav.exe is already running");
        break;
    case CardReaderLauncher::NotFound:
        // Cards can still be typed into the dialog, or the step skipped.
        writeLog(LOG_LEVEL_INFO, "card reader program not found");
        break;
    case CardReaderLauncher::Started:
        writeLog(LOG_LEVEL_INFO, "start card reader process");
        break;
    }
}

void BindCardWaitingDialog::reject()
{
    cardTimer->stop();
    if (launcher->stop())
        writeLog(LOG_LEVEL_INFO, "stop card reader process");
    QDialog::reject();
}

void BindCardWaitingDialog::restoreFocusDelayed()
{
    QTimer::singleShot(RestoreFocusDelayMs, this, &BindCardWaitingDialog::restoreFocus);
}

void BindCardWaitingDialog::restoreFocus()
{
    if (!isVisible())
        return;
    writeLog(LOG_LEVEL_DEBUG, "restoreFocus");
    activateWindow();
    lineCardNumber->setFocus();
}

void BindCardWaitingDialog::lineCardNumberChanged()
{
    if (!cardTimer->isActive())
        cardTimer->start();
}

void BindCardWaitingDialog::cardNumberRead()
{
    const QString text = lineCardNumber->text();
    if (!UserRules::isCardNumber(text)) {
        lineCardNumber->clear();
        return;
    }
    const UserRules::CardVerdict verdict = UserRules::checkCard(db, text);
    if (verdict == UserRules::CardLookupFailed) {
        writeLog(LOG_LEVEL_ERROR, "BindCardWaitingDialog::cardNumberRead, card lookup error");
        lbWarning->showWarning(UserRules::cardLookupMessage());
        lineCardNumber->clear();
        return;
    }
    if (verdict == UserRules::CardFree && addsUser() && addMultiUser(text) != DB_OK) {
        lbWarning->showWarning(UserRules::message(UserRules::WriteFailed));
        lineCardNumber->clear();
        return;
    }
    cardNumber = text;
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    close();
    showOutcome(verdict == UserRules::CardFree ? static_cast<QDialog *>(passedDialog) : usedDialog, corner);
    lineCardNumber->clear();
}

void BindCardWaitingDialog::showOutcome(QDialog *message, const QPoint &corner)
{
    AccountsForm::moveTo(message, corner, -3, -25);
    message->show();
}

void BindCardWaitingDialog::skipButtonClicked()
{
    if (addMultiUser(QString()) != DB_OK) {
        lbWarning->showWarning(UserRules::message(UserRules::WriteFailed));
        return;
    }
    emit updateMultiUser();
    close();
}

void BindCardWaitingDialog::cancelButtonClicked()
{
    close();
    if (addsUser())
        emit showAccountRegisterDialog();
    else if (opener == QLatin1String(EditOpener) && changeCard)
        emit showEditMultiUserDialog();
    else if (opener == QLatin1String(EditOpener))
        emit bindCardSwitchOff();
    else if (opener == QLatin1String(SettingsOpener))
        emit adminRdidIdSwitchOff();
}

void BindCardWaitingDialog::updateMultiUserTable()
{
    emit updateMultiUser();
}

void BindCardWaitingDialog::showMe()
{
    show();
}

void BindCardWaitingDialog::notifyRfidIdString()
{
    emit notifyRfidId(cardNumber);
}

void BindCardWaitingDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelPicture, labelMessage, lbWarning, btnCancel, btnSkip, lineCardNumber},
              rescale, false);
}
