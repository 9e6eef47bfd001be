#include "shell/kit/EventLogModel.h"

#include <QFile>
#include <QTextStream>
#include <QThread>

#include <algorithm>

#include "datastore/DbResult.h"
#include "datastore/EventLogReader.h"
#include "shell/base/Log.h"
#include "shell/kit/EventLogLoader.h"

namespace {

// Pages kept at most: a screenful and its neighbours many times over, a few hundred kilobytes.
constexpr int kHeldPages = 16;
// The first read waits at most this long for a writer: it runs on the GUI thread.
constexpr int kFirstReadBusyMs = 250;
// The export reads in pieces of this many rows, so that it never holds the log either.
constexpr int kExportRows = 4096;
constexpr int kExportBusyMs = 5000;

bool writeExport(const QString &databaseFile, const QString &fileName, qint64 newestKey, const QStringList &headers,
                 const QString &eventText)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        writeLog(LOG_LEVEL_ERROR, "EventLogModel: %s cannot be written: %s", fileName.toUtf8().constData(),
                 file.errorString().toUtf8().constData());
        return false;
    }
    QTextStream stream(&file);
    stream.setCodec("utf-8");
    stream << EventLogModel::exportLine(headers);
    bool read = true;
    if (newestKey > 0) {
        EventLogReader reader;
        read = reader.open(databaseFile, kExportBusyMs) == DB_OK;
        qint64 after = 0;
        QList<VelkEventLog> rows;
        while (read && stream.status() == QTextStream::Ok) {
            read = reader.pageAfter(after, newestKey, kExportRows, rows) == DB_OK;
            for (const VelkEventLog &row : qAsConst(rows))
                stream << EventLogModel::exportLine({row.deviceName, eventText, row.time});
            if (rows.size() < kExportRows)
                break;
            after = rows.last().did;
        }
    }
    stream.flush();
    bool written = read && stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    // A file that lacks rows must not pass for the log.
    if (!written) {
        writeLog(LOG_LEVEL_ERROR, "EventLogModel: the export to %s failed%s", fileName.toUtf8().constData(),
                 read ? "" : " (the log could not be read)");
        QFile::remove(fileName);
    }
    return written;
}

} // namespace

EventLogModel::EventLogModel(QObject *parent) : QAbstractTableModel(parent), m_thread(new QThread)
{
    qRegisterMetaType<QVector<qint64>>("QVector<qint64>");
    qRegisterMetaType<QList<VelkEventLog>>("QList<VelkEventLog>");
    m_thread->setObjectName(QStringLiteral("EventLogLoader"));
    m_loader = new EventLogLoader(&m_generation);
    m_loader->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_loader, &QObject::deleteLater);
    connect(m_loader, &EventLogLoader::scanned, this, &EventLogModel::onScanned);
    connect(m_loader, &EventLogLoader::pageRead, this, &EventLogModel::onPageRead);
    m_thread->start();
}

EventLogModel::~EventLogModel()
{
    // A walk still running stops at its next span.
    m_generation.fetchAndAddOrdered(1);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    if (m_exportThread) {
        m_exportThread->wait();
        delete m_exportThread;
    }
}

void EventLogModel::setHeaders(const QStringList &headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

bool EventLogModel::reload()
{
    const int generation = m_generation.fetchAndAddOrdered(1) + 1;
    beginResetModel();
    m_newestKey = 0;
    m_total = 0;
    m_first = 0;
    m_complete = true;
    m_failed = false;
    m_pageStarts.clear();
    m_pages.clear();
    m_asked.clear();

    // The newest rows are read here, a bounded number of keys, so that the table shows them with its first paint.
    EventLogReader reader;
    qint64 lowest = 0;
    QList<VelkEventLog> rows;
    m_failed = reader.open(m_databaseFile, kFirstReadBusyMs) != DB_OK || reader.keyRange(lowest, m_newestKey) != DB_OK;
    const qint64 above = std::max(lowest - 1, m_newestKey - FirstSpan);
    if (!m_failed && m_newestKey > 0)
        m_failed = reader.rowsInRange(above, m_newestKey, rows) != DB_OK;
    if (m_failed) {
        writeLog(LOG_LEVEL_ERROR, "EventLogModel: the event log cannot be read");
        m_newestKey = 0;
        rows.clear();
    }
    m_total = rows.size();
    m_complete = m_failed || m_newestKey == 0 || above <= lowest - 1;
    for (int page = 0; page * EventLogLoader::PageRows < rows.size(); ++page) {
        m_pageStarts.append(rows.at(page * EventLogLoader::PageRows).did);
        const QList<VelkEventLog> pageRows = rows.mid(page * EventLogLoader::PageRows, EventLogLoader::PageRows);
        // A last page cut short by the end of the read still lacks the older rows the walk will find.
        if (page < kHeldPages && (pageRows.size() == EventLogLoader::PageRows || m_complete))
            keepPage(page, pageRows);
    }
    if (!m_complete) {
        QMetaObject::invokeMethod(m_loader,
                                  [loader = m_loader, generation, file = m_databaseFile, above, lowest,
                                   total = m_total]() { loader->scan(generation, file, above, lowest, total); });
    }
    m_first = lastFirstRow();
    endResetModel();
    emit totalChanged();
    if (m_complete)
        emit completed();
    return !m_failed;
}

void EventLogModel::onScanned(int generation, const QVector<qint64> &pageStarts, qint64 rows, bool done, bool failed)
{
    if (generation != m_generation.loadAcquire())
        return;
    if (rows > 0) {
        const qint64 shownBefore = shownRows();
        const bool atEnd = m_first >= lastFirstRow();
        m_pageStarts += pageStarts;
        m_total += rows;
        // The rows found are older than those known, and come before them: the rows in view stay in view, and a
        // window at the newest rows stays there.
        m_first = atEnd ? lastFirstRow() : m_first + rows;
        if (shownRows() != shownBefore)
            windowChanged();
        emit totalChanged();
    }
    m_failed = m_failed || failed;
    if (done) {
        m_complete = true;
        emit completed();
    }
}

void EventLogModel::onPageRead(int generation, int page, const QList<VelkEventLog> &rows, bool failed)
{
    if (generation != m_generation.loadAcquire())
        return;
    m_asked.remove(page);
    if (failed) {
        // Asked again when the view next paints the rows.
        m_failed = true;
        return;
    }
    keepPage(page, rows);
    const int shown = rowCount();
    if (shown > 0)
        emit dataChanged(index(0, 0), index(shown - 1, columnCount() - 1), {Qt::DisplayRole});
}

void EventLogModel::keepPage(int page, const QList<VelkEventLog> &rows)
{
    m_pages.insert(page, Page{rows, ++m_uses});
    while (m_pages.size() > kHeldPages) {
        // The page used longest ago goes; the one just kept is the newest in use.
        auto oldest = std::min_element(m_pages.begin(), m_pages.end(),
                                       [](const Page &a, const Page &b) { return a.lastUse < b.lastUse; });
        m_pages.erase(oldest);
    }
}

void EventLogModel::requestPage(int page) const
{
    if (m_asked.contains(page) || page < 0 || page >= m_pageStarts.size())
        return;
    m_asked.insert(page);
    QMetaObject::invokeMethod(m_loader,
                              [loader = m_loader, generation = m_generation.loadAcquire(), file = m_databaseFile, page,
                               start = m_pageStarts.at(page)]() { loader->readPage(generation, file, page, start); });
}

void EventLogModel::setViewRows(int whole, int shown)
{
    whole = std::max(1, whole);
    shown = std::max(whole, shown);
    if (whole == m_wholeRows && shown == m_shownRows)
        return;
    const bool atEnd = m_first >= lastFirstRow();
    beginResetModel();
    m_wholeRows = whole;
    m_shownRows = shown;
    m_first = atEnd ? lastFirstRow() : std::min(m_first, lastFirstRow());
    endResetModel();
    emit totalChanged();
}

void EventLogModel::setFirstRow(qint64 row)
{
    row = std::max<qint64>(0, std::min(row, lastFirstRow()));
    if (row == m_first)
        return;
    const qint64 shownBefore = shownRows();
    m_first = row;
    if (shownRows() != shownBefore) {
        windowChanged();
        return;
    }
    const int shown = rowCount();
    if (shown > 0)
        emit dataChanged(index(0, 0), index(shown - 1, columnCount() - 1), {Qt::DisplayRole});
}

void EventLogModel::windowChanged()
{
    beginResetModel();
    endResetModel();
}

qint64 EventLogModel::shownRows() const
{
    return std::max<qint64>(0, std::min<qint64>(m_shownRows, m_total - m_first));
}

bool EventLogModel::rowAt(qint64 logRow, VelkEventLog *event) const
{
    if (logRow < 0 || logRow >= m_total)
        return false;
    // Pages count from the newest row.
    const qint64 fromNewest = m_total - 1 - logRow;
    const int page = int(fromNewest / EventLogLoader::PageRows);
    const auto held = m_pages.find(page);
    if (held == m_pages.end()) {
        requestPage(page);
        return false;
    }
    held->lastUse = ++m_uses;
    const int at = int(fromNewest % EventLogLoader::PageRows);
    // Only a row deleted since the walk counted it leaves a page short.
    if (at >= held->rows.size())
        return false;
    if (event)
        *event = held->rows.at(at);
    return true;
}

bool EventLogModel::exportTo(const QString &fileName, std::function<void(bool)> done)
{
    if (m_exportThread)
        return false;
    m_exportWritten = false;
    m_exportThread = QThread::create(
        [this, file = m_databaseFile, fileName, newest = m_newestKey, headers = m_headers, eventText = m_eventText]() {
            // Written before the thread ends and read after its finished signal, which orders the two.
            m_exportWritten = writeExport(file, fileName, newest, headers, eventText);
        });
    connect(m_exportThread, &QThread::finished, this, [this, done = std::move(done)]() {
        m_exportThread->wait();
        delete m_exportThread;
        m_exportThread = nullptr;
        if (done)
            done(m_exportWritten);
    });
    m_exportThread->start();
    return true;
}

QString EventLogModel::exportLine(const QStringList &cells)
{
    const QString gap = QStringLiteral("   ");
    QString line;
    for (const QString &cell : cells)
        line += cell + gap;
    line += QLatin1Char('\n');
    return line;
}

int EventLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(shownRows());
}

int EventLogModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant EventLogModel::data(const QModelIndex &index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() || index.row() >= rowCount())
        return QVariant();
    VelkEventLog event;
    if (!rowAt(m_first + index.row(), &event))
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    QString text = m_eventText;
    if (index.column() != 1)
        text = index.column() == 0 ? event.deviceName : event.time;
    if (role == Qt::DisplayRole)
        return text;
    // The table elides every long text alike: only the tool tip tells a value cut when it was read.
    return EventLogReader::isCut(text) ? QVariant(m_cutNote) : QVariant();
}

QVariant EventLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_headers.at(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags EventLogModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
