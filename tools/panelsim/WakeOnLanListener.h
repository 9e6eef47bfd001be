#pragma once

#include <QHostAddress>
#include <QObject>

class QUdpSocket;

/// Listens for Wake-on-LAN magic packets and reports the MAC each one wakes.
/// A fleet shares one listener and hands each packet to the panel with that MAC.
class WakeOnLanListener : public QObject
{
    Q_OBJECT
public:
    explicit WakeOnLanListener(QObject *parent = nullptr);

    /// Binds `address`:`port` (0 = ephemeral, read back with port()). Only 0.0.0.0 and 127/8 are accepted:
    /// a magic packet the console sends to 127.255.255.255 reaches a socket on 0.0.0.0. `shared`: other listeners
    /// that share it may bind the same port, and each receives every magic packet broadcast to it (fleets of
    /// distinct MACs beside each other on the console's one port).
    bool listen(const QHostAddress &address, quint16 port, bool shared = false);
    void close();
    bool isListening() const;
    quint16 port() const;
    QString errorString() const { return m_error; }

    /// The MAC a magic packet wakes, lower-case with ':' separators; empty when the datagram is not one
    /// (six 0xFF bytes followed by one MAC sixteen times; trailing bytes such as a SecureOn password are allowed).
    static QString macFromMagicPacket(const QByteArray &datagram);

signals:
    void magicPacketReceived(const QString &mac);

private:
    void readPending();

    QUdpSocket *m_socket = nullptr;
    QString m_error;
};
