#include "shell/kit/ClickableLabel.h"

ClickableLabel::ClickableLabel(QWidget *parent) : QLabel(parent)
{
}

ClickableLabel::~ClickableLabel() = default;

void ClickableLabel::mousePressEvent(QMouseEvent *)
{
    emit clicked();
}

void ClickableLabel::enterEvent(QEvent *)
{
    emit mouseEnterWidget();
}

void ClickableLabel::leaveEvent(QEvent *)
{
    emit mouseLeaveWidget();
}
