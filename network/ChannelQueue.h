#pragma once

#include <QList>
#include <QPointer>

#include <functional>

class DeviceChannel;
class QObject;
class QTimer;

/// Channels waiting for work that a whole fleet would otherwise ask for in one turn of the event loop: each turn takes
/// them off in arrival order and hands each to the work until the slice of time is used up; the rest wait for the
/// next turn, so the operator's clicks and the screen get through in between. A channel freed meanwhile is skipped.
class ChannelQueue
{
public:
    using Work = std::function<void(DeviceChannel *)>;

    ChannelQueue(QObject *owner, qint64 sliceMs, Work work);
    ChannelQueue(const ChannelQueue &) = delete;
    ChannelQueue &operator=(const ChannelQueue &) = delete;

    void append(DeviceChannel *channel);
    bool isEmpty() const { return m_waiting.isEmpty(); }

private:
    void run();

    QList<QPointer<DeviceChannel>> m_waiting;
    qint64 m_sliceMs;
    Work m_work;
    QTimer *m_timer; // zero-delay, single-shot; owned by the owner
};
