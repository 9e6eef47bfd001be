#pragma once

#include "shell/base/Clock.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <memory>

// Readings for a SystemClock whose wall clock a test can move while time runs on for real: the steady reading is the
// monotonic clock Qt's timers run on, so timers armed from the clock fire on it as they do in production.
class MovableTime
{
public:
    explicit MovableTime(const QDateTime &start) : m_state(std::make_shared<State>())
    {
        m_state->running.start();
        m_state->wallStartMs = start.toMSecsSinceEpoch();
        m_state->steadyStartMs = m_state->running.msecsSinceReference();
    }

    SystemClock::Readings readings() const
    {
        const std::shared_ptr<State> state = m_state;
        return {[state] { return state->wallStartMs + state->running.elapsed() + state->wallShiftMs; },
                [state] { return state->steadyStartMs + state->running.elapsed(); }};
    }

    QDateTime now() const { return QDateTime::fromMSecsSinceEpoch(readings().wallMs()); }

    // The wall clock reads `to` from now on. The steady clock sees no difference between the clock being set and the
    // PC waking at that time: it stood still while asleep.
    void setWall(const QDateTime &to) { m_state->wallShiftMs += now().msecsTo(to); }

private:
    struct State
    {
        QElapsedTimer running;
        qint64 wallStartMs = 0;
        qint64 steadyStartMs = 0;
        qint64 wallShiftMs = 0;
    };
    std::shared_ptr<State> m_state;
};
