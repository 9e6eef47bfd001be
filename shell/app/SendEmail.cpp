#include "shell/app/SendEmail.h"

#include "shell/base/Log.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QTimer>

namespace {
bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}
} // namespace

SendEmail::SendEmail(QString recipient, QString randomPass)
    : SendEmail(std::move(recipient), std::move(randomPass),
                MailServiceConfig::load(MailServiceConfig::defaultSettingsFile()))
{
}

SendEmail::SendEmail(QString recipient, QString randomPass, const MailServiceConfig &config)
    : m_recipient(std::move(recipient)), m_randomPass(std::move(randomPass)), m_config(config),
      m_networkManager(new QNetworkAccessManager(this)), m_timer(new QTimer(this))
{
    connect(m_networkManager, &QNetworkAccessManager::finished, this, &SendEmail::requestFinished);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SendEmail::onTimeout);
}

SendEmail::~SendEmail() = default;

QUrl SendEmail::endpointFor(const QUrl &serviceUrl)
{
    QUrl url = serviceUrl;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QLatin1String(servicePath), QUrl::TolerantMode);
    return url;
}

QNetworkRequest SendEmail::buildRequest(const QUrl &serviceUrl)
{
    QNetworkRequest request(endpointFor(serviceUrl));
    // The service matches this whole text as the header's value.
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QStringLiteral("Content-Type: application/json; charset=utf-8"));
    return request;
}

QByteArray SendEmail::buildBody(const QString &recipient, const QString &randomPass)
{
    QJsonObject object;
    object.insert(QStringLiteral("recipient"), recipient);
    object.insert(QStringLiteral("randomPass"), randomPass);
    object.insert(QStringLiteral("appName"), QStringLiteral("1"));
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

void SendEmail::send()
{
    if (!MailServiceConfig::isAcceptableUrl(m_config.serviceUrl)) {
        writeLog(LOG_LEVEL_ERROR, "Send Email refused: the mail service address %s is not HTTPS",
                 m_config.serviceUrl.toDisplayString().toLatin1().constData());
        m_answered = true;
        emit sendFail();
        return;
    }
    // A proxy taken from the environment must not sit between us and a service on this machine.
    if (isLoopbackHost(m_config.serviceUrl.host()))
        m_networkManager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    m_reply = m_networkManager->post(buildRequest(m_config.serviceUrl), buildBody(m_recipient, m_randomPass));
    m_timer->start(m_config.timeoutMs);
}

void SendEmail::onTimeout()
{
    if (!m_reply || m_answered)
        return;
    m_timedOut = true;
    // abort() finishes the reply, so the failure is reported through requestFinished.
    m_reply->abort();
}

void SendEmail::requestFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (m_answered)
        return;
    m_answered = true;
    m_timer->stop();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A request cut off by the time-out failed, whatever status line had arrived by then.
    const int code = (status.isValid() && !m_timedOut) ? status.toInt() : -1;
    if (code == 200) {
        writeLog(LOG_LEVEL_INFO, "Send Email Success.");
        emit sendSuccess();
        return;
    }
    if (m_timedOut)
        writeLog(LOG_LEVEL_WARNING, "Send Email timed out after %d ms.", m_config.timeoutMs);
    writeLog(LOG_LEVEL_ERROR, "Send Email Fail Status Code = %d", code);
    emit sendFail();
}
