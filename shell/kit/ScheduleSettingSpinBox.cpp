#include "shell/kit/ScheduleSettingSpinBox.h"

ScheduleSettingSpinBox::ScheduleSettingSpinBox(QWidget *parent) : QSpinBox(parent)
{
}

ScheduleSettingSpinBox::~ScheduleSettingSpinBox() = default;

QString ScheduleSettingSpinBox::textFromValue(int value) const
{
    // While the operator types, the box keeps the text as typed ("5"); the two digits come back
    // when the value is shown again (Enter, leaving the box, the arrows).
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
