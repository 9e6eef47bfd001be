#pragma once

#include <QPlainTextEdit>

/// The text box of the broadcast content: it shows a grey example text until it first gets the focus, which clears
/// the example and turns the text black.
class CustomPlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CustomPlainTextEdit(QWidget *parent = nullptr);

    /// The grey look of an example text.
    void setPlaceholderStyle();
    /// True while the box shows one of the two example texts.
    bool showsExample() const;

signals:
    void focussed(bool hasFocus);

protected:
    void focusInEvent(QFocusEvent *event) override;
};
