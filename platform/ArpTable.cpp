#include "platform/ArpTable.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace {

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
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
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
    return m_process != nullptr;
}

bool ArpTable::refresh()
{
    if (m_process)
        return false;
    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments(m_arguments);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &ArpTable::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onFailedToStart();
    });
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        connect(m_timer, &QTimer::timeout, this, &ArpTable::onTimeout);
    }
    m_timer->start(m_timeoutMs);
    m_process->start();
    return true;
}

void ArpTable::onFinished()
{
    if (!m_process)
        return;
    // A run that was killed for its time-out finishes too; its partial output is not a table.
    const bool completed = m_process->exitStatus() == QProcess::NormalExit && m_timer->isActive();
    if (completed)
        m_entries = parse(m_process->readAllStandardOutput());
    finish(completed);
}

void ArpTable::onFailedToStart()
{
    if (!m_process)
        return;
    QFile file(m_fallbackFile);
    const bool ok = file.open(QIODevice::ReadOnly);
    if (ok)
        m_entries = parse(file.read(4 * 1024 * 1024));
    finish(ok);
}

void ArpTable::onTimeout()
{
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->kill();
    // Reap it without waiting on the GUI thread.
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), process, &QObject::deleteLater);
    emit refreshed(false);
}

void ArpTable::finish(bool ok)
{
    m_timer->stop();
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->deleteLater();
    emit refreshed(ok);
}

QString ArpTable::ipForMac(const QString &mac) const
{
    return m_entries.value(normaliseMac(mac));
}
