#include "network/FrameDecoder.h"

FrameDecoder::FrameDecoder(qint32 maxPayload)
    : m_cursor(m_buffer.constData()), m_end(m_buffer.constData()), m_maxPayload(maxPayload)
{
}

FrameDecoder::FrameDecoder(const FrameDecoder &other)
    : m_buffer(other.m_buffer), m_cursor(m_buffer.constData() + (other.m_cursor - other.m_buffer.constData())),
      m_end(m_buffer.constData() + m_buffer.size()), m_lastLength(other.m_lastLength), m_maxPayload(other.m_maxPayload),
      m_badLength(other.m_badLength), m_failed(other.m_failed)
{
}

FrameDecoder &FrameDecoder::operator=(const FrameDecoder &other)
{
    if (this != &other) {
        const qint64 consumed = other.m_cursor - other.m_buffer.constData();
        m_buffer = other.m_buffer;
        m_cursor = m_buffer.constData() + consumed;
        m_end = m_buffer.constData() + m_buffer.size();
        m_lastLength = other.m_lastLength;
        m_maxPayload = other.m_maxPayload;
        m_badLength = other.m_badLength;
        m_failed = other.m_failed;
    }
    return *this;
}

void FrameDecoder::append(const char *data, qint64 size)
{
    if (m_failed || size <= 0)
        return;
    const qint64 consumed = m_cursor - m_buffer.constData();
    if (consumed > 0) {
        m_buffer.remove(0, int(consumed));
        // One large frame must not pin its buffer for the life of the connection.
        if (m_buffer.capacity() > kRetainedCapacity && m_buffer.size() < kRetainedCapacity / 4)
            m_buffer.squeeze();
    }
    m_buffer.append(data, int(size));
    m_cursor = m_buffer.constData();
    m_end = m_cursor + m_buffer.size();
}

void FrameDecoder::clear()
{
    m_buffer.clear();
    m_cursor = m_buffer.constData();
    m_end = m_cursor;
    m_lastLength = 0;
    m_failed = false;
    m_badLength = 0;
}
