#include "shell/kit/CustomLineEditText.h"

#include "shell/kit/PasswordFieldValidator.h"
#include "shell/kit/UiHelpers.h"

CustomLineEditText::CustomLineEditText(QWidget *parent, PasswordFieldRule::Field field) : QLineEdit(parent)
{
    setFrame(false);
    setAlignment(Qt::AlignBottom);
    setEchoMode(QLineEdit::Normal);
    PasswordFieldValidator::install(this, field);
}

CustomLineEditText::~CustomLineEditText() = default;

void CustomLineEditText::setHintMode(bool hintMode)
{
    m_hintMode = hintMode;
}

void CustomLineEditText::setDefaultStyle()
{
    setStyleSheet(QStringLiteral("QLineEdit{background-color: transparent;color: #808080;font-size:11pt; "
                                 "font-family:Arial;}"));
    scaleStyleSheetFontSize(this, 11, 0, false, false);
}

void CustomLineEditText::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_hintMode)
        setEchoMode(QLineEdit::Password);
    if (isExampleText(text()))
        clearForTyping();
    emit focussed(true);
}

void CustomLineEditText::clearForTyping()
{
    clear();
    if (m_hintMode)
        setEchoMode(QLineEdit::Password);
    setStyleSheet(QStringLiteral("QLineEdit{background-color: transparent;color: #ffffff;font-size:11pt; "
                                 "font-family:Arial;}"));
    scaleStyleSheetFontSize(this, 11, 0, false, false);
}

bool CustomLineEditText::showsExample() const
{
    return (!m_hintMode || echoMode() == QLineEdit::Normal) && isExampleText(text());
}

bool CustomLineEditText::isExampleText(const QString &text)
{
    return text == tr("User Password") || text == tr("User Email") || text == tr("Confirm Your Email");
}
