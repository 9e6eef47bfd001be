#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Frame layout on the wire: int32 payload length | uint16 code | payload, little-endian. The length counts the
// payload only, not the six header bytes.
//
// FrameCodec is pure: it builds frames and reads payloads, it never touches a socket. The console (DeviceChannel)
// and the simulated panel share it, so both ends agree byte for byte.
class FrameCodec
{
public:
    static constexpr int kHeaderSize = 6;
    // The largest payload either end accepts; a frame announcing more is treated as garbage.
    static constexpr qint32 kDefaultMaxPayload = 1024 * 1024;

    // The whole frame: header followed by the payload.
    static QByteArray encode(quint16 code, const QByteArray &payload = QByteArray());
    static QByteArray encodeInt32(quint16 code, qint32 value);
    // Only the six header bytes, for senders that append a payload they already hold.
    static QByteArray encodeHeader(quint16 code, qint32 payloadLength);

    // Reads the header at data[0..5]. The caller guarantees six readable bytes.
    static qint32 peekLength(const char *data);
    static quint16 peekCode(const char *data);

    static QByteArray int32Payload(qint32 value);
    static void appendInt32(QByteArray &out, qint32 value);
    // False (value untouched) when the payload holds fewer than offset + 4 bytes: short payloads are never read past
    // their end.
    static bool readInt32(const QByteArray &payload, int offset, qint32 *value);
    static bool readInt32(const char *data, qint64 size, qint64 offset, qint32 *value);

    // Decimal size text of a transfer's complete frame; "0" means cancelled.
    static QByteArray sizeText(qint64 size);
    // Accepts ASCII digits only (no sign, no blanks, at most 18 digits).
    static bool parseSizeText(const QByteArray &text, qint64 *size);

    // VELK_REMOTE_RSP_IDENTITY and VELK_REMOTE_RSP_ASK_FIRST_SYNC: an int32 followed by bytes.
    static QByteArray int32ThenBytes(qint32 value, const QByteArray &rest);
    static bool splitInt32ThenBytes(const QByteArray &payload, qint32 *value, QByteArray *rest);
};

// The record of VELK_REMOTE_CMD_BROADCAST_DATA: five int32 fields, then the content text in UTF-8.
struct BroadcastDataPayload
{
    qint32 displayType = 0;
    qint32 audioSelection = 0;
    qint32 durationMin = 0;
    qint32 durationSec = 0;
    bool woken = false;
    QString contentText;

    QByteArray encode() const;
    // False for a payload shorter than the five int32 fields.
    static bool decode(const QByteArray &payload, BroadcastDataPayload *out);
};
