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
    /// wide, both times the scale. Past the wrap width (when one is set) the text runs onto more
    /// lines: the badge is then that wide and as high as its lines.
    void setWarningText(const QString &text);
    /// The widest the badge may be, 0 for no limit (one line however long).
    void setWrapWidth(int width) { m_wrapWidth = width; }
    /// Shows the badge with the text, or hides it for an empty text.
    void showWarning(const QString &text);
    /// The text the badge shows, empty while it is hidden.
    QString shownWarning() const;

private:
    int m_wrapWidth = 0;
};
