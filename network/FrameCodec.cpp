#include "network/FrameCodec.h"

#include <QtEndian>

QByteArray FrameCodec::encodeHeader(quint16 code, qint32 payloadLength)
{
    QByteArray header(kHeaderSize, Qt::Uninitialized);
    qToLittleEndian<qint32>(payloadLength, header.data());
    qToLittleEndian<quint16>(code, header.data() + 4);
    return header;
}

QByteArray FrameCodec::encode(quint16 code, const QByteArray &payload)
{
    QByteArray frame;
    frame.reserve(kHeaderSize + payload.size());
    frame.append(encodeHeader(code, payload.size()));
    frame.append(payload);
    return frame;
}

QByteArray FrameCodec::encodeInt32(quint16 code, qint32 value)
{
    return encode(code, int32Payload(value));
}

qint32 FrameCodec::peekLength(const char *data)
{
    return qFromLittleEndian<qint32>(data);
}

quint16 FrameCodec::peekCode(const char *data)
{
    return qFromLittleEndian<quint16>(data + 4);
}

QByteArray FrameCodec::int32Payload(qint32 value)
{
    QByteArray out;
    appendInt32(out, value);
    return out;
}

void FrameCodec::appendInt32(QByteArray &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    out.append(bytes, 4);
}

bool FrameCodec::readInt32(const char *data, qint64 size, qint64 offset, qint32 *value)
{
    if (offset < 0 || size - offset < 4)
        return false;
    *value = qFromLittleEndian<qint32>(data + offset);
    return true;
}

bool FrameCodec::readInt32(const QByteArray &payload, int offset, qint32 *value)
{
    return readInt32(payload.constData(), payload.size(), offset, value);
}

QByteArray FrameCodec::sizeText(qint64 size)
{
    return QByteArray::number(size);
}

bool FrameCodec::parseSizeText(const QByteArray &text, qint64 *size)
{
    if (text.isEmpty() || text.size() > 18)
        return false;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *size = value;
    return true;
}

QByteArray FrameCodec::int32ThenBytes(qint32 value, const QByteArray &rest)
{
    QByteArray out;
    out.reserve(4 + rest.size());
    appendInt32(out, value);
    out.append(rest);
    return out;
}

bool FrameCodec::splitInt32ThenBytes(const QByteArray &payload, qint32 *value, QByteArray *rest)
{
    if (!readInt32(payload, 0, value))
        return false;
    if (rest)
        *rest = payload.mid(4);
    return true;
}

QByteArray BroadcastDataPayload::encode() const
{
    const QByteArray text = contentText.toUtf8();
    QByteArray out;
    out.reserve(20 + text.size());
    FrameCodec::appendInt32(out, displayType);
    FrameCodec::appendInt32(out, audioSelection);
    FrameCodec::appendInt32(out, durationMin);
    FrameCodec::appendInt32(out, durationSec);
    FrameCodec::appendInt32(out, woken ? 1 : 0);
    out.append(text);
    return out;
}

bool BroadcastDataPayload::decode(const QByteArray &payload, BroadcastDataPayload *out)
{
    qint32 fields[5];
    for (int i = 0; i < 5; ++i) {
        if (!FrameCodec::readInt32(payload, i * 4, &fields[i]))
            return false;
    }
    out->displayType = fields[0];
    out->audioSelection = fields[1];
    out->durationMin = fields[2];
    out->durationSec = fields[3];
    out->woken = fields[4] != 0;
    out->contentText = QString::fromUtf8(payload.constData() + 20, payload.size() - 20);
    return true;
}
