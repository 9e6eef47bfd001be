#include "shell/kit/ScheduleSettingSpinBox.h"

ScheduleSettingSpinBox::ScheduleSettingSpinBox(QWidget *parent) : QSpinBox(parent)
{
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, &ScheduleSettingSpinBox::setZero);
}

ScheduleSettingSpinBox::~ScheduleSettingSpinBox() = default;

void ScheduleSettingSpinBox::setZero(int value)
{
    setPrefix(value < 10 ? QStringLiteral("0") : QString());
}
