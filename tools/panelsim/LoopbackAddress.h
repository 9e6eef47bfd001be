#pragma once

#include <QHostAddress>

/// Loopback addressing of simulated panels. The simulator never talks to anything outside 127.0.0.0/8.
class LoopbackAddress
{
public:
    /// True for an IPv4 address in 127.0.0.0/8.
    static bool isLoopback(const QHostAddress &address);

    /// True for a loopback address or 0.0.0.0, the addresses a listening socket may bind.
    static bool isListenable(const QHostAddress &address);

    /// The address of panel `index` counted from `base`: the last octet runs 2..251 and carries into the third
    /// (base 127.0.1.2 gives 127.0.(1 + i/250).(2 + i%250)). A base ending in .1 gives that one address to every
    /// panel (the single-address mode for hosts without loopback aliases). Null when the result leaves 127/8.
    static QHostAddress forIndex(const QHostAddress &base, int index);

    /// Whether this host routes the whole of 127/8 to the loopback interface (Linux does; some systems only
    /// answer on 127.0.0.1). Probed once by binding a datagram socket to 127.0.0.2.
    static bool aliasesUsable();
};
