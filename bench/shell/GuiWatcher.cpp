#include "GuiWatcher.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>
#include <chrono>

namespace shellbench {

namespace {

QEvent::Type probeType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace

GuiWatcher::GuiWatcher(int periodMs, double noteMs) : m_periodMs(periodMs), m_noteMs(noteMs)
{
}

GuiWatcher::~GuiWatcher()
{
    if (m_thread.joinable())
        stop();
}

void GuiWatcher::start()
{
    m_stop = false;
    m_waitsMs.clear();
    m_stalls.clear();
    m_startNs = bench::nowNs();
    m_thread = std::thread([this] { run(); });
}

void GuiWatcher::stop()
{
    m_stop = true;
    m_thread.join();
}

double GuiWatcher::worstMs() const
{
    return m_waitsMs.empty() ? 0 : *std::max_element(m_waitsMs.begin(), m_waitsMs.end());
}

void GuiWatcher::customEvent(QEvent *event)
{
    if (event->type() == probeType())
        m_handledNs = bench::nowNs();
}

void GuiWatcher::run()
{
    while (!m_stop) {
        m_handledNs = 0;
        const int64_t postedNs = bench::nowNs();
        QCoreApplication::postEvent(this, new QEvent(probeType()));
        while (m_handledNs == 0 && !m_stop)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const int64_t handledNs = m_handledNs != 0 ? int64_t(m_handledNs) : bench::nowNs();
        const double ms = (handledNs - postedNs) / 1e6;
        m_waitsMs.push_back(ms);
        if (ms > m_noteMs)
            m_stalls.push_back({(postedNs - m_startNs) / 1e9, ms});
        std::this_thread::sleep_for(std::chrono::milliseconds(m_periodMs));
    }
}

} // namespace shellbench
