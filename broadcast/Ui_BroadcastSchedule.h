#pragma once

#include "broadcast/BroadcastForm.h"
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/ScheduleSettingSpinBox.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

/// The first step of the broadcast editor, 874 × 539 at scale 1.0: the target tables (by device or by group) with
/// their search, filter and selection bar at the left, the schedule panel (now or a date, a time and weekdays) at
/// the right, "Next" below, and the filter pop-ups over everything.
class Ui_BroadcastSchedule
{
public:
    QWidget *widgetContainer;
    QWidget *selectDeviceWidget;
    QComboBox *comboBoxType;
    QLineEdit *lineEditFilter;
    QToolButton *btnFilter;
    QWidget *selectedInfoWidget;
    QLabel *labelSelectedInfo;
    QToolButton *btnCloseInfo;
    QStackedWidget *stackedWidgetTables;
    QWidget *pageDevice;
    QLabel *deviceHeaderLeftBorder;
    QCheckBox *deviceCheckBoxAll;
    ClickableLabel *deviceHeaderPower;
    ClickableLabel *deviceHeaderDevice;
    ClickableLabel *deviceHeaderGroup;
    QLabel *deviceHeaderType;
    QLabel *deviceHeaderRightBorder;
    QTableView *tableWidgetDevice;
    QWidget *pageGroup;
    QLabel *groupHeaderLeftBorder;
    QCheckBox *groupCheckBoxAll;
    ClickableLabel *groupHeaderGroup;
    ClickableLabel *groupHeaderDeviceCounts;
    QLabel *groupHeaderRightBorder;
    QTableView *tableWidgetGroup;
    QLabel *labelTotalInfo;
    QFrame *selectScheduleWidget;
    QWidget *topMenuWidget;
    QToolButton *btnSchedule;
    QToolButton *btnBroadcastNow;
    QLabel *labelStartDate;
    QCalendarWidget *calendarWidget;
    QWidget *widgetTime;
    QLabel *labelBroadcastTime;
    ScheduleSettingSpinBox *spinBox_Time_HR;
    QLabel *labelPointTime;
    ScheduleSettingSpinBox *spinBox_Time_Min;
    QLabel *labelRepeat;
    QWidget *widgetWeek;
    QToolButton *btnRepeatSun;
    QToolButton *btnRepeatMon;
    QToolButton *btnRepeatTue;
    QToolButton *btnRepeatWed;
    QToolButton *btnRepeatThu;
    QToolButton *btnRepeatFri;
    QToolButton *btnRepeatSat;
    QWidget *widgetButtons;
    QToolButton *btnNext;
    CustomFilterWidget *widgetFilterParent;
    QFrame *widgetFilterDevice;
    QLabel *labelFilter1;
    QCheckBox *checkBox1Device;
    QCheckBox *checkBox1Group;
    QCheckBox *checkBox1Type;
    QToolButton *btnApply1;
    QFrame *widgetFilterGroup;
    QLabel *labelFilter2;
    QCheckBox *checkBox2Group;
    QCheckBox *checkBox2Counts;
    QToolButton *btnApply2;

    template <typename T> static T *make(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *widget = new T(parent);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(geometry);
        widget->setFont(arialFont(10));
        return widget;
    }

    static QLabel *border(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *label = make<QLabel>(parent, name, geometry);
        label->setStyleSheet(QStringLiteral("background-color: #1a1a1a;"));
        return label;
    }

    static ClickableLabel *header(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *label = make<ClickableLabel>(parent, name, geometry);
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet(QStringLiteral("border-image: url(:/resource/scheduling/im_table_title_s.png);"
                                            "color: #ffffff;padding-left: 10px;font-size:10pt;"));
        return label;
    }

    // The rows come from the page's model.
    static QTableView *table(QWidget *parent, const char *name)
    {
        auto *t = make<QTableView>(parent, name, QRect(0, 25, 540, 380));
        t->horizontalHeader()->setVisible(false);
        t->verticalHeader()->setVisible(false);
        t->setShowGrid(false);
        // One line per row: a text that does not fit is elided, never wrapped into a second line the row cuts.
        t->setWordWrap(false);
        t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        t->setStyleSheet(
            QStringLiteral(
                "QTableView{background-color: #666666;border: 1px solid #1a1a1a;color: #ffffff;font-size:10pt;}"
                "QTableView::item{padding-left: 10px;border-bottom: 1px solid #5a5a5a;}") +
            tableScrollBarStyle());
        return t;
    }

    void setupUi(QFrame *BroadcastSchedule)
    {
        if (BroadcastSchedule->objectName().isEmpty())
            BroadcastSchedule->setObjectName(QStringLiteral("BroadcastSchedule"));
        BroadcastSchedule->resize(874, 539);
        BroadcastSchedule->setStyleSheet(
            QStringLiteral("QFrame#BroadcastSchedule{background-color: #404040;border: none;}"));
        const QString white = QStringLiteral("color: #ffffff;font-size:10pt;");

        widgetContainer = make<QWidget>(BroadcastSchedule, "widgetContainer", QRect(0, 0, 874, 490));
        selectDeviceWidget = make<QWidget>(widgetContainer, "selectDeviceWidget", QRect(25, 15, 540, 470));
        comboBoxType = make<QComboBox>(selectDeviceWidget, "comboBoxType", QRect(0, 0, 130, 26));
        comboBoxType->setStyleSheet(QStringLiteral(
            "QComboBox{color: #ffffff;background-color: #4a4a4a;border: 1px solid #8a8a8a;border-radius: 4px;"
            "padding-left: 8px;font-size:10pt;}"
            "QComboBox:hover{border: 1px solid #1db5ff;}"
            "QComboBox::drop-down{border: none;width: 24px;}"
            "QComboBox::down-arrow{image: url(:/resource/connectedList/icon_arrow_down.png);width: 12px;height: 12px;}"
            "QComboBox QAbstractItemView{color: #ffffff;background-color: #4a4a4a;border: 1px solid #8a8a8a;"
            "selection-background-color: #0a5f8f;outline: 0px;}"));
        lineEditFilter = make<QLineEdit>(selectDeviceWidget, "lineEditFilter", QRect(306, 2, 200, 22));
        lineEditFilter->setStyleSheet(QStringLiteral("QLineEdit{background-color: #3f3f3f;color: #ffffff;"
                                                     "border: 1px solid #ffffff;border-radius: 5px;font-size:10pt;}"));
        btnFilter = make<QToolButton>(selectDeviceWidget, "btnFilter", QRect(514, 1, 24, 24));
        btnFilter->setCursor(Qt::PointingHandCursor);
        selectedInfoWidget = make<QWidget>(selectDeviceWidget, "selectedInfoWidget", QRect(0, 0, 540, 26));
        selectedInfoWidget->setAttribute(Qt::WA_StyledBackground, true);
        selectedInfoWidget->setStyleSheet(
            QStringLiteral("QWidget#selectedInfoWidget{background-color: #0a5f8f;border-radius: 4px;}"));
        labelSelectedInfo = make<QLabel>(selectedInfoWidget, "labelSelectedInfo", QRect(12, 2, 480, 22));
        labelSelectedInfo->setStyleSheet(white);
        btnCloseInfo = make<QToolButton>(selectedInfoWidget, "btnCloseInfo", QRect(512, 5, 16, 16));
        btnCloseInfo->setCursor(Qt::PointingHandCursor);
        btnCloseInfo->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_X_hover.png);border: none;}"));

        stackedWidgetTables = make<QStackedWidget>(selectDeviceWidget, "stackedWidgetTables", QRect(0, 40, 540, 405));
        pageDevice = make<QWidget>(nullptr, "pageDevice", QRect(0, 0, 540, 405));
        deviceHeaderLeftBorder = border(pageDevice, "deviceHeaderLeftBorder", QRect(0, 0, 1, 25));
        deviceCheckBoxAll = make<QCheckBox>(pageDevice, "deviceCheckBoxAll", QRect(1, 0, 40, 25));
        deviceHeaderPower = header(pageDevice, "deviceHeaderPower", QRect(41, 0, 70, 25));
        // Type is as wide as "Streaming Audio Box" needs on one line; the names give up what it takes.
        deviceHeaderDevice = header(pageDevice, "deviceHeaderDevice", QRect(111, 0, 145, 25));
        deviceHeaderGroup = header(pageDevice, "deviceHeaderGroup", QRect(256, 0, 120, 25));
        deviceHeaderType = header(pageDevice, "deviceHeaderType", QRect(376, 0, 163, 25));
        deviceHeaderType->setCursor(Qt::ArrowCursor);
        deviceHeaderRightBorder = border(pageDevice, "deviceHeaderRightBorder", QRect(539, 0, 1, 25));
        tableWidgetDevice = table(pageDevice, "tableWidgetDevice");
        stackedWidgetTables->addWidget(pageDevice);
        pageGroup = make<QWidget>(nullptr, "pageGroup", QRect(0, 0, 540, 405));
        groupHeaderLeftBorder = border(pageGroup, "groupHeaderLeftBorder", QRect(0, 0, 1, 25));
        groupCheckBoxAll = make<QCheckBox>(pageGroup, "groupCheckBoxAll", QRect(1, 0, 40, 25));
        groupHeaderGroup = header(pageGroup, "groupHeaderGroup", QRect(41, 0, 300, 25));
        groupHeaderDeviceCounts = header(pageGroup, "groupHeaderDeviceCounts", QRect(341, 0, 198, 25));
        groupHeaderRightBorder = border(pageGroup, "groupHeaderRightBorder", QRect(539, 0, 1, 25));
        tableWidgetGroup = table(pageGroup, "tableWidgetGroup");
        stackedWidgetTables->addWidget(pageGroup);
        labelTotalInfo = make<QLabel>(selectDeviceWidget, "labelTotalInfo", QRect(0, 448, 540, 20));
        labelTotalInfo->setStyleSheet(white);

        selectScheduleWidget = make<QFrame>(widgetContainer, "selectScheduleWidget", QRect(580, 15, 269, 470));
        selectScheduleWidget->setStyleSheet(
            QStringLiteral("QFrame#selectScheduleWidget{background-color: #505050;border: 1px solid #1a1a1a;}"));
        topMenuWidget = make<QWidget>(selectScheduleWidget, "topMenuWidget", QRect(1, 1, 267, 40));
        topMenuWidget->setAttribute(Qt::WA_StyledBackground, true);
        topMenuWidget->setStyleSheet(
            QStringLiteral("QWidget#topMenuWidget{border-image: url(:/resource/scheduling/bg_schedule_menu.png);}"));
        btnSchedule = make<QToolButton>(topMenuWidget, "btnSchedule", QRect(5, 6, 110, 28));
        btnBroadcastNow = make<QToolButton>(topMenuWidget, "btnBroadcastNow", QRect(118, 6, 145, 28));
        for (QToolButton *b : {btnSchedule, btnBroadcastNow}) {
            b->setCursor(Qt::PointingHandCursor);
            b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
        labelStartDate = make<QLabel>(selectScheduleWidget, "labelStartDate", QRect(15, 50, 240, 20));
        labelStartDate->setStyleSheet(white);
        calendarWidget = make<QCalendarWidget>(selectScheduleWidget, "calendarWidget", QRect(15, 72, 239, 200));
        calendarWidget->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendarWidget->setLocale(QLocale(QLocale::Chinese, QLocale::Taiwan));
        widgetTime = make<QWidget>(selectScheduleWidget, "widgetTime", QRect(15, 284, 239, 30));
        labelBroadcastTime = make<QLabel>(widgetTime, "labelBroadcastTime", QRect(0, 4, 118, 22));
        labelBroadcastTime->setStyleSheet(white);
        spinBox_Time_HR = make<ScheduleSettingSpinBox>(widgetTime, "spinBox_Time_HR", QRect(125, 2, 50, 26));
        spinBox_Time_HR->setAlignment(Qt::AlignCenter);
        spinBox_Time_HR->setRange(0, 23);
        labelPointTime = make<QLabel>(widgetTime, "labelPointTime", QRect(177, 4, 8, 22));
        labelPointTime->setStyleSheet(white);
        spinBox_Time_Min = make<ScheduleSettingSpinBox>(widgetTime, "spinBox_Time_Min", QRect(187, 2, 50, 26));
        spinBox_Time_Min->setAlignment(Qt::AlignCenter);
        spinBox_Time_Min->setRange(0, 59);
        for (ScheduleSettingSpinBox *box : {spinBox_Time_HR, spinBox_Time_Min}) {
            box->setMaximumWidth(50);
            box->setButtonSymbols(QAbstractSpinBox::NoButtons);
            box->setStyleSheet(QStringLiteral("QSpinBox{background-color: #f3f3f3;color: #000000;border: 1px solid "
                                              "#8a8a8a;border-radius: 3px;font-size:10pt;}"
                                              "QSpinBox:disabled{background-color: #8a8a8a;color: #5a5a5a;}"));
        }
        labelRepeat = make<QLabel>(selectScheduleWidget, "labelRepeat", QRect(15, 326, 240, 20));
        labelRepeat->setStyleSheet(white);
        widgetWeek = make<QWidget>(selectScheduleWidget, "widgetWeek", QRect(15, 350, 239, 64));
        QToolButton **days[] = {&btnRepeatSun, &btnRepeatMon, &btnRepeatTue, &btnRepeatWed,
                                &btnRepeatThu, &btnRepeatFri, &btnRepeatSat};
        const char *dayNames[] = {"btnRepeatSun", "btnRepeatMon", "btnRepeatTue", "btnRepeatWed",
                                  "btnRepeatThu", "btnRepeatFri", "btnRepeatSat"};
        for (int i = 0; i < 7; ++i) {
            // Four on the first line, three on the second.
            const QRect geometry = i < 4 ? QRect(i * 60, 0, 52, 28) : QRect((i - 4) * 60, 34, 52, 28);
            *days[i] = make<QToolButton>(widgetWeek, dayNames[i], geometry);
            (*days[i])->setCursor(Qt::PointingHandCursor);
        }

        widgetButtons = make<QWidget>(BroadcastSchedule, "widgetButtons", QRect(0, 490, 874, 49));
        btnNext = formTextButton(widgetButtons, "btnNext", QRect(769, 11, 80, 26));

        widgetFilterParent = make<CustomFilterWidget>(BroadcastSchedule, "widgetFilterParent", QRect(0, 0, 874, 539));
        const QString popup = QStringLiteral("QFrame{background-color: #4a4a4a;border: 1px solid #1a1a1a;"
                                             "border-radius: 4px;}"
                                             "QLabel, QCheckBox{border: none;background: transparent;color: "
                                             "#ffffff;font-size:10pt;}");
        widgetFilterDevice = make<QFrame>(widgetFilterParent, "widgetFilterDevice", QRect(389, 44, 170, 150));
        widgetFilterDevice->setStyleSheet(popup);
        labelFilter1 = make<QLabel>(widgetFilterDevice, "labelFilter1", QRect(12, 8, 140, 20));
        checkBox1Device = make<QCheckBox>(widgetFilterDevice, "checkBox1Device", QRect(12, 32, 150, 22));
        checkBox1Group = make<QCheckBox>(widgetFilterDevice, "checkBox1Group", QRect(12, 56, 150, 22));
        checkBox1Type = make<QCheckBox>(widgetFilterDevice, "checkBox1Type", QRect(12, 80, 150, 22));
        btnApply1 = formTextButton(widgetFilterDevice, "btnApply1", QRect(80, 114, 80, 26));
        widgetFilterGroup = make<QFrame>(widgetFilterParent, "widgetFilterGroup", QRect(389, 44, 170, 126));
        widgetFilterGroup->setStyleSheet(popup);
        labelFilter2 = make<QLabel>(widgetFilterGroup, "labelFilter2", QRect(12, 8, 140, 20));
        checkBox2Group = make<QCheckBox>(widgetFilterGroup, "checkBox2Group", QRect(12, 32, 150, 22));
        checkBox2Counts = make<QCheckBox>(widgetFilterGroup, "checkBox2Counts", QRect(12, 56, 150, 22));
        btnApply2 = formTextButton(widgetFilterGroup, "btnApply2", QRect(80, 90, 80, 26));

        retranslateUi(BroadcastSchedule);
    }

    void retranslateUi(QFrame *BroadcastSchedule)
    {
        Q_UNUSED(BroadcastSchedule)
        btnNext->setText(QCoreApplication::translate("BroadcastSchedule", "Next"));
        btnSchedule->setText(QCoreApplication::translate("BroadcastSchedule", "Schedule"));
        btnSchedule->setToolTip(QCoreApplication::translate("BroadcastSchedule", "Schedule"));
        btnBroadcastNow->setText(QCoreApplication::translate("BroadcastSchedule", "Broadcast Now"));
        btnBroadcastNow->setToolTip(QCoreApplication::translate("BroadcastSchedule", "Broadcast Now"));
        labelStartDate->setText(QCoreApplication::translate("BroadcastSchedule", "Start Date"));
        labelBroadcastTime->setText(QCoreApplication::translate("BroadcastSchedule", "Broadcast Time"));
        labelBroadcastTime->setToolTip(QCoreApplication::translate("BroadcastSchedule", "Broadcast Time"));
        labelPointTime->setText(QStringLiteral(":"));
        labelRepeat->setText(QCoreApplication::translate("BroadcastSchedule", "Repeat"));
        btnRepeatSun->setText(QCoreApplication::translate("BroadcastSchedule", "Sun"));
        btnRepeatMon->setText(QCoreApplication::translate("BroadcastSchedule", "Mon"));
        btnRepeatTue->setText(QCoreApplication::translate("BroadcastSchedule", "Tue"));
        btnRepeatWed->setText(QCoreApplication::translate("BroadcastSchedule", "Wed"));
        btnRepeatThu->setText(QCoreApplication::translate("BroadcastSchedule", "Thu"));
        btnRepeatFri->setText(QCoreApplication::translate("BroadcastSchedule", "Fri"));
        btnRepeatSat->setText(QCoreApplication::translate("BroadcastSchedule", "Sat"));
        labelFilter1->setText(QCoreApplication::translate("BroadcastSchedule", "Filter:"));
        labelFilter2->setText(QCoreApplication::translate("BroadcastSchedule", "Filter:"));
        checkBox1Device->setText(QCoreApplication::translate("BroadcastSchedule", "Device"));
        checkBox1Group->setText(QCoreApplication::translate("BroadcastSchedule", "Group"));
        checkBox1Type->setText(QCoreApplication::translate("BroadcastSchedule", "Device Type"));
        checkBox2Group->setText(QCoreApplication::translate("BroadcastSchedule", "Group"));
        checkBox2Counts->setText(QCoreApplication::translate("BroadcastSchedule", "Device Counts"));
        btnApply1->setText(QCoreApplication::translate("BroadcastSchedule", "Apply"));
        btnApply2->setText(QCoreApplication::translate("BroadcastSchedule", "Apply"));
        deviceHeaderPower->setText(QCoreApplication::translate("BroadcastSchedule", "Power"));
        deviceHeaderDevice->setText(QCoreApplication::translate("BroadcastSchedule", "Device"));
        deviceHeaderGroup->setText(QCoreApplication::translate("BroadcastSchedule", "Group"));
        deviceHeaderType->setText(QCoreApplication::translate("BroadcastSchedule", "Type"));
        groupHeaderGroup->setText(QCoreApplication::translate("BroadcastSchedule", "Group"));
        groupHeaderDeviceCounts->setText(QCoreApplication::translate("BroadcastSchedule", "Device Counts"));
    }
};
