#pragma once

#include <QLineEdit>

#include "shell/base/PasswordFieldRule.h"

/// The example-text line edit of the log-in window: frameless, at most 34 characters, none of
/// \ / : * ? " > < | (what PasswordFieldRule takes where a password is entered, or for an e-mail field, where an
/// address is). While it holds one of its example texts, focusing it clears the text and turns it white; in hint mode
/// it then hides what is typed.
class CustomLineEditText : public QLineEdit
{
    Q_OBJECT

public:
    explicit CustomLineEditText(QWidget *parent, PasswordFieldRule::Field field = PasswordFieldRule::Entry);
    ~CustomLineEditText() override;

    void setHintMode(bool hintMode);
    bool hintMode() const { return m_hintMode; }
    /// The grey example-text look.
    void setDefaultStyle();
    /// Whether the field shows its example text rather than text the operator typed: until it is first entered, and
    /// after it is reset to the example. In hint mode typed text is hidden, so only a field that shows its text plainly
    /// can show the example.
    bool showsExample() const;
    /// Empties the field for the operator to type into, as entering it does with its example text: white, and in hint
    /// mode hiding what is typed.
    void clearForTyping();

signals:
    void focussed(bool hasFocus);

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    static bool isExampleText(const QString &text);

    bool m_hintMode = false;
};
