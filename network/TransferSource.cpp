#include "network/TransferSource.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// How long a source nobody sends any more stays held for the next transfer of the same file.
constexpr qint64 kLingerMs = 5000;

// The sources by path: each held strongly, and dropped once nobody used it for kLingerMs.
class Registry
{
public:
    struct Entry
    {
        std::shared_ptr<TransferSource> source;
        qint64 lastUsedMs = 0;
    };

    Registry()
    {
        m_clock.start();
        m_sweep.setInterval(1000);
        QObject::connect(&m_sweep, &QTimer::timeout, [this] { sweep(); });
    }

    Entry *find(const QString &path)
    {
        const auto found = m_entries.find(path);
        return found == m_entries.end() ? nullptr : &*found;
    }
    void put(const QString &path, const std::shared_ptr<TransferSource> &source)
    {
        m_entries.insert(path, Entry{source, m_clock.elapsed()});
        if (!m_sweep.isActive())
            m_sweep.start();
    }
    void touch(Entry *entry) { entry->lastUsedMs = m_clock.elapsed(); }
    int count() const { return m_entries.size(); }

private:
    void sweep()
    {
        const qint64 now = m_clock.elapsed();
        for (auto entry = m_entries.begin(); entry != m_entries.end();) {
            if (entry->source.use_count() > 1) {
                entry->lastUsedMs = now;
                ++entry;
            } else if (now - entry->lastUsedMs >= kLingerMs) {
                entry = m_entries.erase(entry);
            } else {
                ++entry;
            }
        }
        if (m_entries.isEmpty())
            m_sweep.stop();
    }

    QElapsedTimer m_clock;
    QTimer m_sweep;
    QHash<QString, Entry> m_entries;
};

// Never destroyed: its timer must not outlive the application object's thread data.
Registry &registry()
{
    static Registry *instance = new Registry;
    return *instance;
}

} // namespace

TransferSource::~TransferSource() = default;

TransferSource::Identity TransferSource::identityOf(const QString &path)
{
    Identity identity;
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        identity.size = info.st_size;
        identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        identity.inode = info.st_ino;
    }
#else
    const QFileInfo info(path);
    if (info.exists()) {
        identity.size = info.size();
        identity.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
#endif
    return identity;
}

TransferSource::Identity TransferSource::openIdentity() const
{
#ifdef Q_OS_UNIX
    Identity identity;
    struct stat info;
    if (m_file.isOpen() && ::fstat(m_file.handle(), &info) == 0) {
        identity.size = info.st_size;
        identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        identity.inode = info.st_ino;
    }
    return identity;
#else
    return identityOf(m_path);
#endif
}

std::shared_ptr<TransferSource> TransferSource::open(const QString &path, OpenResult *result)
{
    Registry &sources = registry();
    const QString key = QFileInfo(path).absoluteFilePath();
    if (Registry::Entry *held = sources.find(key)) {
        // Still the file it was read from: the same size, time and inode.
        if (held->source->m_identity == identityOf(key)) {
            sources.touch(held);
            *result = Opened;
            return held->source;
        }
    }
    std::shared_ptr<TransferSource> source(new TransferSource(key));
    *result = source->load();
    if (*result != Opened)
        return nullptr;
    // A source read before a rewrite stays with the transfers that use it.
    sources.put(key, source);
    return source;
}

TransferSource::OpenResult TransferSource::load()
{
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return CannotOpen;
    m_identity = openIdentity();
    m_size = m_file.size();
    if (m_size <= 0) {
        m_file.close();
        return EmptyFile;
    }
    if (m_size > wholeFileLimit)
        return Opened;
    m_bytes = m_file.readAll();
    // Written to while we read: what we hold may be half of each.
    const bool torn = m_bytes.size() != m_size || !(openIdentity() == m_identity);
    m_file.close();
    if (torn) {
        m_bytes.clear();
        return CannotOpen;
    }
    return Opened;
}

QByteArray TransferSource::chunk(qint64 offset, int length)
{
    if (offset < 0 || length <= 0 || offset >= m_size)
        return QByteArray();
    length = int(qMin<qint64>(length, m_size - offset));
    if (!m_bytes.isEmpty())
        // Shares the bytes: the caller hands the chunk to a socket, which copies it, before the source can go.
        return QByteArray::fromRawData(m_bytes.constData() + offset, length);
    QByteArray chunk(length, Qt::Uninitialized);
#ifdef Q_OS_UNIX
    // One descriptor for every transfer of the file: each reads at its own position.
    const ssize_t got = ::pread(m_file.handle(), chunk.data(), size_t(length), off_t(offset));
    if (got < 0)
        return QByteArray();
    chunk.resize(int(got));
#else
    if (!m_file.seek(offset))
        return QByteArray();
    const qint64 got = m_file.read(chunk.data(), length);
    chunk.resize(int(qMax<qint64>(0, got)));
#endif
    return chunk;
}

bool TransferSource::unchanged() const
{
    return !m_file.isOpen() || openIdentity() == m_identity;
}

int TransferSource::heldCount()
{
    return registry().count();
}
