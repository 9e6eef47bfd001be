#pragma once

#include <QAbstractTableModel>
#include <QAtomicInt>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "datastore/VelkEventLog.h"

class EventLogLoader;
class QThread;

/// The rows of the event log as the event log's table shows them, oldest first, without ever holding the whole log:
/// a log of millions of emergency events made the console read it whole and build three table items per row, which
/// froze it for seconds (no panel frame handled meanwhile, an SOS included) and cost a gigabyte and more.
///
/// reload() reads the newest rows at once, on the calling thread, with a bound on the keys it examines; the rest of
/// the log is walked on a thread of its own (EventLogLoader), which counts the rows and records where each page of
/// EventLogLoader::PageRows rows begins. The table asks only for the rows in view; a page not held yet is read on that
/// thread, and shows empty until it arrives. A few pages are kept, so memory does not grow with the log.
///
/// The model is a window onto the log: it has as many rows as the view shows (setViewRows), beginning at
/// firstRow(), while totalRows() counts the rows of the whole log as far as the walk has come. Rows found older than
/// those known come before them, and firstRow() moves along so that the rows in view stay; a window at the end of the
/// log stays at its end. Rows written after reload() are not shown until the next reload(). GUI thread only.
class EventLogModel : public QAbstractTableModel
{
    Q_OBJECT
    Q_PROPERTY(bool complete READ isComplete NOTIFY completed)

public:
    /// Keys the first read of reload() examines on the calling thread: a millisecond or two of reading.
    static constexpr qint64 FirstSpan = 2048;

    explicit EventLogModel(QObject *parent = nullptr);
    /// Stops the walk and waits for the reading thread and for an export still running.
    ~EventLogModel() override;

    /// The database file the log is read from.
    void setDatabaseFile(const QString &file) { m_databaseFile = file; }
    QString databaseFile() const { return m_databaseFile; }
    /// The three header texts, in column order.
    void setHeaders(const QStringList &headers);
    /// The text of the Event column of every row.
    void setEventText(const QString &text) { m_eventText = text; }
    /// The tool tip of a cell that shows only the beginning of a longer value (EventLogReader::isCut).
    void setCutNote(const QString &text) { m_cutNote = text; }

    /// Forgets what was read and reads the log anew; the window goes to the end of the log, where its newest rows
    /// are. False when the log could not be read.
    bool reload();

    /// Whether the log holds no row at all.
    bool logIsEmpty() const { return m_newestKey == 0; }
    /// Rows of the log, as far as the walk has come.
    qint64 totalRows() const { return m_total; }
    /// Whether the walk has reached the oldest row (or stopped because the log could not be read).
    bool isComplete() const { return m_complete; }
    /// Whether a part of the log could not be read since the last reload().
    bool readFailed() const { return m_failed; }

    /// How many rows the view shows whole, and how many it shows at all (one more where the last is cut).
    void setViewRows(int whole, int shown);
    int wholeRows() const { return m_wholeRows; }
    /// The row of the log (0 = the oldest) in the window's first row; moved within [0, lastFirstRow()].
    void setFirstRow(qint64 row);
    qint64 firstRow() const { return m_first; }
    qint64 lastFirstRow() const { return qMax<qint64>(0, m_total - m_wholeRows); }
    /// The row of the log shown in the window's row, when it has been read.
    bool rowAt(qint64 logRow, VelkEventLog *event) const;
    /// Pages held: what the model keeps in memory, whatever the size of the log.
    int heldPages() const { return m_pages.size(); }

    /// Writes the header line and every row of the log, oldest first, to fileName on a thread of its own, each
    /// line as exportLine() makes it; done runs on this thread with whether the whole file was written (a file left
    /// half written is removed). False, and nothing started, while an export runs.
    bool exportTo(const QString &fileName, std::function<void(bool written)> done);
    bool isExporting() const { return m_exportThread != nullptr; }

    /// One line of the export: every cell followed by three blanks, then a line break.
    static QString exportLine(const QStringList &cells);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// totalRows() (and with it lastFirstRow() and firstRow()) changed.
    void totalChanged();
    /// The walk reached the oldest row, or stopped on a failure.
    void completed();

private:
    struct Page
    {
        QList<VelkEventLog> rows;
        quint64 lastUse = 0;
    };

    void onScanned(int generation, const QVector<qint64> &pageStarts, qint64 rows, bool done, bool failed);
    void onPageRead(int generation, int page, const QList<VelkEventLog> &rows, bool failed);
    void keepPage(int page, const QList<VelkEventLog> &rows);
    void requestPage(int page) const;
    // The window changed: its rows are read from the log anew.
    void windowChanged();
    qint64 shownRows() const;

    QString m_databaseFile;
    QStringList m_headers;
    QString m_eventText;
    QString m_cutNote;
    QAtomicInt m_generation;
    qint64 m_newestKey = 0;
    qint64 m_total = 0;
    bool m_complete = true;
    bool m_failed = false;
    // The key of the row at every multiple of EventLogLoader::PageRows in the newest-first order.
    QVector<qint64> m_pageStarts;
    mutable QHash<int, Page> m_pages;
    mutable QSet<int> m_asked;
    mutable quint64 m_uses = 0;
    qint64 m_first = 0;
    int m_wholeRows = 1;
    int m_shownRows = 1;
    QThread *m_thread = nullptr;
    EventLogLoader *m_loader = nullptr;
    QThread *m_exportThread = nullptr;
    bool m_exportWritten = false;
};
