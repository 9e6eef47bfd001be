#pragma once

#include "network/FrameCodec.h"

#include <QByteArray>
#include <QtEndian>
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
// in one read); next() walks the buffer with a cursor and hands out views, and the consumed bytes are dropped once
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
    // The cursor points into the buffer: a copy re-points it into its own.
    FrameDecoder(const FrameDecoder &other);
    FrameDecoder &operator=(const FrameDecoder &other);

    void append(const char *data, qint64 size);
    void append(const QByteArray &bytes) { append(bytes.constData(), bytes.size()); }

    // Inline and call-free: it runs once per frame, and for keep-alive-sized frames an out-of-line call costs more
    // than the frame itself.
    Result next(FrameView *frame)
    {
        if (Q_UNLIKELY(m_failed))
            return BadLength;
        const char *header = m_cursor;
        if (m_end - header < FrameCodec::kHeaderSize)
            return NeedMore;
        const qint32 length = qFromLittleEndian<qint32>(header);
        // Streams repeat one frame size (keep-alives, full transfer chunks). While the length equals the last
        // accepted one, the next cursor is known without waiting for this header's load, which roughly halves the
        // cost of a run of small frames; that length already passed the bound.
        qint32 step = m_lastLength;
        if (Q_UNLIKELY(length != step)) {
            if (length < 0 || length > m_maxPayload) {
                m_failed = true;
                m_badLength = length;
                return BadLength;
            }
            step = length;
            m_lastLength = length;
        }
        // 64-bit arithmetic: header + payload cannot overflow even for the largest accepted length.
        if (m_end - header - FrameCodec::kHeaderSize < qint64(step))
            return NeedMore;
        frame->code = qFromLittleEndian<quint16>(header + 4);
        frame->data = header + FrameCodec::kHeaderSize;
        frame->size = step;
        m_cursor = header + FrameCodec::kHeaderSize + step;
        return FrameReady;
    }

    bool failed() const { return m_failed; }
    // The offending length after BadLength.
    qint32 badLength() const { return m_badLength; }
    // Bytes received and not yet handed out as frames.
    qint64 pending() const { return m_end - m_cursor; }
    qint32 maxPayload() const { return m_maxPayload; }
    // Changes the bound for frames not yet handed out; a length already accepted stays accepted.
    void setMaxPayload(qint32 maxPayload)
    {
        m_maxPayload = maxPayload;
        if (m_lastLength > maxPayload)
            m_lastLength = 0;
    }
    void clear();

private:
    static constexpr int kRetainedCapacity = 256 * 1024;

    QByteArray m_buffer;
    const char *m_cursor;    // the next unread byte in m_buffer
    const char *m_end;       // one past the last byte in m_buffer
    qint32 m_lastLength = 0; // always a length that passed the bound (0 always does)
    qint32 m_maxPayload;
    qint32 m_badLength = 0;
    bool m_failed = false;
};
