#pragma once

#include <QLabel>

/// The red badge that shows a validation error. The caller places, shows and hides it.
class TextLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TextLabel(QWidget *parent);
    ~TextLabel() override;

    /// Badge style, the text as text and tool tip, 20 pixels high and the text's width plus 45
    /// wide, both times the scale.
    void setWarningText(const QString &text);
    /// Shows the badge with the text, or hides it for an empty text.
    void showWarning(const QString &text);
    /// The text the badge shows, empty while it is hidden.
    QString shownWarning() const;
};
