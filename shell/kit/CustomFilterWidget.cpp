#include "shell/kit/CustomFilterWidget.h"

CustomFilterWidget::CustomFilterWidget(QWidget *parent) : QWidget(parent)
{
}

CustomFilterWidget::~CustomFilterWidget() = default;

void CustomFilterWidget::mousePressEvent(QMouseEvent *event)
{
    emit pressEvent(event);
}
