#include "tools/otafixture/OtaDemo.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "firmware/IFPUpgradeManager.h"
#include "firmware/OtaServerConfig.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "platform/LogSystem.h"
#include "platform/SysLogger.h"
#include "tools/otafixture/OtaFixture.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

namespace {

void printLine(const QString &text)
{
    std::printf("%s %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"))), qPrintable(text));
    std::fflush(stdout);
}

// The console's log, on the terminal.
class PrintingLogger : public SysLogger
{
public:
    void log(int, LogLevel, const QString &text) override { printLine(QStringLiteral("log   ") + text); }
};

const char *statusText(int status)
{
    switch (status) {
    case 1:
        return "Not Started";
    case 2:
        return "Updating";
    case 3:
        return "Failed";
    case 4:
        return "Successfully";
    default:
        return "?";
    }
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    return probe.localPort();
}

} // namespace

OtaDemo::OtaDemo(const QString &serverUrl, const QString &panelsimPath, bool verbose, QObject *parent)
    : QObject(parent), m_serverUrl(serverUrl), m_panelsim(panelsimPath), m_verbose(verbose)
{
    m_poll = new QTimer(this);
    m_poll->setInterval(250);
}

OtaDemo::~OtaDemo()
{
    for (QProcess *process : qAsConst(m_processes)) {
        process->terminate();
        if (!process->waitForFinished(2000))
            process->kill();
    }
}

void OtaDemo::start()
{
    if (m_verbose) {
        static PrintingLogger logger;
        LogSystem::getSysLogSystem()->setLogger(&logger);
        LogSystem::getSysLogSystem()->startLog();
    }
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    OrvantaDBManager::setDataFolder(data);
    QSettings ini(OtaServerConfig::defaultSettingsFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Ota/UpdateServer"), m_serverUrl);
    ini.setValue(QStringLiteral("Ota/DownloadServer"), m_serverUrl);
    ini.sync();

    NetworkConfig config;
    config.tcpPort = 0;
    config.tcpListenAddress = QHostAddress(QHostAddress::LocalHost);
    config.joinMulticast = false;
    config.loopbackOnly = true;
    config.wolTargets = {QHostAddress(QStringLiteral("127.255.255.255"))};
    config.wolPort = freeUdpPort();
    NetworkConfig::setCurrent(config);
    CmdServer *server = CmdServer::getInstance();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (const FixtureFleet &fleet : OtaFixture::fleets()) {
        for (VelkIFPDevice device : OtaFixture::devices(fleet)) {
            if (db->createIFPDevice(device) != DB_OK)
                printLine(QStringLiteral("cannot store %1").arg(device.deviceName));
        }
    }
    QList<VelkIFPDevice> all;
    db->queryAllAvailableIFP(all);
    server->setManagedDevices(all);
    printLine(QStringLiteral("console: command server on 127.0.0.1:%1, %2 devices, data folder %3")
                  .arg(server->serverPort())
                  .arg(all.size())
                  .arg(data));

    for (const FixtureFleet &fleet : OtaFixture::fleets()) {
        const QStringList args =
            OtaFixture::panelsimArguments(fleet, server->serverPort(), config.wolPort, server->controlPassword());
        auto *process = new QProcess(this);
        process->setProcessChannelMode(QProcess::MergedChannels);
        connect(process, &QProcess::readyRead, this, [process] {
            while (process->canReadLine())
                std::printf("sim   %s", process->readLine().constData());
            std::fflush(stdout);
        });
        process->start(m_panelsim, args);
        if (!process->waitForStarted(5000)) {
            printLine(QStringLiteral("cannot start %1: %2").arg(m_panelsim, process->errorString()));
            finish(2);
            return;
        }
        m_processes.append(process);
    }
    waitForFleet();
}

void OtaDemo::waitForFleet()
{
    connect(m_poll, &QTimer::timeout, this, [this] {
        int expected = 0;
        int online = 0;
        for (const FixtureFleet &fleet : OtaFixture::fleets()) {
            if (fleet.off)
                continue;
            for (const VelkIFPDevice &device : OtaFixture::devices(fleet)) {
                ++expected;
                online += CmdServer::getInstance()->isDeviceOnline(device) ? 1 : 0;
            }
        }
        if (online == expected) {
            m_poll->stop();
            m_poll->disconnect(this);
            printLine(QStringLiteral("console: %1 devices connected, the others are off").arg(online));
            check();
        } else if (++m_polls > 120) {
            printLine(QStringLiteral("console: only %1 of %2 devices connected").arg(online).arg(expected));
            finish(2);
        }
    });
    m_poll->start();
}

void OtaDemo::check()
{
    IFPUpgradeManager *manager = IFPUpgradeManager::getInstance();
    connect(manager, &IFPUpgradeManager::showUpgradeNotification, this, [](bool show, const QString &title) {
        printLine(QStringLiteral("console: reminder %1").arg(show ? title : QStringLiteral("hidden")));
    });
    printLine(QStringLiteral("console: checking the versions against %1").arg(m_serverUrl));
    manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_SERVER);
    // The run's own check (the due schedule's) is taken once the server check has ended.
    connect(manager, &IFPUpgradeManager::otaVersionChecked, this, [this](int checkCase) {
        if (checkCase == IFPUpgradeManager::CASE_RUN_DUE)
            run();
    });
    connect(m_poll, &QTimer::timeout, this, [this, manager] {
        if (manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_DUE)) {
            m_poll->stop();
            m_poll->disconnect(this);
        }
    });
    m_poll->start();
}

void OtaDemo::run()
{
    IFPUpgradeManager *manager = IFPUpgradeManager::getInstance();
    const QList<VelkIFPDevice> old = manager->getOldDeviceList();
    printLine(QStringLiteral("console: %1 devices out of date").arg(manager->getOldDevicesCount()));
    if (old.isEmpty()) {
        finish(manager->getOldDevicesCount() == 0 ? 0 : 1);
        return;
    }
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    m_schedule.scheduleTarget = 2;
    m_schedule.date = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    m_schedule.time = QTime::currentTime().toString(QStringLiteral("hh:mm"));
    m_schedule.status = 2;
    m_schedule.isEnable = true;
    m_schedule.devices = old;
    QList<VelkIFPDevice> rows = old;
    if (db->insertOtaSchedule(m_schedule) != DB_OK || db->insertOtaScheduleReport(m_schedule, rows) != DB_OK) {
        printLine(QStringLiteral("console: cannot store the schedule"));
        finish(2);
        return;
    }
    for (const VelkIFPDevice &device : old)
        m_records.emplace_back(new VelkIFPDevice(device));
    for (auto &record : m_records)
        m_runDevices.append(record.get());
    connect(manager, &IFPUpgradeManager::otaScheduleReportUpdated, this, [this] { printReport(false); });
    connect(manager, &IFPUpgradeManager::otaScheduleFinished, this, [this] { printReport(true); });
    printLine(QStringLiteral("console: update run of schedule %1 starts").arg(m_schedule.osid));
    manager->startOta(&m_schedule, m_runDevices);
}

void OtaDemo::printReport(bool final)
{
    QList<VelkOtaScheduleReport> rows;
    OrvantaDBManager::getInstance()->queryOtaScheduleReportByOtaSchedule(m_schedule, rows);
    int good = 0;
    for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
        good += row.status == 4 ? 1 : 0;
        const QString text = QStringLiteral("%1 %2").arg(QLatin1String(statusText(row.status)), row.fwVersion);
        // Only the rows that changed, so the run reads as it happens.
        if (final || m_shown.value(row.device.deviceName) != text)
            printLine(QStringLiteral("report %1 %2").arg(row.device.deviceName, -14).arg(text));
        m_shown.insert(row.device.deviceName, text);
    }
    if (!final)
        return;
    printLine(QStringLiteral("console: run ended, %1 of %2 Successfully").arg(good).arg(rows.size()));
    m_allSuccessful = good == rows.size();
    waitForRestarts();
}

void OtaDemo::waitForRestarts()
{
    // The devices restart after installing and report their new versions when they are back; the console keeps
    // what they report. Waited for until every device of the run is stored at the version of its report row, and
    // every device the run woke is off again (the run's end waited for those restarting and powered them off).
    m_polls = 0;
    connect(m_poll, &QTimer::timeout, this, [this] {
        int woken = 0;
        int wokenOn = 0;
        for (const FixtureFleet &fleet : OtaFixture::fleets()) {
            if (!fleet.off)
                continue;
            for (const VelkIFPDevice &device : OtaFixture::devices(fleet)) {
                ++woken;
                wokenOn += CmdServer::getInstance()->isDeviceOnline(device) ? 1 : 0;
            }
        }
        QList<VelkOtaScheduleReport> rows;
        OrvantaDBManager::getInstance()->queryOtaScheduleReportByOtaSchedule(m_schedule, rows);
        QList<VelkIFPDevice> stored;
        OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
        int back = 0;
        for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
            for (const VelkIFPDevice &device : qAsConst(stored)) {
                if (device.did == row.device.did && device.fwVersion == row.fwVersion)
                    ++back;
            }
        }
        if ((back == rows.size() && wokenOn == 0) || ++m_polls > 120) {
            m_poll->stop();
            m_poll->disconnect(this);
            printLine(QStringLiteral("console: %1 of %2 devices back at their new version").arg(back).arg(rows.size()));
            printLine(QStringLiteral("console: %1 of %2 woken devices off again").arg(woken - wokenOn).arg(woken));
            m_wokenOff = wokenOn == 0;
            checkAfterRun();
        }
    });
    m_poll->start();
}

void OtaDemo::checkAfterRun()
{
    IFPUpgradeManager *manager = IFPUpgradeManager::getInstance();
    connect(manager, &IFPUpgradeManager::otaVersionChecked, this, [this, manager](int checkCase) {
        if (checkCase != IFPUpgradeManager::CASE_RUN_ENDED)
            return;
        const int left = manager->getOldDevicesCount();
        printLine(QStringLiteral("console: %1 devices out of date after the run").arg(left));
        finish(m_allSuccessful && m_wokenOff && left == 0 ? 0 : 1);
    });
    // As the scheduling page does when a run has ended.
    connect(m_poll, &QTimer::timeout, this, [this, manager] {
        if (manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_ENDED)) {
            m_poll->stop();
            m_poll->disconnect(this);
        }
    });
    m_poll->start();
}

void OtaDemo::finish(int code)
{
    QTimer::singleShot(500, this, [this, code] { emit done(code); });
}
