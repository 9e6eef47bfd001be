#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkAddressEntry>
#include <QString>

/// Which of the console's own addresses a discovery answer names, so that the panel it goes to can connect back.
/// The choice is made from a listing of the host's addresses taken beforehand: listing the interfaces costs the
/// operating system a walk over all of them, too much to repeat for every device of a large fleet.
class ConsoleAddress
{
public:
    /// The IPv4 address entries (address and prefix) of the interfaces that are up, loopback included, in the
    /// system's order.
    static QList<QNetworkAddressEntry> localEntries();

    /// The address of the first local entry whose subnet holds the peer; for a loopback peer on no listed subnet
    /// 127.0.0.1; else the fallback (the unicast address a search was sent to) when it is a usable IPv4 address;
    /// else the first local IPv4 address that is not loopback; else 127.0.0.1.
    static QString forPeer(const QHostAddress &peer, const QHostAddress &fallback,
                           const QList<QNetworkAddressEntry> &local);
};
