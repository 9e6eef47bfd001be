#pragma once

#include <QLineEdit>

/// The line edit of the schedule and filter fields: frameless, at most 32 characters; focusing
/// it switches to the white editing look.
class ScheduleLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ScheduleLineEdit(QWidget *parent);
    ~ScheduleLineEdit() override;

signals:
    void focussed(bool hasFocus);

protected:
    void focusInEvent(QFocusEvent *event) override;
};
