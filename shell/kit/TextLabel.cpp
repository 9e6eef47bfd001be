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
    setFixedWidth(ScaleMath::truncScaled(45, scale) + fontMetrics().boundingRect(text).width());
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
