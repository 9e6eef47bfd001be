#include "network/ChannelQueue.h"

#include "network/DeviceChannel.h"

#include <QElapsedTimer>
#include <QTimer>

ChannelQueue::ChannelQueue(QObject *owner, qint64 sliceMs, Work work)
    : m_sliceMs(sliceMs), m_work(std::move(work)), m_timer(new QTimer(owner))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    QObject::connect(m_timer, &QTimer::timeout, owner, [this] { run(); });
}

void ChannelQueue::append(DeviceChannel *channel)
{
    m_waiting.append(channel);
    // Restarting an armed timer costs a re-sort of the thread's timers, once for each channel of a fleet.
    if (!m_timer->isActive())
        m_timer->start();
}

void ChannelQueue::run()
{
    QElapsedTimer slice;
    slice.start();
    while (!m_waiting.isEmpty() && slice.elapsed() < m_sliceMs) {
        const QPointer<DeviceChannel> channel = m_waiting.takeFirst();
        if (channel)
            m_work(channel);
    }
    if (!m_waiting.isEmpty())
        m_timer->start();
}
