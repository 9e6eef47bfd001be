#include "shell/kit/TextLabel.h"

#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QFontMetrics>

TextLabel::TextLabel(QWidget *parent) : QLabel(parent)
{
    // The badge is the text's width plus 45 x scale, its padding 20 pixels a side at any scale: at
    // 1.4 a left-aligned text would have 23 pixels more room on its right than on its left.
    setAlignment(Qt::AlignCenter);
}

TextLabel::~TextLabel() = default;

void TextLabel::setWarningText(const QString &text)
{
    const double scale = getScaleFactor();
    setFixedHeight(ScaleMath::truncScaled(20, scale));
    setStyleSheet(QStringLiteral("QLabel {background-color: #b40000;color: #ffffff;font-size:10pt; "
                                 "font-family:Arial;border-radius: 5px;font: bold;padding-left:20px;"
                                 "padding-right:20px; }"));
    scaleStyleSheetFontSize(this, 10, 0, false, false);
    // Messages may carry a stored name: shown as it stands, never as markup.
    setTextFormat(Qt::PlainText);
    setText(text);
    setToolTip(plainToolTip(text));
    // The style sheet's font reaches font() only once polished; measure with that font.
    ensurePolished();
    const int slack = ScaleMath::truncScaled(45, scale);
    const int oneLine = slack + fontMetrics().boundingRect(text).width();
    const bool wraps = m_wrapWidth > 0 && oneLine > m_wrapWidth;
    setWordWrap(wraps);
    if (!wraps) {
        setFixedWidth(oneLine);
        return;
    }
    // A refusal that names its way out may not fit on a line of its form: cut off at the form's edge it said half.
    setFixedWidth(m_wrapWidth);
    const QRect lines =
        fontMetrics().boundingRect(QRect(0, 0, m_wrapWidth - slack, 10000), int(Qt::TextWordWrap), text);
    // The one-line badge's margin above and below, and a little more between the lines and the edge.
    setFixedHeight(
        qMax(height(), lines.height() + height() - fontMetrics().height() + ScaleMath::truncScaled(6, scale)));
}

void TextLabel::showWarning(const QString &text)
{
    if (text.isEmpty()) {
        hide();
        return;
    }
    setWarningText(text);
    show();
}

QString TextLabel::shownWarning() const
{
    return isHidden() ? QString() : text();
}
