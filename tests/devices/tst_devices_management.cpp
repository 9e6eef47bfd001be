// The Devices tab against the real data store, the real command server and discovery responder,
// and simulated panels on loopback.

#include "DevicesTestSupport.h"

#include "devices/AlertRoad.h"
#include "devices/ConnectedItem.h"
#include "devices/ConnectedList.h"
#include "devices/DeviceRules.h"
#include "devices/DeviceTableDelegate.h"
#include "devices/DeviceTableModel.h"
#include "devices/ImportDialog.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "devices/ManagementShowIPInfo.h"
#include "emergency/EmergencyWarningDialog.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "network/ProtocolCodes.h"
#include "network/SsdpMessage.h"
#include "network/UPnPServer.h"
#include "shell/base/BoundedText.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "support/DatabaseHold.h"
#include "support/FakeSoundPlayer.h"
#include "support/KeyList.h"
#include "support/LoopbackNetwork.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TestEnv.h"
#include "support/WriteRefusal.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/SimulatedPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QToolTip>
#include <QUdpSocket>
#include <functional>
#include <memory>

namespace {

// Every signal of the page, counted.
struct PageSpies
{
    explicit PageSpies(Management *page)
        : insert(page, &Management::insertDB), update(page, &Management::updateDB),
          updateAll(page, &Management::updateAllDB), remove(page, &Management::deleteDB),
          multiUser(page, &Management::updateMultiUser), deleted(page, &Management::deviceDeleted)
    {
    }
    int total() const
    {
        return insert.count() + update.count() + updateAll.count() + remove.count() + multiUser.count() +
               deleted.count();
    }
    QSignalSpy insert, update, updateAll, remove, multiUser, deleted;
};

QStringList shownNames(Management &page)
{
    QStringList names;
    for (int row = 0; row < page.deviceModel()->rowCount(); ++row)
        names << page.deviceModel()->deviceAt(row).deviceName;
    return names;
}

QStringList macsOf(const QList<VelkIFPDevice> &devices)
{
    QStringList macs;
    for (const VelkIFPDevice &device : devices)
        macs << device.macAddress;
    macs.sort();
    return macs;
}

// One panel's discovery search, as the responder hears it from a panel powering up.
void sendSearch(QUdpSocket &from, const QString &mac, const QString &model = QStringLiteral("Velk TM B-Series"))
{
    SsdpSearch search;
    search.searchTarget = QString::fromLatin1(SsdpMessage::kServiceType);
    search.mac = mac;
    search.model = model;
    search.deviceType = QStringLiteral("Control Box");
    search.displayClientVersion = QStringLiteral("1.1.1030.30");
    from.writeDatagram(SsdpMessage::buildSearch(search, QStringLiteral("239.255.255.250:1988")),
                       QHostAddress(QHostAddress::LocalHost), UPnPServer::getInstance()->boundPort(0));
}

// One search from its own loopback address.
void searchAt(const QString &address, const QString &mac, const QString &model = QStringLiteral("Velk TM B-Series"))
{
    QUdpSocket from;
    if (!from.bind(QHostAddress(address), 0))
        qWarning("cannot bind %s", qPrintable(address));
    sendSearch(from, mac, model);
}

// The address the responder last heard a MAC from, empty when not heard.
QString heardAddress(const QString &mac)
{
    for (const VelkIFPDevice &device : UPnPServer::getInstance()->heardDevices()) {
        if (device.macAddress == mac)
            return device.ipAddress;
    }
    return QString();
}

// How many of these MACs the responder heard.
int heardOf(const QStringList &macs)
{
    int heard = 0;
    for (const VelkIFPDevice &device : UPnPServer::getInstance()->heardDevices())
        heard += macs.contains(device.macAddress) ? 1 : 0;
    return heard;
}

int listedOf(ManagementAutoDetect *dialog, const QStringList &macs)
{
    int listed = 0;
    for (const VelkIFPDevice &device : dialog->listedDevices())
        listed += macs.contains(device.macAddress) ? 1 : 0;
    return listed;
}

// The row the dialog lists a MAC in, -1 when it does not list it.
int listedRow(ManagementAutoDetect *dialog, const QString &mac)
{
    const QList<VelkIFPDevice> listed = dialog->listedDevices();
    for (int row = 0; row < listed.size(); ++row) {
        if (listed.at(row).macAddress == mac)
            return row;
    }
    return -1;
}

// Panels searching from their own loopback addresses, a few at a time: the responder's socket queues only so many.
QStringList searchFrom(const QString &macPrefix, const QString &addressPrefix, int first, int count)
{
    QStringList macs;
    for (int i = first; i < first + count; ++i) {
        QUdpSocket from;
        if (!from.bind(QHostAddress(addressPrefix + QString::number(i)), 0))
            qWarning("cannot bind %s%d", qPrintable(addressPrefix), i);
        const QString mac = macPrefix + QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0'));
        sendSearch(from, mac);
        macs << mac;
        if (macs.size() % 20 == 0 || i == first + count - 1) {
            const int sent = macs.size();
            [&]() { QTRY_COMPARE(heardOf(macs), sent); }();
        }
    }
    return macs;
}

// The refusal of a MAC that many panels report at once (uninitialised cards all zeros).
QString noCardMac()
{
    return QStringLiteral("No network card has this Mac address (all zeros, broadcast or multicast). Leave it empty to "
                          "match the device by its IP address.");
}

void fillForm(DeviceFormDialog *form, const QString &name, const QString &ip, const QString &mac,
              const QString &location = QString())
{
    form->editName->setText(name);
    form->editIp->setText(ip);
    form->editMac->setText(mac);
    form->editLocation->setText(location);
}

// A view's text against what it should show; a failure names the lengths rather than print megabytes.
QString shownLengths(const QString &text, const QString &expected)
{
    return QStringLiteral("%1 characters shown, %2 expected").arg(text.size()).arg(expected.size());
}

// The tool tip a hover over the index's cell shows.
QString hoverTip(QAbstractItemView *view, const QModelIndex &index)
{
    const QPoint centre = view->visualRect(index).center();
    QHelpEvent hover(QEvent::ToolTip, centre, view->viewport()->mapToGlobal(centre));
    QApplication::sendEvent(view->viewport(), &hover);
    const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    return tip;
}

// The SOS warning on screen, if any.
EmergencyWarningDialog *shownWarning()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *warning = qobject_cast<EmergencyWarningDialog *>(widget);
        if (warning && warning->isVisible())
            return warning;
    }
    return nullptr;
}

} // namespace

class TestDevicesManagement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void addByAddress();
    void addRefusals();
    void saveRefusalsSayWhy_data();
    void saveRefusalsSayWhy();
    void editEmitsUpdateWithOldName();
    void editAfterAWriteBackKeepsTheWrittenAddress();
    void deleteRemovesDeviceLinksAndConnection();
    void deleteAnsweredNoChangesNothing();
    void pageModeSelectsFamily();
    void searchFilterAndReset();
    void importWiring();
    void ipInfoOfRow();
    void autoDetectListsUnmanagedSearchers();
    void autoDetectKeepsTypedNameWithItsPanel();
    void autoDetectGathersASearchBurst();
    void autoDetectTouchesOnlyChangedRows();
    void autoDetectFollowsAPanelToItsNewAddress();
    void autoDetectListsNoImpossibleMac();
    void autoDetectAddsAPanelWithoutAMacByItsAddress();
    void autoDetectSuggestsAFreeNameThatFollowsTheModel();
    void autoDetectSuggestionGivesWayToATypedName();
    void autoDetectOffersNothingNewWhileTheDeviceListIsHeld();
    void pageBuiltDuringAnExclusiveHoldReadsItsDevicesOnceItEnds();
    void groupEditor();
    void longLocationIsShownBounded_data();
    void longLocationIsShownBounded();
    void editorHistoryAndPaste_data();
    void editorHistoryAndPaste();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<PanelFleet> m_fleet;
};

void TestDevicesManagement::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(testDb());

    // Searching panels: their discovery sockets share one port, which the responder answers to.
    FleetOptions options;
    options.count = 4;
    options.firstSerial = 0x20;
    options.baseAddress = QHostAddress(QStringLiteral("127.0.0.20"));
    options.settings.discovery = true;
    options.settings.answerPort = 0;
    options.settings.searchIntervalMs = 100;
    options.settings.bootDelayMs = 10;
    options.settings.rejectBackoffMs = 60000;
    m_fleet = std::make_unique<PanelFleet>(options);
    QVERIFY(m_fleet->answerPort() != 0);

    NetworkConfig config = loopbackNetworkConfig(m_env->home());
    config.answerPort = m_fleet->answerPort();
    NetworkConfig::setCurrent(config);
    QVERIFY(CmdServer::getInstance()->serverPort() != 0);
    QVERIFY(UPnPServer::getInstance()->boundPort(0) != 0);
    for (SimulatedPanel *panel : m_fleet->panels()) {
        PanelSettings settings = panel->settings();
        settings.discoveryPort = UPnPServer::getInstance()->boundPort(0);
        settings.consolePort = CmdServer::getInstance()->serverPort();
        QVERIFY(panel->setSettings(settings));
    }
}

void TestDevicesManagement::init()
{
    wipeDevices();
    CmdServer::getInstance()->setManagedDevices({});
}

void TestDevicesManagement::cleanupTestCase()
{
    m_fleet->shutDownAll();
}

void TestDevicesManagement::addByAddress()
{
    VelkGroups floor;
    floor.groupName = QStringLiteral("Floor 1");
    floor.groupType = QStringLiteral("Control Box");
    QCOMPARE(testDb()->createGroups(floor), DB_OK);
    VelkGroups speakers;
    speakers.groupName = QStringLiteral("Speakers");
    speakers.groupType = QStringLiteral("Audio Box");
    QCOMPARE(testDb()->createGroups(speakers), DB_OK);

    Management page;
    PageSpies spies(&page);
    page.clickAddDevice();
    ManagementAddDevice *dialog = page.addDeviceDialog();
    QVERIFY(dialog->isVisible());
    // Only the groups of the page's family are offered.
    QCOMPARE(dialog->listGroups->count(), 1);
    QCOMPARE(dialog->listGroups->item(0)->text(), QStringLiteral("Floor 1"));
    dialog->listGroups->item(0)->setCheckState(Qt::Checked);

    fillForm(dialog, "Room 101", "10.0.0.5", "AA:BB:CC:DD:EE:01", "East wing");
    QTest::mouseClick(dialog->btnSave, Qt::LeftButton);
    QCOMPARE(spies.insert.count(), 1);
    const VelkIFPDevice inserted = spies.insert.at(0).at(0).value<VelkIFPDevice>();
    QVERIFY(inserted.did != 0);
    QCOMPARE(inserted.deviceName, QStringLiteral("Room 101"));
    QCOMPARE(inserted.macAddress, QStringLiteral("aa:bb:cc:dd:ee:01"));
    QCOMPARE(inserted.deviceType, QStringLiteral("Control Box"));
    QCOMPARE(spies.multiUser.count(), 1);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(storedDevice("Room 101").position, QStringLiteral("East wing"));
    QCOMPARE(groupsOf("Room 101"), QStringList{"Floor 1"});
    QCOMPARE(shownNames(page), QStringList{"Room 101"});

    // Two devices entered by their IP address alone.
    for (const QString &name : {QStringLiteral("By IP 1"), QStringLiteral("By IP 2")}) {
        page.clickAddDevice();
        fillForm(dialog, name, name.endsWith('1') ? "10.0.0.11" : "10.0.0.12", QString());
        dialog->submit();
        QVERIFY2(dialog->warningText().isEmpty(), qPrintable(dialog->warningText()));
    }
    QCOMPARE(spies.insert.count(), 3);
    QCOMPARE(deviceCount(), 3);
    // The list says how they are matched, as Auto Detect does, not an empty MAC cell.
    const QModelIndex byIp =
        page.deviceModel()->index(page.deviceModel()->rowOfName("By IP 1"), DeviceTableModel::MacColumn);
    QCOMPARE(byIp.data().toString(), QStringLiteral("By IP address"));
    QCOMPARE(page.deviceModel()
                 ->index(page.deviceModel()->rowOfName("Room 101"), DeviceTableModel::MacColumn)
                 .data()
                 .toString(),
             QStringLiteral("aa:bb:cc:dd:ee:01"));

    // An audio box page adds audio boxes.
    page.setPageMode(1);
    page.clickAddDevice();
    QCOMPARE(dialog->listGroups->item(0)->text(), QStringLiteral("Speakers"));
    fillForm(dialog, "Hall speaker", "10.0.0.30", QString());
    dialog->submit();
    QCOMPARE(storedDevice("Hall speaker").deviceType, QStringLiteral("Audio Box"));
    QCOMPARE(shownNames(page), QStringList{"Hall speaker"});
}

void TestDevicesManagement::addRefusals()
{
    seedDevice("Panel1", "00:11:22:33:44:01", "10.0.0.1");
    Management page;
    PageSpies spies(&page);
    ManagementAddDevice *dialog = page.addDeviceDialog();

    struct Case
    {
        QString name, ip, mac, badge;
    };
    const QList<Case> cases = {
        {"panel1", "10.0.0.2", "00:11:22:33:44:02", "Device name is duplicated with other devices."},
        {"Panel2", "10.0.0.2", "00:11:22:33:44:01", "Mac address is duplicated with other devices."},
        {"Panel2", "10.0.0.2", "00:11:22:33:44:0A", QString()}, // the control: accepted
        {"Panel3", "10.0.0.3", "00:11:22:33:44:0a", "Mac address is duplicated with other devices."},
        {"", "10.0.0.3", "", "Device name is required."},
        {"Panel3", "", "", "Ip Address and Mac Address cannot be emtpy."},
        {"Panel3", "10.0.0.256", "", "Invalid IP Address."},
        {"Panel3", "10.0.0.3", "00:11:22:33:44", "Invalid mac address."},
        {"Panel3", "10.0.0.3", "00:00:00:00:00:00", noCardMac()},
        {"Panel3", "", "FF:FF:FF:FF:FF:FF", noCardMac()},
        {"Panel3", "10.0.0.3", "01:00:5e:00:00:fb", noCardMac()},
    };
    int accepted = 0;
    for (const Case &c : cases) {
        page.clickAddDevice();
        fillForm(dialog, c.name, c.ip, c.mac);
        dialog->submit();
        QCOMPARE(dialog->warningText(), c.badge);
        if (c.badge.isEmpty()) {
            ++accepted;
            QVERIFY(!dialog->isVisible());
        } else {
            QVERIFY(dialog->isVisible());
            QVERIFY(dialog->labelWarning->isVisible());
        }
        QCOMPARE(spies.insert.count(), accepted);
    }
    // Typing clears the badge.
    QTest::keyClick(dialog->editName, Qt::Key_X);
    QVERIFY(dialog->warningText().isEmpty());
    dialog->close();
    QCOMPARE(deviceCount(), 2);
}

void TestDevicesManagement::saveRefusalsSayWhy_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("badge");
    QTest::newRow("another program holds it")
        << int(DatabaseHold::Writer)
        << "The device could not be saved: the database cannot be written at the moment (another program may be "
           "using it). Please try again later.";
    QTest::newRow("disk full") << WriteRefusal::kFullDisk << "The device could not be saved: the disk is full.";
}

// A device the database refuses for a while: the Add and Edit dialogs said only that it could not be saved, as for a
// device refused for good, and the operator had nothing to go on. They say why, keep what was typed, and the same
// Save stores it once the database takes writes again.
void TestDevicesManagement::saveRefusalsSayWhy()
{
    QFETCH(int, kind);
    QFETCH(QString, badge);
    seedDevice("Panel1", "00:11:22:33:44:01", "10.0.0.1");
    Management page;
    PageSpies spies(&page);
    ManagementAddDevice *add = page.addDeviceDialog();
    ManagementEditDevice *edit = page.editDeviceDialog();
    const ShortDatabaseWaits waits(100);
    {
        const WriteRefusal refusal(kind, waits.db()->databaseFilePath(), {QStringLiteral("Device")});
        QVERIFY2(refusal.isActive(), qPrintable(refusal.error()));
        page.clickAddDevice();
        fillForm(add, "Panel2", "10.0.0.2", "00:11:22:33:44:02");
        add->submit();
        QCOMPARE(add->warningText(), badge);
        QVERIFY(add->isVisible());
        QCOMPARE(add->editName->text(), QStringLiteral("Panel2"));

        page.editDevice(page.deviceModel()->rowOfName("Panel1"));
        edit->editLocation->setText(QStringLiteral("Lab"));
        edit->submit();
        QCOMPARE(edit->warningText(), badge);
        QVERIFY(edit->isVisible());
        QCOMPARE(edit->editLocation->text(), QStringLiteral("Lab"));
        QCOMPARE(edit->editName->text(), QStringLiteral("Panel1"));
        edit->close();
    }
    QCOMPARE(deviceCount(), 1);
    QCOMPARE(spies.insert.count(), 0);
    QCOMPARE(spies.update.count(), 0);
    add->submit();
    QVERIFY(!add->isVisible());
    QCOMPARE(spies.insert.count(), 1);
    QCOMPARE(deviceCount(), 2);
}

void TestDevicesManagement::editEmitsUpdateWithOldName()
{
    seedDevice("Old name", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"A"});
    VelkIFPDevice other = seedDevice("Other", "00:11:22:33:44:02", "10.0.0.2");
    other.fwVersion = QStringLiteral("1.1.1030.30");
    QCOMPARE(testDb()->updateIFPDeviceById(other), DB_OK);
    Management page;
    PageSpies spies(&page);
    ManagementEditDevice *dialog = page.editDeviceDialog();

    page.editDevice(page.deviceModel()->rowOfName("Old name"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->editName->text(), QStringLiteral("Old name"));
    QVERIFY(!dialog->editMac->isReadOnly());
    QCOMPARE(dialog->checkedGroups(), QStringList{"A"});

    // Meanwhile the network layer stores what the panel reported; the edit must keep it.
    VelkIFPDevice reported = storedDevice("Old name");
    reported.panelFwVersion = QStringLiteral("9.9");
    reported.learnedMac = reported.macAddress;
    QCOMPARE(testDb()->updateIFPDeviceById(reported), DB_OK);

    dialog->editName->setText(QStringLiteral("OTHER"));
    dialog->submit();
    QCOMPARE(dialog->warningText(), QStringLiteral("Device name is duplicated with other devices."));
    dialog->editName->setText(QStringLiteral("New name"));
    dialog->editLocation->setText(QStringLiteral("Lab"));
    dialog->listGroups->item(0)->setCheckState(Qt::Unchecked);
    dialog->submit();
    QCOMPARE(spies.update.count(), 1);
    QCOMPARE(spies.update.at(0).at(0).value<VelkIFPDevice>().deviceName, QStringLiteral("New name"));
    QCOMPARE(spies.update.at(0).at(1).toString(), QStringLiteral("Old name"));
    QCOMPARE(spies.multiUser.count(), 1);
    const VelkIFPDevice stored = storedDevice("New name");
    QCOMPARE(stored.position, QStringLiteral("Lab"));
    QCOMPARE(stored.panelFwVersion, QStringLiteral("9.9"));
    QCOMPARE(stored.learnedMac, stored.macAddress);
    QCOMPARE(groupsOf("New name"), QStringList());

    page.editDevice(page.deviceModel()->rowOfName("New name"));
    dialog->editMac->setText(QStringLiteral("00:00:00:00:00:00"));
    dialog->submit();
    QCOMPARE(dialog->warningText(), noCardMac());
    QCOMPARE(spies.update.count(), 1);
    QCOMPARE(storedDevice("New name").macAddress, QStringLiteral("00:11:22:33:44:01"));

    // A device that reported its firmware keeps its MAC.
    page.editDevice(page.deviceModel()->rowOfName("Other"));
    QVERIFY(dialog->editMac->isReadOnly());
    dialog->editMac->setText(QStringLiteral("00:11:22:33:44:99"));
    dialog->submit();
    QCOMPARE(dialog->warningText(), QStringLiteral("Cannot modify connected device's Mac address."));
    QCOMPARE(spies.update.count(), 1);
    dialog->close();

    // A MAC the operator types is entered: the panel at the address taught the one before it.
    page.editDevice(page.deviceModel()->rowOfName("New name"));
    dialog->editMac->setText(QStringLiteral("00:11:22:33:44:03"));
    dialog->submit();
    QCOMPARE(storedDevice("New name").macAddress, QStringLiteral("00:11:22:33:44:03"));
    QCOMPARE(storedDevice("New name").learnedMac, QString());
}

// A panel's handshake stores the address it connects from. The list kept showing the old one, and an edit saved the
// address it showed: a Location-only edit put the old address back while the panel stayed connected.
void TestDevicesManagement::editAfterAWriteBackKeepsTheWrittenAddress()
{
    PanelSettings settings;
    settings.ownAddress = QHostAddress(QStringLiteral("127.0.5.2"));
    settings.consolePort = CmdServer::getInstance()->serverPort();
    settings.reconnectDelayMs = 100;
    SimulatedPanel panel(SimulatedPanel::defaultIdentity(0x52), settings);
    seedDevice("Moved", panel.mac(), "10.0.0.2");
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);

    Management page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    PageSpies spies(&page);
    ManagementEditDevice *dialog = page.editDeviceDialog();
    page.editDevice(page.deviceModel()->rowOfName("Moved"));
    QCOMPARE(dialog->editIp->text(), QStringLiteral("10.0.0.2"));

    panel.start();
    QTRY_VERIFY(panel.isConnected());
    QTRY_COMPARE(storedDevice("Moved").ipAddress, QStringLiteral("127.0.5.2"));
    const auto shownAddress = [&] {
        return page.deviceModel()->deviceAt(page.deviceModel()->rowOfName("Moved")).ipAddress;
    };
    QTRY_COMPARE(shownAddress(), QStringLiteral("127.0.5.2"));

    // The dialog opened before the write-back still shows the old address; the operator changes the location only.
    dialog->editLocation->setText(QStringLiteral("Lab 2"));
    dialog->submit();
    QCOMPARE(dialog->warningText(), QString());
    QCOMPARE(spies.update.count(), 1);
    QCOMPARE(storedDevice("Moved").ipAddress, QStringLiteral("127.0.5.2"));
    QCOMPARE(storedDevice("Moved").position, QStringLiteral("Lab 2"));
    QCOMPARE(shownAddress(), QStringLiteral("127.0.5.2"));
    QVERIFY(panel.isConnected());

    // An address the operator does type is stored.
    page.editDevice(page.deviceModel()->rowOfName("Moved"));
    QCOMPARE(dialog->editIp->text(), QStringLiteral("127.0.5.2"));
    dialog->editIp->setText(QStringLiteral("10.0.0.9"));
    dialog->submit();
    QCOMPARE(storedDevice("Moved").ipAddress, QStringLiteral("10.0.0.9"));
    panel.shutDown();
}

void TestDevicesManagement::deleteRemovesDeviceLinksAndConnection()
{
    PanelSettings settings;
    settings.ownAddress = QHostAddress(QStringLiteral("127.0.0.40"));
    settings.consolePort = CmdServer::getInstance()->serverPort();
    settings.reconnectDelayMs = 100;
    settings.rejectBackoffMs = 100;
    SimulatedPanel panel(SimulatedPanel::defaultIdentity(0x40), settings);
    const VelkIFPDevice device = seedDevice("Doomed", panel.mac(), "127.0.0.40", "Control Box", {"Keep"});
    seedDevice("Stays", "00:11:22:33:44:02", "10.0.0.2", "Control Box", {"Keep"});
    VelkDeviceCameraMap mapping;
    mapping.did = int(device.did);
    mapping.account = QStringLiteral("guard");
    mapping.deviceName = QStringLiteral("Cam 1");
    QCOMPARE(testDb()->insertDeviceCameraMapping(mapping), DB_OK);
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    panel.start();
    QTRY_VERIFY(panel.isConnected());

    Management page;
    PageSpies spies(&page);
    page.deleteDevice(page.deviceModel()->rowOfName("Doomed"));
    QVERIFY(page.deleteDialog()->isVisible());
    QVERIFY(page.deleteDialog()->label->text().contains(QStringLiteral("Doomed")));
    QTest::mouseClick(page.deleteDialog()->btnOk, Qt::LeftButton);

    QCOMPARE(spies.remove.count(), 1);
    QCOMPARE(spies.remove.at(0).at(0).value<VelkIFPDevice>().deviceName, QStringLiteral("Doomed"));
    QCOMPARE(spies.deleted.count(), 1);
    QCOMPARE(spies.multiUser.count(), 1);
    QCOMPARE(spies.insert.count() + spies.update.count() + spies.updateAll.count(), 0);
    QCOMPARE(storedDevice("Doomed").did, 0u);
    QCOMPARE(shownNames(page), QStringList{"Stays"});
    QList<VelkDeviceCameraMap> mappings;
    testDb()->queryDeviceCameraMapping(mappings);
    QVERIFY(mappings.isEmpty());
    VelkGroups keep;
    keep.groupName = QStringLiteral("Keep");
    QList<VelkIFPDevice> members;
    QCOMPARE(testDb()->queryIFPByGroup(keep, members), DB_OK);
    QCOMPARE(macsOf(members), QStringList{"00:11:22:33:44:02"});

    // The connection ends and the panel is not let in again.
    QTRY_VERIFY(!panel.isConnected());
    QVERIFY(!macsOf(CmdServer::getInstance()->managedDevices()).contains(panel.mac()));
    QTest::qWait(500);
    QVERIFY(!panel.isConnected());
    QCOMPARE(CmdServer::getInstance()->connectionState(panel.mac()), CmdServer::Offline);
    panel.shutDown();
}

void TestDevicesManagement::deleteAnsweredNoChangesNothing()
{
    seedDevice("Kept", "00:11:22:33:44:01", "10.0.0.1");
    const QString before = exportText();
    Management page;
    PageSpies spies(&page);
    page.deleteDevice(0);
    QVERIFY(page.deleteDialog()->isVisible());
    QTest::mouseClick(page.deleteDialog()->btnCancel, Qt::LeftButton);
    QVERIFY(!page.deleteDialog()->isVisible());
    QCOMPARE(spies.total(), 0);
    QCOMPARE(exportText(), before);
    // A stray "Yes" after "No" deletes nothing either.
    page.deleteDialog()->clickOK();
    QCOMPARE(spies.total(), 0);
}

void TestDevicesManagement::pageModeSelectsFamily()
{
    seedDevice("Box A", "00:11:22:33:44:01", "10.0.0.1");
    seedDevice("Box B", "00:11:22:33:44:02", "10.0.0.2");
    seedDevice("Unknown kind", "00:11:22:33:44:03", "10.0.0.3", QString());
    seedDevice("Speaker", "00:11:22:33:44:04", "10.0.0.4", "Audio Box");
    Management page;
    QCOMPARE(shownNames(page), (QStringList{"Box A", "Box B", "Unknown kind"}));
    QVERIFY(page.tableDevices->isColumnHidden(DeviceTableModel::CameraColumn));
    page.setPageMode(1);
    QCOMPARE(page.pageMode(), 1);
    QCOMPARE(shownNames(page), QStringList{"Speaker"});
    QVERIFY(!page.tableDevices->isColumnHidden(DeviceTableModel::CameraColumn));
    page.setPageMode(-1);
    QCOMPARE(page.pageMode(), 0);
    QCOMPARE(shownNames(page), (QStringList{"Box A", "Box B", "Unknown kind"}));
    page.setPageMode(0);
    QCOMPARE(page.deviceModel()->rowCount(), 3);
}

void TestDevicesManagement::searchFilterAndReset()
{
    seedDevice("Alpha", "00:11:22:33:44:01", "10.0.0.1", "Control Box", {"North"}, "Library");
    seedDevice("Beta", "AA:BB:CC:00:00:02", "10.0.0.2", "Control Box", {"South"});
    seedDevice("Gamma", "00:11:22:33:44:03", "10.0.0.3", "Control Box", {"North"});
    Management page;
    page.resize(888, 559);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    // Applied on Return, not while typing; letter case ignored; name, IP, MAC and location.
    QTest::keyClicks(page.lineEditSearch, QStringLiteral("aa:bb"));
    QCOMPARE(page.deviceModel()->rowCount(), 3);
    QTest::keyClick(page.lineEditSearch, Qt::Key_Return);
    QCOMPARE(shownNames(page), QStringList{"Beta"});
    page.lineEditSearch->setText(QStringLiteral("LIBRARY"));
    page.applySearch();
    QCOMPARE(shownNames(page), QStringList{"Alpha"});
    page.lineEditSearch->setText(QStringLiteral("nothing like it"));
    page.applySearch();
    QCOMPARE(page.deviceModel()->rowCount(), 0);
    QVERIFY(page.labelEmpty->isVisible());

    page.resetSearchBox();
    QCOMPARE(page.lineEditSearch->text(), QString());
    QCOMPARE(page.lineEditSearch->placeholderText(), QStringLiteral("Search"));
    QCOMPARE(page.deviceModel()->rowCount(), 3);
    QVERIFY(!page.labelEmpty->isVisible());

    // The group filter pop-up.
    QTest::mouseClick(page.btnFilter, Qt::LeftButton);
    QVERIFY(page.frameFilter->isVisible());
    QCOMPARE(page.listFilter->count(), 3); // "All Groups", North, South
    QTest::mouseClick(page.listFilter->viewport(), Qt::LeftButton, {},
                      page.listFilter->visualItemRect(page.listFilter->item(1)).center());
    QVERIFY(!page.frameFilter->isVisible());
    QCOMPARE(shownNames(page), (QStringList{"Alpha", "Gamma"}));
    QCOMPARE(page.labelCount->text(), QStringLiteral("Devices: 2 of 3"));
    page.showFilter();
    QTest::mouseClick(page.filterLayer, Qt::LeftButton, {}, QPoint(10, 300));
    QVERIFY(!page.frameFilter->isVisible());
    page.showFilter();
    page.hideFilter();
    QVERIFY(!page.frameFilter->isVisible() && !page.filterLayer->isVisible());
    QCOMPARE(page.deviceModel()->rowCount(), 2); // the filter stays until changed

    // Row buttons are drawn in the cells; a click on the edit button opens the editor.
    const QModelIndex actions = page.deviceModel()->index(0, DeviceTableModel::ActionsColumn);
    const QRect cell = page.tableDevices->visualRect(actions);
    QVERIFY(cell.isValid());
    auto *delegate = qobject_cast<DeviceTableDelegate *>(page.tableDevices->itemDelegate());
    QVERIFY(delegate);
    QTest::mouseClick(page.tableDevices->viewport(), Qt::LeftButton, {}, delegate->editRect(cell).center());
    QVERIFY(page.editDeviceDialog()->isVisible());
    QCOMPARE(page.editDeviceDialog()->editName->text(), QStringLiteral("Alpha"));
    page.editDeviceDialog()->close();
}

void TestDevicesManagement::importWiring()
{
    Management page;
    PageSpies spies(&page);
    page.updateDeviceTable();
    QCOMPARE(spies.updateAll.count(), 1);
    QCOMPARE(spies.multiUser.count(), 1);

    page.addDeviceSuccess(VelkIFPDevice());
    QCOMPARE(spies.insert.count(), 0);
    const VelkIFPDevice stored = seedDevice("Imported", "00:11:22:33:44:01", "10.0.0.1");
    page.addDeviceSuccess(stored);
    QCOMPARE(spies.insert.count(), 1);
    QTRY_COMPARE(shownNames(page), QStringList{"Imported"});

    // No window is active in a headless test run: the dialog still opens, beside the page's window.
    QVERIFY(!QApplication::activeWindow());
    page.move(40, 30);
    page.clickBtnImportList();
    QVERIFY(page.importDialog()->isVisible());
    QCOMPARE(page.importDialog()->pos(), page.mapToGlobal(QPoint(0, 0)) + QPoint(255, 282));
    page.importDialog()->close();
}

void TestDevicesManagement::ipInfoOfRow()
{
    VelkIFPDevice device = seedDevice("Net", "00:11:22:33:44:01", "10.0.0.7");
    device.subnetMask = QStringLiteral("255.255.255.0");
    device.gateway = QStringLiteral("10.0.0.254");
    QCOMPARE(testDb()->updateIFPDeviceById(device), DB_OK);
    Management page;
    page.showIpInfo(0);
    QVERIFY(page.ipInfoDialog()->isVisible());
    QCOMPARE(page.ipInfoDialog()->lbIPAddressInput->text(), QStringLiteral("10.0.0.7"));
    QCOMPARE(page.ipInfoDialog()->lbGateWayInput->text(), QStringLiteral("10.0.0.254"));
    page.ipInfoDialog()->close();
}

void TestDevicesManagement::autoDetectListsUnmanagedSearchers()
{
    // Panel 0 is managed already; panels 1 and 2 search; panel 3 stays off.
    SimulatedPanel *managed = m_fleet->panel(0);
    seedDevice("Known panel", managed->mac(), "127.0.0.20");
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    for (int i = 0; i < 3; ++i)
        m_fleet->panel(i)->start();
    // The managed panel takes no place in the responder's list of panels heard.
    QTRY_COMPARE(macsOf(UPnPServer::getInstance()->heardDevices()),
                 (QStringList{m_fleet->panel(1)->mac(), m_fleet->panel(2)->mac()}));

    Management page;
    PageSpies spies(&page);
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    QVERIFY(dialog->isVisible());
    QCOMPARE(macsOf(dialog->listedDevices()), (QStringList{m_fleet->panel(1)->mac(), m_fleet->panel(2)->mac()}));
    QCOMPARE(dialog->tableDevices->rowCount(), 2);
    QVERIFY(!dialog->labelEmpty->isVisible());

    // Nothing ticked, then a name that is taken.
    dialog->addChosen();
    QVERIFY(!dialog->warningText().isEmpty());
    dialog->chooseRow(0, QStringLiteral("KNOWN PANEL"));
    dialog->addChosen();
    QVERIFY(dialog->warningText().contains(QStringLiteral("Device name is duplicated with other devices.")));
    QCOMPARE(spies.insert.count(), 0);

    const VelkIFPDevice chosen = dialog->listedDevices().at(0);
    dialog->chooseRow(0, QStringLiteral("Found panel"));
    dialog->addChosen();
    QVERIFY(!dialog->isVisible());
    QCOMPARE(spies.insert.count(), 1);
    QCOMPARE(spies.multiUser.count(), 1);
    const VelkIFPDevice added = storedDevice("Found panel");
    QVERIFY(added.did != 0);
    QCOMPARE(added.macAddress, chosen.macAddress);
    QCOMPARE(added.ipAddress, chosen.ipAddress);
    QCOMPARE(added.modelName, QStringLiteral("Velk TM B-Series"));
    QCOMPARE(added.deviceType, QStringLiteral("Control Box"));

    // Opened again it lists only the one left; on the audio-box page, none.
    page.clickAutoDetect();
    QCOMPARE(dialog->listedDevices().size(), 1);
    dialog->close();
    page.setPageMode(1);
    page.clickAutoDetect();
    QCOMPARE(dialog->listedDevices().size(), 0);
    QVERIFY(dialog->labelEmpty->isVisible());
    QVERIFY(!dialog->btnAdd->isEnabled());
    dialog->close();
    for (int i = 0; i < 3; ++i)
        m_fleet->panel(i)->shutDown();
}

// The list is rebuilt whenever a panel appears or goes quiet, which moves rows; a name being typed
// at that moment must stay with the panel it was typed for.
void TestDevicesManagement::autoDetectKeepsTypedNameWithItsPanel()
{
    for (int i = 0; i < 3; ++i)
        m_fleet->panel(i)->start();
    QTRY_VERIFY(UPnPServer::getInstance()->unmanagedDevices().size() >= 3);
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    const QString target = m_fleet->panel(2)->mac();
    const auto rowOf = [dialog](const QString &mac) { return listedRow(dialog, mac); };
    QCOMPARE(rowOf(target), 2);

    // As the operator does: choose the cell, then type.
    dialog->tableDevices->setCurrentItem(dialog->tableDevices->item(2, 0));
    dialog->tableDevices->editItem(dialog->tableDevices->item(2, 0));
    QPointer<QLineEdit> editor = dialog->tableDevices->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Lobby"));
    // Panel 0 becomes managed and panel 3 starts searching: the typed-for panel moves up a row.
    seedDevice("Known panel", m_fleet->panel(0)->mac(), "127.0.0.20");
    m_fleet->panel(3)->start();
    QTRY_VERIFY(rowOf(m_fleet->panel(3)->mac()) >= 0);
    QCOMPARE(rowOf(target), 1);
    if (editor)
        QTest::keyClick(editor, Qt::Key_Return);
    // The delegate hands the typed text over on the next turn of the event loop.
    QTRY_COMPARE(dialog->tableDevices->item(rowOf(target), 0)->text(), QStringLiteral("Lobby"));
    QVERIFY(dialog->tableDevices->item(rowOf(m_fleet->panel(3)->mac()), 0)->text() != QStringLiteral("Lobby"));
    dialog->close();
    for (int i = 0; i < 4; ++i)
        m_fleet->panel(i)->shutDown();
}

// A fleet powering up is heard at hundreds of new MACs a second. The list used to be read and rebuilt
// for each of them, which froze the console for seconds; a burst is taken in with a few refreshes.
void TestDevicesManagement::autoDetectGathersASearchBurst()
{
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    QVERIFY(dialog->isVisible());
    dialog->setRefreshIntervalMs(1000);
    const int before = dialog->refreshCount();

    const QStringList macs = searchFrom(QStringLiteral("02:51:4e:00:01:"), QStringLiteral("127.0.0."), 100, 120);
    QTRY_COMPARE(listedOf(dialog, macs), macs.size());
    QCOMPARE(dialog->tableDevices->rowCount(), dialog->listedDevices().size());
    QVERIFY2(dialog->refreshCount() - before <= 3, qPrintable(QString::number(dialog->refreshCount() - before)));
    for (int row = 0; row < dialog->tableDevices->rowCount(); ++row)
        QCOMPARE(dialog->tableDevices->item(row, 2)->text(), dialog->listedDevices().at(row).macAddress);
    dialog->close();
}

// While panels come and go the operator's rows stay as they are: the tick and name given, the name
// being typed, the chosen cell and the place scrolled to. A panel that becomes managed leaves.
void TestDevicesManagement::autoDetectTouchesOnlyChangedRows()
{
    const QString prefix = QStringLiteral("02:51:4e:00:02:");
    const QStringList first = searchFrom(prefix, QStringLiteral("127.0.1."), 10, 40);
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    QTableWidget *table = dialog->tableDevices;
    QCOMPARE(listedOf(dialog, first), 40);
    const auto rowOf = [dialog](const QString &mac) { return listedRow(dialog, mac); };
    const QString ticked = prefix + QStringLiteral("28"); // 127.0.1.40
    const QString typing = prefix + QStringLiteral("2d"); // 127.0.1.45
    const QString top = prefix + QStringLiteral("23");    // 127.0.1.35
    const QString managed = prefix + QStringLiteral("0f");

    dialog->chooseRow(rowOf(ticked), QStringLiteral("Stage"));
    QTableWidgetItem *tickedItem = table->item(rowOf(ticked), 0);
    table->setCurrentItem(table->item(rowOf(typing), 0));
    table->editItem(table->item(rowOf(typing), 0));
    QPointer<QLineEdit> editor = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Hall"));
    table->scrollToItem(table->item(rowOf(top), 0), QAbstractItemView::PositionAtTop);
    QTRY_COMPARE(table->rowAt(0), rowOf(top));
    QVERIFY(table->verticalScrollBar()->value() > 0);

    // One panel is added elsewhere; ten more power up, all listed above the operator's rows.
    seedDevice("Added elsewhere", managed, "127.0.1.15");
    const QStringList more = searchFrom(prefix, QStringLiteral("127.0.0."), 0xb0, 10);
    QTRY_COMPARE(listedOf(dialog, more), 10);
    QTRY_COMPARE(rowOf(managed), -1);
    QVERIFY(rowOf(ticked) > 10);

    QCOMPARE(table->item(rowOf(ticked), 0), tickedItem);
    QCOMPARE(tickedItem->text(), QStringLiteral("Stage"));
    QCOMPARE(tickedItem->checkState(), Qt::Checked);
    QCOMPARE(table->rowAt(0), rowOf(top));
    QCOMPARE(table->currentRow(), rowOf(typing));
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("Hall"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->item(rowOf(typing), 0)->text(), QStringLiteral("Hall"));
    for (int row = 0; row < table->rowCount(); ++row)
        QCOMPARE(table->item(row, 2)->text(), dialog->listedDevices().at(row).macAddress);

    // A panel whose name is being typed moves to another address: the name goes with it.
    table->setCurrentItem(table->item(rowOf(top), 0));
    table->editItem(table->item(rowOf(top), 0));
    editor = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Library"));
    QUdpSocket movedFrom;
    QVERIFY(movedFrom.bind(QHostAddress(QStringLiteral("127.0.2.1")), 0));
    sendSearch(movedFrom, top);
    searchFrom(prefix, QStringLiteral("127.0.0."), 0xc0, 1);
    QTRY_COMPARE(dialog->listedDevices().value(rowOf(top)).ipAddress, QStringLiteral("127.0.2.1"));
    QCOMPARE(table->item(rowOf(top), 0)->text(), QStringLiteral("Library"));

    // Both named panels are added with the names given.
    QSignalSpy added(dialog, &ManagementAutoDetect::devicesAdded);
    table->item(rowOf(typing), 0)->setCheckState(Qt::Checked);
    dialog->addChosen();
    QCOMPARE(dialog->warningText(), QString());
    QCOMPARE(added.count(), 1);
    QCOMPARE(storedDevice("Stage").macAddress, ticked);
    QCOMPARE(storedDevice("Hall").macAddress, typing);
}

// A listed panel that searches again from another address (its lease ran out, it was moved) is listed at the new
// one, and Add stores the new one: the list used to keep the old address until Refresh.
void TestDevicesManagement::autoDetectFollowsAPanelToItsNewAddress()
{
    const QString mac = QStringLiteral("02:51:4e:00:03:01");
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    const auto listedAddress = [&] { return dialog->listedDevices().value(listedRow(dialog, mac)).ipAddress; };
    searchAt(QStringLiteral("127.0.3.1"), mac);
    QTRY_COMPARE(listedAddress(), QString("127.0.3.1"));
    searchAt(QStringLiteral("127.0.3.2"), mac);
    QTRY_COMPARE(listedAddress(), QString("127.0.3.2"));
    QCOMPARE(dialog->tableDevices->item(listedRow(dialog, mac), 1)->text(), QStringLiteral("127.0.3.2"));

    // It moves again just before Add, while the dialog has not taken the move in yet.
    dialog->setRefreshIntervalMs(10 * 60 * 1000);
    searchAt(QStringLiteral("127.0.3.3"), mac);
    QTRY_COMPARE(heardAddress(mac), QString("127.0.3.3"));
    dialog->chooseRow(listedRow(dialog, mac), QStringLiteral("Moved panel"));
    dialog->addChosen();
    QCOMPARE(dialog->warningText(), QString());
    QCOMPARE(storedDevice("Moved panel").ipAddress, QStringLiteral("127.0.3.3"));
}

// No panel has a broadcast, all-zero or multicast MAC, and a MAC cut short by a NUL is not the one sent: such a
// search is answered but never listed with that MAC, where Add would store a device no panel can match. The panel
// that sent it is listed by its address alone.
void TestDevicesManagement::autoDetectListsNoImpossibleMac()
{
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    const QList<QByteArray> impossible = {"ff:ff:ff:ff:ff:ff", "00:00:00:00:00:00",
                                          "01:00:5e:00:00:fb", "33:33:00:00:00:01",
                                          "03:51:4e:00:04:02", QByteArray("02:51:4e:00:04:03\0junk", 22)};
    QUdpSocket from;
    QVERIFY(from.bind(QHostAddress(QStringLiteral("127.0.4.2")), 0));
    SsdpSearch search;
    search.model = QStringLiteral("Velk TM B-Series");
    search.deviceType = QStringLiteral("Control Box");
    search.mac = QStringLiteral("@MAC@");
    const QByteArray text = SsdpMessage::buildSearch(search, QStringLiteral("239.255.255.250:1988"));
    for (const QByteArray &mac : impossible) {
        QVERIFY(from.writeDatagram(QByteArray(text).replace("@MAC@", mac), QHostAddress(QHostAddress::LocalHost),
                                   UPnPServer::getInstance()->boundPort(0)) > 0);
    }
    // Read in the order sent: once this one is listed, every search before it was read.
    const QString fence = QStringLiteral("02:51:4e:00:04:01");
    searchAt(QStringLiteral("127.0.4.1"), fence);
    QTRY_VERIFY(listedRow(dialog, fence) >= 0);
    for (const QByteArray &sent : impossible) {
        const QString mac = QString::fromLatin1(sent); // up to the NUL, as the text was read before
        QCOMPARE(listedRow(dialog, mac), -1);
        QCOMPARE(heardAddress(mac), QString());
    }
    QList<VelkIFPDevice> byAddress;
    for (const VelkIFPDevice &device : dialog->listedDevices()) {
        if (device.macAddress.isEmpty())
            byAddress << device;
    }
    QCOMPARE(byAddress.size(), 1);
    QCOMPARE(byAddress.first().ipAddress, QStringLiteral("127.0.4.2"));
    dialog->close();
}

// A panel whose card reports all zeros searched unseen: Auto Detect left it out without a word, so it could not be
// found and added that way. It is listed by its address, added by it alone (no MAC), and then connects.
void TestDevicesManagement::autoDetectAddsAPanelWithoutAMacByItsAddress()
{
    SimulatedPanel *panel = m_fleet->panel(3);
    const PanelIdentity ordinary = panel->identity();
    const PanelSettings settings = panel->settings();
    const auto restore = qScopeGuard([&] {
        panel->shutDown();
        panel->setIdentity(ordinary);
        panel->setSettings(settings);
    });
    PanelIdentity zeros = ordinary;
    zeros.mac = QStringLiteral("00:00:00:00:00:00");
    panel->setIdentity(zeros);
    PanelSettings quick = settings;
    quick.rejectBackoffMs = 200;
    QVERIFY(panel->setSettings(quick));
    const QString address = settings.ownAddress.toString();
    panel->start();

    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    const auto rowOfAddress = [dialog, &address] {
        const QList<VelkIFPDevice> listed = dialog->listedDevices();
        for (int row = 0; row < listed.size(); ++row) {
            if (listed.at(row).ipAddress == address && listed.at(row).macAddress.isEmpty())
                return row;
        }
        return -1;
    };
    QTRY_VERIFY(rowOfAddress() >= 0);
    const int row = rowOfAddress();
    // The screen says why the MAC cell holds no MAC.
    QCOMPARE(dialog->tableDevices->item(row, 2)->text(), QStringLiteral("By IP address"));
    QVERIFY(dialog->tableDevices->item(row, 2)->toolTip().contains(QStringLiteral("IP address alone")));
    QCOMPARE(dialog->tableDevices->item(row, 0)->text(), QStringLiteral("Velk TM B-Series-") + address);

    dialog->chooseRow(row, QStringLiteral("Zero card"));
    dialog->addChosen();
    QCOMPARE(dialog->warningText(), QString());
    QVERIFY(!dialog->isVisible());
    const VelkIFPDevice added = storedDevice("Zero card");
    QVERIFY(added.did != 0);
    QCOMPARE(added.macAddress, QString());
    QCOMPARE(added.ipAddress, address);
    QCOMPARE(added.deviceType, QStringLiteral("Control Box"));

    // The command server matches it by its address, and the list no longer offers it.
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    QTRY_COMPARE(panel->state(), SimulatedPanel::Connected);
    QCOMPARE(CmdServer::getInstance()->connectionStateOfDevice(added.did), CmdServer::Connected);
    page.clickAutoDetect();
    QCOMPARE(rowOfAddress(), -1);
    dialog->close();
}

// A heard panel was offered the name of a managed one with the same MAC ending, and kept an old model in its name.
void TestDevicesManagement::autoDetectSuggestsAFreeNameThatFollowsTheModel()
{
    const QString mac = QStringLiteral("02:51:4e:00:05:01");
    seedDevice("Velk TM B-Series-0501", "00:11:22:33:05:01", "10.0.5.1");
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    const auto shownName = [&] {
        const int row = listedRow(dialog, mac);
        return row < 0 ? QString() : dialog->tableDevices->item(row, 0)->text();
    };
    searchAt(QStringLiteral("127.0.6.1"), mac);
    QTRY_COMPARE(shownName(), QStringLiteral("Velk TM B-Series-0501 (2)"));
    searchAt(QStringLiteral("127.0.6.1"), mac, QStringLiteral("Velk ZN-640"));
    QTRY_COMPARE(shownName(), QStringLiteral("Velk ZN-640-0501"));
    dialog->tableDevices->item(listedRow(dialog, mac), 0)->setCheckState(Qt::Checked);
    dialog->addChosen();
    QCOMPARE(dialog->warningText(), QString());
    QCOMPARE(storedDevice("Velk ZN-640-0501").macAddress, mac);
}

// The operator typed a row's suggestion into another row: both showed the same name, and nothing else being heard,
// they stayed so.
void TestDevicesManagement::autoDetectSuggestionGivesWayToATypedName()
{
    const QString first = QStringLiteral("02:51:4e:00:07:01");
    const QString second = QStringLiteral("02:51:4f:00:07:01");
    Management page;
    page.clickAutoDetect();
    ManagementAutoDetect *dialog = page.autoDetectDialog();
    QTableWidget *table = dialog->tableDevices;
    const auto shownName = [&](const QString &mac) {
        const int row = listedRow(dialog, mac);
        return row < 0 ? QString() : table->item(row, 0)->text();
    };
    searchAt(QStringLiteral("127.0.7.1"), first);
    searchAt(QStringLiteral("127.0.7.2"), second);
    QTRY_COMPARE(shownName(second), QStringLiteral("Velk TM B-Series-0701 (2)"));
    QCOMPARE(shownName(first), QStringLiteral("Velk TM B-Series-0701"));
    // The whole name is at hand under the pointer, however narrow the column.
    QCOMPARE(table->item(listedRow(dialog, second), 0)->toolTip(), QStringLiteral("Velk TM B-Series-0701 (2)"));

    table->setCurrentItem(table->item(listedRow(dialog, second), 0));
    table->editItem(table->item(listedRow(dialog, second), 0));
    QPointer<QLineEdit> editor = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("velk tm b-series-0701"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(shownName(second), QStringLiteral("velk tm b-series-0701"));
    QTRY_COMPARE(shownName(first), QStringLiteral("Velk TM B-Series-0701 (2)"));
    QCOMPARE(table->item(listedRow(dialog, second), 0)->toolTip(), QStringLiteral("velk tm b-series-0701"));
    dialog->close();
}

// While another program holds the database exclusively the managed devices cannot be read, and the command server
// does not know them either (a console started during the hold): every panel that searched, managed ones too, looked
// new and could be added twice. The dialog offers nothing new and says why, then fills the list by itself once the
// database can be read again.
void TestDevicesManagement::autoDetectOffersNothingNewWhileTheDeviceListIsHeld()
{
    const QString managedMac = m_fleet->panel(0)->mac();
    const QString newMac = m_fleet->panel(1)->mac();
    seedDevice("Known panel", managedMac, "127.0.0.20");
    for (int i = 0; i < 2; ++i)
        m_fleet->panel(i)->start();
    QTRY_COMPARE(heardOf({managedMac, newMac}), 2);
    Management page;
    ManagementAutoDetect *dialog = nullptr;
    const ShortDatabaseWaits waits(100);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        page.clickAutoDetect();
        dialog = page.autoDetectDialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->listedDevices().size(), 0);
        QCOMPARE(dialog->warningText(), ManagementAutoDetect::unreadableText());
        QVERIFY(!dialog->labelEmpty->isVisible());
        QVERIFY(!dialog->btnAdd->isEnabled());
        dialog->refreshList();
        QCOMPARE(dialog->listedDevices().size(), 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(listedRow(dialog, newMac) >= 0, 30000);
    QCOMPARE(listedRow(dialog, managedMac), -1);
    QVERIFY(dialog->warningText().isEmpty());
    QVERIFY(dialog->btnAdd->isEnabled());
    dialog->close();
    for (int i = 0; i < 2; ++i)
        m_fleet->panel(i)->shutDown();
}

// A page built while another program holds the database exclusively cannot read its devices: it said "No devices
// yet" and went on saying it after the hold, Edit and Delete Device out of reach, until the page was left. It says that
// the list can't be read right now, and reads it by itself once it can. A read refused later leaves the rows shown.
void TestDevicesManagement::pageBuiltDuringAnExclusiveHoldReadsItsDevicesOnceItEnds()
{
    seedDevice("Kept", "00:11:22:33:44:11", "10.0.0.11");
    std::unique_ptr<Management> page;
    const ShortDatabaseWaits waits(100);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        page = std::make_unique<Management>();
        page->show();
        QCOMPARE(shownNames(*page), QStringList());
        QVERIFY(page->labelEmpty->isVisible());
        QCOMPARE(page->labelEmpty->text(), QStringLiteral("The device list can't be read right now. It is shown here "
                                                          "once it can."));
    }
    QTRY_COMPARE_WITH_TIMEOUT(shownNames(*page), QStringList{"Kept"}, 30000);
    QVERIFY(!page->labelEmpty->isVisible());
    page->editDevice(0);
    QVERIFY(page->editDeviceDialog()->isVisible());
    QCOMPARE(page->editDeviceDialog()->editName->text(), QStringLiteral("Kept"));
    page->editDeviceDialog()->close();

    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        page->resetSearchBox();
        QCOMPARE(shownNames(*page), QStringList{"Kept"});
        QVERIFY(!page->labelEmpty->isVisible());
    }
}

void TestDevicesManagement::groupEditor()
{
    seedDevice("One", "00:11:22:33:44:01", "10.0.0.1");
    seedDevice("Two", "00:11:22:33:44:02", "10.0.0.2");
    seedDevice("Speaker", "00:11:22:33:44:03", "10.0.0.3", "Audio Box");
    Management page;
    page.clickGroups();
    ManagementGroupDialog *dialog = page.groupDialog();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->listGroups->count(), 0);
    QCOMPARE(dialog->listMembers->count(), 2); // the audio box belongs to the other page

    dialog->editGroupName->setText(QStringLiteral("Lab"));
    dialog->setCheckedMembers({"One", "Two"});
    dialog->saveGroup();
    QCOMPARE(dialog->warningText(), QString());
    QCOMPARE(groupsOf("One"), QStringList{"Lab"});
    QCOMPARE(dialog->currentGroup(), QStringLiteral("Lab"));
    // The page's filter offers it at once.
    page.showFilter();
    QCOMPARE(page.listFilter->count(), 2);
    page.hideFilter();

    // Rename (also in letter case only) and change members.
    dialog->editGroupName->setText(QStringLiteral("LAB 2"));
    dialog->setCheckedMembers({"Two"});
    dialog->saveGroup();
    QCOMPARE(groupsOf("One"), QStringList());
    QCOMPARE(groupsOf("Two"), QStringList{"LAB 2"});
    dialog->editGroupName->setText(QStringLiteral("Lab 2"));
    dialog->saveGroup();
    QCOMPARE(groupsOf("Two"), QStringList{"Lab 2"});

    // A second group with the same name in other letters is refused.
    dialog->selectGroup(QString());
    dialog->editGroupName->setText(QStringLiteral("lab 2"));
    dialog->saveGroup();
    QCOMPARE(dialog->warningText(), QStringLiteral("Group name is duplicated with other groups."));
    // The device file separates a device's groups with commas: an exported "Floor 1, East" would
    // come back from the import as the groups "Floor 1" and " East".
    dialog->editGroupName->setText(QStringLiteral("Floor 1, East"));
    dialog->saveGroup();
    QCOMPARE(dialog->warningText(), QStringLiteral("A group name cannot contain a comma."));

    dialog->selectGroup(QStringLiteral("lab 2"));
    QCOMPARE(dialog->currentGroup(), QStringLiteral("Lab 2"));
    dialog->deleteGroup();
    auto *confirm = dialog->findChild<DeleteManagementDialog *>();
    QVERIFY(confirm && confirm->isVisible());
    confirm->clickOK();
    QList<VelkGroups> groups;
    testDb()->queryAllGroup(groups);
    QVERIFY(groups.isEmpty());
    QCOMPARE(deviceCount(), 3);
    dialog->close();
}

// A Location of 20 MB (a backup restored, a device file imported) was laid out whole wherever it showed: a rest of the
// pointer on the device on Device Control held the window for a minute, the Settings table for half of one, and a
// panel's SOS was answered that late. Each view shows as much of it as BoundedText does, an edit that leaves the
// Location alone keeps it whole, and an everyday Location of a few thousand characters is shown whole. The editor took
// only the 64 characters a Location is typed with (32 of a name): End, BackSpace and Save stored 63, and the rest was
// lost without a word.
void TestDevicesManagement::longLocationIsShownBounded_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("name");
    QTest::newRow("everyday Location, 5,000 characters") << 5000 << "Long Room";
    QTest::newRow("Location of 20 MB") << 20 * 1000 * 1000 << "Long Room";
    QTest::newRow("Location of 4,998 characters, name of 100") << 4998 << QString(100, QLatin1Char('n'));
}

void TestDevicesManagement::longLocationIsShownBounded()
{
    QFETCH(int, length);
    QFETCH(QString, name);
    QString location;
    location.reserve(length + 32);
    while (location.size() < length)
        location += QStringLiteral("Block A, floor 3, room 12; ");
    location.truncate(length);
    const QString shown =
        length <= BoundedText::kShownChars ? location : location.left(BoundedText::kShownChars) + QChar(0x2026);
    constexpr int serial = 9;
    const QString address = QStringLiteral("127.0.0.%1").arg(2 + serial);
    seedDevice(name, SimulatedPanel::defaultIdentity(serial).mac, address, QStringLiteral("Control Box"), {}, location);
    FakeSoundPlayer player;
    Management page;
    page.alertRoad()->setPlayer(&player);
    page.resize(940, 641);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    // Device Control: the tip keeps the lines after the Location.
    ConnectedList control;
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    QTRY_VERIFY(control.itemByName(name));
    const QString details = control.itemByName(name)->data(Qt::ToolTipRole).toString();
    QVERIFY2(details.contains(QStringLiteral("Location: ") + shown + QStringLiteral("\nIP address: ") + address),
             qPrintable(shownLengths(details, shown)));
    const QModelIndex item = control.listDevices->model()->index(control.listDevices->row(control.itemByName(name)), 0);
    QCOMPARE(hoverTip(control.listDevices, item), details);

    // The Settings table: the cell, its tip and a hover over it.
    const QModelIndex cell =
        page.deviceModel()->index(page.deviceModel()->rowOfName(name), DeviceTableModel::LocationColumn);
    for (const QString &text :
         {cell.data().toString(), cell.data(Qt::ToolTipRole).toString(), hoverTip(page.tableDevices, cell)})
        QVERIFY2(text == shown, qPrintable(shownLengths(text, shown)));

    // The panel's SOS is answered, and its warning shows the Location as the views do.
    PanelSettings settings;
    settings.ownAddress = QHostAddress(address);
    settings.consoleAddress = QHostAddress(QHostAddress::LocalHost);
    settings.consolePort = CmdServer::getInstance()->serverPort();
    SimulatedPanel panel(SimulatedPanel::defaultIdentity(serial), settings);
    panel.start();
    QTRY_VERIFY(panel.isConnected());
    panel.raiseSos();
    QTRY_COMPARE(panel.receivedCount(VELK_REMOTE_RSP_SAFE_ALERT), 1);
    QTRY_VERIFY(shownWarning());
    EmergencyWarningDialog *warning = shownWarning();
    QVERIFY2(warning->lbLocation->toolTip() == shown, qPrintable(shownLengths(warning->lbLocation->toolTip(), shown)));
    warning->btnClear->click();
    QTRY_COMPARE(panel.receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);

    // An edit that leaves the Location alone keeps it whole; one that changes it edits what the field shows.
    ManagementEditDevice *dialog = page.editDeviceDialog();
    const auto endBackSpaceSave = [dialog](QLineEdit *field) {
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Backspace);
        dialog->submit();
        return dialog->warningText();
    };
    page.editDevice(page.deviceModel()->rowOfName(name));
    QCOMPARE(endBackSpaceSave(dialog->editName), QString());
    QCOMPARE(storedDevice(name.chopped(1)).deviceName, name.chopped(1));
    page.editDevice(page.deviceModel()->rowOfName(name.chopped(1)));
    dialog->editName->setText(QStringLiteral("Long Room 2"));
    dialog->submit();
    QVERIFY2(dialog->warningText().isEmpty(), qPrintable(dialog->warningText()));
    const QString kept = storedDevice(QStringLiteral("Long Room 2")).position;
    QVERIFY2(kept == location, qPrintable(shownLengths(kept, location)));
    page.editDevice(page.deviceModel()->rowOfName("Long Room 2"));
    QCOMPARE(endBackSpaceSave(dialog->editLocation), QString());
    const QString edited = storedDevice(QStringLiteral("Long Room 2")).position;
    QVERIFY2(edited == shown.chopped(1), qPrintable(shownLengths(edited, shown.chopped(1))));
    // A new value typed over it keeps the limits of a typed one.
    page.editDevice(page.deviceModel()->rowOfName("Long Room 2"));
    QTest::keyClick(dialog->editLocation, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog->editLocation, QString(70, QLatin1Char('x')));
    QCOMPARE(dialog->editLocation->text(), QString(64, QLatin1Char('x')));
    QTest::keyClicks(dialog->editName, QString(40, QLatin1Char('y')));
    QCOMPARE(dialog->editName->text().size(), DeviceRules::MaxNameLength);
    dialog->editLocation->setText(QStringLiteral("East wing"));
    dialog->editName->setText(QStringLiteral("Long Room 2"));
    dialog->submit();
    QCOMPARE(storedDevice(QStringLiteral("Long Room 2")).position, QStringLiteral("East wing"));
}

// Ctrl+Z took a long stored value back only while the text stayed above the field's own limit: the room given back
// there emptied the line edit's history, and Save stored the 27 characters left of a 4,998-character Location. A value
// pasted over a long one kept the lifted room and was stored at any length.
void TestDevicesManagement::editorHistoryAndPaste_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("kept"); // what the field shows and Save stores

    const auto location = [](int length) {
        QString text;
        while (text.size() < length)
            text += QStringLiteral("Building Block 1 east wing ");
        return text.left(length);
    };
    const QString long4998 = location(4998);
    const QString name = QString(100, QLatin1Char('n'));
    const QString pasted = QString(224, QLatin1Char('p'));
    const QString fiveWords = QStringLiteral("Home, Ctrl+Right, Ctrl+Right, Ctrl+Right, Ctrl+Right, Ctrl+Right");
    QTest::newRow("4,998: Home, 5 words, Shift+End, Delete, Ctrl+Z")
        << "Location" << long4998 << fiveWords + QStringLiteral(", Shift+End, Del, Ctrl+Z") << "" << long4998;
    QTest::newRow("4,998: the same, Ctrl+Shift+Z")
        << "Location" << long4998 << fiveWords + QStringLiteral(", Shift+End, Del, Ctrl+Z, Ctrl+Shift+Z") << ""
        << location(27);
    QTest::newRow("65: End, BackSpace, Ctrl+Z") << "Location" << location(65) << "End, Backspace, Ctrl+Z"
                                                << "" << location(65);
    QTest::newRow("4,998: Ctrl+A, x, Ctrl+Z") << "Location" << long4998 << "Ctrl+A, X, Ctrl+Z"
                                              << "" << long4998;
    QTest::newRow("4,998: a word deleted and typed again")
        << "Location" << long4998 << "Home, Ctrl+Right, Ctrl+Right, Ctrl+Right, Ctrl+Del, E, A, S, T, Space"
        << "" << long4998;
    QTest::newRow("100-character name: Ctrl+A, h, Ctrl+Z") << "name" << name << "Ctrl+A, H, Ctrl+Z"
                                                           << "" << name;
    QTest::newRow("4,998: Ctrl+A, paste 224")
        << "Location" << long4998 << "Ctrl+A, Ctrl+V" << pasted << pasted.left(64);
    QTest::newRow("4,998: Ctrl+A, paste 224, Ctrl+Z")
        << "Location" << long4998 << "Ctrl+A, Ctrl+V, Ctrl+Z" << pasted << long4998;
    QTest::newRow("4,998: Ctrl+A, x, paste 224")
        << "Location" << long4998 << "Ctrl+A, X, Ctrl+V" << pasted << QStringLiteral("x") + pasted.left(63);
    QTest::newRow("65: Ctrl+A, paste 65")
        << "Location" << location(65) << "Ctrl+A, Ctrl+V" << pasted.left(65) << pasted.left(64);
    QTest::newRow("everyday Location: Ctrl+A, paste 224")
        << "Location" << location(30) << "Ctrl+A, Ctrl+V" << pasted << pasted.left(64);
    QTest::newRow("64, at the limit: End, BackSpace, Ctrl+Z") << "Location" << location(64) << "End, Backspace, Ctrl+Z"
                                                              << "" << location(64);
    QTest::newRow("100-character name: Ctrl+A, paste 57")
        << "name" << name << "Ctrl+A, Ctrl+V" << pasted.left(57) << pasted.left(DeviceRules::MaxNameLength);
    // Keys and clicks that come with a paste cut to the limit, before the event loop turns again: they act on the cut
    // paste. "Return" saves through the field, "click" clicks Save.
    QTest::newRow("4,998: Ctrl+A, paste 224, Return")
        << "Location" << long4998 << "Ctrl+A, Ctrl+V, Return" << pasted << pasted.left(64);
    QTest::newRow("4,998: Ctrl+A, paste 224, click")
        << "Location" << long4998 << "Ctrl+A, Ctrl+V, click" << pasted << pasted.left(64);
    QTest::newRow("4,998: Ctrl+A, paste 224, Backspace, Return")
        << "Location" << long4998 << "Ctrl+A, Ctrl+V, Backspace, Return" << pasted << pasted.left(63);
    QTest::newRow("52-character group name: Ctrl+A, paste 44, Return")
        << "group" << QString(52, QLatin1Char('g')) << "Ctrl+A, Ctrl+V, Return" << pasted.left(44) << pasted.left(32);
    QTest::newRow("52-character group name: Ctrl+A, paste 44")
        << "group" << QString(52, QLatin1Char('g')) << "Ctrl+A, Ctrl+V" << pasted.left(44) << pasted.left(32);
}

void TestDevicesManagement::editorHistoryAndPaste()
{
    QFETCH(QString, field);
    QFETCH(QString, stored);
    QFETCH(QString, keys);
    QFETCH(QString, clipboard);
    QFETCH(QString, kept);
    const QString device = field == QLatin1String("name") ? stored : QStringLiteral("Room");
    seedDevice(device, QStringLiteral("00:11:22:33:44:07"), QStringLiteral("10.0.0.7"), QStringLiteral("Control Box"),
               field == QLatin1String("group") ? QStringList{stored} : QStringList(),
               field == QLatin1String("Location") ? stored : QString());
    QGuiApplication::clipboard()->setText(clipboard);
    Management page;
    QLineEdit *edit = nullptr;
    QPushButton *save = nullptr;
    if (field == QLatin1String("group")) {
        page.clickGroups();
        ManagementGroupDialog *dialog = page.groupDialog();
        dialog->selectGroup(stored);
        edit = dialog->editGroupName;
        save = dialog->btnSave;
    } else {
        page.editDevice(page.deviceModel()->rowOfName(device));
        ManagementEditDevice *dialog = page.editDeviceDialog();
        edit = field == QLatin1String("name") ? dialog->editName : dialog->editLocation;
        save = dialog->btnSave;
    }
    const bool click = keys.endsWith(QLatin1String(", click"));
    if (click)
        keys.chop(7);
    // Neither sends the events between them, so the click comes before the event loop turns again.
    keyList(keys).simulate(edit);
    if (click)
        QTest::mouseClick(save, Qt::LeftButton);
    QTRY_VERIFY2(edit->text() == kept, qPrintable(shownLengths(edit->text(), kept)));
    if (!click && !keys.endsWith(QLatin1String("Return")))
        save->click();
    const QString result = field == QLatin1String("group")  ? groupsOf(device).value(0)
                           : field == QLatin1String("name") ? storedDevice(kept).deviceName
                                                            : storedDevice(device).position;
    QVERIFY2(result == kept, qPrintable(shownLengths(result, kept)));
}

QTEST_MAIN(TestDevicesManagement)
#include "tst_devices_management.moc"
