#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAbstractSocket;
class TransferSource;

// Sends one file to a panel as a start frame (the name to store it under), data chunks and a complete frame with
// the size as decimal text. Shared by the firmware and the broadcast transfers, which differ only in their codes.
//
// A chunk is handed to the socket only while its unsent bytes, that chunk's frame included, stay within
// maxChunksInFlight frames, a full window goes on to the kernel at once, and the job continues from the socket's
// bytesWritten: a panel that stops reading cannot make us queue the whole file in memory, and an update to a hundred
// panels costs a few frames each. The chunks come from the file's TransferSource, shared by every transfer of the same
// file.
class TransferJob : public QObject
{
    Q_OBJECT

public:
    struct Codes
    {
        quint16 start;
        quint16 data;
        quint16 complete;
    };
    using Sender = std::function<int(quint16 code, const QByteArray &payload)>;
    /// Told of each data chunk handed to the socket, its index counting from 0. A call, not a signal: it comes once
    /// per chunk of every transfer, a hundred times per megabyte and panel.
    using ChunkNote = std::function<void(int index)>;

    enum OpenResult
    {
        Opened,
        CannotOpen,
        EmptyFile, // refused: its size text "0" would tell the panel "cancelled"
    };

    TransferJob(Codes codes, Sender sender, QAbstractSocket *socket, int chunkSize, int maxChunksInFlight,
                QObject *parent = nullptr);

    void setChunkNote(ChunkNote note) { m_chunkNote = std::move(note); }

    OpenResult open(const QString &path);
    // Sends the start frame and the first chunks; the rest follows from the socket's progress.
    void start(const QString &remoteName);
    // Stops sending and closes the file; with sendCancel the panel is told with the size text "0".
    void stop(bool sendCancel);

    bool isRunning() const { return m_running; }
    qint64 size() const { return m_size; }
    qint64 sent() const { return m_sent; }

public slots:
    void pump();

signals:
    // The last chunk and the complete frame were handed to the socket.
    void completed();
    // The file could not be read to its end, or was written to while it was sent; the panel was told "0".
    void failed();

private:
    void fail();

    Codes m_codes;
    Sender m_send;
    ChunkNote m_chunkNote;
    QAbstractSocket *m_socket;
    int m_chunkSize;
    int m_maxChunksInFlight;
    std::shared_ptr<TransferSource> m_source;
    qint64 m_size = 0;
    qint64 m_sent = 0;
    int m_chunks = 0;
    bool m_running = false;
    bool m_pumping = false;
};
