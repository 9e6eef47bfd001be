#include "platform/LogSystem.h"

#include "platform/SysLogger.h"

#include <QByteArray>

#include <cstdio>

LogSystem *LogSystem::getSysLogSystem()
{
    static LogSystem instance;
    return &instance;
}

int LogSystem::registerLoggedModule(const QString &name)
{
    if (name.isEmpty())
        return -1;
    QMutexLocker lock(&m_mutex);
    int id = m_modules.indexOf(name);
    if (id >= 0)
        return id;
    if (m_modules.size() >= maxModules)
        return -1;
    m_modules.append(name);
    id = m_modules.size() - 1;
    if (m_logger)
        m_logger->moduleRegistered(name, id);
    return id;
}

void LogSystem::log(int module, LogLevel level, const char *format, va_list args)
{
    if (!format)
        return;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_started || !m_logger || level > m_level)
            return;
    }
    // Most lines fit the first buffer, formatted once; a longer one is formatted again at its size.
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0)
        return;
    QByteArray buffer;
    if (size_t(needed) < sizeof small) {
        buffer = QByteArray::fromRawData(small, needed);
    } else {
        buffer = QByteArray(needed + 1, Qt::Uninitialized);
        std::vsnprintf(buffer.data(), size_t(buffer.size()), format, args);
        buffer.resize(needed);
    }
    QMutexLocker lock(&m_mutex);
    if (!m_started || !m_logger || level > m_level)
        return;
    m_logger->logUtf8(module, level, buffer);
}

void LogSystem::logText(int module, LogLevel level, const QString &text)
{
    QMutexLocker lock(&m_mutex);
    if (!m_started || !m_logger || level > m_level)
        return;
    m_logger->log(module, level, text);
}

void LogSystem::setLogLevel(LogLevel level)
{
    QMutexLocker lock(&m_mutex);
    m_level = level;
}

LogLevel LogSystem::logLevel() const
{
    QMutexLocker lock(&m_mutex);
    return m_level;
}

void LogSystem::setLogger(SysLogger *logger)
{
    QMutexLocker lock(&m_mutex);
    if (m_logger == logger)
        return;
    if (m_logger && m_started)
        m_logger->stop();
    m_logger = logger;
    if (m_logger) {
        for (int i = 0; i < m_modules.size(); ++i)
            m_logger->moduleRegistered(m_modules.at(i), i);
        if (m_started)
            m_logger->start();
    }
}

bool LogSystem::startLog()
{
    QMutexLocker lock(&m_mutex);
    if (m_started)
        return true;
    m_started = true;
    return m_logger ? m_logger->start() : true;
}

void LogSystem::stopLog()
{
    QMutexLocker lock(&m_mutex);
    if (!m_started)
        return;
    m_started = false;
    if (m_logger)
        m_logger->stop();
}

bool LogSystem::isStarted() const
{
    QMutexLocker lock(&m_mutex);
    return m_started;
}
