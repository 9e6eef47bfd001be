#pragma once

#include <QLineEdit>

/// The example-text line edit of the log-in window: frameless, at most 34 characters, none of
/// \ / : * ? " > < |. While it holds one of its example texts, focusing it clears the text and
/// turns it white; in hint mode it then hides what is typed.
class CustomLineEditText : public QLineEdit
{
    Q_OBJECT

public:
    explicit CustomLineEditText(QWidget *parent);
    ~CustomLineEditText() override;

    void setHintMode(bool hintMode);
    bool hintMode() const { return m_hintMode; }
    /// The grey example-text look.
    void setDefaultStyle();

signals:
    void focussed(bool hasFocus);

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    bool m_hintMode = false;
};
