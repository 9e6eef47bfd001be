#include "shell/kit/EventLogLoader.h"

#include "datastore/DbResult.h"
#include "datastore/EventLogReader.h"

#include <algorithm>

namespace {
// This thread may wait for a writer of another connection: nobody waits for it meanwhile.
constexpr int kBusyTimeoutMs = 2000;
} // namespace

EventLogLoader::EventLogLoader(QAtomicInt *currentGeneration, QObject *parent)
    : QObject(parent), m_currentGeneration(currentGeneration), m_reader(std::make_unique<EventLogReader>())
{
}

EventLogLoader::~EventLogLoader() = default;

bool EventLogLoader::ensureOpen(const QString &databaseFile)
{
    if (m_reader->isOpen() && m_openFile == databaseFile)
        return true;
    m_openFile = databaseFile;
    return m_reader->open(databaseFile, kBusyTimeoutMs) == DB_OK;
}

void EventLogLoader::scan(int generation, const QString &databaseFile, qint64 upTo, qint64 lowest, qint64 firstIndex)
{
    if (!current(generation))
        return;
    // A new reading may follow a restore that replaced the file: the connection of an older one may see the old file.
    if (generation != m_openGeneration)
        m_reader->close();
    m_openGeneration = generation;
    if (!ensureOpen(databaseFile)) {
        emit scanned(generation, {}, 0, true, true);
        return;
    }
    scanStep(generation, upTo, lowest, firstIndex);
}

void EventLogLoader::scanStep(int generation, qint64 upTo, qint64 lowest, qint64 index)
{
    if (!current(generation))
        return;
    const qint64 above = std::max(lowest - 1, upTo - ScanSpan);
    QVector<qint64> keys;
    if (m_reader->keysInRange(above, upTo, keys) != DB_OK) {
        emit scanned(generation, {}, 0, true, true);
        return;
    }
    QVector<qint64> pageStarts;
    for (const qint64 key : qAsConst(keys)) {
        if (index % PageRows == 0)
            pageStarts.append(key);
        ++index;
    }
    const bool done = above <= lowest - 1;
    emit scanned(generation, pageStarts, keys.size(), done, false);
    if (done)
        return;
    // Back to the event loop between spans: a page the table waits for is read before the next span.
    QMetaObject::invokeMethod(
        this, [this, generation, above, lowest, index]() { scanStep(generation, above, lowest, index); },
        Qt::QueuedConnection);
}

void EventLogLoader::readPage(int generation, const QString &databaseFile, int page, qint64 pageStart)
{
    if (!current(generation))
        return;
    if (generation != m_openGeneration)
        m_reader->close();
    m_openGeneration = generation;
    QList<VelkEventLog> rows;
    const bool read = ensureOpen(databaseFile) && m_reader->pageFrom(pageStart, PageRows, rows) == DB_OK;
    emit pageRead(generation, page, rows, !read);
}
