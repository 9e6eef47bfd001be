// The simulated panel against raw sockets on loopback: what it sends, how it answers, how it misbehaves on request.

#include "tools/panelsim/FileAssembler.h"
#include "tools/panelsim/LoopbackAddress.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/PanelSimCommands.h"
#include "tools/panelsim/PanelSimOptions.h"
#include "tools/panelsim/SimulatedPanel.h"
#include "tools/panelsim/WakeOnLanListener.h"

#include "network/FrameCodec.h"
#include "network/FrameDecoder.h"
#include "network/ProtocolCodes.h"
#include "network/SsdpMessage.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

// A console as bare as it gets: accepts panels, records every frame, answers the identity as told.
class FakeConsole : public QObject
{
public:
    struct Frame
    {
        QTcpSocket *socket;
        quint16 code;
        QByteArray payload;
    };

    std::optional<qint32> identityResult = 0; // empty: leave the identity unanswered
    QByteArray consoleId = "{11111111-2222-3333-4444-555555555555}";
    QList<Frame> frames;
    QList<QTcpSocket *> sockets;
    QByteArray raw; // every byte from every panel
    bool badLength = false;

    FakeConsole()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                sockets.append(socket);
                m_decoders[socket] = std::make_shared<FrameDecoder>();
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    QTcpSocket *last() const { return sockets.isEmpty() ? nullptr : sockets.last(); }

    void send(quint16 code, const QByteArray &payload = QByteArray(), QTcpSocket *socket = nullptr)
    {
        socket = socket ? socket : last();
        QVERIFY(socket);
        socket->write(FrameCodec::encode(code, payload));
    }
    void sendInt32(quint16 code, qint32 value) { send(code, FrameCodec::int32Payload(value)); }

    int count(quint16 code) const
    {
        int n = 0;
        for (const Frame &f : frames)
            n += f.code == code ? 1 : 0;
        return n;
    }
    QByteArray payloadOf(quint16 code) const
    {
        for (int i = frames.size() - 1; i >= 0; --i) {
            if (frames.at(i).code == code)
                return frames.at(i).payload;
        }
        return QByteArray();
    }
    qint32 int32Of(quint16 code) const
    {
        qint32 value = INT_MIN;
        FrameCodec::readInt32(payloadOf(code), 0, &value);
        return value;
    }
    QList<quint16> codes() const
    {
        QList<quint16> out;
        for (const Frame &f : frames)
            out << f.code;
        return out;
    }

private:
    void read(QTcpSocket *socket)
    {
        const QByteArray bytes = socket->readAll();
        raw += bytes;
        FrameDecoder &decoder = *m_decoders[socket];
        decoder.append(bytes);
        FrameView view;
        for (;;) {
            const FrameDecoder::Result r = decoder.next(&view);
            if (r == FrameDecoder::NeedMore)
                return;
            if (r == FrameDecoder::BadLength) {
                badLength = true;
                return;
            }
            frames.append({socket, view.code, view.copy()});
            if (view.code == VELK_REMOTE_CMD_IDENTITY && identityResult)
                socket->write(FrameCodec::encode(VELK_REMOTE_RSP_IDENTITY,
                                                 FrameCodec::int32ThenBytes(*identityResult, consoleId)));
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, std::shared_ptr<FrameDecoder>> m_decoders;
};

PanelSettings fastSettings(quint16 consolePort, const QString &own = QStringLiteral("127.0.0.2"))
{
    PanelSettings s;
    s.ownAddress = QHostAddress(own);
    s.consolePort = consolePort;
    s.answerPort = 0;
    s.bootDelayMs = 10;
    s.rebootDelayMs = 50;
    s.reconnectDelayMs = 50;
    s.rejectBackoffMs = 100;
    s.searchIntervalMs = 100;
    return s;
}

QByteArray magicPacket(const QString &mac)
{
    const QByteArray bytes = QByteArray::fromHex(mac.toLatin1().replace(':', ""));
    QByteArray packet(6, char(0xff));
    for (int i = 0; i < 16; ++i)
        packet += bytes;
    return packet;
}

} // namespace

class TestPanelSim : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeConsole> console;
    std::unique_ptr<SimulatedPanel> panel;

    // A started panel, connected to the fake console.
    void connectPanel(quint32 serial = 1)
    {
        panel =
            std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(serial), fastSettings(console->port()));
        panel->start();
        QTRY_VERIFY(panel->isConnected());
    }

private slots:
    void init() { console = std::make_unique<FakeConsole>(); }
    void cleanup()
    {
        panel.reset();
        console.reset();
    }

    void loopbackAddressing()
    {
        const QHostAddress base(QStringLiteral("127.0.1.2"));
        QCOMPARE(LoopbackAddress::forIndex(base, 0).toString(), QStringLiteral("127.0.1.2"));
        QCOMPARE(LoopbackAddress::forIndex(base, 249).toString(), QStringLiteral("127.0.1.251"));
        QCOMPARE(LoopbackAddress::forIndex(base, 250).toString(), QStringLiteral("127.0.2.2"));
        QCOMPARE(LoopbackAddress::forIndex(base, 999).toString(), QStringLiteral("127.0.4.251"));
        QCOMPARE(LoopbackAddress::forIndex(QHostAddress(QStringLiteral("127.0.0.1")), 7).toString(),
                 QStringLiteral("127.0.0.1"));
        QVERIFY(LoopbackAddress::forIndex(QHostAddress(QStringLiteral("127.255.255.251")), 1).isNull());
        QVERIFY(LoopbackAddress::forIndex(QHostAddress(QStringLiteral("10.0.0.2")), 0).isNull());
        QVERIFY(!LoopbackAddress::isLoopback(QHostAddress(QStringLiteral("128.0.0.1"))));
        QVERIFY(LoopbackAddress::isListenable(QHostAddress(QHostAddress::AnyIPv4)));

        // Panels refuse to point anywhere outside 127/8.
        SimulatedPanel p(SimulatedPanel::defaultIdentity(1), fastSettings(1));
        PanelSettings outside = p.settings();
        outside.consoleAddress = QHostAddress(QStringLiteral("192.0.2.1"));
        QVERIFY(!p.setSettings(outside));
        QCOMPARE(p.settings().consoleAddress, QHostAddress(QHostAddress::LocalHost));
    }

    void fileAssembly()
    {
        const QByteArray a(10240, 'a'), b(17, 'b');
        for (bool keep : {true, false}) {
            FileAssembler assembler(keep);
            ReceivedFile file;
            QCOMPARE(assembler.finish("27", &file), FileAssembler::NotStarted);
            QVERIFY(!assembler.append(a));
            assembler.start(QStringLiteral("Velkupdate-3.zip"));
            QVERIFY(assembler.append(a));
            QVERIFY(assembler.append(b));
            QCOMPARE(assembler.finish(QByteArray::number(a.size() + b.size()), &file), FileAssembler::Complete);
            QCOMPARE(file.size, qint64(a.size() + b.size()));
            QCOMPARE(file.sha256, QCryptographicHash::hash(a + b, QCryptographicHash::Sha256));
            QCOMPARE(file.data, keep ? a + b : QByteArray());

            assembler.start(QStringLiteral("x"));
            assembler.append(b);
            QCOMPARE(assembler.finish("0", &file), FileAssembler::Cancelled);
            assembler.start(QStringLiteral("x"));
            assembler.append(b);
            QCOMPARE(assembler.finish("18", &file), FileAssembler::SizeMismatch);
            assembler.start(QStringLiteral("x"));
            QCOMPARE(assembler.finish("-1", &file), FileAssembler::SizeMismatch);
        }
    }

    void magicPacketReading()
    {
        QCOMPARE(WakeOnLanListener::macFromMagicPacket(magicPacket(QStringLiteral("02:51:4d:0a:0b:0c"))),
                 QStringLiteral("02:51:4d:0a:0b:0c"));
        QByteArray secureOn = magicPacket(QStringLiteral("02:51:4d:00:00:01")) + QByteArray(6, 'p');
        QCOMPARE(WakeOnLanListener::macFromMagicPacket(secureOn), QStringLiteral("02:51:4d:00:00:01"));
        QByteArray broken = magicPacket(QStringLiteral("02:51:4d:00:00:01"));
        broken[50] = 0x77;
        QVERIFY(WakeOnLanListener::macFromMagicPacket(broken).isEmpty());
        broken = magicPacket(QStringLiteral("02:51:4d:00:00:01"));
        broken[0] = 0;
        QVERIFY(WakeOnLanListener::macFromMagicPacket(broken).isEmpty());
        QVERIFY(WakeOnLanListener::macFromMagicPacket(broken.left(101)).isEmpty());
    }

    void handshakeOutcomes()
    {
        // Connected: the identity carries the panel's own address, and the console sees that address as the peer.
        connectPanel(7);
        QCOMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 1);
        QCOMPARE(console->frames.first().code, VELK_REMOTE_CMD_IDENTITY);
        QCOMPARE(console->last()->peerAddress().toString(), QStringLiteral("127.0.0.2"));
        PanelIdentity reported;
        QVERIFY(PanelIdentity::fromJson(console->payloadOf(VELK_REMOTE_CMD_IDENTITY), &reported));
        QCOMPARE(reported.mac, QStringLiteral("02:51:4d:00:00:07"));
        QCOMPARE(reported.ipAddress, QStringLiteral("127.0.0.2"));
        QCOMPARE(reported.model, QStringLiteral("Velk TM B-Series"));
        QCOMPARE(reported.deviceType, QStringLiteral("Control Box"));
        QCOMPARE(panel->consoleId(), QString::fromLatin1(console->consoleId));

        // Locked: keep-alive answered, commands ignored, SOS still possible.
        console = std::make_unique<FakeConsole>();
        console->identityResult = 1;
        panel = std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(1), fastSettings(console->port()));
        QSignalSpy lockedSpy(panel.get(), &SimulatedPanel::locked);
        panel->start();
        QTRY_VERIFY(panel->isLocked());
        QCOMPARE(lockedSpy.count(), 1);
        console->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
        console->sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_HEARTBEAT), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_CHECK_OTA_STATE), 0);
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_CHECK_OTA_STATE), 1);
        QCOMPARE(panel->raiseSos(), 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_SAFE_ALERT), 1);

        // Rejected: the panel goes away and comes back after its back-off.
        console = std::make_unique<FakeConsole>();
        console->identityResult = -1;
        panel = std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(1), fastSettings(console->port()));
        QSignalSpy rejectedSpy(panel.get(), &SimulatedPanel::rejected);
        panel->start();
        QTRY_VERIFY(rejectedSpy.count() >= 2);
        QVERIFY(console->count(VELK_REMOTE_CMD_IDENTITY) >= 2);
        QVERIFY(!panel->isConnected());

        // No retry when told so: the panel ends Off.
        panel->behaviour().retryAfterReject = false;
        const int before = console->count(VELK_REMOTE_CMD_IDENTITY);
        QTRY_COMPARE(panel->state(), SimulatedPanel::Off);
        QTest::qWait(300);
        QVERIFY(console->count(VELK_REMOTE_CMD_IDENTITY) <= before + 1);

        // An identity answer without its int32 drops the connection.
        console = std::make_unique<FakeConsole>();
        console->identityResult.reset();
        panel = std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(1), fastSettings(console->port()));
        QSignalSpy disconnectedSpy(panel.get(), &SimulatedPanel::disconnected);
        panel->start();
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 1);
        console->send(VELK_REMOTE_RSP_IDENTITY, QByteArray(2, '\0'));
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        QVERIFY(!panel->isConnected());

        // No identity answer at all: the panel gives up after its time-out and tries again.
        PanelSettings impatient = panel->settings();
        impatient.identityTimeoutMs = 100;
        panel->setSettings(impatient);
        QTRY_VERIFY(console->count(VELK_REMOTE_CMD_IDENTITY) >= 3);
        QVERIFY(disconnectedSpy.count() >= 2);
    }

    void defaultAnswers()
    {
        connectPanel();
        console->sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
        console->send(VELK_REMOTE_CMD_SET_PASSWORD, "s3cret");
        console->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
        console->sendInt32(VELK_REMOTE_CMD_START_BROADCAST, 0);
        console->sendInt32(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP, 0);
        console->send(VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, R"({"enableMultiUser":true})");
        QTRY_COMPARE(console->frames.size(), 7);
        QCOMPARE(console->codes().mid(1),
                 (QList<quint16>{VELK_REMOTE_RSP_HEARTBEAT, VELK_REMOTE_RSP_SET_PASSWORD,
                                 VELK_REMOTE_RSP_CHECK_OTA_STATE, VELK_REMOTE_RSP_START_BROADCAST,
                                 VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, VELK_REMOTE_RSP_SYNC_ADMIN_SETTINGS}));
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_CHECK_OTA_STATE), 0);
        QCOMPARE(panel->storedPassword(), QStringLiteral("s3cret"));
        QVERIFY(panel->remoteSetupDisabled() == false); // new settings switch remote setup back on
        QCOMPARE(panel->storedSettings(), QByteArray(R"({"enableMultiUser":true})"));
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_HEARTBEAT), 1);

        // The new password is what the next identity carries.
        panel->abort();
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 2);
        PanelIdentity reported;
        QVERIFY(PanelIdentity::fromJson(console->payloadOf(VELK_REMOTE_CMD_IDENTITY), &reported));
        QCOMPARE(reported.password, QStringLiteral("s3cret"));

        // SOS round trip.
        QTRY_VERIFY(panel->isConnected());
        QSignalSpy ackSpy(panel.get(), &SimulatedPanel::sosAcknowledged);
        QSignalSpy stopSpy(panel.get(), &SimulatedPanel::sosStopped);
        QCOMPARE(panel->raiseSos(), 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_SAFE_ALERT), 1);
        QCOMPARE(console->int32Of(VELK_REMOTE_CMD_SAFE_ALERT), 0);
        QVERIFY(panel->isSosActive());
        console->sendInt32(VELK_REMOTE_RSP_SAFE_ALERT, 0);
        QTRY_COMPARE(ackSpy.count(), 1);
        console->sendInt32(VELK_REMOTE_CMD_STOP_SAFE_ALERT, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_STOP_SAFE_ALERT), 1);
        QCOMPARE(stopSpy.count(), 1);
        QVERIFY(!panel->isSosActive());

        // Take-over: the kick names the other console; the panel then holds that console's password.
        QCOMPARE(panel->sendKick(QStringLiteral("{other}"), QStringLiteral("theirs")), 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_KICK), 1);
        QCOMPARE(console->payloadOf(VELK_REMOTE_CMD_KICK), QByteArray("{other}"));
        QCOMPARE(panel->storedPassword(), QStringLiteral("theirs"));
    }

    void firmwareTransferAndUpdate()
    {
        connectPanel();
        QSignalSpy fileSpy(panel.get(), &SimulatedPanel::fileReceived);
        QSignalSpy cancelSpy(panel.get(), &SimulatedPanel::transferCancelled);
        const QByteArray content = QByteArray(25000, 'z');

        // Good file: answer 0, file kept with its hash.
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_START, "Velkupdate-3.zip");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, content.left(10240));
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, content.mid(10240, 10240));
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, content.mid(20480));
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, "25000");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 1);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 0);
        QCOMPARE(fileSpy.count(), 1);
        QCOMPARE(fileSpy.first().at(0).toString(), QStringLiteral("Velkupdate-3.zip"));
        QCOMPARE(panel->lastFile().data, content);
        QCOMPARE(panel->lastFile().sha256, QCryptographicHash::hash(content, QCryptographicHash::Sha256));

        // Wrong size: -1. Cancel ("0"): no answer at all.
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_START, "MstarUpgrade.img");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, "abc");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, "4");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 2);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), -1);
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_START, "MstarUpgrade.img");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, "abc");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, "0");
        QTRY_COMPARE(cancelSpy.count(), 1);
        console->sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0); // a marker: everything before it was handled
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_HEARTBEAT), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 2);
        QCOMPARE(panel->receivedFiles().size(), 1);

        // The transfer answer knob overrides the size check.
        panel->behaviour().transferAnswer = 5;
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_START, "f");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, "abc");
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, "3");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 3);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 5);

        // Start: progress, then success; the new version is reported after the reboot.
        panel->behaviour().otaResultScript = {{10, 30}, {10, 70}, {10, 0}};
        panel->behaviour().afterOtaVersion = QStringLiteral("1.1.1031.31");
        panel->behaviour().rebootAfterOta = true;
        QSignalSpy otaSpy(panel.get(), &SimulatedPanel::otaFinished);
        console->sendInt32(VELK_REMOTE_CMD_START_OTA, 1);
        QTRY_COMPARE(otaSpy.count(), 1);
        QCOMPARE(otaSpy.first().at(0).toBool(), true);
        QCOMPARE(panel->lastUpgradeType(), 1);
        QList<qint32> results;
        for (const FakeConsole::Frame &f : console->frames) {
            qint32 v = 0;
            if (f.code == VELK_REMOTE_RSP_OTA_RESULT && FrameCodec::readInt32(f.payload, 0, &v))
                results << v;
        }
        QCOMPARE(results, (QList<qint32>{30, 70, 0}));
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 2);
        PanelIdentity reported;
        QVERIFY(PanelIdentity::fromJson(console->payloadOf(VELK_REMOTE_CMD_IDENTITY), &reported));
        QCOMPARE(reported.fwVersion, QStringLiteral("1.1.1031.31"));

        // A panel that cannot update, and one that fails.
        QTRY_VERIFY(panel->isConnected());
        panel->behaviour().otaStateAnswer = -1;
        panel->behaviour().otaResultScript = PanelBehaviour::otaFailureScript();
        panel->behaviour().otaResultScript[0].delayMs = 10;
        console->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_CHECK_OTA_STATE), 1);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_CHECK_OTA_STATE), -1);
        console->sendInt32(VELK_REMOTE_CMD_START_OTA, 0);
        QTRY_COMPARE(otaSpy.count(), 2);
        QCOMPARE(otaSpy.last().at(0).toBool(), false);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_OTA_RESULT), -1);

        // An A/B firmware whose new image fails its health check: back at the new version, it restarts once more
        // and comes back at the version from before, for good.
        panel->behaviour().otaResultScript = {{10, 0}};
        panel->behaviour().afterOtaVersion = QStringLiteral("1.1.1032.32");
        panel->behaviour().rollBackAfterBootMs = 100;
        QSignalSpy rebootSpy(panel.get(), &SimulatedPanel::rebooting);
        const int identities = console->count(VELK_REMOTE_CMD_IDENTITY);
        console->sendInt32(VELK_REMOTE_CMD_START_OTA, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), identities + 2);
        QTRY_VERIFY(panel->isConnected());
        QTest::qWait(300);
        QCOMPARE(rebootSpy.count(), 2);
        QStringList versions;
        for (const FakeConsole::Frame &f : console->frames) {
            PanelIdentity identity;
            if (f.code == VELK_REMOTE_CMD_IDENTITY && PanelIdentity::fromJson(f.payload, &identity))
                versions << identity.fwVersion;
        }
        QCOMPARE(versions.mid(identities), (QStringList{"1.1.1032.32", "1.1.1031.31"}));
        QCOMPARE(panel->fwVersion(), QStringLiteral("1.1.1031.31"));
    }

    void broadcasts()
    {
        connectPanel();
        BroadcastDataPayload record;
        record.displayType = 2;
        record.audioSelection = 0;
        record.durationMin = 1;
        record.durationSec = 30;
        record.woken = true;
        record.contentText = QStringLiteral("Fire drill at 10:00 — ünïcode");
        console->send(VELK_REMOTE_CMD_BROADCAST_DATA, record.encode());
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA), 0);
        QVERIFY(panel->hasBroadcast());
        QCOMPARE(panel->lastBroadcast().contentText, record.contentText);
        QCOMPARE(panel->lastBroadcast().durationSec, 30);
        QVERIFY(panel->lastBroadcast().woken);

        // With audio: "waiting for the file", then complete only once the file is in.
        record.audioSelection = 2;
        console->send(VELK_REMOTE_CMD_BROADCAST_DATA, record.encode());
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE), 1);
        const QByteArray audio(12000, 'm');
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_START, "Default_Audio_2.mp3");
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_DATA, audio.left(10240));
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_DATA, audio.mid(10240));
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE, "12000");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE), 2);
        QCOMPARE(panel->lastAudioFile().name, QStringLiteral("Default_Audio_2.mp3"));
        QCOMPARE(panel->lastAudioFile().size, qint64(12000));

        // Cancelled audio: no completion.
        console->send(VELK_REMOTE_CMD_BROADCAST_DATA, record.encode());
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA), 2);
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_START, "Default_Audio_2.mp3");
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_DATA, audio.left(100));
        console->send(VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE, "0");
        console->sendInt32(VELK_REMOTE_CMD_START_BROADCAST, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_START_BROADCAST), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE), 2);

        // A record too short for its five fields is ignored, not read past its end.
        console->send(VELK_REMOTE_CMD_BROADCAST_DATA, QByteArray(12, '\0'));
        console->sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_HEARTBEAT), 1);
        QCOMPARE(console->count(VELK_REMOTE_RSP_BROADCAST_DATA) +
                     console->count(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE),
                 4);
    }

    void accountSync()
    {
        connectPanel();
        const QByteArray panelUsers = "userName,password,rfidId,hasPermission,uniqueId,packages\nann,pw,,1,u1,com.a\n";
        panel->setStoredUsers(panelUsers);

        // First contact with this console: "first" plus the panel's file.
        console->send(VELK_REMOTE_CMD_ASK_FIRST_SYNC, "{console-a}");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_ASK_FIRST_SYNC), 1);
        qint32 first = -9;
        QByteArray file;
        QVERIFY(FrameCodec::splitInt32ThenBytes(console->payloadOf(VELK_REMOTE_RSP_ASK_FIRST_SYNC), &first, &file));
        QCOMPARE(first, 1);
        QCOMPARE(file, panelUsers);

        const QByteArray consoleUsers = "userName,password,rfidId,hasPermission,uniqueId,packages\nbob,x,,0,u2,\n";
        console->send(VELK_REMOTE_CMD_SYNC_USER_SETTINGS, consoleUsers);
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE), 1);
        QCOMPARE(panel->storedUsers(), consoleUsers);
        QCOMPARE(panel->syncedConsoleId(), QStringLiteral("{console-a}"));

        // The same console again: not first, no file. Another console: first again.
        console->send(VELK_REMOTE_CMD_ASK_FIRST_SYNC, "{console-a}");
        console->send(VELK_REMOTE_CMD_ASK_FIRST_SYNC, "{console-b}");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_ASK_FIRST_SYNC), 3);
        QList<QByteArray> answers;
        for (const FakeConsole::Frame &f : console->frames) {
            if (f.code == VELK_REMOTE_RSP_ASK_FIRST_SYNC)
                answers << f.payload;
        }
        QCOMPARE(answers.at(1), FrameCodec::int32Payload(0));
        QCOMPARE(answers.at(2), FrameCodec::int32ThenBytes(1, consoleUsers));

        // Forced answer.
        panel->behaviour().firstSyncAnswer = false;
        console->send(VELK_REMOTE_CMD_ASK_FIRST_SYNC, "{console-c}");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_ASK_FIRST_SYNC), 4);
        QCOMPARE(console->payloadOf(VELK_REMOTE_RSP_ASK_FIRST_SYNC), FrameCodec::int32Payload(0));
    }

    void answerKnobs()
    {
        connectPanel();
        panel->setAnswerDropped(VELK_REMOTE_RSP_START_BROADCAST, true);
        panel->setAnswerDelay(VELK_REMOTE_RSP_CHECK_OTA_STATE, 300);
        panel->setAnswerPayload(VELK_REMOTE_RSP_SET_PASSWORD, FrameCodec::int32Payload(-7));
        QElapsedTimer clock;
        clock.start();
        console->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
        console->sendInt32(VELK_REMOTE_CMD_START_BROADCAST, 0);
        console->send(VELK_REMOTE_CMD_SET_PASSWORD, "pw");
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_SET_PASSWORD), 1);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_SET_PASSWORD), -7);
        QCOMPARE(console->count(VELK_REMOTE_RSP_CHECK_OTA_STATE), 0); // still held back
        QTRY_COMPARE(console->count(VELK_REMOTE_RSP_CHECK_OTA_STATE), 1);
        QVERIFY(clock.elapsed() >= 290);
        QCOMPARE(console->count(VELK_REMOTE_RSP_START_BROADCAST), 0);
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);

        // A delayed answer belongs to its connection: after a reconnect it is not sent.
        console->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
        QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_CHECK_OTA_STATE), 2);
        panel->abort();
        QTRY_VERIFY(panel->isConnected());
        QTest::qWait(400);
        QCOMPARE(console->count(VELK_REMOTE_RSP_CHECK_OTA_STATE), 1);

        // Keep-alive: ignored, or sent by the panel itself.
        panel->behaviour().answerHeartbeat = false;
        console->sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
        QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_HEARTBEAT), 1);
        panel->behaviour().ownHeartbeatMs = 30;
        panel->abort();
        QTRY_VERIFY(console->count(VELK_REMOTE_CMD_HEARTBEAT) >= 2);
        QCOMPARE(console->count(VELK_REMOTE_RSP_HEARTBEAT), 0);
    }

    void powerOffAndReboot()
    {
        connectPanel();
        QSignalSpy offSpy(panel.get(), &SimulatedPanel::poweredOff);
        QSignalSpy rebootSpy(panel.get(), &SimulatedPanel::rebooting);
        QSignalSpy closedSpy(console->last(), &QTcpSocket::disconnected);

        console->sendInt32(VELK_REMOTE_CMD_REBOOT, 0);
        QTRY_COMPARE(rebootSpy.count(), 1);
        QTRY_COMPARE(closedSpy.count(), 1);
        QTRY_COMPARE(panel->connectCount(), 2);

        QSignalSpy closedSpy2(console->last(), &QTcpSocket::disconnected);
        console->sendInt32(VELK_REMOTE_CMD_POWER_OFF, 0);
        QTRY_COMPARE(offSpy.count(), 1);
        QTRY_COMPARE(closedSpy2.count(), 1);
        QCOMPARE(panel->state(), SimulatedPanel::Off);
        QTest::qWait(200);
        QCOMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 2); // off means off

        // The console closing the connection sends the panel back to searching (here: connecting again).
        panel->start();
        QTRY_COMPARE(panel->connectCount(), 3);
        console->last()->close();
        QTRY_COMPARE(panel->connectCount(), 4);
    }

    void misbehaviours()
    {
        struct Case
        {
            const char *name;
            std::function<int(SimulatedPanel &)> act;
            QByteArray expected; // bytes after the identity frame
        };
        const QList<Case> cases = {
            {"huge", [](SimulatedPanel &p) { return p.sendHugeLength(); },
             FrameCodec::encodeHeader(VELK_REMOTE_CMD_SAFE_ALERT, 0x7FFFFFF0)},
            {"negative", [](SimulatedPanel &p) { return p.sendNegativeLength(); },
             FrameCodec::encodeHeader(VELK_REMOTE_CMD_SAFE_ALERT, -1)},
            {"partial", [](SimulatedPanel &p) { return p.sendPartialAndStall(); },
             FrameCodec::encodeHeader(VELK_REMOTE_CMD_HEARTBEAT, 64) + QByteArray(10, '\0')},
            {"short", [](SimulatedPanel &p) { return p.sendShortInt32(VELK_REMOTE_CMD_SAFE_ALERT); },
             FrameCodec::encode(VELK_REMOTE_CMD_SAFE_ALERT, QByteArray(2, '\0'))},
            {"raw", [](SimulatedPanel &p) { return p.sendRaw("\x01\x02"); }, QByteArray("\x01\x02")},
        };
        for (const Case &c : cases) {
            console = std::make_unique<FakeConsole>();
            connectPanel();
            const int identityBytes = console->raw.size();
            QCOMPARE(c.act(*panel), 0);
            QTRY_COMPARE(console->raw.mid(identityBytes), c.expected);
        }

        // An unknown code is a well-formed frame that no table entry names.
        console = std::make_unique<FakeConsole>();
        connectPanel();
        QCOMPARE(panel->sendUnknownCode(), 0);
        QTRY_COMPARE(console->frames.size(), 2);
        QVERIFY(!ProtocolCodes::isKnown(console->frames.last().code));

        // Silence instead of an identity, and a bad identity payload.
        console = std::make_unique<FakeConsole>();
        panel = std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(1), fastSettings(console->port()));
        panel->behaviour().skipIdentity = true;
        panel->start();
        QTRY_COMPARE(panel->state(), SimulatedPanel::Handshaking);
        QTest::qWait(100);
        QVERIFY(console->raw.isEmpty());
        panel->behaviour().skipIdentity = false;
        panel->behaviour().identityPayload = QByteArray("{not json");
        panel->abort();
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_IDENTITY), 1);
        QCOMPARE(console->payloadOf(VELK_REMOTE_CMD_IDENTITY), QByteArray("{not json"));

        // Nothing to send on: every action reports -1 without a connection.
        panel->shutDown();
        QCOMPARE(panel->raiseSos(), -1);
        QCOMPARE(panel->sendHugeLength(), -1);
        QCOMPARE(panel->sendKick(QStringLiteral("x")), -1);
    }

    void stalledReader()
    {
        connectPanel();
        panel->stopReading();
        QTRY_VERIFY(!panel->isReading());
        // Write far more than the socket buffers hold; the console's backlog must stay.
        const QByteArray chunk(10240, 'c');
        const int chunks = 1600; // ~16 MB
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_START, "big.bin");
        for (int i = 0; i < chunks; ++i)
            console->send(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, chunk);
        console->send(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, QByteArray::number(qint64(chunks) * chunk.size()));
        QTest::qWait(300);
        QVERIFY(console->last()->bytesToWrite() > 0);
        QVERIFY(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA) < chunks);

        panel->resumeReading();
        QTRY_COMPARE_WITH_TIMEOUT(console->count(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 1, QuorvinTryCeilingMs);
        QCOMPARE(console->int32Of(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE), 0);
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA), chunks);
    }

    void consoleGarbageDropsConnection()
    {
        connectPanel();
        QSignalSpy disconnectedSpy(panel.get(), &SimulatedPanel::disconnected);
        console->last()->write(FrameCodec::encodeHeader(VELK_REMOTE_CMD_HEARTBEAT, 0x7FFFFFF0));
        QTRY_COMPARE(disconnectedSpy.count(), 1);
        QTRY_COMPARE(panel->connectCount(), 2); // and it comes back
    }

    void wakeOnLan()
    {
        panel =
            std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(0x0a0b0c), fastSettings(console->port()));
        QVERIFY(panel->listenForWake(QHostAddress::LocalHost, 0));
        QVERIFY(panel->wakePort() != 0);
        QSignalSpy wokenSpy(panel.get(), &SimulatedPanel::woken);
        QUdpSocket sender;
        sender.writeDatagram(magicPacket(QStringLiteral("02:51:4d:0a:0b:0d")), QHostAddress::LocalHost,
                             panel->wakePort());
        QTest::qWait(100);
        QCOMPARE(wokenSpy.count(), 0);
        QCOMPARE(panel->state(), SimulatedPanel::Off);
        sender.writeDatagram(magicPacket(QStringLiteral("02:51:4D:0A:0B:0C")), QHostAddress::LocalHost,
                             panel->wakePort());
        QTRY_COMPARE(wokenSpy.count(), 1);
        QTRY_VERIFY(panel->isConnected());
        // A second burst while on changes nothing.
        sender.writeDatagram(magicPacket(QStringLiteral("02:51:4d:0a:0b:0c")), QHostAddress::LocalHost,
                             panel->wakePort());
        QTRY_COMPARE(wokenSpy.count(), 2);
        QCOMPARE(panel->connectCount(), 1);

        // Only loopback or any-address listening.
        SimulatedPanel other(SimulatedPanel::defaultIdentity(1), fastSettings(1));
        QVERIFY(!other.listenForWake(QHostAddress(QStringLiteral("192.0.2.1")), 0));
    }

    void discovery()
    {
        QUdpSocket responder; // the console's discovery port
        QVERIFY(responder.bind(QHostAddress(QHostAddress::LocalHost), 0));
        PanelSettings settings = fastSettings(0);
        settings.discovery = true;
        settings.discoveryPort = responder.localPort();
        panel = std::make_unique<SimulatedPanel>(SimulatedPanel::defaultIdentity(5), settings);
        panel->start();

        // Searches repeat until answered, from the panel's own address and discovery socket.
        QTRY_VERIFY(panel->searchesSent() >= 2);
        QTRY_VERIFY(responder.hasPendingDatagrams());
        const QNetworkDatagram datagram = responder.receiveDatagram();
        QCOMPARE(datagram.senderAddress().toString(), QStringLiteral("127.0.0.2"));
        QCOMPARE(quint16(datagram.senderPort()), panel->answerPort());
        SsdpSearch search;
        QVERIFY(SsdpMessage::parseSearch(datagram.data(), &search));
        QCOMPARE(search.mac, QStringLiteral("02:51:4d:00:00:05"));
        QCOMPARE(search.model, QStringLiteral("Velk TM B-Series"));
        QCOMPARE(search.deviceType, QStringLiteral("Control Box"));
        QCOMPARE(search.displayClientVersion, QStringLiteral("1.1.1030.30"));
        QVERIFY(datagram.data().contains("HOST: 239.255.255.250:" + QByteArray::number(responder.localPort())));
        QCOMPARE(panel->state(), SimulatedPanel::Searching);

        // Noise does not move it; the console's answer does, to the answer's source and LOCATION port.
        QUdpSocket consoleSide;
        QVERIFY(consoleSide.bind(QHostAddress(QHostAddress::LocalHost), 0));
        consoleSide.writeDatagram("HTTP/1.1 404 Not Found\r\n\r\n", datagram.senderAddress(), datagram.senderPort());
        QTest::qWait(100);
        QCOMPARE(panel->answersReceived(), 0);
        consoleSide.writeDatagram(SsdpMessage::buildAnswer(QStringLiteral("127.0.0.9"), console->port(), "{abc}"),
                                  datagram.senderAddress(), datagram.senderPort());
        QTRY_VERIFY(panel->isConnected());
        QCOMPARE(panel->lastAnswer().port, console->port());
        QCOMPARE(panel->lastAnswerSource().toString(), QStringLiteral("127.0.0.1"));
        const int searches = panel->searchesSent();
        QTest::qWait(250);
        QCOMPARE(panel->searchesSent(), searches); // no searching while connected

        // A re-announce while connected is noted, nothing more; after a drop the panel searches again.
        consoleSide.writeDatagram(SsdpMessage::buildAnswer(QStringLiteral("127.0.0.1"), console->port(), "{abc}"),
                                  datagram.senderAddress(), datagram.senderPort());
        QTRY_COMPARE(panel->answersReceived(), 2);
        QCOMPARE(panel->connectCount(), 1);
        console->last()->close();
        QTRY_VERIFY(panel->searchesSent() > searches);
    }

    void fleetAddressing()
    {
        if (!LoopbackAddress::aliasesUsable())
            QSKIP("this host answers only on 127.0.0.1; fleets fall back to one shared address");
        FleetOptions options;
        options.count = 3;
        options.baseAddress = QHostAddress(QStringLiteral("127.0.0.2"));
        options.firstSerial = 0x10;
        options.settings = fastSettings(console->port());
        options.settings.answerPort = 0;
        PanelFleet fleet(options);
        QCOMPARE(fleet.size(), 3);
        QVERIFY(fleet.usesAliases());
        QVERIFY(fleet.answerPort() != 0);
        for (SimulatedPanel *p : fleet.panels())
            QCOMPARE(p->answerPort(), fleet.answerPort());
        QCOMPARE(fleet.panel(2)->name(), QStringLiteral("Panel-003"));
        QCOMPARE(fleet.panelByMac(QStringLiteral("02-51-4D-00-00-11")), fleet.panel(1));

        fleet.startAll();
        QTRY_COMPARE(fleet.connectedCount(), 3);
        QSet<QString> peers;
        for (QTcpSocket *s : console->sockets)
            peers << s->peerAddress().toString();
        QCOMPARE(peers, (QSet<QString>{"127.0.0.2", "127.0.0.3", "127.0.0.4"}));

        const QList<VelkIFPDevice> devices = fleet.asDevices();
        QCOMPARE(devices.size(), 3);
        QCOMPARE(devices.at(2).deviceName, QStringLiteral("Panel-003"));
        QCOMPARE(devices.at(2).ipAddress, QStringLiteral("127.0.0.4"));
        QCOMPARE(devices.at(2).macAddress, QStringLiteral("02:51:4d:00:00:12"));
        QCOMPARE(devices.at(2).deviceType, QStringLiteral("Control Box"));
        const QList<QByteArray> csv = fleet.deviceCsv().split('\n');
        QCOMPARE(csv.size(), 5); // header, three rows, final empty piece
        QCOMPARE(csv.at(1), QByteArray(",Panel-001,127.0.0.2,02:51:4d:00:00:10,IFP/Control Box,,,"));

        // One shared wake listener hands each packet to its panel only.
        fleet.shutDownAll();
        QCOMPARE(fleet.countInState(SimulatedPanel::Off), 3);
        QVERIFY(fleet.listenForWake(QHostAddress::AnyIPv4, 0));
        QSignalSpy wokenSpy(&fleet, &PanelFleet::panelWoken);
        QUdpSocket sender;
        // Subnet broadcast on loopback reaches the listener on 0.0.0.0, as the console's burst does in tests.
        sender.writeDatagram(magicPacket(QStringLiteral("02:51:4d:00:00:12")),
                             QHostAddress(QStringLiteral("127.255.255.255")), fleet.wakePort());
        QTRY_COMPARE(wokenSpy.count(), 1);
        QCOMPARE(wokenSpy.first().at(0).value<SimulatedPanel *>(), fleet.panel(2));
        QTRY_VERIFY(fleet.panel(2)->isConnected());
        QCOMPARE(fleet.connectedCount(), 1);

        // Listeners that share a port (fleets of other MACs, one process each, on the console's one port) each get
        // every broadcast magic packet; one that does not share it is refused, loudly.
        WakeOnLanListener first;
        WakeOnLanListener second;
        WakeOnLanListener alone;
        QVERIFY(first.listen(QHostAddress::AnyIPv4, 0, true));
        QVERIFY(second.listen(QHostAddress::AnyIPv4, first.port(), true));
        QVERIFY(!alone.listen(QHostAddress::AnyIPv4, first.port()));
        QSignalSpy firstHeard(&first, &WakeOnLanListener::magicPacketReceived);
        QSignalSpy secondHeard(&second, &WakeOnLanListener::magicPacketReceived);
        sender.writeDatagram(magicPacket(QStringLiteral("02:51:4d:00:00:30")),
                             QHostAddress(QStringLiteral("127.255.255.255")), first.port());
        QTRY_COMPARE(firstHeard.count(), 1);
        QTRY_COMPARE(secondHeard.count(), 1);
    }

    void commandLine()
    {
        PanelSimOptions o;
        QString error;
        QVERIFY(PanelSimOptions::parse({"panelsim"}, &o, &error));
        QCOMPARE(o.fleet.count, 1);
        QCOMPARE(o.fleet.settings.consolePort, quint16(1688));
        QVERIFY(!o.fleet.settings.discovery);
        QCOMPARE(o.wolPort, quint16(33333));
        QVERIFY(!o.wolShared);
        QVERIFY(!o.fleet.behaviour.keepFiles);

        QVERIFY2(PanelSimOptions::parse({"panelsim",
                                         "--console-discovery",
                                         "127.0.0.1:41988",
                                         "--answer-port",
                                         "41989",
                                         "--wol-port",
                                         "43333",
                                         "--wol-shared",
                                         "--count",
                                         "50",
                                         "--base-ip",
                                         "127.0.1.2",
                                         "--model",
                                         "Velk ZN-640",
                                         "--display-version",
                                         "1.1.1020.21",
                                         "--fw",
                                         "1.1.1017.18",
                                         "--password",
                                         "pw",
                                         "--ota-state",
                                         "-1",
                                         "--ota-result",
                                         "fail",
                                         "--no-heartbeat",
                                         "--sos-every",
                                         "60",
                                         "--first-sync",
                                         "1",
                                         "--reboot-after-ota",
                                         "--roll-back-after",
                                         "300",
                                         "--restart-before-result",
                                         "--late-result",
                                         "2000",
                                         "--fail-from-update",
                                         "2",
                                         "--drop-while-installing",
                                         "5000",
                                         "--drop-kind",
                                         "open",
                                         "--silent-install",
                                         "120000"},
                                        &o, &error),
                 qPrintable(error));
        QVERIFY(o.fleet.settings.discovery);
        QCOMPARE(o.fleet.settings.discoveryPort, quint16(41988));
        QCOMPARE(o.fleet.settings.answerPort, quint16(41989));
        QVERIFY(o.wolShared);
        QCOMPARE(o.fleet.count, 50);
        QCOMPARE(o.fleet.identity.model, QStringLiteral("Velk ZN-640"));
        QCOMPARE(o.fleet.identity.panelFwVersion, QStringLiteral("1.1.1017.18"));
        QCOMPARE(o.fleet.identity.password, QStringLiteral("pw"));
        QCOMPARE(o.fleet.behaviour.otaStateAnswer, -1);
        QCOMPARE(o.fleet.behaviour.otaResultScript.last().value, -1);
        QVERIFY(!o.fleet.behaviour.answerHeartbeat);
        QCOMPARE(o.fleet.behaviour.firstSyncAnswer, std::optional<bool>(true));
        QCOMPARE(o.sosEverySec, 60);
        QVERIFY(o.fleet.behaviour.rebootAfterOta);
        QCOMPARE(o.fleet.behaviour.rollBackAfterBootMs, 300);
        QCOMPARE(o.fleet.behaviour.lateResultMs, 2000);
        QCOMPARE(o.fleet.behaviour.failFromUpdate, 2);
        QCOMPARE(o.fleet.behaviour.dropWhileInstallingMs, 5000);
        QVERIFY(o.fleet.behaviour.dropKind == PanelBehaviour::Drop::LeftOpen);
        QCOMPARE(o.fleet.behaviour.silentInstallMs, 120000);
        QVERIFY(o.fleet.behaviour.installThroughDrops);

        // Panels whose network cards report all zeros: each reports it, and the device file enters them by address.
        QVERIFY2(PanelSimOptions::parse({"panelsim", "--count", "2", "--mac", "00-00-00-00-00-00"}, &o, &error),
                 qPrintable(error));
        QCOMPARE(o.fleet.reportedMac, QStringLiteral("00:00:00:00:00:00"));
        o.fleet.bindAnswerSockets = false;
        {
            PanelFleet zeros(o.fleet);
            for (SimulatedPanel *each : zeros.panels())
                QCOMPARE(each->identity().mac, QStringLiteral("00:00:00:00:00:00"));
            QCOMPARE(zeros.panelByMac(QStringLiteral("00:00:00:00:00:00")), zeros.panel(0));
            const QList<QByteArray> csv = zeros.deviceCsv().split('\n');
            QCOMPARE(csv.at(2), QByteArray(",Panel-002,") + zeros.panel(1)->settings().ownAddress.toString().toUtf8() +
                                    ",,IFP/Control Box,,,");
        }

        // A slow fleet confirms its account files spread over the time given, the first at once.
        QVERIFY2(PanelSimOptions::parse({"panelsim", "--count", "300", "--sync-answer-spread", "18000"}, &o, &error),
                 qPrintable(error));
        o.fleet.bindAnswerSockets = false;
        {
            PanelFleet slow(o.fleet);
            const auto delay = [&slow](int i) {
                return slow.panel(i)->behaviour().answers.value(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE).delayMs;
            };
            QCOMPARE(delay(0), 0);
            QCOMPARE(delay(1), 60);
            QCOMPARE(delay(299), 17940);
        }

        // A slow link's rate in fractions of a Mbit/s; one too small to count a byte still reads.
        QVERIFY2(PanelSimOptions::parse({"panelsim", "--link-mbps", "0.6144", "--receive-buffer", "64"}, &o, &error),
                 qPrintable(error));
        QCOMPARE(o.fleet.behaviour.linkBytesPerSecond, qint64(76800));
        QCOMPARE(o.fleet.behaviour.receiveBufferBytes, 65536);
        QVERIFY2(PanelSimOptions::parse({"panelsim", "--link-mbps", "0.000001"}, &o, &error), qPrintable(error));
        QCOMPARE(o.fleet.behaviour.linkBytesPerSecond, qint64(1));

        const QList<QStringList> bad = {
            {"panelsim", "--link-mbps", "-0.5"},
            {"panelsim", "--link-mbps", "fast"},
            {"panelsim", "--link-mbps", "nan"},
            {"panelsim", "--mac", "00:00:00:00:00"},
            {"panelsim", "--console", "192.168.1.5:1688"},
            {"panelsim", "--console", "127.0.0.1"},
            {"panelsim", "--console-discovery", "10.0.0.1:1988"},
            {"panelsim", "--count", "0"},
            {"panelsim", "--base-ip", "127.255.255.250", "--count", "300"},
            {"panelsim", "--ota-result", "maybe"},
            {"panelsim", "--sync-answer-spread", "-1"},
            {"panelsim", "--roll-back-after", "300"}, // a roll-back needs the reboot into the new firmware
            {"panelsim", "--late-result", "2000"},    // a late result needs the restart that kept it back
            {"panelsim", "--drop-while-installing", "500", "--drop-kind", "sideways"},
            {"panelsim", "--fail-from-update", "0"},
            {"panelsim", "--reboot-after-ota", "--roll-back-after", "-1"},
            {"panelsim", "--wol-address", "192.0.2.1"},
            {"panelsim", "--bogus"},
            {"panelsim", "stray"},
        };
        for (const QStringList &args : bad)
            QVERIFY2(!PanelSimOptions::parse(args, &o, &error), qPrintable(args.join(' ')));
    }

    void lineCommands()
    {
        FleetOptions options;
        options.count = 2;
        options.settings = fastSettings(console->port());
        options.bindAnswerSockets = false;
        PanelFleet fleet(options);
        PanelSimCommands commands(&fleet);
        bool quit = false;
        QVERIFY(commands.execute(QStringLiteral("on all"), &quit).isEmpty());
        QTRY_COMPARE(fleet.connectedCount(), 2);
        QVERIFY(commands.execute(QStringLiteral("status"), &quit).contains(QStringLiteral("2 of 2 connected")));
        QVERIFY(commands.execute(QStringLiteral("sos 2"), &quit).isEmpty());
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_SAFE_ALERT), 1);
        QVERIFY(fleet.panel(1)->isSosActive());
        commands.execute(QStringLiteral("kick Panel-001 {other} pw2"), &quit);
        QTRY_COMPARE(console->count(VELK_REMOTE_CMD_KICK), 1);
        QCOMPARE(fleet.panel(0)->storedPassword(), QStringLiteral("pw2"));
        commands.execute(QStringLiteral("off 02:51:4d:00:00:01"), &quit);
        QCOMPARE(fleet.panel(0)->state(), SimulatedPanel::Off);
        QVERIFY(commands.execute(QStringLiteral("sos 1"), &quit).contains(QStringLiteral("not connected")));
        QVERIFY(commands.execute(QStringLiteral("sos 9"), &quit).contains(QStringLiteral("no panel")));
        QVERIFY(commands.execute(QStringLiteral("frobnicate all"), &quit).contains(QStringLiteral("unknown")));
        QVERIFY(commands.execute(QStringLiteral("rate 2 0.8192"), &quit).isEmpty());
        QCOMPARE(fleet.panel(1)->behaviour().linkBytesPerSecond, qint64(102400));
        QVERIFY(commands.execute(QStringLiteral("rate 2 slow"), &quit).contains(QStringLiteral("Mbit/s")));
        QCOMPARE(fleet.panel(1)->behaviour().linkBytesPerSecond, qint64(102400));
        QVERIFY(commands.execute(QStringLiteral("rate 2 0"), &quit).isEmpty());
        QCOMPARE(fleet.panel(1)->behaviour().linkBytesPerSecond, qint64(0));
        QVERIFY(!quit);
        commands.execute(QStringLiteral("quit"), &quit);
        QVERIFY(quit);
    }
};

QTEST_GUILESS_MAIN(TestPanelSim)
#include "tst_panelsim.moc"
