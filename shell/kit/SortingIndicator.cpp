#include "shell/kit/SortingIndicator.h"

#include "shell/kit/UiHelpers.h"

#include <QPainter>
#include <QPixmap>

SortingIndicator::SortingIndicator(QWidget *parent) : QWidget(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &SortingIndicator::onTimeout);
    m_timer.start(5);
}

SortingIndicator::~SortingIndicator() = default;

void SortingIndicator::setState(int state)
{
    m_state = state;
    m_timer.start(5);
}

int SortingIndicator::state() const
{
    return m_state;
}

void SortingIndicator::onTimeout()
{
    m_timer.stop();
    update();
}

void SortingIndicator::setReversedArrows(bool reversed)
{
    m_reversed = reversed;
    m_timer.start(5);
}

QString SortingIndicator::image() const
{
    const int shown = m_reversed && m_state >= 0 && m_state <= 3 ? m_state ^ 1 : m_state;
    switch (shown) {
    case 0:
        return QStringLiteral(":/resource/accountMgt/btn_sort_a_pressed.png");
    case 1:
        return QStringLiteral(":/resource/accountMgt/btn_sort_b_pressed.png");
    case 2:
        return QStringLiteral(":/resource/accountMgt/btn_sort_a_disabled.png");
    case 3:
        return QStringLiteral(":/resource/accountMgt/btn_sort_b_disabled.png");
    default:
        return QString();
    }
}

void SortingIndicator::paintEvent(QPaintEvent *)
{
    const QString path = image();
    if (path.isEmpty())
        return;
    const double scale = getScaleFactor();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.drawPixmap(QRectF(0, 0, 8 * scale, 8 * scale), QPixmap(path), QRectF(0, 0, 8, 8));
}
