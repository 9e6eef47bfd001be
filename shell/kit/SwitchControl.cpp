#include "shell/kit/SwitchControl.h"

#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

SwitchControl::SwitchControl(QWidget *parent, bool toggled) : QWidget(parent), m_toggled(toggled)
{
    const double scale = getScaleFactor();
    setFixedSize(ScaleMath::truncScaled(41, scale), ScaleMath::truncScaled(21, scale));
    m_knobSize = static_cast<qint16>(ScaleMath::truncScaled(16, scale));
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &SwitchControl::onTimeout);
}

SwitchControl::~SwitchControl() = default;

bool SwitchControl::isToggled() const
{
    return m_toggled;
}

void SwitchControl::setToggle(bool toggled)
{
    m_toggled = toggled;
    m_timer.start(10);
}

QSize SwitchControl::sizeHint() const
{
    return QSize(2 * (m_knobSize + m_margin), m_knobSize + 2 * m_margin);
}

QSize SwitchControl::minimumSizeHint() const
{
    return sizeHint();
}

double SwitchControl::onEnd() const
{
    return width() - m_knobSize;
}

double SwitchControl::offEnd() const
{
    return m_knobSize / 2;
}

void SwitchControl::onTimeout()
{
    if (m_toggled) {
        m_position += 1.0;
        if (m_position >= onEnd())
            m_timer.stop();
    } else {
        m_position -= 1.0;
        if (m_position <= offEnd())
            m_timer.stop();
    }
    update();
}

void SwitchControl::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    if (event->buttons() & Qt::LeftButton)
        event->accept();
    else
        event->ignore();
}

void SwitchControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isEnabled())
        return;
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_toggled = !m_toggled;
    emit toggled(m_toggled);
    m_timer.start(10);
}

void SwitchControl::resizeEvent(QResizeEvent *event)
{
    m_position = m_toggled ? onEnd() : offEnd();
    m_knobCentre = m_knobSize / 2;
    QWidget::resizeEvent(event);
}

void SwitchControl::paintEvent(QPaintEvent *)
{
    const double scale = getScaleFactor();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);

    QString background;
    if (!isEnabled())
        background = QStringLiteral(":/resource/accountMgt/btn_off_disabled_bg.png");
    else if (m_toggled)
        background = QStringLiteral(":/resource/accountMgt/btn_on_normal_bg.png");
    else
        background = QStringLiteral(":/resource/accountMgt/btn_off_normal_bg.png");
    painter.drawPixmap(QRectF(0, 0, 41 * scale, 21 * scale), QPixmap(background), QRectF(0, 0, 41, 21));

    painter.setBrush(Qt::white);
    painter.setPen(QPen(QColor(129, 124, 124), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const double diameter = 0.75 * height();
    QPainterPath knob;
    knob.addRoundedRect(QRectF(m_position - m_knobSize / 3, m_knobCentre - m_knobSize / 2.75, diameter, diameter),
                        diameter, diameter, Qt::AbsoluteSize);
    painter.setOpacity(0.8);
    painter.drawPath(knob.simplified());
}
