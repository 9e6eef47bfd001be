#include "platform/LogSystem.h"
#include "platform/MailServiceConfig.h"
#include "platform/SysLogger.h"
#include "shell/app/SendEmail.h"
#include "support/TestEnv.h"
#include "support/TryCeiling.h"
#include "tools/localhttp/LocalHttpServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {
class CapturingLogger : public SysLogger
{
public:
    void log(int, LogLevel, const QString &text) override { lines.append(text); }
    QStringList lines;
};
} // namespace

// The password e-mail against a real HTTP server on 127.0.0.1.
class TestMail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void status200IsSentWithTheServiceRequest();
    void otherStatusesAndTransportFailuresAreNotSent_data();
    void otherStatusesAndTransportFailuresAreNotSent();
    void serviceThatNeverAnswersTimesOut();
    void plainHttpIsRefusedOffThisMachine();
    void settingsFileChoosesServiceAndTimeout();

private:
    struct Result
    {
        int successes = 0;
        int failures = 0;
    };
    Result run(SendEmail &sender);
    static MailServiceConfig configFor(const QString &url, int timeout = QuorvinTryCeilingMs);

    std::unique_ptr<TestEnv> m_env;
    CapturingLogger m_logger;
};

void TestMail::initTestCase()
{
    m_env.reset(new TestEnv);
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(&m_logger);
    logSystem->startLog();
}

void TestMail::cleanupTestCase()
{
    LogSystem::getSysLogSystem()->stopLog();
    LogSystem::getSysLogSystem()->setLogger(nullptr);
}

void TestMail::init()
{
    m_logger.lines.clear();
}

MailServiceConfig TestMail::configFor(const QString &url, int timeout)
{
    MailServiceConfig config;
    config.serviceUrl = QUrl(url);
    config.timeoutMs = timeout;
    return config;
}

TestMail::Result TestMail::run(SendEmail &sender)
{
    // The sender gives up on the service after its own time-out; the answer is waited for beyond it.
    const int timeout = sender.config().timeoutMs + QuorvinTryCeilingMs;
    QSignalSpy success(&sender, &SendEmail::sendSuccess);
    QSignalSpy failure(&sender, &SendEmail::sendFail);
    sender.send();
    const bool answered = QTest::qWaitFor([&]() { return success.count() + failure.count() > 0; }, timeout);
    if (!answered)
        return Result{};
    QTest::qWait(50); // a second answer would show here
    return Result{int(success.count()), int(failure.count())};
}

void TestMail::status200IsSentWithTheServiceRequest()
{
    LocalHttpServer server;
    SendEmail sender(QStringLiteral("ops@school.example"), QStringLiteral("Ab3dE5gH"), configFor(server.url()));
    const Result result = run(sender);
    QCOMPARE(result.successes, 1);
    QCOMPARE(result.failures, 0);
    QVERIFY(m_logger.lines.join('\n').contains(QStringLiteral("Send Email Success.")));

    QCOMPARE(server.requests().size(), 1);
    const LocalHttpServer::Request &request = server.requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.path, QByteArray("/OrvantaMailService/1/SendMail"));
    QCOMPARE(request.headers.value("content-type"), QByteArray("Content-Type: application/json; charset=utf-8"));
    QJsonParseError error;
    const QJsonObject body = QJsonDocument::fromJson(request.body, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(body.size(), 3);
    QCOMPARE(body.value(QStringLiteral("recipient")).toString(), QStringLiteral("ops@school.example"));
    QCOMPARE(body.value(QStringLiteral("randomPass")).toString(), QStringLiteral("Ab3dE5gH"));
    QVERIFY(body.value(QStringLiteral("appName")).isString());
    QCOMPARE(body.value(QStringLiteral("appName")).toString(), QStringLiteral("1"));
    // Indented, keys in sorted order.
    QVERIFY(request.body.indexOf("appName") < request.body.indexOf("randomPass"));
    QVERIFY(request.body.indexOf("randomPass") < request.body.indexOf("recipient"));
    QVERIFY(request.body.contains('\n'));
}

void TestMail::otherStatusesAndTransportFailuresAreNotSent_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("loggedCode");
    QTest::newRow("500") << 500 << 500;
    QTest::newRow("201") << 201 << 201;
    QTest::newRow("204") << 204 << 204;
    QTest::newRow("unreachable") << -1 << -1;
}

void TestMail::otherStatusesAndTransportFailuresAreNotSent()
{
    QFETCH(int, status);
    QFETCH(int, loggedCode);
    LocalHttpServer server;
    QString url = server.url();
    if (status < 0) {
        // A port that was just free: nobody listens there.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        url = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
        probe.close();
    } else {
        server.setStatus(status);
    }
    SendEmail sender(QStringLiteral("ops@school.example"), QStringLiteral("Ab3dE5gH"), configFor(url));
    const Result result = run(sender);
    QCOMPARE(result.successes, 0);
    QCOMPARE(result.failures, 1);
    QVERIFY2(m_logger.lines.join('\n').contains(QStringLiteral("Send Email Fail Status Code = %1").arg(loggedCode)),
             qPrintable(m_logger.lines.join('\n')));
}

void TestMail::serviceThatNeverAnswersTimesOut()
{
    LocalHttpServer server;
    server.setStatus(0);
    // Long enough for the request to reach the server on a loaded machine, whose log is checked below.
    SendEmail sender(QStringLiteral("ops@school.example"), QStringLiteral("Ab3dE5gH"), configFor(server.url(), 2000));
    const Result result = run(sender);
    QCOMPARE(result.successes, 0);
    QCOMPARE(result.failures, 1);
    QCOMPARE(server.requests().size(), 1);
    const QString log = m_logger.lines.join('\n');
    QVERIFY(log.contains(QStringLiteral("timed out after 2000 ms")));
    QVERIFY(log.contains(QStringLiteral("Send Email Fail Status Code = -1")));
}

void TestMail::plainHttpIsRefusedOffThisMachine()
{
    QVERIFY(MailServiceConfig::isAcceptableUrl(QUrl(QStringLiteral("https://mail.velk.example"))));
    QVERIFY(MailServiceConfig::isAcceptableUrl(QUrl(QStringLiteral("http://localhost:8080"))));
    QVERIFY(MailServiceConfig::isAcceptableUrl(QUrl(QStringLiteral("http://127.0.0.2"))));
    QVERIFY(!MailServiceConfig::isAcceptableUrl(QUrl(QStringLiteral("ftp://127.0.0.1"))));
    QVERIFY(!MailServiceConfig::isAcceptableUrl(QUrl(QStringLiteral("https://"))));

    // The password must not cross the network in clear text: refused before any traffic.
    SendEmail sender(QStringLiteral("ops@school.example"), QStringLiteral("Ab3dE5gH"),
                     configFor(QStringLiteral("http://mail.velk.example")));
    const Result result = run(sender);
    QCOMPARE(result.successes, 0);
    QCOMPARE(result.failures, 1);
}

void TestMail::settingsFileChoosesServiceAndTimeout()
{
    const QString file = MailServiceConfig::defaultSettingsFile();
    QVERIFY(file.startsWith(m_env->home()));
    QVERIFY(file.endsWith(QStringLiteral("/settings.ini")));

    const MailServiceConfig defaults = MailServiceConfig::load(file);
    QCOMPARE(defaults.serviceUrl.scheme(), QStringLiteral("https"));
    QCOMPARE(defaults.timeoutMs, 30000);

    LocalHttpServer server;
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Page/PageMode"), 1); // other groups stay untouched
        settings.setValue(QStringLiteral("Mail/ServiceUrl"), server.url());
        settings.setValue(QStringLiteral("Mail/TimeoutMs"), 45000); // not the default, and ample for the answer
    }
    const MailServiceConfig configured = MailServiceConfig::load(file);
    QCOMPARE(configured.serviceUrl, QUrl(server.url()));
    QCOMPARE(configured.timeoutMs, 45000);

    // The plain constructor reads the file.
    SendEmail sender(QStringLiteral("ops@school.example"), QStringLiteral("Ab3dE5gH"));
    QCOMPARE(sender.config().timeoutMs, 45000);
    QCOMPARE(run(sender).successes, 1);
    QCOMPARE(server.requests().size(), 1);

    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Mail/TimeoutMs"), QStringLiteral("soon"));
    }
    QCOMPARE(MailServiceConfig::load(file).timeoutMs, 30000);
}

QTEST_GUILESS_MAIN(TestMail)
#include "tst_mail.moc"
