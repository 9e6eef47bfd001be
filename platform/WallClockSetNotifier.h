#pragma once

#include <QObject>

class QSocketNotifier;

/// Tells at once when the system's wall clock is set: by the operator, by a time sync that steps it, or on waking
/// from sleep, when the system moves it on by the time asleep. Without it the only way to see such a change is to
/// compare the wall clock with a steady one now and then.
///
/// On Linux it is a timerfd on the wall clock armed with TFD_TIMER_CANCEL_ON_SET, whose read fails with ECANCELED
/// after each change. Elsewhere, or when the timerfd cannot be made, isActive() is false and it never reports.
class WallClockSetNotifier : public QObject
{
    Q_OBJECT

public:
    explicit WallClockSetNotifier(QObject *parent = nullptr);
    ~WallClockSetNotifier() override;

    bool isActive() const { return m_fd >= 0; }

signals:
    /// The wall clock was set; by how much is for the listener to find out.
    void clockSet();

private:
    bool arm();
    void onReadable();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
