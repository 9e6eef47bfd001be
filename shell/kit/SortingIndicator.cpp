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

void SortingIndicator::paintEvent(QPaintEvent *)
{
    QString image;
    switch (m_state) {
    case 0:
        image = QStringLiteral(":/resource/accountMgt/btn_sort_a_pressed.png");
        break;
    case 1:
        image = QStringLiteral(":/resource/accountMgt/btn_sort_b_pressed.png");
        break;
    case 2:
        image = QStringLiteral(":/resource/accountMgt/btn_sort_a_disabled.png");
        break;
    case 3:
        image = QStringLiteral(":/resource/accountMgt/btn_sort_b_disabled.png");
        break;
    default:
        return;
    }
    const double scale = getScaleFactor();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.drawPixmap(QRectF(0, 0, 8 * scale, 8 * scale), QPixmap(image), QRectF(0, 0, 8, 8));
}
