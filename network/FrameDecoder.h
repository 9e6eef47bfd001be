#pragma once

#include "network/FrameCodec.h"

#include <QByteArray>
#include <QtGlobal>

// One received frame, seen in place inside the decoder's buffer: nothing is copied until a caller keeps something.
// A view stays valid until the next append() or clear() on the decoder that produced it.
struct FrameView
{
    quint16 code = 0;
    const char *data = nullptr;
    qint32 size = 0;

    // Shares the decoder's bytes (no copy); a caller that keeps the payload past the next append() must copy().
    QByteArray bytes() const { return QByteArray::fromRawData(data, size); }
    QByteArray copy() const { return QByteArray(data, size); }
};

// Incremental frame reassembly. Bytes arrive in arbitrary pieces (a header split across two reads, several frames
// in one read); next() walks the buffer with an offset and hands out views, and the consumed bytes are dropped once
// per append(), never once per frame. The decoder never holds more than one incomplete frame plus the bytes of the
// latest append, because a length outside 0..maxPayload stops it for good: a peer announcing 2 GB cannot make us
// buffer 2 GB.
class FrameDecoder
{
public:
    enum Result
    {
        NeedMore,   // no complete frame buffered
        FrameReady, // *frame filled
        BadLength,  // the next header announces a negative or oversized payload; the stream cannot be resynchronised
    };

    explicit FrameDecoder(qint32 maxPayload = FrameCodec::kDefaultMaxPayload);

    void append(const char *data, qint64 size);
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }

    Result next(FrameView *frame);

    bool failed() const { return m_failed; }
    // The offending length after BadLength.
    qint32 badLength() const { return m_badLength; }
    // Bytes received and not yet handed out as frames.
    qint64 pending() const { return m_buffer.size() - m_offset; }
    qint32 maxPayload() const { return m_maxPayload; }
    void clear();

private:
    static constexpr int kRetainedCapacity = 256 * 1024;

    QByteArray m_buffer;
    qint64 m_offset = 0;
    qint32 m_maxPayload;
    qint32 m_badLength = 0;
    bool m_failed = false;
};
