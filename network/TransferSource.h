#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

/// The content of a file that transfers send to panels, read once and shared by every transfer of that file.
///
/// A broadcast sends one sound to a thousand panels, a firmware update one package to a batch: reading the file again
/// in 10 KiB pieces for every panel made the console open it a thousand times and read it a hundred thousand. A file
/// up to wholeFileLimit is read into memory once, at its first transfer, and kept while transfers use it and a few
/// seconds after (the next panel of the batch usually asks meanwhile); a larger one is read from one descriptor,
/// opened once, by position.
///
/// A file is never mapped: a download may rewrite it, and a mapped file cut short under a transfer kills the process.
/// A source held in memory cannot change under its transfers. A file rewritten while a descriptor is read from is
/// noticed at the end of the transfer (unchanged() is false), and the transfer must not be reported complete. A new
/// transfer after a rewrite reads the file again.
///
/// GUI thread only.
class TransferSource
{
public:
    static constexpr qint64 wholeFileLimit = 32 * 1024 * 1024;

    enum OpenResult
    {
        Opened,
        CannotOpen,
        EmptyFile,
    };

    /// The shared source of the file at path, read or opened now unless a source of the same file, unchanged since,
    /// is still held. Null unless *result is Opened.
    static std::shared_ptr<TransferSource> open(const QString &path, OpenResult *result);

    ~TransferSource();
    TransferSource(const TransferSource &) = delete;
    TransferSource &operator=(const TransferSource &) = delete;

    qint64 size() const { return m_size; }
    /// `length` bytes from `offset`; shorter (or empty) when the file can no longer be read that far. A chunk of a
    /// file held in memory shares its bytes.
    QByteArray chunk(qint64 offset, int length);
    /// False when the file read through a descriptor was written since it was opened.
    bool unchanged() const;

    /// Sources held now, used or lingering (for tests).
    static int heldCount();

private:
    struct Identity
    {
        qint64 size = -1;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        bool operator==(const Identity &other) const
        {
            return size == other.size && modifiedNs == other.modifiedNs && inode == other.inode;
        }
    };

    explicit TransferSource(const QString &path) : m_path(path) {}
    static Identity identityOf(const QString &path);
    Identity openIdentity() const;
    OpenResult load();

    QString m_path;
    Identity m_identity;
    qint64 m_size = 0;
    QByteArray m_bytes; // the whole file, when held in memory
    QFile m_file;       // otherwise
};
