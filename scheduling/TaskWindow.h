#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

/// Decides which planned tasks fire, and remembers what fired, for one runner.
///
/// A task is keyed by what it is (schedule, action, the date and time it stands for). It fires
/// at most once per key, however often its list is rebuilt, however the clock moves: a rebuild
/// in the task's second, the start-up passes and a clock set back never fire it again, while a
/// task edited to a later time gets a new key and fires then.
///
/// A task fires once its instant has come, as long as it is less than `CatchUpMs` old and the
/// console was running at that instant: timer slack, a busy event loop or a small clock step do
/// not lose it, while tasks that fell due before start-up (or across a large step forward) are
/// skipped, not caught up hours later.
class TaskWindow
{
public:
    static constexpr qint64 CatchUpMs = 60000;

    /// Starts the window at `now`, truncated to its second: a task of the current second still fires.
    explicit TaskWindow(const QDateTime &now);

    /// Takes note of the time a pass runs at. When the clock went back, the console counts as
    /// running from the earlier time on, so tasks ahead of it fire when it reaches them.
    void observe(const QDateTime &now);

    /// True when the task must fire now (it has not fired yet and its instant is inside the window).
    bool isDue(const QString &key, const QDateTime &due, const QDateTime &now) const;
    /// True when `due` lies ahead of `now` and has not fired: the runner arms its timer for it.
    bool isAhead(const QString &key, const QDateTime &due, const QDateTime &now) const;

    void markFired(const QString &key, const QDateTime &due);
    bool hasFired(const QString &key) const { return m_fired.contains(key); }

    /// Forgets tasks whose instant lies more than two days before `now`: a clock set back by
    /// more than that is not guarded any more, but the memory stays bounded.
    void prune(const QDateTime &now);

private:
    QDateTime m_since;
    QDateTime m_lastPass;
    QHash<QString, QDateTime> m_fired;
};
