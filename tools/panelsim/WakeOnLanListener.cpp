#include "WakeOnLanListener.h"

#include "LoopbackAddress.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

WakeOnLanListener::WakeOnLanListener(QObject *parent) : QObject(parent)
{
}

bool WakeOnLanListener::listen(const QHostAddress &address, quint16 port, bool shared)
{
    close();
    if (!LoopbackAddress::isListenable(address)) {
        m_error = QStringLiteral("refusing to listen on %1: only 0.0.0.0 and 127.0.0.0/8").arg(address.toString());
        return false;
    }
    m_socket = new QUdpSocket(this);
    // No address sharing unless asked for: two fleets with the same MACs on one port would both wake, so a clash
    // must fail loudly.
    const QAbstractSocket::BindMode mode = shared ? QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint
                                                  : QAbstractSocket::DefaultForPlatform;
    if (!m_socket->bind(address, port, mode)) {
        m_error = m_socket->errorString();
        delete m_socket;
        m_socket = nullptr;
        return false;
    }
    m_error.clear();
    connect(m_socket, &QUdpSocket::readyRead, this, &WakeOnLanListener::readPending);
    return true;
}

void WakeOnLanListener::close()
{
    delete m_socket;
    m_socket = nullptr;
}

bool WakeOnLanListener::isListening() const
{
    return m_socket != nullptr;
}

quint16 WakeOnLanListener::port() const
{
    return m_socket ? m_socket->localPort() : 0;
}

QString WakeOnLanListener::macFromMagicPacket(const QByteArray &datagram)
{
    if (datagram.size() < 102)
        return QString();
    for (int i = 0; i < 6; ++i) {
        if (quint8(datagram.at(i)) != 0xff)
            return QString();
    }
    const QByteArray mac = datagram.mid(6, 6);
    for (int i = 1; i < 16; ++i) {
        if (datagram.mid(6 + 6 * i, 6) != mac)
            return QString();
    }
    return QString::fromLatin1(mac.toHex(':'));
}

void WakeOnLanListener::readPending()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(2048);
        const QString mac = macFromMagicPacket(datagram.data());
        if (!mac.isEmpty())
            emit magicPacketReceived(mac);
    }
}
