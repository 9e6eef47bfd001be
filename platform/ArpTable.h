#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>

class QThread;

// The host's MAC-to-IPv4 table, as the console's "arp -a" child process reports it. The command is started, waited for
// and its table read on a worker thread, so that the GUI thread neither waits for it nor pays for it: a table of ten
// thousand entries takes some 40 ms to read. The command is killed when it overruns its time-out. Where it cannot
// start, the kernel's table in /proc/net/arp is read instead.
//
// The command, its arguments, the fallback file and the time-out are injectable for tests.
class ArpTable : public QObject
{
    Q_OBJECT

public:
    explicit ArpTable(QObject *parent = nullptr);
    ~ArpTable() override;

    // Reads any of the table forms we meet: Windows "arp -a" ("  192.168.1.10   02-51-4d-00-00-07   dynamic"),
    // net-tools "arp -a" ("? (192.168.1.10) at 02:51:4d:00:00:07 [ether] on eth0"), iproute2 "ip neigh"
    // ("192.168.1.10 dev eth0 lladdr 02:51:4d:00:00:07 REACHABLE") and /proc/net/arp. Incomplete entries,
    // all-zero, broadcast and multicast addresses are skipped. Keys are MACs in lower case with ':'.
    static QHash<QString, QString> parse(const QByteArray &text);
    // False for a MAC that no interface can have: all zero, broadcast or multicast. Takes the normal form
    // (lower case with ':').
    static bool isUsableMac(const QString &mac);

    void setCommand(const QString &program, const QStringList &arguments);
    void setFallbackFile(const QString &path);
    void setTimeoutMs(int timeoutMs);

    // Starts one asynchronous read unless the previous one still runs (then false). refreshed() follows.
    bool refresh();
    bool isRunning() const;

    // The last known IPv4 address for a MAC (any separator or letter case), or empty.
    QString ipForMac(const QString &mac) const;
    QHash<QString, QString> entries() const { return m_entries; }

signals:
    // One read ended; ok is false when the command overran its time-out and no table was read.
    void refreshed(bool ok);

private:
    struct Result
    {
        bool ok = false;
        QHash<QString, QString> entries;
    };
    // Runs on the worker thread: the command, or the fallback file when it cannot start, read whole and parsed.
    // Gives up when `cancelled` is set (the table is going away).
    static Result read(const QString &program, const QStringList &arguments, const QString &fallbackFile, int timeoutMs,
                       const std::atomic<bool> &cancelled);
    void finish(const Result &result);

    QString m_program = QStringLiteral("arp");
    QStringList m_arguments = {QStringLiteral("-a")};
    QString m_fallbackFile = QStringLiteral("/proc/net/arp");
    int m_timeoutMs = 30000;
    QThread *m_worker = nullptr;
    std::atomic<bool> m_cancelled{false};
    QHash<QString, QString> m_entries;
};
