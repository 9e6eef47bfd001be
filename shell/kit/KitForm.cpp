#include "shell/kit/KitForm.h"

#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QDialog>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

#include <cmath>

void fitRowLabels(const QList<QLabel *> &labels, int baseWidth)
{
    if (labels.isEmpty())
        return;
    const double scale = getScaleFactor();
    // The style sheet's font reaches font() only once a label is polished; measuring with any other
    // font cuts texts that fit, or lets texts run past the edge.
    for (QLabel *label : labels)
        label->ensurePolished();
    const QFont font = labels.first()->font();
    // Point sizes are drawn in whole pixels, so text does not grow exactly with the scale: a
    // 10-point label is 13 pixels high at 1.0 and 19 at 1.4, its text 1.46 times as wide while the
    // form grew 1.4 times. The column grows with the text, never less than with the scale.
    const double basePixels = qRound(font.pointSizeF() * getDpiRatio() / scale * 96.0 / 72.0);
    const double growth = basePixels > 0 ? qMax(scale, QFontInfo(font).pixelSize() / basePixels) : scale;
    const double column = baseWidth * growth;
    // A text that misses the column by a hair (its glyphs rounded differently at this size) gets
    // the hair from the field beside it, for every row alike so that the fields stay lined up.
    double width = column;
    for (QLabel *label : labels) {
        const double needed = QFontMetricsF(label->font()).horizontalAdvance(label->toolTip());
        if (needed > width && needed <= column * 1.05)
            width = needed;
    }
    const int pixels = int(std::ceil(width));
    for (QLabel *label : labels) {
        label->setMinimumWidth(pixels);
        setElidedLabelText(label, label->toolTip(), pixels);
    }
}

QString comboListStyleSheet()
{
    const double scale = getScaleFactor();
    // Without a border of its own an item row takes its padding only while it is the current one,
    // so the current row's text stood indented against the others.
    return QStringLiteral("QComboBox QAbstractItemView{color: #000000;background-color: #ffffff;border:none;"
                          "outline:0px;selection-background-color: #009bef;}"
                          "QComboBox QAbstractItemView::item{min-height:%1px;padding-left:%2px;border:none;"
                          "color: #000000;}"
                          "QComboBox QAbstractItemView::item:hover{background-color: #f7e195;}"
                          "QComboBox QAbstractItemView::item:selected{background-color: #009bef;color: #ffffff;}")
        .arg(ScaleMath::truncScaled(22, scale))
        .arg(ScaleMath::truncScaled(10, scale));
}

QString messageLabelStyleSheet(bool bold)
{
    QString styleSheet = QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;");
    if (bold)
        styleSheet += QStringLiteral("\nfont-weight: bold;");
    return styleSheet;
}

QFrame *createContentFrame(QWidget *form, const QRect &geometry)
{
    auto *frame = new QFrame(form);
    frame->setObjectName(QStringLiteral("frameContent"));
    frame->setGeometry(geometry);
    frame->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QLabel *createMessageLabel(QWidget *parent, const QString &objectName, const QRect &geometry, bool bold,
                           Qt::Alignment alignment)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    label->setFont(arialFont(10, bold));
    label->setStyleSheet(messageLabelStyleSheet(bold));
    label->setAlignment(alignment);
    label->setWordWrap(true);
    return label;
}

QToolButton *createDialogButton(QWidget *parent, const QString &objectName, const QPoint &position)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setGeometry(QRect(position, QSize(80, 22)));
    button->setMinimumSize(QSize(80, 22));
    button->setFont(arialFont());
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(:/resource/Login/btn_text_b_normal.png);border:none;"
                       "font-family:Arial;color:#ffffff;}\n"
                       "QToolButton:hover{border-image: url(:/resource/Login/btn_text_b_hover.png);}\n"
                       "QToolButton:pressed{border-image: url(:/resource/Login/btn_text_b_pressed.png);}"));
    return button;
}

QString dialogButtonFocusStyle()
{
    // The hover image's blue, drawn flat within a white line: the image itself cannot carry a frame of its own.
    return QStringLiteral(
        "\nQToolButton:focus:!pressed{border-image: none; border: 1px solid #ffffff; border-radius: 3px;"
        "background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #38b0ee, stop:1 #1c98d8);}");
}

void setupSharedDialog(QDialog *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    dialog->setModal(true);
    dialog->setFixedSize(dialog->size());
}

void scaleForm(QWidget *form, double factor, const QList<QWidget *> &widgets, bool rescale, bool keepFonts)
{
    form->setFixedSize(ScaleMath::truncScaled(form->width(), factor), ScaleMath::truncScaled(form->height(), factor));
    for (QWidget *widget : widgets)
        scaleWidgetGeometry(widget, factor);
    scaleWidgetFonts(form, factor, rescale, keepFonts);
}

QFont arialFont(double pointSize, bool bold)
{
    QFont font;
    font.setFamily(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
