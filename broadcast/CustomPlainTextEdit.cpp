#include "broadcast/CustomPlainTextEdit.h"

#include "shell/kit/UiHelpers.h"

CustomPlainTextEdit::CustomPlainTextEdit(QWidget *parent) : QPlainTextEdit(parent)
{
}

void CustomPlainTextEdit::setPlaceholderStyle()
{
    setStyleSheet(QStringLiteral("font-size:11pt; font-family:Arial;color: #808080;"));
    scaleStyleSheetFontSize(this, 11, 0, false, false);
}

bool CustomPlainTextEdit::showsExample() const
{
    const QString text = toPlainText();
    return text == tr("Enter your text...") || text == tr("Please enter your broadcast title of audio...");
}

void CustomPlainTextEdit::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    if (showsExample()) {
        clear();
        setStyleSheet(QStringLiteral("font-size:11pt; font-family:Arial;color: #000000;"));
        scaleStyleSheetFontSize(this, 11, 0, false, false);
    }
    emit focussed(true);
}
