// The Device Control page against the real command server on loopback, a real database in a temporary folder and
// simulated panels: live states, power commands, takeovers, account-sync checks, the group filter, the password
// hand-over and the managed-device list kept equal to the data store.

#include <QtTest>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedItem.h"
#include "devices/ConnectedList.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "network/ProtocolCodes.h"
#include "shell/base/Session.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/PowerOnDialog.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"
#include "support/DatabaseHold.h"
#include "support/LoopbackNetwork.h"
#include "support/ShortDatabaseWaits.h"
#include "support/StoredDevice.h"
#include "support/TestEnv.h"
#include "tools/panelsim/SimulatedPanel.h"
#include "tools/panelsim/WakeOnLanListener.h"

namespace {

constexpr int Patience = 30000; // the page follows within a second; a loaded machine may take many times that
const QString Password = QStringLiteral("secret");

QStringList sorted(QStringList list)
{
    list.sort(Qt::CaseInsensitive);
    return list;
}

} // namespace

class TestConnectedList : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    WakeOnLanListener *m_wake = nullptr;
    QStringList m_wokenMacs;
    QObject *m_panels = nullptr; // parent of the panels of one case
    ConnectedList *m_page = nullptr;
    int m_nextAddress = 2;

    static OrvantaDBIntf *db() { return OrvantaDBManager::getInstance(); }
    static CmdServer *server() { return CmdServer::getInstance(); }

    VelkIFPDevice addDevice(const QString &name, const QString &mac, const QString &ip = QStringLiteral("127.0.0.1"))
    {
        VelkIFPDevice device;
        device.deviceName = name;
        device.macAddress = mac;
        device.ipAddress = ip;
        device.modelName = QStringLiteral("Velk TM B-Series");
        device.deviceType = QStringLiteral("Control Box");
        device.position = QStringLiteral("Room ") + name;
        device.ptzCamera = QStringLiteral("cam-") + name;
        if (db()->createIFPDevice(device) != DB_OK)
            qWarning("createIFPDevice %s failed", qPrintable(name));
        return storedDevice(name);
    }

    static QStringList storeNames()
    {
        QList<VelkIFPDevice> all;
        db()->queryAllAvailableIFP(all);
        QStringList names;
        for (const VelkIFPDevice &device : qAsConst(all))
            names << device.deviceName;
        return sorted(names);
    }

    static QStringList managedNames()
    {
        QStringList names;
        for (const VelkIFPDevice &device : server()->managedDevices())
            names << device.deviceName;
        return sorted(names);
    }

    QStringList itemNames(bool visibleOnly = false) const
    {
        QStringList names;
        for (int i = 0; i < m_page->listDevices->count(); ++i) {
            QListWidgetItem *item = m_page->listDevices->item(i);
            if (!visibleOnly || !item->isHidden())
                names << item->text();
        }
        return sorted(names);
    }

    DeviceControlModel::State stateOf(const QString &name) const
    {
        ConnectedItem *item = m_page->itemByName(name);
        return item ? item->state() : DeviceControlModel::State(-1);
    }

    SimulatedPanel *makePanel(quint32 serial, const QString &password = Password,
                              const QString &model = QStringLiteral("Velk TM B-Series"))
    {
        PanelIdentity identity = SimulatedPanel::defaultIdentity(serial);
        identity.password = password;
        identity.model = model;
        PanelSettings settings;
        settings.ownAddress = QHostAddress(QStringLiteral("127.0.0.%1").arg(m_nextAddress++));
        settings.consoleAddress = QHostAddress(QHostAddress::LocalHost);
        settings.consolePort = server()->serverPort();
        settings.bootDelayMs = 50;
        settings.rebootDelayMs = 300;
        settings.reconnectDelayMs = 200;
        settings.rejectBackoffMs = 60000;
        auto *panel = new SimulatedPanel(identity, settings, m_panels);
        panel->setName(QStringLiteral("sim-%1").arg(serial));
        return panel;
    }

    void newPage()
    {
        m_page = new ConnectedList();
        m_page->resize(940, 641);
        m_page->show();
    }

    void choose(const QStringList &names)
    {
        m_page->listDevices->clearSelection();
        for (const QString &name : names)
            m_page->itemByName(name)->setSelected(true);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_env.isValid());
        isAdminLogin = true;

        // The panels listen for magic packets here; the console is pointed at it instead of the broadcast address.
        m_wake = new WakeOnLanListener(this);
        QVERIFY(m_wake->listen(QHostAddress(QHostAddress::LocalHost), 0));
        connect(m_wake, &WakeOnLanListener::magicPacketReceived, this, [this](const QString &mac) {
            m_wokenMacs << mac;
            if (!m_panels)
                return;
            for (SimulatedPanel *panel : m_panels->findChildren<SimulatedPanel *>()) {
                if (panel->mac() == mac)
                    panel->wake();
            }
        });

        NetworkConfig config = loopbackNetworkConfig(m_env.home());
        config.wolTargets = {QHostAddress(QHostAddress::LocalHost)};
        config.wolPort = m_wake->port();
        NetworkConfig::setCurrent(config);
        QVERIFY(server()->serverPort() != 0);
    }

    void init()
    {
        isAdminLogin = true;
        server()->setControlPassword(Password);
        m_panels = new QObject(this);
        m_wokenMacs.clear();
    }

    void cleanup()
    {
        QStringList macs;
        for (SimulatedPanel *panel : m_panels->findChildren<SimulatedPanel *>())
            macs << panel->mac();
        delete m_panels;
        m_panels = nullptr;
        delete m_page;
        m_page = nullptr;
        for (const QString &mac : qAsConst(macs))
            QTRY_COMPARE_WITH_TIMEOUT(server()->connectionState(mac), CmdServer::Offline, Patience);

        QList<VelkIFPDevice> devices;
        db()->queryAllAvailableIFP(devices);
        for (VelkIFPDevice &device : devices)
            db()->deleteIFPDevice(device);
        QList<VelkGroups> groups;
        db()->queryAllGroup(groups);
        for (VelkGroups &group : groups)
            db()->deleteGroups(group);
        server()->setManagedDevices({});
    }

    // Nothing managed: the page offers the way to device creation and nothing else.
    void emptyListLeadsToDeviceCreation()
    {
        newPage();
        QCOMPARE(m_page->stackedContent->currentWidget(), m_page->pageEmpty);
        QVERIFY(!m_page->widgetActions->isVisible());
        QSignalSpy navigate(m_page, &ConnectedList::navigateToManagement);
        m_page->btnAddDevices->click();
        QCOMPARE(navigate.count(), 1);
    }

    // Every change the device page reports leaves the items and the command server's list equal to the store; a
    // deleted device's panel is cut off and cannot pass its next handshake.
    void managedListFollowsTheStore()
    {
        addDevice("Alpha", SimulatedPanel::defaultIdentity(11).mac);
        VelkIFPDevice beta = addDevice("Beta", SimulatedPanel::defaultIdentity(12).mac);
        server()->setManagedDevices({}); // stale on purpose: the page must hand over the store's list
        newPage();
        QCOMPARE(itemNames(), storeNames());
        QCOMPARE(managedNames(), storeNames());

        SimulatedPanel *alphaPanel = makePanel(11);
        alphaPanel->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Alpha"), DeviceControlModel::Online, Patience);

        // Added devices are followed on the next turn of the event loop, all of a burst at once; an edit in the
        // same turn takes them in first.
        m_page->insertDB(addDevice("Gamma", SimulatedPanel::defaultIdentity(13).mac));
        QTRY_COMPARE(itemNames(), (QStringList{"Alpha", "Beta", "Gamma"}));
        QCOMPARE(managedNames(), storeNames());
        VelkIFPDevice first = addDevice("Burst 1", SimulatedPanel::defaultIdentity(15).mac);
        m_page->insertDB(first);
        m_page->insertDB(addDevice("Burst 2", SimulatedPanel::defaultIdentity(16).mac));
        QCOMPARE(db()->deleteIFPDevice(first), DB_OK);
        m_page->deleteDB(first);
        QCOMPARE(itemNames(), (QStringList{"Alpha", "Beta", "Burst 2", "Gamma"}));
        QCOMPARE(managedNames(), storeNames());
        VelkIFPDevice second = storedDevice("Burst 2");
        QCOMPARE(db()->deleteIFPDevice(second), DB_OK);
        m_page->deleteDB(second);

        VelkIFPDevice renamed = beta;
        renamed.deviceName = QStringLiteral("Beta 2");
        QCOMPARE(db()->updateIFPDeviceById(renamed), DB_OK);
        m_page->updateDB(renamed, QStringLiteral("Beta"));
        QCOMPARE(itemNames(), storeNames());
        QCOMPARE(managedNames(), storeNames());

        QSignalSpy refused(alphaPanel, &SimulatedPanel::rejected);
        VelkIFPDevice alpha = storedDevice("Alpha");
        QCOMPARE(db()->deleteIFPDevice(alpha), DB_OK);
        m_page->deleteDB(alpha);
        QCOMPARE(itemNames(), storeNames());
        QCOMPARE(managedNames(), storeNames());
        QTRY_VERIFY_WITH_TIMEOUT(refused.count() >= 1, Patience);
        QCOMPARE(server()->connectionState(alphaPanel->mac()), CmdServer::Offline);

        // An import changes the store behind the page's back and then reports it as a whole.
        VelkIFPDevice gamma = storedDevice("Gamma");
        QCOMPARE(db()->deleteIFPDevice(gamma), DB_OK);
        addDevice("Delta", SimulatedPanel::defaultIdentity(14).mac);
        m_page->updateAllDB();
        QCOMPARE(itemNames(), (QStringList{"Beta 2", "Delta"}));
        QCOMPARE(managedNames(), storeNames());
    }

    // A page built while another program held the store exclusively (a VACUUM, an SQLite browser saving) read no
    // device, and handed that empty list to the command server, which then turned every panel away. The command
    // server keeps its list; the page hands its own over once it reads one.
    void pageBuiltDuringAnExclusiveHoldLeavesTheManagedList()
    {
        addDevice("Alpha", SimulatedPanel::defaultIdentity(21).mac);
        addDevice("Beta", SimulatedPanel::defaultIdentity(22).mac);
        QList<VelkIFPDevice> all;
        QCOMPARE(db()->queryAllAvailableIFP(all), DB_OK);
        server()->setManagedDevices(all);
        {
            const ShortDatabaseWaits waits(100);
            DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
            QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
            newPage();
            QCOMPARE(managedNames(), (QStringList{"Alpha", "Beta"}));
        }
        addDevice("Gamma", SimulatedPanel::defaultIdentity(23).mac);
        m_page->updateAllDB();
        QCOMPARE(itemNames(), storeNames());
        QCOMPARE(managedNames(), storeNames());
    }

    // A page built while the store was held exclusively knew no device at all (a console started during the hold):
    // once the hold ends it reads the store again by itself, shows the devices and hands them to the command server,
    // with no other change to wake it.
    void pageBuiltDuringAnExclusiveHoldShowsTheDevicesOnceItEnds()
    {
        addDevice("Alpha", SimulatedPanel::defaultIdentity(24).mac);
        addDevice("Beta", SimulatedPanel::defaultIdentity(25).mac);
        const ShortDatabaseWaits waits(100);
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive, 1500);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        newPage();
        QVERIFY(itemNames().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(itemNames(), (QStringList{"Alpha", "Beta"}), Patience);
        QCOMPARE(m_page->stackedContent->currentWidget(), m_page->listDevices);
        QCOMPARE(managedNames(), storeNames());
    }

    // Each item follows its panel: connects, holds another password, disconnects.
    void itemsFollowTheirPanels()
    {
        addDevice("Online", SimulatedPanel::defaultIdentity(21).mac);
        addDevice("Locked", SimulatedPanel::defaultIdentity(22).mac);
        addDevice("Never", SimulatedPanel::defaultIdentity(23).mac);
        newPage();
        QCOMPARE(stateOf("Online"), DeviceControlModel::Offline);

        SimulatedPanel *online = makePanel(21);
        SimulatedPanel *locked = makePanel(22, QStringLiteral("another console"));
        online->start();
        locked->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Online"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Locked"), DeviceControlModel::Locked, Patience);
        QCOMPARE(stateOf("Never"), DeviceControlModel::Offline);
        QVERIFY(m_page->labelOnline->text().contains(QStringLiteral("Online 1")));
        QVERIFY(m_page->labelLocked->text().contains(QStringLiteral("Locked 1")));

        online->shutDown();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Online"), DeviceControlModel::Offline, Patience);
        locked->shutDown();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Locked"), DeviceControlModel::Offline, Patience);
    }

    // Panels whose MAC no network card can have (uninitialised cards report all zeros) are known by the devices their
    // addresses matched: each item follows its panel as the others do, power off and reboot reach them over their
    // connections, their accounts are synchronised when they connect, a new password reaches them, and Power On,
    // which goes by MAC, says that it cannot wake them.
    void panelsWithoutAMacOfTheirOwnFollowTheirPanels()
    {
        const QStringList names = {"Zero A", "Zero B", "Zero Locked"};
        QList<SimulatedPanel *> panels;
        for (int i = 0; i < names.size(); ++i) {
            SimulatedPanel *panel = makePanel(24 + i, i == 2 ? QStringLiteral("another console") : Password);
            PanelIdentity identity = panel->identity();
            identity.mac = QStringLiteral("00:00:00:00:00:00");
            panel->setIdentity(identity);
            addDevice(names.at(i), QString(), panel->settings().ownAddress.toString());
            panels << panel;
        }
        addDevice("Own", SimulatedPanel::defaultIdentity(27).mac);
        SimulatedPanel *own = makePanel(27);
        newPage();
        QSignalSpy syncStarts(server(), &CmdServer::setupSyncUserDeviceTimeout);
        for (SimulatedPanel *panel : qAsConst(panels) + QList<SimulatedPanel *>{own})
            panel->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Zero A"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Zero B"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Zero Locked"), DeviceControlModel::Locked, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Own"), DeviceControlModel::Online, Patience);
        QVERIFY(m_page->labelOnline->text().contains(QStringLiteral("Online 3")));
        // Each connected one is synchronised once, named by its device; the locked one is not.
        const auto startsFor = [&syncStarts](const QString &key) {
            int count = 0;
            for (const QList<QVariant> &args : qAsConst(syncStarts))
                count += args.at(0).toString() == key ? 1 : 0;
            return count;
        };
        for (const QString &name : names.mid(0, 2))
            QTRY_COMPARE_WITH_TIMEOUT(startsFor(server()->linkKey(storedDevice(name))), 1, Patience);
        QCOMPARE(startsFor(server()->linkKey(storedDevice("Zero Locked"))), 0);

        // A new administrator password reaches them as it reaches the panel with a MAC: left out, they would come
        // back locked at their next handshake. The locked one is not connected and gets none.
        m_page->passWordChange(QStringLiteral("new password"));
        for (SimulatedPanel *panel : {panels.at(0), panels.at(1), own})
            QTRY_COMPARE_WITH_TIMEOUT(panel->storedPassword(), QStringLiteral("new password"), Patience);
        QCOMPARE(panels.at(2)->receivedCount(VELK_REMOTE_CMD_SET_PASSWORD), 0);

        choose(names);
        QVERIFY(m_page->btnPowerOff->isEnabled());
        QVERIFY(m_page->btnReboot->isEnabled());
        QVERIFY(!m_page->btnPowerOn->isEnabled());
        QVERIFY(m_page->labelPowerNote->isHidden());

        // A mixed choice: both are powered off, the other panels are left alone.
        choose({"Zero A", "Own"});
        m_page->btnPowerOff->click();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Zero A"), DeviceControlModel::Offline, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Own"), DeviceControlModel::Offline, Patience);
        QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
        QCOMPARE(own->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
        QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
        QCOMPARE(stateOf("Zero B"), DeviceControlModel::Online);

        // Zero A is off now and has no MAC to wake it by: Power On says so where it is chosen.
        choose({"Zero A", "Zero B", "Own"});
        QVERIFY(m_page->btnPowerOn->isEnabled());
        QVERIFY(m_page->labelPowerNote->isVisible());
        QCOMPARE(m_page->labelPowerNote->text(),
                 QStringLiteral("Power On can't wake 1 chosen device(s) without a MAC address."));
        m_page->btnReboot->click();
        QTRY_COMPARE_WITH_TIMEOUT(panels.at(1)->receivedCount(VELK_REMOTE_CMD_REBOOT), 1, Patience);
        QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_REBOOT), 0);
        choose({"Own"});
        QVERIFY(m_page->labelPowerNote->isHidden());
        QCOMPARE(stateOf("Zero A"), DeviceControlModel::Offline);
    }

    // Power off and reboot reach exactly the chosen connected panels; power on wakes exactly the chosen offline
    // ones, which then show online.
    void powerCommandsReachTheChosenPanels()
    {
        QList<SimulatedPanel *> panels;
        for (int i = 0; i < 4; ++i) {
            addDevice(QStringLiteral("P%1").arg(i + 1), SimulatedPanel::defaultIdentity(31 + i).mac);
            panels << makePanel(31 + i);
        }
        newPage();
        for (SimulatedPanel *panel : qAsConst(panels))
            panel->start();
        for (int i = 0; i < 4; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(stateOf(QStringLiteral("P%1").arg(i + 1)), DeviceControlModel::Online, Patience);

        choose({"P1", "P3"});
        QVERIFY(m_page->btnPowerOff->isEnabled());
        QVERIFY(!m_page->btnPowerOn->isEnabled());
        m_page->btnPowerOff->click();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("P1"), DeviceControlModel::Offline, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("P3"), DeviceControlModel::Offline, Patience);
        QCOMPARE(panels[0]->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
        QCOMPARE(panels[2]->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
        QCOMPARE(panels[1]->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
        QCOMPARE(panels[3]->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);

        // P1 is chosen but offline now: the reboot reaches P2 only.
        choose({"P1", "P2"});
        m_page->btnReboot->click();
        QTRY_COMPARE_WITH_TIMEOUT(panels[1]->receivedCount(VELK_REMOTE_CMD_REBOOT), 1, Patience);
        for (int i : {0, 2, 3})
            QCOMPARE(panels[i]->receivedCount(VELK_REMOTE_CMD_REBOOT), 0);
        QTRY_COMPARE_WITH_TIMEOUT(panels[1]->connectCount(), 2, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("P2"), DeviceControlModel::Online, Patience);

        // Power on asks first; the answer wakes P1 and P3, not the online P4.
        choose({"P1", "P3", "P4"});
        QVERIFY(m_page->btnPowerOn->isEnabled());
        m_page->btnPowerOn->click();
        QVERIFY(m_page->powerOnQuestion()->isVisible());
        QVERIFY(m_wokenMacs.isEmpty());
        m_page->powerOnQuestion()->clickOK();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("P1"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("P3"), DeviceControlModel::Online, Patience);
        const QSet<QString> woken(m_wokenMacs.begin(), m_wokenMacs.end());
        QCOMPARE(woken, (QSet<QString>{panels[0]->mac(), panels[2]->mac()}));
        QCOMPARE(panels[3]->connectCount(), 1);
    }

    // An administrator console marks a taken-over device (nothing else of its record), warns, and clears the mark
    // on a click.
    void takeoverOnAnAdministratorConsole()
    {
        addDevice("Kicked", SimulatedPanel::defaultIdentity(41).mac);
        addDevice("Calm", SimulatedPanel::defaultIdentity(42).mac);
        newPage();
        SimulatedPanel *panel = makePanel(41);
        SimulatedPanel *calm = makePanel(42);
        panel->start();
        calm->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Kicked"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Calm"), DeviceControlModel::Online, Patience);
        // The console shows a panel online as it answers the identity; the panel reads the answer a turn later, by
        // when the handshake's report is in the store as well.
        QTRY_VERIFY_WITH_TIMEOUT(panel->isConnected() && calm->isConnected(), Patience);
        const VelkIFPDevice before = storedDevice("Kicked");

        QCOMPARE(panel->sendKick(QStringLiteral("other-console"), QStringLiteral("other password")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Kicked"), DeviceControlModel::Kicked, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(m_page->kickWarning()->isVisible(), Patience);
        QCOMPARE(m_page->kickWarning()->labelMessage->text(),
                 QStringLiteral("Another computer running the program was detected."));
        QCOMPARE(stateOf("Calm"), DeviceControlModel::Online);

        const VelkIFPDevice marked = storedDevice("Kicked");
        QVERIFY(marked.isKicked);
        QCOMPARE(marked.deviceType, before.deviceType);
        QCOMPARE(marked.position, before.position);
        QCOMPARE(marked.ptzCamera, before.ptzCamera);
        QCOMPARE(marked.macAddress, before.macAddress);

        // The panel now holds the other console's password: it comes back locked and keeps the mark.
        QTRY_VERIFY_WITH_TIMEOUT(panel->isLocked(), Patience);
        QCOMPARE(stateOf("Kicked"), DeviceControlModel::Kicked);
        // The item's tip tells what a click does while the mark stands, and no longer once it is cleared.
        QVERIFY(m_page->itemByName("Kicked")->toolTip().endsWith(QStringLiteral("Click to clear the mark.")));

        m_page->kickWarning()->okButtonClicked();
        QListWidget *list = m_page->listDevices;
        const QRect rect = list->visualItemRect(m_page->itemByName("Kicked"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Kicked"), DeviceControlModel::Locked, Patience);
        QVERIFY(m_page->itemByName("Kicked")->toolTip().contains(QStringLiteral("Locked by another password")));
        QVERIFY(!m_page->itemByName("Kicked")->toolTip().contains(QStringLiteral("Click to clear the mark.")));
        const VelkIFPDevice cleared = storedDevice("Kicked");
        QVERIFY(!cleared.isKicked);
        QCOMPARE(cleared.position, before.position);
        QCOMPARE(cleared.ptzCamera, before.ptzCamera);
        VelkIFPDevice held;
        QVERIFY(server()->managedDevice(panel->mac(), &held));
        QVERIFY(!held.isKicked);
    }

    // The kick mark written while another program holds the write lock is held and written later. It was written over
    // the operator's later take-back (the take-back's own write let the held ones through), and a take-back during the
    // hold was refused outright. Either take-back stands now, on the page and in the store.
    void takeBackStandsAfterAHeldKick()
    {
        addDevice("After", SimulatedPanel::defaultIdentity(43).mac);
        addDevice("During", SimulatedPanel::defaultIdentity(44).mac);
        newPage();
        SimulatedPanel *after = makePanel(43);
        SimulatedPanel *during = makePanel(44);
        after->start();
        during->start();
        QTRY_VERIFY_WITH_TIMEOUT(after->isConnected() && during->isConnected(), Patience);
        QListWidget *list = m_page->listDevices;
        const auto takeBack = [list, this](const QString &name) {
            const QRect rect = list->visualItemRect(m_page->itemByName(name));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        };
        // Held writes are tried again only after a pause, or at once after another write got through.
        const ShortDatabaseWaits waits(100, 2000);
        {
            DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Writer);
            QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
            QCOMPARE(after->sendKick(QStringLiteral("other-console"), QStringLiteral("other password")), 0);
            QCOMPARE(during->sendKick(QStringLiteral("other-console"), QStringLiteral("other password")), 0);
            QTRY_COMPARE_WITH_TIMEOUT(stateOf("After"), DeviceControlModel::Kicked, Patience);
            QTRY_COMPARE_WITH_TIMEOUT(stateOf("During"), DeviceControlModel::Kicked, Patience);
            m_page->kickWarning()->okButtonClicked();
            takeBack("During");
            QVERIFY(stateOf("During") != DeviceControlModel::Kicked);
        }
        // The hold ended; the kick marks are still held.
        takeBack("After");
        QVERIFY(stateOf("After") != DeviceControlModel::Kicked);
        QTRY_VERIFY_WITH_TIMEOUT(waits.db()->heldWrites()->isEmpty(), Patience);
        QVERIFY(!storedDevice("After").isKicked);
        QVERIFY(!storedDevice("During").isKicked);
        m_page->updateAllDB();
        QVERIFY(stateOf("After") != DeviceControlModel::Kicked);
        QVERIFY(stateOf("During") != DeviceControlModel::Kicked);
    }

    void takeoverOnANormalUserConsole()
    {
        addDevice("Kicked", SimulatedPanel::defaultIdentity(51).mac);
        newPage();
        isAdminLogin = false;
        SimulatedPanel *panel = makePanel(51);
        panel->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Kicked"), DeviceControlModel::Online, Patience);
        QTRY_VERIFY_WITH_TIMEOUT(panel->isConnected(), Patience);
        panel->sendKick(QStringLiteral("other-console"), QStringLiteral("other password"));
        QTRY_VERIFY_WITH_TIMEOUT(panel->isLocked(), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Kicked"), DeviceControlModel::Locked, Patience);
        QVERIFY(!storedDevice("Kicked").isKicked);
        QVERIFY(!m_page->kickWarning()->isVisible());
    }

    // One account-sync check per new connection of a capable model and firmware, none for other models.
    void accountSyncOncePerConnection()
    {
        addDevice("Capable", SimulatedPanel::defaultIdentity(61).mac);
        addDevice("Other", SimulatedPanel::defaultIdentity(62).mac);
        newPage();
        QSignalSpy syncStarts(server(), &CmdServer::setupSyncUserDeviceTimeout);
        auto startsFor = [&syncStarts](const QString &mac) {
            int count = 0;
            for (const QList<QVariant> &args : qAsConst(syncStarts))
                count += args.at(0).toString() == mac ? 1 : 0;
            return count;
        };
        SimulatedPanel *capable = makePanel(61);
        SimulatedPanel *other = makePanel(62, Password, QStringLiteral("Velk XYZ"));
        capable->start();
        other->start();
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Capable"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("Other"), DeviceControlModel::Online, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(startsFor(capable->mac()), 1, Patience);
        // The console counts the panel online before the panel has read the console's answer.
        QTRY_COMPARE_WITH_TIMEOUT(capable->connectCount(), 1, Patience);

        capable->abort(); // drops the line; the panel reconnects as a new connection
        QTRY_COMPARE_WITH_TIMEOUT(capable->connectCount(), 2, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(startsFor(capable->mac()), 2, Patience);
        QTest::qWait(300);
        QCOMPARE(startsFor(capable->mac()), 2);
        QCOMPARE(startsFor(other->mac()), 0);
    }

    // "All" then the groups by name; each entry shows its members. A password change still reaches every
    // connected panel, also those the filter hides, and then admits panels that carry it.
    void groupFilterAndPasswordChange()
    {
        QList<SimulatedPanel *> panels;
        for (int i = 0; i < 4; ++i) {
            addDevice(QStringLiteral("G%1").arg(i + 1), SimulatedPanel::defaultIdentity(71 + i).mac);
            panels << makePanel(71 + i, i == 3 ? QStringLiteral("another console") : Password);
        }
        auto group = [](const QString &name, const QStringList &members) {
            VelkGroups g;
            g.groupName = name;
            g.groupType = QStringLiteral("Control Box");
            QCOMPARE(db()->createGroups(g), DB_OK);
            QList<VelkGroups> all;
            db()->queryAllGroup(all);
            for (const VelkGroups &stored : qAsConst(all)) {
                if (stored.groupName == name)
                    g = stored;
            }
            for (const QString &member : members) {
                VelkIFPDevice device = storedDevice(member);
                QCOMPARE(db()->joinGroups(device, g), DB_OK);
            }
        };
        group("Beta", {"G2"});
        group("Alpha", {"G1", "G3"});
        group("Empty", {});
        newPage();
        for (SimulatedPanel *panel : qAsConst(panels))
            panel->start();

        QComboBox *combo = m_page->comboGroup;
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        QCOMPARE(entries, (QStringList{"All", "Alpha", "Beta", "Empty"}));

        combo->setCurrentIndex(1);
        QCOMPARE(itemNames(true), (QStringList{"G1", "G3"}));
        combo->setCurrentIndex(3);
        QCOMPARE(m_page->stackedContent->currentWidget(), m_page->pageEmptyGroup);
        combo->setCurrentIndex(2);
        QCOMPARE(itemNames(true), QStringList{"G2"});
        QCOMPARE(m_page->stackedContent->currentWidget(), m_page->listDevices);

        for (int i = 0; i < 3; ++i)
            QTRY_VERIFY_WITH_TIMEOUT(panels[i]->isConnected(), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(panels[3]->isLocked(), Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("G1"), DeviceControlModel::Online, Patience);

        m_page->passWordChange(QStringLiteral("new password"));
        QCOMPARE(server()->controlPassword(), QStringLiteral("new password"));
        for (int i = 0; i < 3; ++i)
            QTRY_COMPARE_WITH_TIMEOUT(panels[i]->storedPassword(), QStringLiteral("new password"), Patience);
        QCOMPARE(panels[3]->receivedCount(VELK_REMOTE_CMD_SET_PASSWORD), 0);

        // A hidden panel that reconnects with the new password is admitted.
        panels[0]->abort();
        QTRY_COMPARE_WITH_TIMEOUT(panels[0]->connectCount(), 2, Patience);
        QTRY_COMPARE_WITH_TIMEOUT(stateOf("G1"), DeviceControlModel::Online, Patience);

        // Choosing the page again shows everything.
        m_page->setupGroupCombo();
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(itemNames(true), (QStringList{"G1", "G2", "G3", "G4"}));
    }

    // The event log is read when the operator opens it, not when the page is built (the log only grows, and a large
    // one held up the log-in), and read again at every opening, each row as high as the form says.
    void eventLogIsReadWhenOpened()
    {
        const auto addEvent = [](const QString &name) {
            VelkEventLog event;
            event.deviceName = name;
            event.time = QStringLiteral("2024-06-01 08:00:00");
            QCOMPARE(db()->insertEventLog(event), DB_OK);
        };
        addEvent(QStringLiteral("Hall"));
        newPage();
        QVERIFY(!m_page->findChild<EventLogDialog *>());

        m_page->btnEventLog->click();
        auto *dialog = m_page->findChild<EventLogDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QTableView *table = dialog->tableWidgetLogContent;
        const EventLogModel *model = dialog->logModel();
        QCOMPARE(model->totalRows(), 1);
        const int rowHeight = ScaleMath::truncScaled(39, getScaleFactor());
        QCOMPARE(table->rowHeight(0), rowHeight);

        dialog->hide();
        addEvent(QStringLiteral("Gym"));
        m_page->btnEventLog->click();
        QCOMPARE(m_page->findChildren<EventLogDialog *>().size(), 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(model->totalRows(), 2);
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Gym"));
        QCOMPARE(table->rowHeight(1), rowHeight);
        dialog->hide();

        QList<VelkEventLog> events;
        QCOMPARE(db()->queryEventLog(events), DB_OK);
        for (const VelkEventLog &event : qAsConst(events))
            QCOMPARE(db()->deleteEventLog(event.did), DB_OK);
    }
};

QTEST_MAIN(TestConnectedList)
#include "tst_ConnectedList.moc"
