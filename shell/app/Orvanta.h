#pragma once

#include "datastore/VelkAccount.h"
#include "platform/MailServiceConfig.h"
#include "shell/app/SendEmail.h"
#include "shell/app/Ui_Orvanta.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class FrameLayoutPage;
class NotificationDialog;
class OrvantaDBIntf;
class SendMailDialog;

/// The log-in window: the operator picks the administrator or the normal user and types its
/// password. The first log-in of an account without an e-mail address asks for one. A
/// forgotten password is replaced by a random one mailed to the account's address.
class Orvanta : public QMainWindow
{
    Q_OBJECT

public:
    /// `dbIntf` null: the process-wide data store.
    explicit Orvanta(OrvantaDBIntf *dbIntf = nullptr);
    ~Orvanta() override;

    /// The first account of the type selected in the combo box (see LoginRules::pickAccount).
    VelkAccount getLoginAccount();
    static QString generateRandomPassword();

    /// The main window opened by the log-in; null before.
    FrameLayoutPage *mainFrame() const { return frameLayoutPage; }
    /// The sender of the last password e-mail while its request runs.
    SendEmail *currentSender() const { return sendEmail; }
    /// Overrides where password e-mails go (tests); otherwise "settings.ini" decides.
    void setMailServiceConfig(const MailServiceConfig &config);

    Ui_Orvanta ui;

public slots:
    void startLogin();
    void logout();
    void checkEmail();
    void forGetPassword();
    void sendMail();
    void getSendFail();
    void stackedWidgetChanged(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void adjustWindowSize();
    void initConnections();
    void openMainFrame();
    void showPasswordMessage(const QString &text);
    void showEmailMessage(const QString &text);
    void showNotificationDialog(const QString &title, const QString &text);
    /// Stores a mailed password in the account it was requested for.
    void changePassword(quint32 aid, const QString &password);

    FrameLayoutPage *frameLayoutPage = nullptr;
    OrvantaDBIntf *dbManager = nullptr;
    QPointer<SendEmail> sendEmail;
    QString loginPassword;
    NotificationDialog *notificationDialog = nullptr;
    SendMailDialog *sendMailDialog = nullptr;
    VelkAccount account;
    std::optional<MailServiceConfig> mailConfig;
};
