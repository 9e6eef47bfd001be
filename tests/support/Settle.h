#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// For programs that drive widgets without QtTest (the screenshot walks): run the event loop until
// done() holds or ms have passed; true when done() holds.
inline bool waitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

// Runs the event loop for ms.
inline void settle(int ms)
{
    waitFor([] { return false; }, ms);
}
