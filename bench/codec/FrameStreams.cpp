#include "FrameStreams.h"

#include "network/FrameCodec.h"

#include <QRandomGenerator>

namespace bench {

namespace {

template <typename NextSize> QByteArray buildStream(qint64 totalBytes, NextSize nextSize)
{
    QByteArray stream;
    stream.reserve(int(totalBytes + 64 * 1024));
    QByteArray payload(64 * 1024, 'p');
    quint16 code = 0;
    while (stream.size() < totalBytes) {
        const int size = nextSize();
        stream += FrameCodec::encodeHeader(quint16(0x0002 + (code++ & 0xff)), size);
        stream.append(payload.constData(), size);
    }
    return stream;
}

} // namespace

QByteArray repeatedFrames(int payloadSize, qint64 totalBytes)
{
    return buildStream(totalBytes, [payloadSize] { return payloadSize; });
}

QByteArray mixedFrames(qint64 totalBytes)
{
    QRandomGenerator random(14);
    return buildStream(totalBytes, [&random] {
        const int kind = int(random.bounded(100));
        if (kind < 55)
            return 4; // int32 answers and keep-alives
        if (kind < 80)
            return int(random.bounded(65)); // short texts, names, size texts
        if (kind < 95)
            return 64 + int(random.bounded(4096 - 64)); // identity JSON, settings, account files
        return 10240;                                   // transfer chunks
    });
}

QByteArray mixedSmallFrames(qint64 totalBytes)
{
    QRandomGenerator random(14);
    return buildStream(totalBytes, [&random] { return int(random.bounded(65)); });
}

} // namespace bench
