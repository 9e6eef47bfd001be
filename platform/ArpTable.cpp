#include "platform/ArpTable.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

extern char **environ;

namespace {

// The longest the worker waits on the command before it looks again whether the table is going away.
constexpr int kWaitSliceMs = 50;

QString normaliseMac(QString mac)
{
    mac = mac.toLower();
    mac.replace(QLatin1Char('-'), QLatin1Char(':'));
    return mac;
}

} // namespace

bool ArpTable::isUsableMac(const QString &mac)
{
    if (mac.size() != 17 || mac == QLatin1String("00:00:00:00:00:00"))
        return false;
    // The group bit of the first octet marks broadcast (ff:ff:...) and multicast (01:00:5e:..., 33:33:...)
    // addresses: frames go to them, no interface has one.
    bool ok = false;
    const uint firstOctet = mac.leftRef(2).toUInt(&ok, 16);
    return ok && (firstOctet & 1u) == 0;
}

ArpTable::ArpTable(QObject *parent) : QObject(parent)
{
}

ArpTable::~ArpTable()
{
    if (m_worker) {
        m_cancelled = true;
        m_worker->wait();
        delete m_worker;
    }
}

QHash<QString, QString> ArpTable::parse(const QByteArray &text)
{
    static const QRegularExpression macPattern(QStringLiteral(
        "(?<![0-9A-Fa-f:-])([0-9A-Fa-f]{2}([:-])[0-9A-Fa-f]{2}(\\2[0-9A-Fa-f]{2}){4})(?![0-9A-Fa-f:-])"));
    static const QRegularExpression ipPattern(
        QStringLiteral("(?<![0-9.])((25[0-5]|2[0-4]\\d|1?\\d?\\d)(\\.(25[0-5]|2[0-4]\\d|1?\\d?\\d)){3})(?![0-9.])"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));

    QHash<QString, QString> table;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromLocal8Bit(rawLine).trimmed();
        const QRegularExpressionMatch mac = macPattern.match(line);
        const QRegularExpressionMatch ip = ipPattern.match(line);
        if (!mac.hasMatch() || !ip.hasMatch())
            continue;
        // /proc/net/arp: "IP  HW-type  Flags  HW-address  Mask  Device"; flags 0x0 marks an incomplete entry.
        const QStringList fields = line.split(blanks);
        if (fields.size() >= 4 && fields.at(1).startsWith(QLatin1String("0x")) &&
            fields.at(2).startsWith(QLatin1String("0x"))) {
            bool ok = false;
            if (fields.at(2).toUInt(&ok, 16) == 0 || !ok)
                continue;
        }
        const QString key = normaliseMac(mac.captured(1));
        if (!isUsableMac(key))
            continue;
        table.insert(key, ip.captured(1));
    }
    return table;
}

void ArpTable::setCommand(const QString &program, const QStringList &arguments)
{
    m_program = program;
    m_arguments = arguments;
}

void ArpTable::setFallbackFile(const QString &path)
{
    m_fallbackFile = path;
}

void ArpTable::setTimeoutMs(int timeoutMs)
{
    m_timeoutMs = timeoutMs;
}

bool ArpTable::isRunning() const
{
    return m_worker != nullptr;
}

bool ArpTable::refresh()
{
    if (m_worker)
        return false;
    m_cancelled = false;
    // Copies: the worker must not read what the GUI thread may set meanwhile.
    const QString program = m_program;
    const QStringList arguments = m_arguments;
    const QString fallbackFile = m_fallbackFile;
    const int timeoutMs = m_timeoutMs;
    m_worker = QThread::create([this, program, arguments, fallbackFile, timeoutMs] {
        const Result result = read(program, arguments, fallbackFile, timeoutMs, m_cancelled);
        // The destructor waits for this thread, so the table is still there; the call posted to it goes with it.
        if (!m_cancelled)
            QMetaObject::invokeMethod(
                this, [this, result] { finish(result); }, Qt::QueuedConnection);
    });
    m_worker->start();
    return true;
}

namespace {

// The command started by posix_spawn, which shares the console's memory with the child until the command runs (a
// vfork) instead of copying its page tables as a fork does: for those 36 ms every thread of the console that touched
// its memory, the GUI thread first, waited with it. Its standard output is the read end of a pipe; its input and
// errors go nowhere. The pid, or -1 with errno set (ENOENT: no such command).
pid_t spawn(const QString &program, const QStringList &arguments, int *output)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return -1;
    std::vector<QByteArray> texts;
    texts.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = ::posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (error != 0) {
        ::close(pipeEnds[0]);
        errno = error;
        return -1;
    }
    *output = pipeEnds[0];
    return pid;
}

} // namespace

ArpTable::Result ArpTable::read(const QString &program, const QStringList &arguments, const QString &fallbackFile,
                                int timeoutMs, const std::atomic<bool> &cancelled)
{
    Result result;
    int output = -1;
    const pid_t pid = spawn(program, arguments, &output);
    if (pid < 0) {
        if (errno != ENOENT && errno != EACCES)
            return result;
        QFile file(fallbackFile);
        result.ok = file.open(QIODevice::ReadOnly);
        if (result.ok)
            result.entries = parse(file.read(4 * 1024 * 1024));
        return result;
    }
    QElapsedTimer clock;
    clock.start();
    // In slices, so that a table going away does not wait for the rest of the time-out.
    const auto overrun = [&] { return cancelled || clock.elapsed() >= timeoutMs; };
    QByteArray text;
    char buffer[16384];
    bool ended = false;
    while (!ended && !overrun()) {
        pollfd waiting{output, POLLIN, 0};
        if (::poll(&waiting, 1, kWaitSliceMs) <= 0)
            continue;
        const ssize_t got = ::read(output, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, int(got));
        else if (got == 0 || errno != EINTR)
            ended = true;
    }
    ::close(output);
    int status = 0;
    while (ended && ::waitpid(pid, &status, WNOHANG) == 0) {
        if (overrun()) {
            ended = false;
            break;
        }
        ::usleep(kWaitSliceMs * 1000);
    }
    if (!ended) {
        // A run killed for its time-out: its partial output is not a table.
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return result;
    }
    result.ok = WIFEXITED(status);
    if (result.ok)
        result.entries = parse(text);
    return result;
}

void ArpTable::finish(const Result &result)
{
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    if (result.ok)
        m_entries = result.entries;
    emit refreshed(result.ok);
}

QString ArpTable::ipForMac(const QString &mac) const
{
    return m_entries.value(normaliseMac(mac));
}
