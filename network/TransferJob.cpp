#include "network/TransferJob.h"

#include "network/FrameCodec.h"
#include "network/TransferSource.h"

#include <QAbstractSocket>
#include <QPointer>

TransferJob::TransferJob(Codes codes, Sender sender, QAbstractSocket *socket, int chunkSize, int maxChunksInFlight,
                         QObject *parent)
    : QObject(parent), m_codes(codes), m_send(std::move(sender)), m_socket(socket), m_chunkSize(qMax(1, chunkSize)),
      m_maxChunksInFlight(qMax(1, maxChunksInFlight))
{
}

TransferJob::OpenResult TransferJob::open(const QString &path)
{
    TransferSource::OpenResult result = TransferSource::CannotOpen;
    m_source = TransferSource::open(path, &result);
    if (result == TransferSource::EmptyFile)
        return EmptyFile;
    if (!m_source)
        return CannotOpen;
    m_size = m_source->size();
    return Opened;
}

void TransferJob::start(const QString &remoteName)
{
    m_sent = 0;
    m_chunks = 0;
    m_running = true;
    if (m_send(m_codes.start, remoteName.toUtf8()) != 0) {
        stop(false);
        return;
    }
    pump();
}

void TransferJob::stop(bool sendCancel)
{
    m_running = false;
    m_source.reset();
    if (sendCancel)
        m_send(m_codes.complete, FrameCodec::sizeText(0));
}

void TransferJob::fail()
{
    // The panel must not install a truncated or mixed file.
    m_running = false;
    m_source.reset();
    m_send(m_codes.complete, FrameCodec::sizeText(0));
    m_pumping = false;
    emit failed();
}

void TransferJob::pump()
{
    // The chunk note's listeners may re-enter (cancel, or a nested event loop delivering bytesWritten).
    if (!m_running || m_pumping)
        return;
    m_pumping = true;
    QPointer<TransferJob> self(this);
    const qint64 window = qint64(m_chunkSize + FrameCodec::kHeaderSize) * m_maxChunksInFlight;
    while (m_running && m_sent < m_size) {
        const qint64 want = qMin<qint64>(m_chunkSize, m_size - m_sent);
        // An empty socket always takes a chunk, so a window smaller than one frame still moves.
        const qint64 queued = m_socket->bytesToWrite();
        if (queued > 0 && queued + FrameCodec::kHeaderSize + want > window) {
            // A full window goes to the kernel now, not at the socket's next write notification: that cost every
            // window a pass of the event loop, and every pass polls each connection of the fleet. Whatever the
            // kernel takes makes room for more.
            m_socket->flush();
            if (!self)
                return;
            if (m_socket->bytesToWrite() < queued)
                continue;
            break;
        }
        const QByteArray chunk = m_source->chunk(m_sent, int(want));
        if (chunk.size() != want) {
            // Read error, or the file shrank under us.
            fail();
            return;
        }
        if (m_send(m_codes.data, chunk) != 0) {
            // The connection is closing; its owner reports nothing more.
            m_running = false;
            m_source.reset();
            break;
        }
        m_sent += chunk.size();
        if (m_chunkNote)
            m_chunkNote(m_chunks);
        ++m_chunks;
        if (!self)
            return;
    }
    if (m_running && m_sent >= m_size) {
        if (!m_source->unchanged()) {
            // Rewritten while it was sent: what the panel got is part old, part new.
            fail();
            return;
        }
        m_running = false;
        m_source.reset();
        const int rc = m_send(m_codes.complete, FrameCodec::sizeText(m_size));
        m_pumping = false;
        if (rc == 0)
            emit completed();
        return;
    }
    m_pumping = false;
}
