#pragma once

#include "datastore/VelkIFPDevice.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QThread>

// The short-lived worker that sends Wake-on-LAN bursts, so the GUI thread never sleeps between rounds. It works on
// copies only and logs nothing (the log facade is not for this thread). It deletes itself when it has finished.
class WorkThread : public QThread
{
    Q_OBJECT

public:
    WorkThread(QList<VelkIFPDevice> devices, QList<QHostAddress> targets, quint16 port, int rounds = 3,
               int roundGapMs = 100, QObject *parent = nullptr);

    // Six 0xFF bytes followed by the six MAC bytes sixteen times (102 bytes). Accepts ':' or '-' separators in
    // either letter case; any other text gives an empty packet.
    static QByteArray magicPacket(const QString &mac);
    // Every IPv4 broadcast address of the interfaces that are up, running, can broadcast and are not loopback;
    // {255.255.255.255} when there is none.
    static QList<QHostAddress> broadcastTargets();

protected:
    void run() override;

private:
    QList<VelkIFPDevice> m_devices;
    QList<QHostAddress> m_targets;
    quint16 m_port;
    int m_rounds;
    int m_roundGapMs;
};
