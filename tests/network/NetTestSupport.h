#pragma once

// Shared set-up of the network tests: a temporary HOME and database, a command server on an ephemeral loopback
// port, and helpers to seed managed devices and to talk raw frames.

#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/FrameCodec.h"
#include "network/FrameDecoder.h"
#include "network/NetworkConfig.h"
#include "network/ProtocolCodes.h"
#include "support/LogCapture.h"
#include "support/LoopbackNetwork.h"
#include "support/StoredDevice.h"
#include "support/TestEnv.h"
#include "support/TryCeiling.h"
#include "tools/panelsim/SimulatedPanel.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

// Creates the device in the database and hands the fresh list to the command server, as the device list does.
inline VelkIFPDevice addManagedDevice(const QString &name, const QString &mac, const QString &ip = QString(),
                                      const QString &type = QStringLiteral("Control Box"))
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice device;
    device.deviceName = name;
    device.macAddress = mac;
    device.ipAddress = ip;
    device.deviceType = type;
    device.modelName = QStringLiteral("Velk TM B-Series");
    device.position = QStringLiteral("Room ") + name;
    device.ptzCamera = QStringLiteral("cam-") + name;
    if (db->createIFPDevice(device) != DB_OK)
        qWarning("createIFPDevice failed for %s", qPrintable(name));
    QList<VelkIFPDevice> all;
    db->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    return storedDevice(name);
}

inline QString testMac(int serial)
{
    return SimulatedPanel::defaultIdentity(quint32(serial)).mac;
}

// A panel in direct mode towards our command server, on its own loopback address.
inline PanelSettings directSettings(int addressIndex)
{
    PanelSettings settings;
    settings.ownAddress = QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + addressIndex));
    settings.consoleAddress = QHostAddress(QHostAddress::LocalHost);
    settings.consolePort = CmdServer::getInstance()->serverPort();
    settings.reconnectDelayMs = 200;
    settings.rejectBackoffMs = 60000;
    return settings;
}

inline PanelIdentity identityWith(int serial, const QString &password)
{
    PanelIdentity identity = SimulatedPanel::defaultIdentity(quint32(serial));
    identity.password = password;
    return identity;
}

// A bare TCP peer for byte-exact misbehaviour.
class RawPeer
{
public:
    RawPeer() { m_socket.connectToHost(QHostAddress(QHostAddress::LocalHost), CmdServer::getInstance()->serverPort()); }
    bool waitConnected() { return m_socket.waitForConnected(QuorvinTryCeilingMs); }
    void send(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }
    void sendFrame(quint16 code, const QByteArray &payload = QByteArray()) { send(FrameCodec::encode(code, payload)); }
    void sendIdentity(const PanelIdentity &identity) { sendFrame(VELK_REMOTE_CMD_IDENTITY, identity.toJson()); }
    // Reads whatever arrived into frames.
    QList<QPair<quint16, QByteArray>> frames()
    {
        m_decoder.append(m_socket.readAll());
        FrameView view;
        while (m_decoder.next(&view) == FrameDecoder::FrameReady)
            m_frames.append({view.code, view.copy()});
        return m_frames;
    }
    bool received(quint16 code)
    {
        for (const auto &frame : frames()) {
            if (frame.first == code)
                return true;
        }
        return false;
    }
    bool isClosed() const { return m_socket.state() == QAbstractSocket::UnconnectedState; }
    QTcpSocket &socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    FrameDecoder m_decoder;
    QList<QPair<quint16, QByteArray>> m_frames;
};
