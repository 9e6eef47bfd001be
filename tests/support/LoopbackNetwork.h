#pragma once

#include "network/NetworkConfig.h"

#include <QDir>
#include <QHostAddress>
#include <QString>

// The panel network of a test or a benchmark: the command server on an ephemeral loopback port, discovery on
// ephemeral ports without joining the multicast group, Wake-on-LAN to the loopback broadcast address, and every
// destination outside 127.0.0.0/8 refused. With a folder, the audio and temporary folders are made under it. Set
// it with NetworkConfig::setCurrent() before the first CmdServer::getInstance(); change what a test needs after.
inline NetworkConfig loopbackNetworkConfig(const QString &folder = QString())
{
    NetworkConfig config;
    config.tcpPort = 0;
    config.tcpListenAddress = QHostAddress(QHostAddress::LocalHost);
    config.discoveryPorts = {0, 0};
    config.answerPort = 0;
    config.joinMulticast = false;
    config.loopbackOnly = true;
    config.wolTargets = {QHostAddress(QStringLiteral("127.255.255.255"))};
    config.wolPort = 0;
    if (!folder.isEmpty()) {
        config.audioFolder = folder + QStringLiteral("/Audio/");
        config.tempFolder = folder + QStringLiteral("/tmp");
        QDir().mkpath(config.audioFolder);
        QDir().mkpath(config.tempFolder);
    }
    return config;
}
