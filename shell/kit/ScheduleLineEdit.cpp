#include "shell/kit/ScheduleLineEdit.h"

#include "shell/kit/UiHelpers.h"

ScheduleLineEdit::ScheduleLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setFrame(false);
    setAlignment(Qt::AlignBottom);
    setMaxLength(32);
    setEchoMode(QLineEdit::Normal);
}

ScheduleLineEdit::~ScheduleLineEdit() = default;

void ScheduleLineEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    setStyleSheet(QStringLiteral("background-color: #3f3f3f;color: #ffffff;font-size:10pt; font-family:Arial;"
                                 "border-radius: 5px;padding-left:10px;border: 1px solid #ffffff;"));
    scaleStyleSheetFontSize(this, 10, 0, false, false);
    emit focussed(true);
}
