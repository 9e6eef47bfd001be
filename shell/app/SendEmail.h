#pragma once

#include "platform/MailServiceConfig.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

/// Asks the maker's mail web service to mail a new password: one POST of a small JSON object.
/// Answers exactly once, with sendSuccess() for HTTP status 200 and sendFail() for any other
/// status, a transport failure, a refused service address or a request that outlives the
/// configured time-out.
class SendEmail : public QObject
{
    Q_OBJECT

public:
    /// Uses the service and time-out of "settings.ini" in the data folder.
    SendEmail(QString recipient, QString randomPass);
    SendEmail(QString recipient, QString randomPass, const MailServiceConfig &config);
    ~SendEmail() override;

    /// Starts the request; connect the signals first.
    void send();

    QString recipient() const { return m_recipient; }
    QString randomPass() const { return m_randomPass; }
    const MailServiceConfig &config() const { return m_config; }

    /// The service address with the mail path behind it.
    static QUrl endpointFor(const QUrl &serviceUrl);
    /// The request the service expects (address and content type).
    static QNetworkRequest buildRequest(const QUrl &serviceUrl);
    /// Indented UTF-8 JSON with the keys "appName" ("1"), "randomPass" and "recipient".
    static QByteArray buildBody(const QString &recipient, const QString &randomPass);

    static constexpr const char *servicePath = "/OrvantaMailService/1/SendMail";

signals:
    void sendSuccess();
    void sendFail();

private slots:
    void requestFinished(QNetworkReply *reply);

private:
    void onTimeout();

    QString m_recipient;
    QString m_randomPass;
    MailServiceConfig m_config;
    QNetworkAccessManager *m_networkManager;
    QTimer *m_timer;
    QPointer<QNetworkReply> m_reply;
    bool m_timedOut = false;
    bool m_answered = false;
};
