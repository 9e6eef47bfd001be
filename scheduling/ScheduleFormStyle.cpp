#include "scheduling/ScheduleFormStyle.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>

#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

namespace {

// The check and radio images are drawn at the scale's size; the "_2x" images keep them sharp from 2.0 on.
QString indicatorSize(const char *widgetClass)
{
    const int side = int(16 * getScaleFactor());
    return QStringLiteral("%1::indicator{width: %2px;height: %2px;}").arg(QLatin1String(widgetClass)).arg(side);
}

} // namespace

QLabel *ScheduleFormStyle::headerLabel(QWidget *parent, const char *objectName)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setFont(arialFont());
    label->setStyleSheet(headerStyle());
    return label;
}

QString ScheduleFormStyle::headerStyle()
{
    return QStringLiteral("QLabel{background-color: #3a3a3a;color: #edd994;font-size:10pt; font-family:Arial;"
                          "border: none;border-bottom: 1px solid #1a1a1a;padding-left: 10px;}");
}

void ScheduleFormStyle::placeRow(const QList<QWidget *> &row, const QList<int> &widths, int left, int top, int height,
                                 int total)
{
    int fixed = 0;
    for (int width : widths)
        fixed += width > 0 ? width : 0;
    int x = left;
    for (int i = 0; i < row.size(); ++i) {
        const int width = widths.value(i) > 0 ? widths.value(i) : total - fixed;
        row.at(i)->setGeometry(QRect(x, top, width, height));
        x += width;
    }
}

QString ScheduleFormStyle::tableStyle()
{
    return QStringLiteral("QTableWidget{background-color: #4a4a4a;alternate-background-color: #525252;"
                          "color: #ffffff;font-size:10pt; font-family:Arial;border: none;"
                          "border-bottom: 1px solid #1a1a1a;outline: none;}\n"
                          "QTableWidget::item{padding-left: 10px;border: none;"
                          "border-bottom: 1px solid #5c5c5c;}\n") +
           FormStyle::scrollBarStyle();
}

QTableWidget *ScheduleFormStyle::table(QWidget *parent, const char *objectName, const QRect &geometry, int columns)
{
    auto *table = new QTableWidget(parent);
    table->setObjectName(QLatin1String(objectName));
    table->setGeometry(geometry);
    table->setFont(arialFont());
    table->setStyleSheet(tableStyle());
    table->setColumnCount(columns);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setAlternatingRowColors(true);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The last column takes what is left, so the rows' background reaches the table's edge.
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return table;
}

QString ScheduleFormStyle::imageSuffix()
{
    return getScaleFactor() >= 2.0 ? QStringLiteral("_2x") : QString();
}

QString ScheduleFormStyle::filterCheckBoxStyle()
{
    return QStringLiteral("QCheckBox{border: 0px;color: #333333;font-size:10pt; font-family:Arial;spacing: 8px;}"
                          "QCheckBox::indicator:checked {    image: url(:/resource/scheduling/im_check_b%1.png);}"
                          "QCheckBox::indicator:unchecked {    image: url(:/resource/scheduling/im_checkbox%1.png);}")
               .arg(imageSuffix()) +
           indicatorSize("QCheckBox");
}

QCheckBox *ScheduleFormStyle::filterCheckBox(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setGeometry(geometry);
    box->setFont(arialFont());
    box->setCursor(Qt::PointingHandCursor);
    box->setStyleSheet(filterCheckBoxStyle());
    return box;
}

QString ScheduleFormStyle::checkBoxStyle(const QString &extra)
{
    return QStringLiteral("QCheckBox{color: #ffffff;font-size:10pt; font-family:Arial;spacing: 10px;%2}"
                          "QCheckBox:disabled{color: #808080;}"
                          "QCheckBox::indicator:checked {image: url(:/resource/scheduling/im_check_b%1.png);}"
                          "QCheckBox::indicator:unchecked {image: url(:/resource/scheduling/im_checkbox%1.png);}")
               .arg(imageSuffix(), extra) +
           indicatorSize("QCheckBox");
}

QString ScheduleFormStyle::radioButtonStyle()
{
    return QStringLiteral(
               "QRadioButton{color: #ffffff;font-size:10pt; font-family:Arial;spacing: 10px;}"
               "QRadioButton::indicator:checked {image: url(:/resource/scheduling/im_select_b%1.png);}"
               "QRadioButton::indicator:unchecked {image: url(:/resource/scheduling/im_select_circle%1.png);}")
               .arg(imageSuffix()) +
           indicatorSize("QRadioButton");
}

QToolButton *ScheduleFormStyle::textButton(QWidget *parent, const char *objectName, const QRect &geometry, bool primary)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(geometry);
    button->setFont(arialFont());
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setStyleSheet(
        primary ? QStringLiteral("QToolButton{background-color: #0a84c6;color: #ffffff;border: none;border-radius: 4px;"
                                 "font-size:10pt; font-family:Arial;padding-left: 8px;padding-right: 10px;}"
                                 "QToolButton:hover{background-color: #1b9be0;}"
                                 "QToolButton:pressed{background-color: #086a9f;}"
                                 "QToolButton:disabled{background-color: #5a5a5a;color: #8c8c8c;}")
                : QStringLiteral("QToolButton{background-color: transparent;color: #ffffff;border: 1px solid #a6a6a6;"
                                 "border-radius: 4px;font-size:10pt; font-family:Arial;}"
                                 "QToolButton:hover{border: 1px solid #00acff;color: #00acff;}"
                                 "QToolButton:pressed{background-color: #333333;}"));
    return button;
}

QLabel *ScheduleFormStyle::title(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setGeometry(geometry);
    label->setFont(arialFont(11.25));
    label->setStyleSheet(QStringLiteral("color: #00acff;font-size:11.25pt; font-family:Arial;font-weight:bold;"));
    return label;
}

QString ScheduleFormStyle::captionStyle()
{
    return QStringLiteral("color: #ffffff;font-size:10pt; font-family:Arial;");
}

QString ScheduleFormStyle::hintStyle()
{
    return QStringLiteral("color: #a0a0a0;font-size:10pt; font-family:Arial;");
}
