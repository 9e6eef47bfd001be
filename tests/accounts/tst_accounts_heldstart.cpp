// Sync Now on a console whose command server started while another program held the database exclusively (a VACUUM,
// an SQLite browser saving): neither the store nor the command server knows the devices yet. Its own process, since
// the command server is made once.

#include "AccountsTestSupport.h"
#include "support/DatabaseHold.h"
#include "support/ShortDatabaseWaits.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountSyncRun.h"
#include "shell/base/Session.h"
#include "shell/kit/GeneralMsgDialog.h"

#include <memory>

class TestAccountsHeldStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void syncNowSaysWhyNothingStartedUntilTheDevicesAreKnown();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<ShortDatabaseWaits> m_waits;
    std::unique_ptr<DatabaseHold> m_hold;
    CmdServer *m_server = nullptr;
};

void TestAccountsHeldStart::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    m_log = std::make_unique<LogCapture>();
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_env->home()));
    m_waits = std::make_unique<ShortDatabaseWaits>(100);
    QVERIFY(seedPanel(QStringLiteral("Panel-1"), testMac(1)).did != 0);
    m_hold = std::make_unique<DatabaseHold>(m_waits->db()->databaseFilePath(), DatabaseHold::Exclusive);
    QVERIFY2(m_hold->isHeld(), qPrintable(m_hold->error()));
    m_server = CmdServer::getInstance();
    m_server->setRetryIntervalMs(50, 400);
    isAdminLogin = true;
}

// The press read no device, and nothing started nor said why: the operator was left to wonder. It says why, until
// the devices are known.
void TestAccountsHeldStart::syncNowSaysWhyNothingStartedUntilTheDevicesAreKnown()
{
    AccountOverview overview;
    QVERIFY(!m_server->managedDevicesKnown());
    QTest::mouseClick(overview.btnSyncNow, Qt::LeftButton);
    QVERIFY(overview.messageBox());
    QVERIFY(overview.messageBox()->isVisible());
    QVERIFY2(overview.messageBox()->labelMessage->text().contains(QStringLiteral("Sync Now did not start")),
             qPrintable(overview.messageBox()->labelMessage->text()));
    QVERIFY(!overview.syncRun()->isRunning());
    QVERIFY(overview.btnSyncNow->isEnabled());
    overview.messageBox()->hide();

    m_hold.reset();
    QTRY_VERIFY(m_server->managedDevicesKnown());
    QTest::mouseClick(overview.btnSyncNow, Qt::LeftButton);
    QVERIFY(!overview.messageBox()->isVisible());
}

QTEST_MAIN(TestAccountsHeldStart)
#include "tst_accounts_heldstart.moc"
