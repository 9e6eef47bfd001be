#pragma once

#include <QHostAddress>
#include <QString>

/// Where a simulated panel lives, whom it talks to and how fast it moves. Every address must lie in 127.0.0.0/8.
struct PanelSettings
{
    QHostAddress ownAddress = QHostAddress(QStringLiteral("127.0.0.2")); ///< local address of every socket

    /// false: "direct mode", connect straight to consoleAddress:consolePort. true: search first and connect where
    /// the console's answer points.
    bool discovery = false;
    QHostAddress consoleAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 consolePort = 1688;

    QHostAddress discoveryAddress = QHostAddress(QHostAddress::LocalHost); ///< where M-SEARCH goes (unicast only)
    quint16 discoveryPort = 1988;
    quint16 answerPort = 1988; ///< the panel's own discovery socket; 0 = ephemeral

    int bootDelayMs = 100;         ///< magic packet or power button until the first search / connect
    int rebootDelayMs = 500;       ///< REBOOT command until the panel searches again
    int reconnectDelayMs = 500;    ///< after a failed connect or a dropped connection
    int connectTimeoutMs = 5000;   ///< a connect still pending after this is given up (a full accept queue drops SYNs)
    int identityTimeoutMs = 15000; ///< no identity answer after this: drop and reconnect (0 = wait for ever)
    int rejectBackoffMs = 2000;    ///< after an identity answer of -1
    int searchIntervalMs = 1000;   ///< M-SEARCH repeat while searching
};
