#include "shell/kit/KitForm.h"

#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace {
QFont arialFont(bool bold)
{
    QFont font;
    font.setFamily(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setBold(bold);
    return font;
}
} // namespace

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
    label->setFont(arialFont(bold));
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
    button->setFont(arialFont(false));
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(:/resource/Login/btn_text_b_normal.png);border:none;"
                       "font-family:Arial;color:#ffffff;}\n"
                       "QToolButton:hover{border-image: url(:/resource/Login/btn_text_b_hover.png);}\n"
                       "QToolButton:pressed{border-image: url(:/resource/Login/btn_text_b_pressed.png);}"));
    return button;
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
