#include "scheduling/TaskWindow.h"

namespace {

QDateTime wholeSecond(const QDateTime &time)
{
    return time.addMSecs(-time.time().msec());
}

} // namespace

TaskWindow::TaskWindow(const QDateTime &now) : m_since(wholeSecond(now)), m_lastPass(now)
{
}

void TaskWindow::observe(const QDateTime &now)
{
    if (now < m_lastPass && wholeSecond(now) < m_since)
        m_since = wholeSecond(now);
    m_lastPass = now;
}

bool TaskWindow::isDue(const QString &key, const QDateTime &due, const QDateTime &now) const
{
    if (!due.isValid() || m_fired.contains(key))
        return false;
    return due <= now && due >= m_since && due.msecsTo(now) < CatchUpMs;
}

bool TaskWindow::isAhead(const QString &key, const QDateTime &due, const QDateTime &now) const
{
    return due.isValid() && due > now && !m_fired.contains(key);
}

void TaskWindow::markFired(const QString &key, const QDateTime &due)
{
    m_fired.insert(key, due);
}

void TaskWindow::prune(const QDateTime &now)
{
    const QDateTime limit = now.addDays(-2);
    for (auto it = m_fired.begin(); it != m_fired.end();) {
        if (it.value() < limit)
            it = m_fired.erase(it);
        else
            ++it;
    }
}
