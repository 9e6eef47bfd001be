#include "network/WorkThread.h"

#include "network/PanelIdentity.h"

#include <QNetworkInterface>
#include <QUdpSocket>

WorkThread::WorkThread(QList<VelkIFPDevice> devices, QList<QHostAddress> targets, quint16 port, int rounds,
                       int roundGapMs, QObject *parent)
    : QThread(parent), m_devices(std::move(devices)), m_targets(std::move(targets)), m_port(port), m_rounds(rounds),
      m_roundGapMs(roundGapMs)
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

QByteArray WorkThread::magicPacket(const QString &mac)
{
    const QString normalised = PanelIdentity::normaliseMac(mac);
    if (normalised.isEmpty())
        return QByteArray();
    const QByteArray address = QByteArray::fromHex(normalised.toLatin1().replace(':', QByteArray()));
    QByteArray packet(6, char(0xFF));
    packet.reserve(6 + 16 * 6);
    for (int i = 0; i < 16; ++i)
        packet.append(address);
    return packet;
}

QList<QHostAddress> WorkThread::broadcastTargets()
{
    QList<QHostAddress> targets;
    const auto wanted = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if ((flags & wanted) != wanted || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !broadcast.isNull() &&
                !targets.contains(broadcast))
                targets.append(broadcast);
        }
    }
    if (targets.isEmpty())
        targets.append(QHostAddress(QHostAddress::Broadcast));
    return targets;
}

void WorkThread::run()
{
    QUdpSocket socket;
    QList<QByteArray> packets;
    for (const VelkIFPDevice &device : qAsConst(m_devices)) {
        const QByteArray packet = magicPacket(device.macAddress);
        if (!packet.isEmpty())
            packets.append(packet);
    }
    for (int round = 0; round < m_rounds; ++round) {
        for (const QByteArray &packet : qAsConst(packets)) {
            for (const QHostAddress &target : qAsConst(m_targets))
                socket.writeDatagram(packet, target, m_port);
        }
        if (round + 1 < m_rounds)
            msleep(m_roundGapMs);
    }
}
