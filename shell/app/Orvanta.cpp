#include "shell/app/Orvanta.h"

#include "datastore/OrvantaDBManager.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LoginRules.h"
#include "shell/app/SendEmail.h"
#include "shell/app/SendMailDialog.h"
#include "shell/base/Log.h"
#include "shell/base/PasswordFieldRule.h"
#include "shell/base/Session.h"
#include "shell/kit/NotificationDialog.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/UiHelpers.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyledItemDelegate>

namespace {
void centreOnDesktop(QWidget *widget)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = widget->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    widget->move(frame.topLeft());
}
} // namespace

Orvanta::Orvanta(OrvantaDBIntf *dbIntf) : QMainWindow(nullptr), dbManager(dbIntf)
{
    ui.setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    adjustWindowSize();
    initConnections();
}

Orvanta::~Orvanta()
{
    qApp->removeEventFilter(this);
    delete frameLayoutPage;
    delete sendMailDialog;
}

void Orvanta::adjustWindowSize()
{
    initScaleFactor(0, 0);
    const double scale = getScaleFactor();
    setFixedSize(int(380 * scale), int(480 * scale));
    if (scale == 1.0)
        return;
    // Widgets that sit in a layout-free parent are placed by hand, so each one is scaled.
    const QList<QWidget *> widgets = {ui.centralWidgetUi,
                                      ui.stackedWidget,
                                      ui.page_2,
                                      ui.btnLogin,
                                      ui.label,
                                      ui.lbMessagePassword,
                                      ui.widgetComboBox,
                                      ui.groupComboBox,
                                      ui.widgetPassword,
                                      ui.lbPassword,
                                      ui.lineEditPassword,
                                      ui.page,
                                      ui.btnEnter,
                                      ui.label_2,
                                      ui.label_3,
                                      ui.lbMessageEmail,
                                      ui.widgetEmail,
                                      ui.lbPassword_2,
                                      ui.lineEditEmail,
                                      ui.widgetEmailConfirm,
                                      ui.lbPassword_3,
                                      ui.lineEditEmailConfirm,
                                      ui.widgetBottom,
                                      ui.lbForgot,
                                      ui.btnExit};
    for (QWidget *widget : widgets)
        scaleWidgetGeometry(widget, 0);
    scaleWidgetFonts(this, 0, false, false);
}

void Orvanta::initConnections()
{
    for (QToolBar *toolBar : findChildren<QToolBar *>())
        removeToolBar(toolBar);

    connect(ui.btnLogin, &QToolButton::clicked, this, &Orvanta::startLogin);
    connect(ui.btnExit, &QToolButton::clicked, this, &Orvanta::logout);
    connect(ui.btnEnter, &QToolButton::clicked, this, &Orvanta::checkEmail);

    ui.stackedWidget->setCurrentIndex(0);
    connect(ui.stackedWidget, &QStackedWidget::currentChanged, this, &Orvanta::stackedWidgetChanged);

    ui.lbMessagePassword->hide();
    ui.lbMessageEmail->hide();

    ui.lineEditPassword->setHintMode(true);
    ui.lineEditPassword->setDefaultStyle();
    // The field has the keyboard when the window opens, which clears its example text: the same words, in the same
    // grey, stay while it is empty.
    ui.lineEditPassword->setPlaceholderText(tr("User Password"));
    PlaceholderColour::keep(ui.lineEditPassword, QColor(0x80, 0x80, 0x80));
    ui.lineEditEmail->setDefaultStyle();
    ui.lineEditEmailConfirm->setDefaultStyle();

    QSizePolicy policy = ui.lbForgot->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui.lbForgot->setSizePolicy(policy);
    connect(ui.lbForgot, &ClickableLabel::clicked, this, &Orvanta::forGetPassword);

    notificationDialog = new NotificationDialog(this);
    connect(notificationDialog, &NotificationDialog::sendClickOK, this, &Orvanta::sendMail);

    if (!dbManager)
        dbManager = OrvantaDBManager::getInstance();

    qApp->installEventFilter(this);
    // The operator who must choose the account first types the password next.
    connect(ui.groupComboBox, QOverload<int>::of(&QComboBox::activated), this,
            [this]() { ui.lineEditPassword->setFocus(Qt::OtherFocusReason); });

    sendMailDialog = new SendMailDialog(nullptr);

    ui.groupComboBox->setItemDelegate(new QStyledItemDelegate(ui.groupComboBox));
    if (layoutDirection() == Qt::LeftToRight)
        ui.groupComboBox->setStyleSheet(ui.groupComboBox->styleSheet() +
                                        QStringLiteral("QComboBox {padding-left: 12px}"));
}

VelkAccount Orvanta::getLoginAccount()
{
    QList<VelkAccount> accounts;
    dbManager->queryAccount(accounts);
    return LoginRules::pickAccount(accounts, ui.groupComboBox->currentIndex());
}

QString Orvanta::generateRandomPassword()
{
    return LoginRules::generateRandomPassword();
}

void Orvanta::setMailServiceConfig(const MailServiceConfig &config)
{
    mailConfig = config;
}

void Orvanta::startLogin()
{
    ui.btnLogin->setFocus();
    const VelkAccount acc = getLoginAccount();
    // The grey example text is what the field shows until it is first entered: nothing was typed. Taken for typed
    // text, a stored password equal to it let anyone in with a click on Login.
    loginPassword = ui.lineEditPassword->showsExample() ? QString() : ui.lineEditPassword->text();
    if (LoginRules::passwordMatches(loginPassword, acc)) {
        account = acc;
        ui.lbMessagePassword->hide();
        isAdminLogin = account.isAdmin;
        if (account.email.isEmpty()) {
            ui.stackedWidget->setCurrentIndex(1);
            // The page asks for an address: the keyboard starts in its first field. Given to the button before the
            // page was shown, the focus went nowhere.
            ui.lineEditEmail->setFocus();
            return;
        }
        openMainFrame();
        return;
    }
    showPasswordMessage(tr("Invalid user password"));
    // The operator types the password again: the keyboard goes back to the field, emptied, which shows the grey example
    // words while it is empty. Left on Login, it took a password typed again nowhere.
    ui.lineEditPassword->clearForTyping();
    ui.lineEditPassword->setFocus(Qt::OtherFocusReason);
}

void Orvanta::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The password is what the operator types first. A focus given while the window was built was lost when start-up
    // set the window's flags, and the account list took it: a password typed at once went nowhere, or its letters
    // chose an account.
    if (!event->spontaneous() && ui.stackedWidget->currentIndex() == 0)
        ui.lineEditPassword->setFocus(Qt::ActiveWindowFocusReason);
}

void Orvanta::openMainFrame()
{
    if (!frameLayoutPage) {
        frameLayoutPage = new FrameLayoutPage(account, nullptr);
        frameLayoutPage->show();
    }
    close();
}

void Orvanta::logout()
{
    close();
}

bool Orvanta::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == ui.lineEditPassword) {
                startLogin();
                return true;
            }
            if (watched == ui.lineEditEmail || watched == ui.lineEditEmailConfirm) {
                checkEmail();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Orvanta::checkEmail()
{
    const QString email = PasswordFieldRule::address(ui.lineEditEmail->text());
    switch (LoginRules::checkEmail(email, ui.lineEditEmailConfirm->text())) {
    case LoginRules::EmailInvalid:
        showEmailMessage(tr("Invalid user Email."));
        return;
    case LoginRules::EmailMismatch:
        showEmailMessage(tr("The email addresses do not match."));
        return;
    case LoginRules::EmailOk:
        break;
    }
    ui.lbMessageEmail->hide();
    VelkAccount changed = account;
    changed.password = loginPassword;
    changed.email = email;
    if (dbManager->updateAccount(changed) != 0)
        return;
    account = changed;
    openMainFrame();
}

void Orvanta::stackedWidgetChanged(int index)
{
    ui.lbForgot->setVisible(index == 0);
}

void Orvanta::forGetPassword()
{
    ui.lbMessagePassword->hide();
    const VelkAccount acc = getLoginAccount();
    if (acc.email.isEmpty()) {
        showPasswordMessage(tr("Please get the password from Velk support."));
        return;
    }
    showNotificationDialog(productName(),
                           tr("If you want to get the new password from Email, please click OK to continue."));
}

void Orvanta::showNotificationDialog(const QString &title, const QString &text)
{
    notificationDialog->setTitle(title);
    notificationDialog->setContent(text);
    centreOnDesktop(notificationDialog);
    notificationDialog->show();
}

void Orvanta::sendMail()
{
    const VelkAccount acc = getLoginAccount();
    if (acc.email.isEmpty()) {
        showPasswordMessage(tr("Please get the password from Velk support."));
        return;
    }
    const QString newPassword = generateRandomPassword();
    auto *sender =
        mailConfig ? new SendEmail(acc.email, newPassword, *mailConfig) : new SendEmail(acc.email, newPassword);
    sendEmail = sender;
    // The password goes to the account it was mailed for, even should the operator pick the
    // other account type while the request runs.
    const quint32 aid = acc.aid;
    connect(sender, &SendEmail::sendFail, this, &Orvanta::getSendFail);
    connect(sender, &SendEmail::sendSuccess, this, [this, aid, newPassword]() { changePassword(aid, newPassword); });
    connect(sender, &SendEmail::sendFail, sender, &QObject::deleteLater);
    connect(sender, &SendEmail::sendSuccess, sender, &QObject::deleteLater);
    sender->send();
}

void Orvanta::changePassword(quint32 aid, const QString &password)
{
    QList<VelkAccount> accounts;
    quint32 result = dbManager->queryAccount(accounts);
    bool found = false;
    for (VelkAccount acc : accounts) {
        if (acc.aid != aid)
            continue;
        found = true;
        acc.password = password;
        result = dbManager->updateAccount(acc);
        break;
    }
    if (!found || result != 0) {
        // The mailed password is not in force, so the old one still is: say the request failed
        // rather than announce a password that will not open the console.
        writeLog(LOG_LEVEL_ERROR, "Orvanta::changePassword updateAccount failed: aid %u, result 0x%x", aid,
                 found ? result : 0xC0000002u);
        getSendFail();
        return;
    }
    centreOnDesktop(sendMailDialog);
    sendMailDialog->show();
}

void Orvanta::getSendFail()
{
    showPasswordMessage(tr("Sending of email failed."));
}

void Orvanta::showPasswordMessage(const QString &text)
{
    ui.lbMessagePassword->setText(text);
    ui.lbMessagePassword->setToolTip(text);
    ui.lbMessagePassword->show();
}

void Orvanta::showEmailMessage(const QString &text)
{
    ui.lbMessageEmail->setText(text);
    ui.lbMessageEmail->setToolTip(text);
    ui.lbMessageEmail->show();
}
