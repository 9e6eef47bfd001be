#pragma once

#include <QAtomicInt>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

#include "datastore/VelkEventLog.h"

class EventLogReader;

/// The part of the event log's reading that runs on a thread of its own (EventLogModel moves it there): the walk
/// over the keys of a large log, which tells how many rows it holds and where each page begins, and the pages the
/// table asks for. The walk goes a span of keys at a time, newest first, and yields to the thread's event loop between
/// spans so that a page asked for meanwhile is read at once.
///
/// Every request carries the generation of the reading it belongs to; a request or a span of a generation that is
/// no longer the current one is dropped, so a new reading stops the walk of the old one.
class EventLogLoader : public QObject
{
    Q_OBJECT

public:
    /// Rows per page, and the distance in rows between two recorded page starts.
    static constexpr int PageRows = 128;
    /// Keys examined per span of the walk: a few milliseconds of reading.
    static constexpr qint64 ScanSpan = 65536;

    explicit EventLogLoader(QAtomicInt *currentGeneration, QObject *parent = nullptr);
    ~EventLogLoader() override;

public slots:
    /// Walks the keys from upTo down to lowest (both included); the first row met is the row of index firstIndex in
    /// the newest-first order. Reports each span through scanned().
    void scan(int generation, const QString &databaseFile, qint64 upTo, qint64 lowest, qint64 firstIndex);
    /// Reads the page that begins at the key pageStart (newest first) and reports it through pageRead().
    void readPage(int generation, const QString &databaseFile, int page, qint64 pageStart);

signals:
    /// pageStarts: the keys of the rows of the span whose index is a multiple of PageRows, in order; rows: how many
    /// rows the span holds; done: the walk reached the oldest key; failed: the span could not be read, and the
    /// walk stopped there.
    void scanned(int generation, QVector<qint64> pageStarts, qint64 rows, bool done, bool failed);
    void pageRead(int generation, int page, QList<VelkEventLog> rows, bool failed);

private:
    void scanStep(int generation, qint64 upTo, qint64 lowest, qint64 index);
    bool current(int generation) const { return m_currentGeneration->loadAcquire() == generation; }
    bool ensureOpen(const QString &databaseFile);

    QAtomicInt *m_currentGeneration;
    std::unique_ptr<EventLogReader> m_reader;
    QString m_openFile;
    int m_openGeneration = -1;
};
