#pragma once

// What every network benchmark needs around the console: a throw-away data folder (HOME, XDG folders, database, log
// file) on tmpfs, a command server on an ephemeral loopback port, process figures from /proc and small statistics.

#include "datastore/VelkIFPDevice.h"
#include "network/NetworkConfig.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class AutoSerialFileLogger;
class CmdServer;
class QEventLoop;
class QProcess;

namespace bench {

// Raises the soft descriptor limit to the hard one; returns the limit in force.
long raiseFdLimit();

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when absent.
long procStatusKb(const char *field);
// Resets VmHWM to the current VmRSS (writes "5" to /proc/self/clear_refs); false when the kernel refuses.
bool resetPeakRss();

// TcpExt counters of /proc/net/netstat (ListenOverflows, ListenDrops, TCPSynRetrans ...). They count for the whole
// network namespace, so other programs on this host may add to them.
long long netstatCounter(const char *name);

// Panel i: MAC 02:51:4d + (1 + i), address 127.0.(1 + i/250).(2 + i%250).
QString panelMac(int index);
QString panelAddress(int index);
// The identity JSON a healthy panel sends (what the simulated panel's default identity carries).
QByteArray panelIdentityJson(int index, const QString &password);
// The device record a console holds for panel i after an earlier session: everything the handshake reports is
// already stored, so a handshake writes nothing back.
VelkIFPDevice panelDevice(int index, const QString &password);

// The middle value (the upper one of an even count); 0 for none.
double median(std::vector<double> values);

// Percentile (0..100) of unsorted samples; sorts them.
double percentile(std::vector<uint32_t> &samples, double pct);

// The machine's load average over the last minute, as /proc/loadavg gives it; empty where it cannot be read. Benchmarks
// print it at their start and end: their verdicts are meant for a machine loaded below its CPU count.
QString loadAverage();

// Nanoseconds on the monotonic clock.
int64_t nowNs();

// CPU time of a process (0 = this one), all its threads, in seconds, exact to the moment it is read.
double cpuSeconds(qint64 pid);

// The kind of file system that holds a folder, as `stat -f` names the usual ones; memory-backed ones are marked, so
// that a benchmark that must measure commits on a disk can refuse them.
struct FileSystem
{
    QString name;
    bool inMemory = false;
};
FileSystem fileSystemOf(const QString &folder);

// The console side of a benchmark: temporary folders, file log, database, configuration. The command server is
// created by start(), once per process (it is a singleton).
class ConsoleFixture
{
public:
    ConsoleFixture();
    ~ConsoleFixture();

    bool isValid() const { return m_valid; }
    QString folder() const;
    NetworkConfig &config() { return m_config; }

    // Creates the devices in the database in one go (the restart case: the console knows them all).
    bool seedDevices(const QList<VelkIFPDevice> &devices);
    // Creates the command server (it starts listening) and hands it the managed devices and control password.
    CmdServer *start(const QList<VelkIFPDevice> &managed, const QString &password);
    // A fleet of `count` panels as a restart finds them (bench::panelDevice), woken through a Wake-on-LAN port of its
    // own (config().wolPort, free on this host, for the simulated panels to listen on) and all let in at once, then
    // start(). The stored records, with the ids a schedule names them by, come back in `stored`; null when seeding
    // failed.
    CmdServer *startFleet(int count, const QString &password, QList<VelkIFPDevice> *stored);
    quint16 port() const;

    // Moves the database from tmpfs into a fresh folder <parent>/<name>-db-XXXXXX, for a benchmark whose figures
    // include the database's commits: on a disk they cost what they cost the console. False, with the reason on
    // standard error, when no such folder can be made or it lies in memory.
    bool putDatabaseOnDisk(const QString &parent, const QString &name);
    QString databaseFolder() const;
    const FileSystem &databaseFileSystem() const { return m_databaseFileSystem; }

private:
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    std::unique_ptr<AutoSerialFileLogger> m_logger;
    std::unique_ptr<QTemporaryDir> m_databaseDir;
    FileSystem m_databaseFileSystem;
    bool m_valid = false;
};

// The event dispatcher the running application object got ("glib", "unix" or the class name).
QString dispatcherName();

// This program's command-line arguments, its own name left out.
QStringList arguments(int argc, char **argv);

// The value after `name` on the command line, empty when it is missing.
QString argValue(const QStringList &args, const QString &name);

// The environment for a child run as the console runs: Qt's Unix event dispatcher, and the platform plugin this
// process was given (offscreen when none was).
QStringList consoleChildEnvironment();

// Runs an event loop for at most timeoutMs; `arm` connects whatever is to quit it earlier.
void runLoop(int timeoutMs, const std::function<void(QEventLoop &)> &arm);
// Runs an event loop for ms.
void runFor(int ms);
// Processes events until done() or ms have passed; what done() says at the end.
bool runUntil(const std::function<bool()> &done, int ms);

// How many of these devices the command server has online.
int onlineCount(const QList<VelkIFPDevice> &devices);

// A line from a child process's standard output, trimmed; empty after the time-out.
QByteArray readLine(QProcess &process, int timeoutMs);

// Runs this program again with extra arguments and environment, echoing its output; returns its standard output
// (so a parent can collect "RESULT" lines) or an empty string when it failed.
QString runChild(const QStringList &arguments, const QStringList &environment, int timeoutMs);

} // namespace bench
