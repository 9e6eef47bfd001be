#pragma once

#include "platform/LogSystem.h"
#include "platform/SysLogger.h"

#include <QMutex>
#include <QStringList>

// Collects the log lines, so tests can check that bad input is reported as well as survived.
class LogCapture : public SysLogger
{
public:
    LogCapture()
    {
        LogSystem::getSysLogSystem()->setLogger(this);
        LogSystem::getSysLogSystem()->startLog();
    }
    ~LogCapture() override
    {
        LogSystem::getSysLogSystem()->stopLog();
        LogSystem::getSysLogSystem()->setLogger(nullptr);
    }
    void log(int, LogLevel, const QString &text) override
    {
        QMutexLocker locker(&m_mutex);
        m_lines.append(text);
    }
    int count(const QString &text) const
    {
        QMutexLocker locker(&m_mutex);
        int n = 0;
        for (const QString &line : m_lines) {
            if (line.contains(text))
                ++n;
        }
        return n;
    }
    QStringList lines() const
    {
        QMutexLocker locker(&m_mutex);
        return m_lines;
    }
    // The lines holding text, in the order they came.
    QStringList linesWith(const QString &text) const
    {
        QMutexLocker locker(&m_mutex);
        QStringList holding;
        for (const QString &line : m_lines) {
            if (line.contains(text))
                holding.append(line);
        }
        return holding;
    }
    bool contains(const QString &text) const { return count(text) > 0; }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_lines.clear();
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};
