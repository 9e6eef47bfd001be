#include "network/FrameCodec.h"
#include "network/FrameDecoder.h"
#include "network/PanelIdentity.h"
#include "network/ProtocolCodes.h"

#include <QRandomGenerator>
#include <QSet>
#include <QtTest>

class TestFrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void headerIsLittleEndianPayloadLengthOnly();
    void splitAtEveryByteReassembles();
    void manyFramesInOneRead();
    void badLengthStopsTheStream_data();
    void badLengthStopsTheStream();
    void randomBytesKeepMemoryBounded();
    void shortInt32PayloadsAreNotRead();
    void sizeText_data();
    void sizeText();
    void broadcastRecordLayout();
    void identityParsing_data();
    void identityParsing();
    void identityCutsLongFields();
    void identityFieldsAreWholeOrEmpty();
    void identityMarksMacsNoCardHas();
    void codeTableIsConsistent();
};

void TestFrameCodec::headerIsLittleEndianPayloadLengthOnly()
{
    const QByteArray frame = FrameCodec::encode(VELK_REMOTE_CMD_POWER_OFF, FrameCodec::int32Payload(0));
    QCOMPARE(frame.toHex(), QByteArray("04000000"
                                       "0110"
                                       "00000000"));
    const QByteArray start = FrameCodec::encodeInt32(VELK_REMOTE_CMD_START_OTA, 1);
    QCOMPARE(start.toHex(), QByteArray("04000000"
                                       "0720"
                                       "01000000"));
    QCOMPARE(FrameCodec::encode(VELK_REMOTE_CMD_KICK).toHex(), QByteArray("00000000"
                                                                          "0300"));
}

// A header or payload split across reads must be kept and parsed once complete, whatever the split point.
void TestFrameCodec::splitAtEveryByteReassembles()
{
    const QByteArray first = FrameCodec::encode(VELK_REMOTE_CMD_IDENTITY, "{\"mac\":\"02:51:4d:00:00:01\"}");
    const QByteArray second = FrameCodec::encode(VELK_REMOTE_CMD_KICK, QByteArray());
    const QByteArray third = FrameCodec::encodeInt32(VELK_REMOTE_RSP_OTA_RESULT, -1);
    const QByteArray stream = first + second + third;
    for (int split = 0; split <= stream.size(); ++split) {
        FrameDecoder decoder;
        QList<QPair<quint16, QByteArray>> frames;
        FrameView view;
        for (const QByteArray &part : {stream.left(split), stream.mid(split)}) {
            decoder.append(part);
            while (decoder.next(&view) == FrameDecoder::FrameReady)
                frames.append({view.code, view.copy()});
        }
        QCOMPARE(frames.size(), 3);
        QCOMPARE(frames[0].first, VELK_REMOTE_CMD_IDENTITY);
        QCOMPARE(frames[0].second, first.mid(6));
        QCOMPARE(frames[1].first, VELK_REMOTE_CMD_KICK);
        QVERIFY(frames[1].second.isEmpty());
        qint32 value = 0;
        QVERIFY(FrameCodec::readInt32(frames[2].second, 0, &value));
        QCOMPARE(value, -1);
        QCOMPARE(decoder.pending(), 0);
    }
}

void TestFrameCodec::manyFramesInOneRead()
{
    QByteArray stream;
    for (int i = 0; i < 1000; ++i)
        stream += FrameCodec::encodeInt32(VELK_REMOTE_RSP_OTA_RESULT, i);
    stream += QByteArray("\x04\x00\x00", 3); // start of a next header
    FrameDecoder decoder;
    decoder.append(stream);
    FrameView view;
    int count = 0;
    while (decoder.next(&view) == FrameDecoder::FrameReady) {
        qint32 value = -1;
        QVERIFY(FrameCodec::readInt32(view.data, view.size, 0, &value));
        QCOMPARE(value, count);
        // Views point into the decoder's buffer; bytes() shares it.
        QCOMPARE(view.bytes().constData(), view.data);
        ++count;
    }
    QCOMPARE(count, 1000);
    QCOMPARE(decoder.pending(), 3);
    decoder.append(QByteArray("\x00\x02\x00", 3));
    decoder.append(FrameCodec::int32Payload(7));
    QCOMPARE(decoder.next(&view), FrameDecoder::FrameReady);
    QCOMPARE(view.code, VELK_REMOTE_CMD_HEARTBEAT);
}

void TestFrameCodec::badLengthStopsTheStream_data()
{
    QTest::addColumn<qint32>("length");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("negative") << qint32(-1) << false;
    QTest::newRow("most negative") << qint32(INT_MIN) << false;
    QTest::newRow("2 GB") << qint32(0x7FFFFFF0) << false;
    QTest::newRow("one over the bound") << qint32(FrameCodec::kDefaultMaxPayload + 1) << false;
    QTest::newRow("exactly the bound") << qint32(FrameCodec::kDefaultMaxPayload) << true;
}

// A peer announcing a huge or negative length must not make us wait for (and buffer) that many bytes.
void TestFrameCodec::badLengthStopsTheStream()
{
    QFETCH(qint32, length);
    QFETCH(bool, accepted);
    FrameDecoder decoder;
    decoder.append(FrameCodec::encodeHeader(VELK_REMOTE_CMD_SAFE_ALERT, length));
    FrameView view;
    const FrameDecoder::Result result = decoder.next(&view);
    if (accepted) {
        QCOMPARE(result, FrameDecoder::NeedMore);
        return;
    }
    QCOMPARE(result, FrameDecoder::BadLength);
    QCOMPARE(decoder.badLength(), length);
    QVERIFY(decoder.failed());
    // Nothing more is buffered after the failure.
    decoder.append(QByteArray(4096, 'x'));
    QCOMPARE(decoder.next(&view), FrameDecoder::BadLength);
    QVERIFY(decoder.pending() <= 6);
}

// Whatever a peer sends, the decoder either hands out well-formed views or fails; it never holds more than one
// frame's worth plus the latest read.
void TestFrameCodec::randomBytesKeepMemoryBounded()
{
    QRandomGenerator random(4242);
    const qint32 maxPayload = 4096;
    for (int round = 0; round < 200; ++round) {
        FrameDecoder decoder(maxPayload);
        for (int read = 0; read < 50 && !decoder.failed(); ++read) {
            QByteArray bytes(int(random.bounded(1, 2048)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            // Bias toward plausible headers now and then, so both paths run.
            if (random.bounded(4) == 0 && bytes.size() >= 6) {
                const QByteArray header =
                    FrameCodec::encodeHeader(quint16(random.bounded(0x10000)), qint32(random.bounded(maxPayload + 1)));
                bytes.replace(0, 6, header);
            }
            decoder.append(bytes);
            FrameView view;
            while (decoder.next(&view) == FrameDecoder::FrameReady)
                QVERIFY(view.size >= 0 && view.size <= maxPayload);
            QVERIFY(decoder.pending() <= FrameCodec::kHeaderSize + maxPayload + 2048);
        }
    }
}

void TestFrameCodec::shortInt32PayloadsAreNotRead()
{
    qint32 value = 123;
    QVERIFY(!FrameCodec::readInt32(QByteArray("\x01\x02\x03", 3), 0, &value));
    QVERIFY(!FrameCodec::readInt32(QByteArray(8, 0), 5, &value));
    QVERIFY(!FrameCodec::readInt32(QByteArray(8, 0), -1, &value));
    QCOMPARE(value, 123);
    QByteArray rest;
    QVERIFY(!FrameCodec::splitInt32ThenBytes(QByteArray("\x01", 1), &value, &rest));
    QVERIFY(FrameCodec::splitInt32ThenBytes(FrameCodec::int32ThenBytes(1, "csv"), &value, &rest));
    QCOMPARE(value, 1);
    QCOMPARE(rest, QByteArray("csv"));
}

void TestFrameCodec::sizeText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("size");
    QTest::newRow("cancel") << QByteArray("0") << true << qint64(0);
    QTest::newRow("size") << QByteArray("10485760") << true << qint64(10485760);
    QTest::newRow("empty") << QByteArray() << false << qint64(0);
    QTest::newRow("signed") << QByteArray("-5") << false << qint64(0);
    QTest::newRow("blank") << QByteArray("12 ") << false << qint64(0);
    QTest::newRow("overflow") << QByteArray("99999999999999999999") << false << qint64(0);
}

void TestFrameCodec::sizeText()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(qint64, size);
    qint64 parsed = -1;
    QCOMPARE(FrameCodec::parseSizeText(text, &parsed), valid);
    if (valid) {
        QCOMPARE(parsed, size);
        QCOMPARE(FrameCodec::sizeText(size), text);
    }
}

void TestFrameCodec::broadcastRecordLayout()
{
    BroadcastDataPayload record;
    record.displayType = 2;
    record.audioSelection = 4;
    record.durationMin = 1;
    record.durationSec = 30;
    record.woken = true;
    record.contentText = QStringLiteral("Fire drill, Übung");
    const QByteArray bytes = record.encode();
    QCOMPARE(bytes.left(20).toHex(), QByteArray("02000000"
                                                "04000000"
                                                "01000000"
                                                "1e000000"
                                                "01000000"));
    QCOMPARE(bytes.mid(20), record.contentText.toUtf8());
    BroadcastDataPayload decoded;
    QVERIFY(BroadcastDataPayload::decode(bytes, &decoded));
    QCOMPARE(decoded.contentText, record.contentText);
    QCOMPARE(decoded.durationSec, 30);
    QVERIFY(decoded.woken);
    QVERIFY(!BroadcastDataPayload::decode(bytes.left(19), &decoded));
}

void TestFrameCodec::identityParsing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mac");
    QTest::newRow("plain") << QByteArray(R"({"mac":"02:51:4d:00:00:07","model":"Velk TM B-Series"})")
                           << "02:51:4d:00:00:07";
    QTest::newRow("upper case dashes") << QByteArray(R"({"mac":"02-51-4D-0A-0B-FF"})") << "02:51:4d:0a:0b:ff";
    QTest::newRow("mac not a string") << QByteArray(R"({"mac":12})") << QString();
    QTest::newRow("mac missing") << QByteArray(R"({"model":"x"})") << QString();
    QTest::newRow("mac too short") << QByteArray(R"({"mac":"02:51:4d:00:00"})") << QString();
    QTest::newRow("mac with trailing text") << QByteArray(R"({"mac":"02:51:4d:00:00:07x"})") << QString();
    QTest::newRow("array") << QByteArray(R"(["02:51:4d:00:00:07"])") << QString();
    QTest::newRow("truncated") << QByteArray(R"({"mac":"02:51:4d:00:00:07")") << QString();
    QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01", 4) << QString();
}

void TestFrameCodec::identityParsing()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, mac);
    PanelIdentity identity;
    QString error;
    QCOMPARE(PanelIdentity::fromJson(json, &identity, &error), !mac.isEmpty());
    if (mac.isEmpty()) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(identity.mac, mac);
    PanelIdentity again;
    QVERIFY(PanelIdentity::fromJson(identity.toJson(), &again));
    QCOMPARE(again.mac, identity.mac);
    QCOMPARE(again.model, identity.model);
}

void TestFrameCodec::identityCutsLongFields()
{
    const QByteArray json = "{\"mac\":\"02:51:4d:00:00:07\",\"model\":\"" + QByteArray(5000, 'm') +
                            "\",\"password\":7,\"extra\":{\"a\":1}}";
    PanelIdentity identity;
    QVERIFY(PanelIdentity::fromJson(json, &identity));
    QCOMPARE(identity.model.size(), PanelIdentity::kMaxFieldLength);
    QVERIFY(identity.password.isEmpty());
}

// A field holding a NUL used to be read up to it, and a long one cut inside a surrogate pair; both then went into the
// database and the lists as something the panel never sent.
void TestFrameCodec::identityFieldsAreWholeOrEmpty()
{
    const QByteArray emoji = "\xf0\x9f\x98\x80"; // U+1F600, a surrogate pair in UTF-16
    const QByteArray json =
        "{\"mac\":\"02:51:4d:00:00:07\",\"model\":\"Velk\\u0000B-Series\",\"fwVersion\":\"1.1\\u0000\","
        "\"sku\":\"" +
        QByteArray(PanelIdentity::kMaxFieldLength - 1, 's') + emoji +
        "\",\"displayClientVersion\":\"v\\ud83d\",\"panelFwVersion\":\"\\ude00x\","
        "\"gateway\":\"\\ud83d\\ude00\",\"deviceType\":\"Control Box\"}";
    PanelIdentity identity;
    QVERIFY(PanelIdentity::fromJson(json, &identity));
    QCOMPARE(identity.model, QString());
    QCOMPARE(identity.fwVersion, QString());
    QCOMPARE(identity.deviceType, QString("Control Box"));
    QCOMPARE(identity.sku, QString(PanelIdentity::kMaxFieldLength - 1, QLatin1Char('s')));
    QCOMPARE(identity.displayClientVersion, QString("v") + QChar(QChar::ReplacementCharacter));
    QCOMPARE(identity.panelFwVersion, QString(QChar(QChar::ReplacementCharacter)) + QLatin1Char('x'));
    QCOMPARE(identity.gateway, QString::fromUtf8(emoji));

    // Whole characters up to the limit are kept, a pair that fits included.
    const QString fits = QString(PanelIdentity::kMaxFieldLength - 2, QLatin1Char('a')) + QString::fromUtf8(emoji);
    QCOMPARE(PanelIdentity::fieldText(fits + QLatin1Char('b')), fits);
    for (const QString &field :
         {identity.model, identity.sku, identity.displayClientVersion, identity.panelFwVersion, identity.gateway}) {
        for (int i = 0; i < field.size(); ++i) {
            const bool paired =
                field.at(i).isHighSurrogate() && i + 1 < field.size() && field.at(i + 1).isLowSurrogate();
            QVERIFY2(paired || !field.at(i).isSurrogate(), qPrintable(field));
            i += paired ? 1 : 0;
        }
    }
}

// Uninitialised network cards report all zeros: such an identity is taken, and marked, so the handshake matches the
// panel by its address and never by that MAC.
void TestFrameCodec::identityMarksMacsNoCardHas()
{
    const struct
    {
        const char *mac;
        bool usable;
    } cases[] = {{"02:51:4d:00:00:07", true},  {"00:00:00:00:00:00", false}, {"FF-FF-FF-FF-FF-FF", false},
                 {"01:00:5e:00:00:fb", false}, {"33:33:00:00:00:01", false}, {"00:11:22:33:44:55", true}};
    for (const auto &c : cases) {
        PanelIdentity identity;
        QVERIFY2(PanelIdentity::fromJson(QByteArray("{\"mac\":\"") + c.mac + "\"}", &identity), c.mac);
        QCOMPARE(identity.macUsable, c.usable);
        QCOMPARE(identity.mac, PanelIdentity::normaliseMac(QString::fromLatin1(c.mac)));
    }
}

void TestFrameCodec::codeTableIsConsistent()
{
    QSet<quint16> seen;
    for (int i = 0; i < ProtocolCodes::count(); ++i) {
        const FrameCodeInfo &info = ProtocolCodes::at(i);
        QVERIFY2(!seen.contains(info.code), info.name);
        seen.insert(info.code);
        const QByteArray name(info.name);
        // The name tells the direction of the exchange: answers carry bit 0x8000, commands do not.
        if (name.startsWith("VELK_REMOTE_RSP_"))
            QVERIFY2(info.code & VELK_REMOTE_RSP_BIT, info.name);
        else
            QVERIFY2(name.startsWith("VELK_REMOTE_CMD_") && !(info.code & VELK_REMOTE_RSP_BIT), info.name);
    }
    QCOMPARE(ProtocolCodes::responseOf(VELK_REMOTE_CMD_CHECK_OTA_STATE), VELK_REMOTE_RSP_CHECK_OTA_STATE);
    QCOMPARE(ProtocolCodes::responseOf(VELK_REMOTE_CMD_START_BROADCAST), VELK_REMOTE_RSP_START_BROADCAST);
    QVERIFY(!ProtocolCodes::isKnown(0x7777));
    QVERIFY(!ProtocolCodes::isKnown(VELK_REMOTE_CMD_BROADCAST_DATA_COMPLETE)); // reserved, never on the wire
    QCOMPARE(QByteArray(ProtocolCodes::name(0xC004)), QByteArray("VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE"));
    // An SOS is never dropped for its payload.
    QCOMPARE(ProtocolCodes::find(VELK_REMOTE_CMD_SAFE_ALERT)->minPayload, 0);
}

QTEST_GUILESS_MAIN(TestFrameCodec)
#include "tst_FrameCodec.moc"
