#include "scheduling/ScheduleTableCells.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QToolButton>

#include "scheduling/ScheduleTableText.h"
#include "shell/base/Session.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/UiHelpers.h"

namespace {

int scaled(int length)
{
    return int(length * getScaleFactor());
}

QString selectorStyle()
{
    const QString padding = uiLayoutDirection() == Qt::LeftToRight ? QStringLiteral("padding-left:12px;") : QString();
    return QStringLiteral("QComboBox {background-color: #666666;color: #ffffff;font-size:10pt; font-family:Arial;"
                          "border: 1px solid #ffffff;border-radius: 5px;%1}"
                          "QComboBox::drop-down {border: none;width: 20px;}"
                          "QComboBox::down-arrow {image: url(:/resource/custom/btn_arrow_a_normal.png);}"
                          "QComboBox QAbstractItemView {background-color: #ffffff;color: #000000;outline: none;"
                          "selection-background-color: #009bef;}"
                          "QComboBox QAbstractItemView::item {min-height: 22px;}"
                          "QComboBox QAbstractItemView::item:hover {background-color: #f7e195;color: #000000;}"
                          "QComboBox:disabled {color: #a0a0a0;border: 1px solid #808080;}")
        .arg(padding);
}

} // namespace

int ScheduleTableCells::rowHeight()
{
    return scaled(40);
}

CustComboBox *ScheduleTableCells::enableSelector(bool enabled, int row, QWidget **cell)
{
    auto *container = new QWidget;
    auto *combo = new CustComboBox(container);
    combo->setObjectName(QStringLiteral("enable"));
    combo->applyStyle(selectorStyle());
    scaleStyleSheetFontSize(combo, 10.0, 0.0, false, false);
    combo->setItemDelegate(new QStyledItemDelegate(combo));
    combo->setFixedSize(scaled(98), scaled(22));
    combo->addItem(ScheduleTableText::enableText(true), 0);
    combo->addItem(ScheduleTableText::enableText(false), 1);
    combo->setCurrentIndex(enabled ? 0 : 1);
    combo->setItemData(0, row, Qt::UserRole);

    auto *layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(combo, 0, Qt::AlignLeft | Qt::AlignVCenter);
    *cell = container;
    return combo;
}

QToolButton *ScheduleTableCells::settingsButton(QWidget **cell)
{
    auto *container = new QWidget;
    auto *button = new QToolButton(container);
    button->setObjectName(QStringLiteral("settings"));
    button->setFixedSize(scaled(30), scaled(30));
    button->setPopupMode(QToolButton::InstantPopup);
    button->setAutoRaise(true);
    button->setArrowType(Qt::NoArrow);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral(
        "QToolButton {border: none;border-image: url(:/resource/scheduling/btn_more_normal.png);}"
        "QToolButton:hover {border-image: url(:/resource/scheduling/btn_more_hover.png);}"
        "QToolButton:pressed, QToolButton:checked {border-image: url(:/resource/scheduling/btn_more_selected.png);}"
        "QToolButton:disabled {border-image: url(:/resource/scheduling/btn_more_disabled.png);}"
        "QToolButton::menu-indicator {image: none;}"));

    auto *layout = new QHBoxLayout(container);
    const int margin = scaled(21);
    if (uiLayoutDirection() == Qt::LeftToRight)
        layout->setContentsMargins(0, 0, margin, 0);
    else
        layout->setContentsMargins(margin, 0, 0, 0);
    layout->addWidget(button, 0, Qt::AlignCenter);
    *cell = container;
    return button;
}

QMenu *ScheduleTableCells::rowMenu(QToolButton *button)
{
    auto *menu = new QMenu(button);
    menu->setStyleSheet(
        QStringLiteral("QMenu {background-color: #ffffff;border: 1px solid #bfbfbf;font-family: Arial;}"
                       "QMenu::item {padding: 5px 24px 5px 16px;}"
                       "QMenu::item:normal {background-color: #ffffff;color: #000000;}"
                       "QMenu::item:selected, QMenu::item:pressed {background-color: #f7e195;color: #000000;}"
                       "QMenu::item:disabled {background-color: #ffffff;color: #808080;}"));
    button->setMenu(menu);
    return menu;
}

QLabel *ScheduleTableCells::statusLabel(int status, int failedCount, const QString &runningText, int width)
{
    auto *label = new QLabel;
    const QString text = ScheduleTableText::statusText(status, failedCount, runningText);
    const QColor colour = ScheduleTableText::statusColour(status);
    if (colour.isValid()) {
        label->setStyleSheet(QStringLiteral("QLabel {padding-left:1px;color : %1;text-align:left;"
                                            "font-family: arial;font-size:10pt;border: 0px; }")
                                 .arg(colour.name()));
        scaleStyleSheetFontSize(label, 10.0, 0.0, false, false);
    }
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, width));
    label->setToolTip(text);
    return label;
}
