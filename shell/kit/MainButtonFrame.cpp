#include "shell/kit/MainButtonFrame.h"

MainButtonFrame::MainButtonFrame(QWidget *parent) : QFrame(parent)
{
    setMouseTracking(true);
}

MainButtonFrame::~MainButtonFrame() = default;

void MainButtonFrame::mousePressEvent(QMouseEvent *)
{
    m_pressed = true;
    emit mousePressed();
}

void MainButtonFrame::mouseMoveEvent(QMouseEvent *)
{
    emit mouseMoved();
}

void MainButtonFrame::mouseReleaseEvent(QMouseEvent *)
{
    if (m_pressed)
        emit clicked();
    else
        emit mouseReleased();
}

void MainButtonFrame::enterEvent(QEvent *)
{
    emit mouseEntered();
}

void MainButtonFrame::leaveEvent(QEvent *)
{
    emit mouseLeaved();
}
