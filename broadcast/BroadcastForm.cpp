#include "broadcast/BroadcastForm.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

QString tableScrollBarStyle()
{
    return QStringLiteral("QScrollBar:vertical{background: #4a4a4a;width: 12px;margin: 0px;}"
                          "QScrollBar::handle:vertical{background: #8a8a8a;border-radius: 4px;min-height: 30px;"
                          "margin: 2px;}"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height: 0px;}"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: none;}");
}

QToolButton *formTextButton(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(geometry);
    button->setMinimumSize(geometry.size());
    button->setFont(arialFont(10));
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setStyleSheet(
        QStringLiteral("QToolButton{border-image: url(:/resource/Login/btn_text_b_normal.png);border:none;"
                       "font-family:Arial;color:#ffffff;font-size:10pt;}"
                       "QToolButton:hover{border-image: url(:/resource/Login/btn_text_b_hover.png);}"
                       "QToolButton:pressed{border-image: url(:/resource/Login/btn_text_b_pressed.png);}"
                       // The disabled image is mid grey: its text is lighter, to be read.
                       "QToolButton:disabled{border-image: url(:/resource/Login/btn_text_d_disabled.png);"
                       "color: #c8c8c8;}"));
    return button;
}

QList<QWidget *> formWidgets(QWidget *form)
{
    QList<QWidget *> widgets;
    const QList<QWidget *> all = form->findChildren<QWidget *>();
    for (QWidget *widget : all) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")) ||
            widget->isWindow())
            continue;
        bool inner = false;
        for (QWidget *up = widget->parentWidget(); up && up != form && !inner; up = up->parentWidget()) {
            inner = up->isWindow() || qobject_cast<QComboBox *>(up) || qobject_cast<QAbstractScrollArea *>(up) ||
                    qobject_cast<QLineEdit *>(up) || qobject_cast<QAbstractSpinBox *>(up) ||
                    qobject_cast<QCalendarWidget *>(up);
        }
        if (!inner)
            widgets.append(widget);
    }
    return widgets;
}
