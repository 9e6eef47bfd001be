#include "network/FrameDecoder.h"

FrameDecoder::FrameDecoder(qint32 maxPayload) : m_maxPayload(maxPayload)
{
}

void FrameDecoder::append(const char *data, qint64 size)
{
    if (m_failed || size <= 0)
        return;
    if (m_offset > 0) {
        m_buffer.remove(0, int(m_offset));
        m_offset = 0;
        // One large frame must not pin its buffer for the life of the connection.
        if (m_buffer.capacity() > kRetainedCapacity && m_buffer.size() < kRetainedCapacity / 4)
            m_buffer.squeeze();
    }
    m_buffer.append(data, int(size));
}

FrameDecoder::Result FrameDecoder::next(FrameView *frame)
{
    if (m_failed)
        return BadLength;
    const qint64 available = m_buffer.size() - m_offset;
    if (available < FrameCodec::kHeaderSize)
        return NeedMore;
    const char *header = m_buffer.constData() + m_offset;
    const qint32 length = FrameCodec::peekLength(header);
    if (length < 0 || length > m_maxPayload) {
        m_failed = true;
        m_badLength = length;
        return BadLength;
    }
    // qint64 arithmetic: header + payload cannot overflow even for the largest accepted length.
    if (available < qint64(FrameCodec::kHeaderSize) + length)
        return NeedMore;
    frame->code = FrameCodec::peekCode(header);
    frame->data = header + FrameCodec::kHeaderSize;
    frame->size = length;
    m_offset += FrameCodec::kHeaderSize + length;
    return FrameReady;
}

void FrameDecoder::clear()
{
    m_buffer.clear();
    m_offset = 0;
    m_failed = false;
    m_badLength = 0;
}
