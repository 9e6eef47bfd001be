#include "platform/FileBasedLogger.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {
// Lines held back beyond this are written at once.
constexpr int kHeldBytes = 64 * 1024;
} // namespace

FileBasedLogger::FileBasedLogger(const QString &fileName) : m_fileName(fileName)
{
}

FileBasedLogger::~FileBasedLogger()
{
    stop();
}

void FileBasedLogger::watchEventLoop()
{
    QCoreApplication *application = QCoreApplication::instance();
    QAbstractEventDispatcher *dispatcher =
        application ? QAbstractEventDispatcher::instance(application->thread()) : nullptr;
    if (!dispatcher || m_turnBegins)
        return;
    const auto write = [this] {
        QMutexLocker lock(&m_mutex);
        writePending();
    };
    m_turnBegins = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, write);
    m_loopIdles = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, write);
    QMutexLocker lock(&m_mutex);
    m_holdLines = true;
}

void FileBasedLogger::unwatchEventLoop()
{
    QObject::disconnect(m_turnBegins);
    QObject::disconnect(m_loopIdles);
    m_turnBegins = {};
    m_loopIdles = {};
    QMutexLocker lock(&m_mutex);
    m_holdLines = false;
}

void FileBasedLogger::moduleRegistered(const QString &name, int id)
{
    QMutexLocker lock(&m_mutex);
    m_modules.insert(id, name.toUtf8());
}

bool FileBasedLogger::start()
{
    watchEventLoop();
    QMutexLocker lock(&m_mutex);
    m_started = true;
    if (m_file.isOpen() || m_fileName.isEmpty())
        return true;
    return openFile(m_fileName);
}

void FileBasedLogger::stop()
{
    unwatchEventLoop();
    QMutexLocker lock(&m_mutex);
    m_started = false;
    writePending();
    if (m_file.isOpen())
        m_file.close();
}

void FileBasedLogger::writePending()
{
    if (m_pending.isEmpty())
        return;
    if (m_file.isOpen())
        m_file.write(m_pending);
    m_pending.resize(0);
}

void FileBasedLogger::log(int module, LogLevel level, const QString &text)
{
    logUtf8(module, level, text.toUtf8());
}

void FileBasedLogger::logUtf8(int module, LogLevel level, const QByteArray &text)
{
    QMutexLocker lock(&m_mutex);
    if (!m_started)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    refreshStamp(now);
    beforeWrite();
    if (!m_file.isOpen())
        return;
    const int before = m_pending.size();
    formatLine(now, module, level, text);
    m_size += m_pending.size() - before;
    // The file itself is unbuffered: what is written is in the file, and a crash keeps it.
    if (!m_holdLines || level <= LOG_LEVEL_WARNING || m_pending.size() >= kHeldBytes)
        writePending();
}

bool FileBasedLogger::openFile(const QString &fileName)
{
    // Lines held back belong to the file they were logged into.
    writePending();
    if (m_file.isOpen())
        m_file.close();
    m_fileName = fileName;
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    m_file.setFileName(fileName);
    const bool opened = m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered);
    m_size = opened ? m_file.size() : 0;
    return opened;
}

qint64 FileBasedLogger::currentSize() const
{
    return m_file.isOpen() ? m_size : 0;
}

void FileBasedLogger::refreshStamp(qint64 msecs)
{
    const qint64 second = msecs >= 0 ? msecs / 1000 : (msecs - 999) / 1000;
    if (second == m_stampSecond)
        return;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(second * 1000, Qt::LocalTime);
    m_stampPrefix = local.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.")).toUtf8();
    m_stampDate = local.date();
    m_stampSecond = second;
}

void FileBasedLogger::formatLine(qint64 msecs, int module, LogLevel level, const QByteArray &text)
{
    const int millis = int(msecs - m_stampSecond * 1000);
    const char digits[3] = {char('0' + millis / 100 % 10), char('0' + millis / 10 % 10), char('0' + millis % 10)};
    if (m_pending.capacity() < 4096)
        m_pending.reserve(4096); // a reserved buffer keeps its memory when it is emptied
    m_pending += m_stampPrefix;
    m_pending.append(digits, 3);
    m_pending += " [";
    const auto name = m_modules.constFind(module);
    m_pending += name != m_modules.constEnd() ? *name : QByteArray::number(module);
    m_pending += "] [";
    if (level >= 0 && level <= 9)
        m_pending += char('0' + int(level));
    else
        m_pending += QByteArray::number(int(level));
    m_pending += "] ";
    m_pending += text;
    if (!text.endsWith('\n'))
        m_pending += '\n';
}
