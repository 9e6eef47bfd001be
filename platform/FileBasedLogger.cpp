#include "platform/FileBasedLogger.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

FileBasedLogger::FileBasedLogger(const QString &fileName) : m_fileName(fileName)
{
}

FileBasedLogger::~FileBasedLogger()
{
    stop();
}

void FileBasedLogger::moduleRegistered(const QString &name, int id)
{
    QMutexLocker lock(&m_mutex);
    m_modules.insert(id, name.toUtf8());
}

bool FileBasedLogger::start()
{
    QMutexLocker lock(&m_mutex);
    m_started = true;
    if (m_file.isOpen() || m_fileName.isEmpty())
        return true;
    return openFile(m_fileName);
}

void FileBasedLogger::stop()
{
    QMutexLocker lock(&m_mutex);
    m_started = false;
    if (m_file.isOpen()) {
        m_file.flush();
        m_file.close();
    }
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
    formatLine(now, module, level, text);
    // The file is unbuffered: each line goes to the file as it is written, so that a crash keeps everything logged
    // before it, without a copy into a buffer that is flushed at once anyway.
    const qint64 written = m_file.write(m_line);
    if (written > 0)
        m_size += written;
}

bool FileBasedLogger::openFile(const QString &fileName)
{
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
    if (m_line.capacity() < 256)
        m_line.reserve(256); // a reserved buffer keeps its memory when it is emptied
    m_line.resize(0);
    m_line += m_stampPrefix;
    m_line.append(digits, 3);
    m_line += " [";
    const auto name = m_modules.constFind(module);
    m_line += name != m_modules.constEnd() ? *name : QByteArray::number(module);
    m_line += "] [";
    if (level >= 0 && level <= 9)
        m_line += char('0' + int(level));
    else
        m_line += QByteArray::number(int(level));
    m_line += "] ";
    m_line += text;
    if (!m_line.endsWith('\n'))
        m_line += '\n';
}
