#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

/// One file as a panel received it.
struct ReceivedFile
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; ///< raw 32 bytes
    QByteArray data;   ///< the bytes, when the panel keeps files
    QByteArray head;   ///< the first bytes, always kept (a simulated firmware header)
};

/// Reassembles one file transfer (start / data chunks / complete with size text). Pure: no sockets.
/// With keepFiles off only the size and a running SHA-256 are held, so a large fleet costs no file memory.
class FileAssembler
{
public:
    enum Outcome
    {
        Complete,     ///< announced size equals the bytes received
        SizeMismatch, ///< announced size differs (or is not a size text)
        Cancelled,    ///< size text "0"
        NotStarted,   ///< complete without a start
    };

    explicit FileAssembler(bool keepFiles = true) : m_keepFiles(keepFiles) {}

    /// Bytes of the beginning of every file kept even without keepFiles.
    static constexpr int HeadSize = 256;

    void setKeepFiles(bool keep) { m_keepFiles = keep; }
    /// Off: no SHA-256 either, only the size (for load runs where the hash would cost more than the transfer).
    void setHashing(bool hashing) { m_hashing = hashing; }
    /// Forgets an unfinished file (the connection ended).
    void reset();
    /// Begins a new file, dropping any unfinished one.
    void start(const QString &name);
    /// False for a chunk that arrives outside a transfer (it is ignored).
    bool append(const QByteArray &chunk);
    /// Ends the transfer; `file` gets what arrived (also for a mismatch, for the tests to look at).
    Outcome finish(const QByteArray &sizeText, ReceivedFile *file);

    bool isActive() const { return m_active; }
    QString name() const { return m_name; }
    qint64 received() const { return m_size; }

private:
    bool m_keepFiles;
    bool m_hashing = true;
    bool m_active = false;
    QString m_name;
    qint64 m_size = 0;
    QByteArray m_data;
    QByteArray m_head;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};
