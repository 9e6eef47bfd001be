#pragma once

#include <QSpinBox>

/// A spin box for hours and minutes: it always shows two digits.
class ScheduleSettingSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit ScheduleSettingSpinBox(QWidget *parent);
    ~ScheduleSettingSpinBox() override;

public slots:
    void setZero(int value);
};
