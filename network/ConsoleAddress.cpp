#include "network/ConsoleAddress.h"

#include <QNetworkInterface>

QList<QNetworkAddressEntry> ConsoleAddress::localEntries()
{
    QList<QNetworkAddressEntry> entries;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!(interface.flags() & QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                entries.append(entry);
        }
    }
    return entries;
}

QString ConsoleAddress::forPeer(const QHostAddress &peer, const QHostAddress &fallback,
                                const QList<QNetworkAddressEntry> &local)
{
    for (const QNetworkAddressEntry &entry : local) {
        if (entry.prefixLength() > 0 && peer.isInSubnet(entry.ip(), entry.prefixLength()))
            return entry.ip().toString();
    }
    if (peer.isLoopback())
        return QStringLiteral("127.0.0.1");
    bool ok = false;
    const quint32 ipv4 = fallback.toIPv4Address(&ok);
    if (ok && ipv4 != 0 && !fallback.isMulticast())
        return QHostAddress(ipv4).toString();
    // Not on any of our subnets and no usable destination: name our first address.
    for (const QNetworkAddressEntry &entry : local) {
        if (!entry.ip().isLoopback())
            return entry.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}
