#include "FileAssembler.h"

#include "network/FrameCodec.h"

void FileAssembler::reset()
{
    m_active = false;
    m_name.clear();
    m_size = 0;
    m_data.clear();
    m_head.clear();
    m_hash.reset();
}

void FileAssembler::start(const QString &name)
{
    m_active = true;
    m_name = name;
    m_size = 0;
    m_data.clear();
    m_head.clear();
    m_hash.reset();
}

bool FileAssembler::append(const QByteArray &chunk)
{
    if (!m_active)
        return false;
    m_size += chunk.size();
    if (m_hashing)
        m_hash.addData(chunk);
    if (m_head.size() < HeadSize)
        m_head.append(chunk.left(HeadSize - m_head.size()));
    if (m_keepFiles)
        m_data.append(chunk);
    return true;
}

FileAssembler::Outcome FileAssembler::finish(const QByteArray &sizeText, ReceivedFile *file)
{
    if (!m_active)
        return NotStarted;
    m_active = false;
    file->name = m_name;
    file->size = m_size;
    file->sha256 = m_hashing ? m_hash.result() : QByteArray();
    file->data = m_data;
    file->head = m_head;
    m_data.clear();
    m_head.clear();
    qint64 announced = -1;
    const bool parsed = FrameCodec::parseSizeText(sizeText, &announced);
    if (parsed && announced == 0)
        return Cancelled;
    return parsed && announced == m_size ? Complete : SizeMismatch;
}
