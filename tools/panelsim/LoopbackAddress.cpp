#include "LoopbackAddress.h"

#include <QUdpSocket>

bool LoopbackAddress::isLoopback(const QHostAddress &address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok && (v4 >> 24) == 127;
}

bool LoopbackAddress::isListenable(const QHostAddress &address)
{
    return isLoopback(address) || address == QHostAddress(QHostAddress::AnyIPv4);
}

QHostAddress LoopbackAddress::forIndex(const QHostAddress &base, int index)
{
    if (!isLoopback(base) || index < 0)
        return QHostAddress();
    const quint32 v4 = base.toIPv4Address();
    const quint32 last = v4 & 0xff;
    if (last == 1)
        return base;
    if (last < 2 || last > 251)
        return QHostAddress();
    // Position of the base in the sequence of usable addresses (250 per /24), then step forward.
    const quint64 upper = (v4 >> 8) & 0xffff; // second and third octet
    const quint64 position = upper * 250 + (last - 2) + quint64(index);
    const quint64 newUpper = position / 250;
    if (newUpper > 0xffff)
        return QHostAddress();
    return QHostAddress(quint32((127u << 24) | (quint32(newUpper) << 8) | quint32(2 + position % 250)));
}

bool LoopbackAddress::aliasesUsable()
{
    static const bool usable = [] {
        QUdpSocket probe;
        return probe.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    }();
    return usable;
}
