#include "shell/kit/FormStyle.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include "shell/kit/KitForm.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/UiHelpers.h"

namespace {

// A length of the unscaled form in pixels at the current scale.
QString px(int length)
{
    return QString::number(qMax(1, int(length * getScaleFactor()))) + QStringLiteral("px");
}

} // namespace

QString FormStyle::captionStyle()
{
    return QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;");
}

QString FormStyle::hintStyle()
{
    return QStringLiteral("color: #bfbfbf;\nfont-size:10pt; font-family:Arial;");
}

QString FormStyle::lineEditStyle()
{
    return QStringLiteral("QLineEdit{background-color: #333333;color: #ffffff;font-size:10pt; font-family:Arial;"
                          "border: 1px solid #7a7a7a;border-radius: %1;padding-left:%2;}\n"
                          "QLineEdit:focus{border: 1px solid #00acff;}\n"
                          "QLineEdit:read-only{background-color: #4a4a4a;color: #a6a6a6;border: 1px solid #5a5a5a;}")
        .arg(px(5), px(8));
}

QString FormStyle::primaryButtonStyle()
{
    return QStringLiteral("QPushButton{background-color: #0a84c6;color: #ffffff;border: none;border-radius: %1;"
                          "font-size:10pt; font-family:Arial;padding-left:%2;padding-right:%2;}\n"
                          "QPushButton:hover{background-color: #1b9be0;}\n"
                          "QPushButton:pressed{background-color: #086a9f;}\n"
                          "QPushButton:disabled{background-color: #5a5a5a;color: #8c8c8c;}")
        .arg(px(4), px(10));
}

QString FormStyle::secondaryButtonStyle()
{
    return QStringLiteral("QPushButton{background-color: transparent;color: #ffffff;border: 1px solid #a6a6a6;"
                          "border-radius: %1;font-size:10pt; font-family:Arial;padding-left:%2;padding-right:%2;}\n"
                          "QPushButton:hover{border: 1px solid #00acff;color: #00acff;}\n"
                          "QPushButton:pressed{background-color: #333333;}\n"
                          "QPushButton:disabled{border: 1px solid #5a5a5a;color: #7a7a7a;}")
        .arg(px(4), px(10));
}

QString FormStyle::scrollBarStyle()
{
    return QStringLiteral("QScrollBar:vertical{background: #3a3a3a;width: %1;margin: 0px;border: none;}\n"
                          "QScrollBar::handle:vertical{background: #7a7a7a;border-radius: %2;min-height: %3;}\n"
                          "QScrollBar::handle:vertical:hover{background: #9a9a9a;}\n"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height: 0px;}\n"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: none;}")
        .arg(px(10), px(4), px(30));
}

QString FormStyle::indicatorStyle(const char *widgetClass)
{
    return QStringLiteral("%1::indicator{width: %2;height: %2;border: 1px solid #a6a6a6;border-radius: %3;"
                          "background-color: #2b2b2b;}\n"
                          "%1::indicator:hover{border: 1px solid #00acff;}\n"
                          "%1::indicator:checked{background-color: #0a84c6;border: 1px solid #0a84c6;"
                          "image: url(:/resource/mangement/icon_check.png);}")
        .arg(QLatin1String(widgetClass), px(14), px(3));
}

QString FormStyle::listStyle()
{
    return QStringLiteral("QListWidget{background-color: #333333;color: #ffffff;font-size:10pt; font-family:Arial;"
                          "border: 1px solid #7a7a7a;border-radius: %1;outline: none;padding: %2;}\n"
                          "QListWidget::item{min-height: %3;padding-left: %4;border: none;}\n"
                          "QListWidget::item:hover{background-color: #404040;}\n"
                          "QListWidget::item:selected{background-color: #0a5f8f;color: #ffffff;}\n")
               .arg(px(5), px(3), px(26), px(4)) +
           indicatorStyle("QListWidget");
}

QString FormStyle::tableStyle()
{
    return QStringLiteral(
               "QTableView{background-color: #4a4a4a;alternate-background-color: #525252;color: #ffffff;"
               "font-size:10pt; font-family:Arial;border: 1px solid #1a1a1a;gridline-color: #4a4a4a;outline: none;"
               "selection-background-color: #0a5f8f;selection-color: #ffffff;}\n"
               "QTableView::item{padding-left: %1;border: none;}\n"
               "QTableView::item:selected{background-color: #0a5f8f;}\n"
               "QHeaderView{background-color: #3a3a3a;border: none;}\n"
               "QHeaderView::section{background-color: #3a3a3a;color: #edd994;font-size:10pt; font-family:Arial;"
               "border: none;border-bottom: 1px solid #1a1a1a;padding-left: %2;}\n")
               .arg(px(10), px(13)) +
           indicatorStyle("QTableView");
}

QLabel *FormStyle::caption(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setGeometry(geometry);
    label->setFont(arialFont());
    label->setStyleSheet(captionStyle());
    return label;
}

QLineEdit *FormStyle::lineEdit(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(objectName));
    edit->setGeometry(geometry);
    edit->setFont(arialFont());
    edit->setStyleSheet(lineEditStyle());
    PlaceholderColour::keep(edit);
    return edit;
}

QPushButton *FormStyle::button(QWidget *parent, const char *objectName, const QRect &geometry, bool primary)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(geometry);
    button->setFont(arialFont());
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    button->setStyleSheet(primary ? primaryButtonStyle() : secondaryButtonStyle());
    return button;
}

QListWidget *FormStyle::checkList(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(objectName));
    list->setGeometry(geometry);
    list->setFont(arialFont());
    list->setStyleSheet(listStyle());
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    styleScrollBar(list);
    return list;
}

void FormStyle::styleScrollBar(QAbstractScrollArea *area)
{
    area->verticalScrollBar()->setStyleSheet(scrollBarStyle());
}
