#pragma once

// The parts a firmware-update test runs against: a temporary data folder and database, the command server on
// loopback, a fleet of simulated devices listening for Wake-on-LAN, a local HTTP server as update and download
// server (named in settings.ini as an operator would), and the update manager with short time-outs and a manual
// clock.

#include "firmware/IFPUpgradeManager.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/PanelVersion.h"
#include "network/NetTestSupport.h"
#include "shell/base/Clock.h"
#include "support/StoredDevice.h"
#include "support/TryCeiling.h"
#include "tools/localhttp/LocalHttpServer.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/SimulatedFirmware.h"

#include <QCryptographicHash>
#include <QSettings>
#include <QSignalSpy>

#include <functional>
#include <memory>
#include <vector>

// Puts a simulated panel's settings back when a case that changed them ends, however it ends: the fleet serves the
// next case too.
struct PanelSettingsRestore
{
    SimulatedPanel *panel;
    PanelSettings settings;
    ~PanelSettingsRestore() { panel->setSettings(settings); }
};

// The same for a panel's identity.
struct PanelIdentityRestore
{
    SimulatedPanel *panel;
    PanelIdentity identity;
    ~PanelIdentityRestore() { panel->setIdentity(identity); }
};

class FirmwareTestBench
{
public:
    /// The longest wait for a transfer's next chunk, as in production: a panel behind a slow link must outlast the
    /// wait a run arms, not a test's own.
    static constexpr int TransferChunkTimeoutMs = 8000;

    /// Call once, from initTestCase.
    bool setUp(int panelCount)
    {
        m_env.reset(new TestEnv);
        m_log.reset(new LogCapture);
        OrvantaDBManager::setDataFolder(m_dir.path());
        FleetOptions options;
        options.count = panelCount;
        options.identity.password = QStringLiteral("kelvo");
        options.settings.consoleAddress = QHostAddress(QHostAddress::LocalHost);
        options.settings.reconnectDelayMs = 200;
        options.settings.bootDelayMs = 50;
        options.settings.answerPort = 0;
        options.bindAnswerSockets = false;
        m_fleet.reset(new PanelFleet(options));
        if (!m_fleet->listenForWake(QHostAddress(QHostAddress::AnyIPv4), 0))
            return false;
        NetworkConfig config = loopbackNetworkConfig(m_dir.path());
        config.wolPort = m_fleet->wakePort();
        config.wolRoundGapMs = 20;
        if (config.transferChunkTimeoutMs != TransferChunkTimeoutMs)
            return false;
        NetworkConfig::setCurrent(config);
        CmdServer *server = CmdServer::getInstance();
        for (SimulatedPanel *panel : m_fleet->panels()) {
            PanelSettings settings = panel->settings();
            settings.consolePort = server->serverPort();
            panel->setSettings(settings);
        }
        m_http.reset(new LocalHttpServer);
        m_http->serveFolder(servedFolder());
        m_http->setStatus(404);
        QDir().mkpath(servedFolder());
        m_clock.reset(new ManualClock(QDateTime(QDate(2031, 3, 3), QTime(9, 0))));
        manager()->setClock(m_clock.get());
        manager()->setTimeouts(shortTimeouts());
        writeServers(m_http->url(), m_http->url());
        return server->serverPort() != 0 && m_http->isListening();
    }

    // Short beside the console's own (minutes), yet long enough that a simulated device that does answer is never
    // timed out on a loaded machine, where it and the console share one busy event loop; the cases about silent
    // devices wait these out.
    static OtaTimeouts shortTimeouts()
    {
        OtaTimeouts t;
        t.otaStateAnswerMs = 5000;
        t.wakeMs = 30000;
        t.installResultMs = 8000;
        t.installResultWithImageMs = 10000;
        t.lateResultMs = 4000;
        t.downloadStallMs = 10000;
        t.serverCheckMs = 20000;
        return t;
    }

    /// Call from cleanup: no run, no panel on, no device, no reminder, no fault, the default time-outs.
    void reset()
    {
        manager()->cancelOta();
        QTRY_VERIFY(!manager()->isOtaRunning());
        m_fleet->shutDownAll();
        for (SimulatedPanel *panel : m_fleet->panels()) {
            panel->behaviour() = PanelBehaviour();
            panel->resetCounters();
            if (m_ownMacs.contains(panel)) {
                PanelIdentity identity = panel->identity();
                identity.mac = m_ownMacs.take(panel);
                panel->setIdentity(identity);
            }
        }
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        QList<VelkIFPDevice> devices;
        db->queryAllAvailableIFP(devices);
        for (VelkIFPDevice &device : devices) {
            // As the device page does: a device still watched after its run is no longer.
            manager()->deviceRemoved(device);
            db->deleteIFPDevice(device);
        }
        db->deleteAllOtaReminder();
        CmdServer::getInstance()->setManagedDevices({});
        m_http->clearBehaviours();
        m_http->clearRequests();
        manager()->setTimeouts(shortTimeouts());
        writeServers(m_http->url(), m_http->url());
        m_records.clear();
        m_log->clear();
    }

    IFPUpgradeManager *manager() const { return IFPUpgradeManager::getInstance(); }
    SimulatedPanel *panel(int index) const { return m_fleet->panel(index); }
    PanelFleet *fleet() const { return m_fleet.get(); }
    LocalHttpServer *http() const { return m_http.get(); }
    LogCapture *log() const { return m_log.get(); }
    ManualClock *clock() const { return m_clock.get(); }
    QString dataFolder() const { return QStandardPaths::writableLocation(QStandardPaths::DataLocation); }
    QString servedFolder() const { return m_dir.filePath(QStringLiteral("served/")); }

    void writeServers(const QString &updateServer, const QString &downloadServer)
    {
        QSettings settings(OtaServerConfig::defaultSettingsFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Ota/UpdateServer"), updateServer);
        settings.setValue(QStringLiteral("Ota/DownloadServer"), downloadServer);
    }

    /// Writes a served file (path below the served folder, e.g. "AudioBox/check4Update/update.cfg").
    void serve(const QString &path, const QByteArray &bytes)
    {
        const QString file = servedFolder() + path;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qWarning("cannot write %s", qPrintable(file));
    }

    /// Panel `index` becomes a device of this model and version known by its address alone: its card reports zeros,
    /// and its row holds no MAC.
    VelkIFPDevice addDeviceByAddress(int index, const QString &model, const QString &fwVersion)
    {
        SimulatedPanel *p = panel(index);
        const VelkIFPDevice added = addDevice(index, model, fwVersion);
        PanelIdentity identity = p->identity();
        m_ownMacs.insert(p, identity.mac);
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        p->setIdentity(identity);
        VelkIFPDevice device = added;
        device.macAddress.clear();
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        if (db->updateIFPDeviceById(device) != DB_OK)
            qWarning("updateIFPDeviceById failed for %s", qPrintable(device.deviceName));
        QList<VelkIFPDevice> all;
        db->queryAllAvailableIFP(all);
        CmdServer::getInstance()->setManagedDevices(all);
        return storedDevice(device.deviceName);
    }

    /// Panel `index` becomes a device of this model and version: its identity and a row of the database.
    VelkIFPDevice addDevice(int index, const QString &model, const QString &fwVersion,
                            const QString &panelFwVersion = QString(), const QString &sku = QString())
    {
        SimulatedPanel *p = panel(index);
        PanelIdentity identity = p->identity();
        identity.model = model;
        identity.fwVersion = fwVersion;
        identity.panelFwVersion = panelFwVersion;
        identity.sku = sku;
        identity.deviceType =
            model.startsWith(QLatin1Char('Q')) ? QStringLiteral("Audio Box") : QStringLiteral("Control Box");
        p->setIdentity(identity);
        VelkIFPDevice device;
        device.deviceName = p->name();
        device.macAddress = p->mac();
        device.ipAddress = p->settings().ownAddress.toString();
        device.modelName = model;
        device.fwVersion = fwVersion;
        device.panelFwVersion = panelFwVersion;
        device.sku = sku;
        device.deviceType = identity.deviceType;
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        if (db->createIFPDevice(device) != DB_OK)
            qWarning("createIFPDevice failed for %s", qPrintable(device.deviceName));
        QList<VelkIFPDevice> all;
        db->queryAllAvailableIFP(all);
        CmdServer::getInstance()->setManagedDevices(all);
        for (const VelkIFPDevice &stored : qAsConst(all)) {
            if (stored.macAddress == device.macAddress)
                return stored;
        }
        return device;
    }

    bool connect(const QList<int> &indexes)
    {
        for (int i : indexes)
            panel(i)->start();
        return QTest::qWaitFor(
            [&] {
                for (int i : indexes) {
                    if (!channelOf(i))
                        return false;
                }
                return true;
            },
            QuorvinTryCeilingMs);
    }

    /// The console's connection of panel `index`: by its MAC, or by the link key of its device.
    DeviceChannel *channelOf(int index) const
    {
        CmdServer *server = CmdServer::getInstance();
        if (DeviceChannel *channel = server->getChannel(panel(index)->mac()))
            return channel;
        const VelkIFPDevice device = storedDevice(panel(index)->name());
        return device.did == 0 ? nullptr : server->getChannel(server->linkKey(device));
    }

    /// A check that asks the servers, waited for to its end (also when every family failed).
    bool serverCheck()
    {
        m_log->clear();
        if (!manager()->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_SERVER))
            return false;
        return QTest::qWaitFor([&] { return m_log->contains(QStringLiteral("check of case 1 ended")); },
                               checkCeilingMs());
    }

    /// How long a test waits for a server check to end: the manager ends one that is not done within its own
    /// time-out, and a loaded machine may need a ceiling more to get there.
    int checkCeilingMs() const { return manager()->timeouts().serverCheckMs + QuorvinTryCeilingMs; }

    /// How long a test waits for a run to end: a device that is off may take the whole wake window to come, its
    /// installation the whole result window, and a loaded machine a ceiling more.
    static int runCeilingMs()
    {
        const OtaTimeouts t = shortTimeouts();
        return t.wakeMs + t.installResultWithImageMs + QuorvinTryCeilingMs;
    }

    /// What the scheduling page does before a run: a schedule, one report row per device, records it keeps.
    VelkOtaSchedule *prepareRun(const QList<VelkIFPDevice> &devices)
    {
        m_schedule = VelkOtaSchedule();
        m_schedule.scheduleTarget = 2;
        m_schedule.date = QStringLiteral("2031-03-03");
        m_schedule.time = QStringLiteral("09:00");
        m_schedule.status = UPDATE_UPDATING;
        m_schedule.isEnable = true;
        m_schedule.devices = devices;
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        if (db->insertOtaSchedule(m_schedule) != DB_OK)
            qWarning("insertOtaSchedule failed");
        QList<VelkIFPDevice> rows = devices;
        if (db->insertOtaScheduleReport(m_schedule, rows) != DB_OK)
            qWarning("insertOtaScheduleReport failed");
        m_records.clear();
        m_pointers.clear();
        for (const VelkIFPDevice &device : devices)
            m_records.emplace_back(new VelkIFPDevice(device));
        for (auto &record : m_records)
            m_pointers.append(record.get());
        return &m_schedule;
    }
    QList<VelkIFPDevice *> &runDevices() { return m_pointers; }
    VelkOtaSchedule *schedule() { return &m_schedule; }

    /// The report rows of the prepared schedule, by device name.
    QHash<QString, VelkOtaScheduleReport> reportByName()
    {
        return reportBy([](const VelkIFPDevice &d) { return d.deviceName; });
    }

    /// The report rows of the prepared schedule, by MAC address.
    QHash<QString, VelkOtaScheduleReport> report()
    {
        return reportBy([](const VelkIFPDevice &d) { return d.macAddress; });
    }

    static QByteArray sha256(const QByteArray &bytes)
    {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
    }

private:
    QHash<QString, VelkOtaScheduleReport> reportBy(const std::function<QString(const VelkIFPDevice &)> &key)
    {
        QList<VelkOtaScheduleReport> rows;
        OrvantaDBManager::getInstance()->queryOtaScheduleReportByOtaSchedule(m_schedule, rows);
        QHash<QString, VelkOtaScheduleReport> byKey;
        for (const VelkOtaScheduleReport &row : qAsConst(rows))
            byKey.insert(key(row.device), row);
        return byKey;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<PanelFleet> m_fleet;
    std::unique_ptr<LocalHttpServer> m_http;
    std::unique_ptr<ManualClock> m_clock;
    VelkOtaSchedule m_schedule;
    QHash<SimulatedPanel *, QString> m_ownMacs; ///< of the panels made to report zeros
    std::vector<std::unique_ptr<VelkIFPDevice>> m_records;
    QList<VelkIFPDevice *> m_pointers;
};
