#pragma once

#include <QSpinBox>

/// A spin box for hours and minutes: it shows its value in two digits, and while the operator types,
/// what was typed.
///
/// The leading zero is part of the value's text, not a prefix: a prefix switched on and off while
/// the operator types rewrites the text under the cursor, so "5" then "4" typed over "37" became 45.
class ScheduleSettingSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit ScheduleSettingSpinBox(QWidget *parent);
    ~ScheduleSettingSpinBox() override;

protected:
    QString textFromValue(int value) const override;
};
