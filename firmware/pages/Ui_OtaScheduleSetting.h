#pragma once

#include "firmware/pages/OtaFormStyle.h"
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/ScheduleSettingSpinBox.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>

/// The OTA schedule page, 874 × 571: the title band with the newest versions, the device or group choice on the
/// left (type, search, filter, one of two tables under their header rows, the total line), the schedule on the
/// right ("Schedule" or "Update Now", the calendar and the time), "Back" and "Add A Schedule", and a full-page layer
/// that carries the two filter pop-ups.
class Ui_OtaScheduleSetting
{
public:
    QLabel *labelSchedulingTitleBg;
    QLabel *labelNewVersionInfo;
    CustomFilterWidget *widgetFilterParent;
    QWidget *widgetFilterDevice;
    QLabel *labelFilter1;
    QCheckBox *checkBox1Device;
    QCheckBox *checkBox1Model;
    QCheckBox *checkBox1Group;
    QCheckBox *checkBox1FW;
    QToolButton *btnApply1;
    QWidget *widgetFilterGroup;
    QLabel *labelFilter2;
    QCheckBox *checkBox2Group;
    QCheckBox *checkBox2Counts;
    QToolButton *btnApply2;
    QLabel *labelSchedulingTitle;
    QWidget *widgetButtons;
    QHBoxLayout *horizontalLayout_2;
    QSpacerItem *horizontalSpacer;
    QToolButton *btnBack;
    QSpacerItem *horizontalSpacer_2;
    QToolButton *btnAddSchedule;
    QWidget *widgetContainer;
    QGridLayout *gridLayout;
    QWidget *selectScheduleWidget;
    QCalendarWidget *calendarWidget;
    QLabel *labelStartDate;
    QWidget *topMenuWidget;
    QToolButton *btnSchedule;
    QToolButton *btnUpdateNow;
    QWidget *widgetTime;
    QHBoxLayout *horizontalLayout;
    QLabel *labelFwUpdate;
    ScheduleSettingSpinBox *spinBox_Time_HR;
    QLabel *labelPointTime;
    ScheduleSettingSpinBox *spinBox_Time_Min;
    QSpacerItem *horizontalSpacer_3;
    QSpacerItem *verticalSpacer;
    QWidget *selectDeviceWidget;
    QLineEdit *lineEditFilter;
    CustComboBox *comboBoxType;
    QToolButton *btnFilter;
    QLabel *labelTotalInfo;
    QWidget *selectedInfoWidget;
    QLabel *labelSelectedInfo;
    QToolButton *btnCloseInfo;
    QStackedWidget *stackedWidgetTables;
    QWidget *pageDevice;
    QCheckBox *deviceCheckBoxAll;
    ClickableLabel *deviceHeaderPower;
    ClickableLabel *deviceHeaderDevice;
    ClickableLabel *deviceHeaderModel;
    ClickableLabel *deviceHeaderGroup;
    ClickableLabel *deviceHeaderVersion;
    QTableWidget *tableWidgetDevice;
    QLabel *deviceHeaderLeftBorder;
    QLabel *deviceHeaderRightBorder;
    QWidget *pageGroup;
    QCheckBox *groupCheckBoxAll;
    ClickableLabel *groupHeaderGroup;
    ClickableLabel *groupHeaderDeviceCounts;
    QTableWidget *tableWidgetGroup;
    QLabel *groupHeaderLeftBorder;
    QLabel *groupHeaderRightBorder;

    void setupUi(QFrame *OtaScheduleSetting)
    {
        if (OtaScheduleSetting->objectName().isEmpty())
            OtaScheduleSetting->setObjectName(QStringLiteral("OtaScheduleSetting"));
        OtaScheduleSetting->resize(874, 571);
        OtaScheduleSetting->setFont(arialFont(10));
        OtaScheduleSetting->setWindowTitle(QStringLiteral("Frame"));
        OtaScheduleSetting->setStyleSheet(
            QStringLiteral("QFrame#%1{background-color: #404040;}").arg(OtaScheduleSetting->objectName()));
        OtaScheduleSetting->setFrameShape(QFrame::StyledPanel);
        OtaScheduleSetting->setFrameShadow(QFrame::Raised);

        labelSchedulingTitleBg =
            OtaFormStyle::label(OtaScheduleSetting, "labelSchedulingTitleBg", QRect(0, 0, 874, 32), 0,
                                QStringLiteral("border-image: url(:/resource/scheduling/im_title_schedule.png);"));
        labelSchedulingTitleBg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labelNewVersionInfo = OtaFormStyle::label(OtaScheduleSetting, "labelNewVersionInfo", QRect(275, 0, 574, 32), 10,
                                                  QStringLiteral("QLabel{color: rgb(255, 255, 255);}"));
        labelNewVersionInfo->setText(
            QStringLiteral("New Version : [Modal name]([newest FW version]), [Modal name]([newest FW version])"));

        setupFilterLayer(OtaScheduleSetting);

        labelSchedulingTitle = OtaFormStyle::label(OtaScheduleSetting, "labelSchedulingTitle", QRect(25, 0, 220, 32),
                                                   11, QStringLiteral("color: #1db5ff; text-align: left;"));
        labelSchedulingTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        widgetButtons = new QWidget(OtaScheduleSetting);
        widgetButtons->setObjectName(QStringLiteral("widgetButtons"));
        widgetButtons->setGeometry(QRect(25, 529, 824, 22));
        horizontalLayout_2 = new QHBoxLayout(widgetButtons);
        horizontalLayout_2->setSpacing(0);
        horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
        horizontalLayout_2->setContentsMargins(0, 0, 0, 0);
        horizontalSpacer = new QSpacerItem(508, 19, QSizePolicy::Preferred, QSizePolicy::Minimum);
        horizontalLayout_2->addItem(horizontalSpacer);
        btnBack = OtaFormStyle::textButton(widgetButtons, "btnBack", QRect(), false);
        btnBack->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        btnBack->setAutoFillBackground(false);
        horizontalLayout_2->addWidget(btnBack);
        horizontalSpacer_2 = new QSpacerItem(18, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
        horizontalLayout_2->addItem(horizontalSpacer_2);
        btnAddSchedule = OtaFormStyle::textButton(widgetButtons, "btnAddSchedule", QRect(), true);
        btnAddSchedule->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        horizontalLayout_2->addWidget(btnAddSchedule);
        horizontalLayout_2->setStretch(0, 511);
        horizontalLayout_2->setStretch(1, 115);
        horizontalLayout_2->setStretch(2, 18);
        horizontalLayout_2->setStretch(3, 180);

        widgetContainer = new QWidget(OtaScheduleSetting);
        widgetContainer->setObjectName(QStringLiteral("widgetContainer"));
        widgetContainer->setGeometry(QRect(25, 50, 824, 488));
        gridLayout = new QGridLayout(widgetContainer);
        gridLayout->setSpacing(0);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setContentsMargins(0, 0, 0, 0);
        setupSchedule(widgetContainer);
        gridLayout->addWidget(selectScheduleWidget, 0, 2, 1, 1);
        horizontalSpacer_3 = new QSpacerItem(15, 20, QSizePolicy::Preferred, QSizePolicy::Minimum);
        gridLayout->addItem(horizontalSpacer_3, 0, 1, 1, 1);
        verticalSpacer = new QSpacerItem(20, 24, QSizePolicy::Minimum, QSizePolicy::Preferred);
        gridLayout->addItem(verticalSpacer, 1, 2, 1, 1);
        setupSelection(widgetContainer);
        gridLayout->addWidget(selectDeviceWidget, 0, 0, 2, 1);
        gridLayout->setRowStretch(0, 464);
        gridLayout->setRowStretch(1, 24);
        gridLayout->setColumnStretch(0, 496);
        gridLayout->setColumnStretch(1, 15);
        gridLayout->setColumnStretch(2, 313);

        // The search row lies above the selection bar at the same place; the filter layer covers everything.
        for (QWidget *widget : {static_cast<QWidget *>(labelTotalInfo), selectedInfoWidget,
                                static_cast<QWidget *>(stackedWidgetTables), static_cast<QWidget *>(btnFilter),
                                static_cast<QWidget *>(comboBoxType), static_cast<QWidget *>(lineEditFilter)})
            widget->raise();
        for (QWidget *widget :
             {static_cast<QWidget *>(labelSchedulingTitleBg), static_cast<QWidget *>(labelNewVersionInfo),
              static_cast<QWidget *>(labelSchedulingTitle), widgetContainer, widgetButtons,
              static_cast<QWidget *>(widgetFilterParent)})
            widget->raise();

        retranslateUi(OtaScheduleSetting);
        stackedWidgetTables->setCurrentIndex(0);
    }

    void retranslateUi(QFrame *)
    {
        labelSchedulingTitleBg->setText(QString());
        labelFilter1->setText(QCoreApplication::translate("OtaScheduleSetting", "Filter:"));
        checkBox1Device->setText(QCoreApplication::translate("OtaScheduleSetting", "Device"));
        checkBox1Model->setText(QCoreApplication::translate("OtaScheduleSetting", "Model"));
        checkBox1Group->setText(QCoreApplication::translate("OtaScheduleSetting", "Group"));
        checkBox1FW->setText(QCoreApplication::translate("OtaScheduleSetting", "FW Version"));
        btnApply1->setText(QCoreApplication::translate("OtaScheduleSetting", "Apply"));
        labelFilter2->setText(QCoreApplication::translate("OtaScheduleSetting", "Filter:"));
        checkBox2Group->setText(QCoreApplication::translate("OtaScheduleSetting", "Group"));
        checkBox2Counts->setText(QCoreApplication::translate("OtaScheduleSetting", "Device Counts"));
        btnApply2->setText(QCoreApplication::translate("OtaScheduleSetting", "Apply"));
        labelSchedulingTitle->setText(QCoreApplication::translate("OtaScheduleSetting", "Firmware Update Schedule"));
        labelSchedulingTitle->setToolTip(QCoreApplication::translate("OtaScheduleSetting", "Firmware Update Schedule"));
        btnBack->setText(QCoreApplication::translate("OtaScheduleSetting", "Back"));
        btnAddSchedule->setText(QCoreApplication::translate("OtaScheduleSetting", "Add A Schedule"));
        labelStartDate->setText(QCoreApplication::translate("OtaScheduleSetting", "Start Date"));
        btnSchedule->setText(QCoreApplication::translate("OtaScheduleSetting", "Schedule"));
        btnSchedule->setToolTip(QCoreApplication::translate("OtaScheduleSetting", "Schedule"));
        btnUpdateNow->setText(QCoreApplication::translate("OtaScheduleSetting", "Update Now"));
        btnUpdateNow->setToolTip(QCoreApplication::translate("OtaScheduleSetting", "Update Now"));
        labelFwUpdate->setText(QCoreApplication::translate("OtaScheduleSetting", "FW Update"));
        labelFwUpdate->setToolTip(QCoreApplication::translate("OtaScheduleSetting", "FW Update"));
        spinBox_Time_HR->setSuffix(QString());
        btnFilter->setText(QString());
        btnCloseInfo->setText(QString());
        deviceCheckBoxAll->setText(QString());
        groupCheckBoxAll->setText(QString());
        const QList<QPair<ClickableLabel *, QString>> headers = {
            {deviceHeaderPower, QCoreApplication::translate("OtaScheduleSetting", "Power")},
            {deviceHeaderDevice, QCoreApplication::translate("OtaScheduleSetting", "Device")},
            {deviceHeaderModel, QCoreApplication::translate("OtaScheduleSetting", "Model")},
            {deviceHeaderGroup, QCoreApplication::translate("OtaScheduleSetting", "Group")},
            {deviceHeaderVersion, QCoreApplication::translate("OtaScheduleSetting", "Version")},
            {groupHeaderGroup, QCoreApplication::translate("OtaScheduleSetting", "Group")},
            {groupHeaderDeviceCounts, QCoreApplication::translate("OtaScheduleSetting", "Device Counts")}};
        for (const auto &header : headers) {
            header.first->setText(header.second);
            header.first->setToolTip(header.second);
        }
        const QStringList deviceColumns = {QCoreApplication::translate("OtaScheduleSetting", "Power"),
                                           QCoreApplication::translate("OtaScheduleSetting", "Device"),
                                           QCoreApplication::translate("OtaScheduleSetting", "Model"),
                                           QCoreApplication::translate("OtaScheduleSetting", "Group"),
                                           QCoreApplication::translate("OtaScheduleSetting", "Version")};
        for (int column = 1; column <= deviceColumns.size(); ++column)
            headerItem(tableWidgetDevice, column)->setText(deviceColumns.at(column - 1));
        headerItem(tableWidgetGroup, 1)->setText(QCoreApplication::translate("OtaScheduleSetting", "Group"));
        headerItem(tableWidgetGroup, 2)->setText(QCoreApplication::translate("OtaScheduleSetting", "Device Counts"));
    }

private:
    static QTableWidgetItem *headerItem(QTableWidget *table, int column)
    {
        if (!table->horizontalHeaderItem(column))
            table->setHorizontalHeaderItem(column, new QTableWidgetItem);
        return table->horizontalHeaderItem(column);
    }

    void setupFilterLayer(QFrame *page)
    {
        widgetFilterParent = new CustomFilterWidget(page);
        widgetFilterParent->setObjectName(QStringLiteral("widgetFilterParent"));
        widgetFilterParent->setGeometry(QRect(0, 0, 874, 571));
        const QString popup = QStringLiteral("QWidget#%1{background-color: rgb(255, 255, 255);"
                                             "border: 1px solid #bfbfbf;}");
        widgetFilterDevice = new QWidget(widgetFilterParent);
        widgetFilterDevice->setObjectName(QStringLiteral("widgetFilterDevice"));
        widgetFilterDevice->setGeometry(QRect(491, 80, 212, 167));
        widgetFilterDevice->setAttribute(Qt::WA_StyledBackground, true);
        widgetFilterDevice->setStyleSheet(popup.arg(widgetFilterDevice->objectName()));
        const QString caption = QStringLiteral("color:#333333;font-size:10pt;font-family:Arial;");
        labelFilter1 = OtaFormStyle::label(widgetFilterDevice, "labelFilter1", QRect(10, 5, 192, 21), 10, caption);
        checkBox1Device = OtaFormStyle::filterCheckBox(widgetFilterDevice, "checkBox1Device", QRect(10, 30, 191, 25));
        checkBox1Model = OtaFormStyle::filterCheckBox(widgetFilterDevice, "checkBox1Model", QRect(10, 55, 191, 25));
        checkBox1Group = OtaFormStyle::filterCheckBox(widgetFilterDevice, "checkBox1Group", QRect(10, 80, 191, 25));
        checkBox1FW = OtaFormStyle::filterCheckBox(widgetFilterDevice, "checkBox1FW", QRect(10, 105, 191, 25));
        btnApply1 = OtaFormStyle::textButton(widgetFilterDevice, "btnApply1", QRect(45, 135, 115, 22), true);
        btnApply1->setPopupMode(QToolButton::InstantPopup);
        btnApply1->setAutoRaise(true);

        widgetFilterGroup = new QWidget(widgetFilterParent);
        widgetFilterGroup->setObjectName(QStringLiteral("widgetFilterGroup"));
        widgetFilterGroup->setGeometry(QRect(491, 80, 212, 117));
        widgetFilterGroup->setAttribute(Qt::WA_StyledBackground, true);
        widgetFilterGroup->setStyleSheet(popup.arg(widgetFilterGroup->objectName()));
        labelFilter2 = OtaFormStyle::label(widgetFilterGroup, "labelFilter2", QRect(10, 5, 192, 21), 10, caption);
        checkBox2Group = OtaFormStyle::filterCheckBox(widgetFilterGroup, "checkBox2Group", QRect(10, 30, 191, 25));
        checkBox2Group->setChecked(false);
        checkBox2Counts = OtaFormStyle::filterCheckBox(widgetFilterGroup, "checkBox2Counts", QRect(10, 55, 191, 25));
        btnApply2 = OtaFormStyle::textButton(widgetFilterGroup, "btnApply2", QRect(45, 85, 115, 22), true);
        btnApply2->setPopupMode(QToolButton::InstantPopup);
        btnApply2->setAutoRaise(true);
    }

    void setupSchedule(QWidget *container)
    {
        selectScheduleWidget = new QWidget(container);
        selectScheduleWidget->setObjectName(QStringLiteral("selectScheduleWidget"));
        selectScheduleWidget->setAttribute(Qt::WA_StyledBackground, true);
        selectScheduleWidget->setStyleSheet(QStringLiteral(
            "QWidget#selectScheduleWidget{border: 1px solid #000000;background-color: rgb(102, 102, 102);}"));

        calendarWidget = new QCalendarWidget(selectScheduleWidget);
        calendarWidget->setObjectName(QStringLiteral("calendarWidget"));
        calendarWidget->setGeometry(QRect(15, 113, 281, 231));
        QFont calendarFont;
        calendarFont.setFamily(QStringLiteral("Arial"));
        calendarWidget->setFont(calendarFont);
        calendarWidget->setLocale(QLocale(QLocale::Chinese, QLocale::Taiwan));
        calendarWidget->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        calendarWidget->setStyleSheet(
            QStringLiteral("QCalendarWidget QWidget#qt_calendar_navigationbar{background-color: #424242;}\n"
                           "QCalendarWidget QWidget#qt_calendar_navigationbar:disabled{background-color: #464646;}\n"
                           "QCalendarWidget QToolButton{color: #ffffff;background-color: transparent;border: none;"
                           "font-size:10pt;font-family:Arial;}\n"
                           "QCalendarWidget QToolButton:disabled{color: #808080;}\n"
                           "QCalendarWidget QToolButton#qt_calendar_prevmonth{"
                           "qproperty-icon: url(:/resource/scheduling/btn_arrow_calendar_l_normal.png);}\n"
                           "QCalendarWidget QToolButton#qt_calendar_nextmonth{"
                           "qproperty-icon: url(:/resource/scheduling/btn_arrow_calendar_r_normal.PNG);}\n"
                           "QCalendarWidget QToolButton::menu-indicator{image: none;}\n"
                           "QCalendarWidget QMenu{background-color: #ffffff;color: #000000;}\n"
                           "QCalendarWidget QSpinBox{background-color: #ffffff;color: #000000;}\n"
                           "QCalendarWidget QAbstractItemView:enabled{background-color: #ffffff;color: #000000;"
                           "selection-background-color: #eacc81;selection-color: #000000;}\n"
                           "QCalendarWidget QAbstractItemView:disabled{background-color: #f0f0f0;color: #a0a0a0;"
                           "selection-background-color: #c3c3c3;selection-color: #808080;}"));

        const QString caption =
            QStringLiteral("QLabel{color: #ffffff;font-size:10pt;font-family:Arial;}QLabel:disabled{color: #808080;}");
        labelStartDate =
            OtaFormStyle::label(selectScheduleWidget, "labelStartDate", QRect(15, 90, 281, 16), 10, caption);

        topMenuWidget = new QWidget(selectScheduleWidget);
        topMenuWidget->setObjectName(QStringLiteral("topMenuWidget"));
        topMenuWidget->setGeometry(QRect(1, 1, 311, 43));
        topMenuWidget->setAttribute(Qt::WA_StyledBackground, true);
        topMenuWidget->setStyleSheet(
            QStringLiteral("QWidget#topMenuWidget{border-image: url(:/resource/scheduling/bg_schedule_menu.png);}"));
        btnSchedule = modeButton(topMenuWidget, "btnSchedule", QRect(0, 0, 155, 43));
        btnSchedule->setStyleSheet(OtaFormStyle::modeButtonStyle(QStringLiteral("btn_schedule"), false, 40));
        btnUpdateNow = modeButton(topMenuWidget, "btnUpdateNow", QRect(155, 0, 156, 43));
        btnUpdateNow->setStyleSheet(OtaFormStyle::modeButtonStyle(QStringLiteral("btn_update_now"), true, 40));

        widgetTime = new QWidget(selectScheduleWidget);
        widgetTime->setObjectName(QStringLiteral("widgetTime"));
        widgetTime->setGeometry(QRect(49, 370, 215, 20));
        horizontalLayout = new QHBoxLayout(widgetTime);
        horizontalLayout->setSpacing(4);
        horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
        horizontalLayout->setContentsMargins(0, 0, 0, 0);
        labelFwUpdate = OtaFormStyle::label(widgetTime, "labelFwUpdate", QRect(), 10, caption);
        horizontalLayout->addWidget(labelFwUpdate);
        spinBox_Time_HR = timeSpinBox(widgetTime, "spinBox_Time_HR", 23);
        spinBox_Time_HR->setAlignment(Qt::AlignCenter);
        horizontalLayout->addWidget(spinBox_Time_HR);
        labelPointTime = OtaFormStyle::label(widgetTime, "labelPointTime", QRect(), 10, caption);
        labelPointTime->setAlignment(Qt::AlignCenter);
        labelPointTime->setText(QStringLiteral(":"));
        horizontalLayout->addWidget(labelPointTime);
        spinBox_Time_Min = timeSpinBox(widgetTime, "spinBox_Time_Min", 59);
        horizontalLayout->addWidget(spinBox_Time_Min);
        horizontalLayout->setStretch(0, 99);
        horizontalLayout->setStretch(1, 50);
        horizontalLayout->setStretch(2, 4);
        horizontalLayout->setStretch(3, 50);
    }

    void setupSelection(QWidget *container)
    {
        selectDeviceWidget = new QWidget(container);
        selectDeviceWidget->setObjectName(QStringLiteral("selectDeviceWidget"));
        lineEditFilter = new QLineEdit(selectDeviceWidget);
        lineEditFilter->setObjectName(QStringLiteral("lineEditFilter"));
        lineEditFilter->setGeometry(QRect(265, 4, 200, 22));
        lineEditFilter->setFont(arialFont(10));
        lineEditFilter->setStyleSheet(OtaFormStyle::searchFieldStyle());
        comboBoxType = new CustComboBox(selectDeviceWidget);
        comboBoxType->setObjectName(QStringLiteral("comboBoxType"));
        comboBoxType->setGeometry(QRect(0, 4, 140, 22));
        comboBoxType->setCursor(Qt::PointingHandCursor);
        comboBoxType->applyStyle(QStringLiteral(
            "QComboBox{border-radius: 5px;color: #ffffff;background-color: #3f3f3f;border: 1px solid #ffffff;"
            "font-size:10pt;font-family:Arial;}\n"
            "QComboBox::drop-down{border: none;}\n"
            "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}\n"
            "QComboBox QAbstractItemView{color: #000000;background-color: #ffffff;outline: none;"
            "selection-background-color: #009bef;selection-color: #ffffff;}\n"
            "QComboBox QAbstractItemView::item{min-height: 22px;}\n"
            "QComboBox QAbstractItemView::item:hover{background-color: #f7e195;color: #000000;}\n"
            "QComboBox QScrollBar:vertical{width: 12px;background: #8c8c8c;}\n"
            "QComboBox QScrollBar::handle:vertical{background: #b3b3b3;min-height: 100px;}"));
        btnFilter = new QToolButton(selectDeviceWidget);
        btnFilter->setObjectName(QStringLiteral("btnFilter"));
        btnFilter->setGeometry(QRect(466, 4, 30, 25));
        btnFilter->setFont(arialFont(10));
        btnFilter->setCursor(Qt::PointingHandCursor);
        btnFilter->setAutoFillBackground(false);
        btnFilter->setStyleSheet(OtaFormStyle::filterButtonStyle(false));
        labelTotalInfo = OtaFormStyle::label(selectDeviceWidget, "labelTotalInfo", QRect(0, 468, 496, 20), 10,
                                             QStringLiteral("color: #ffffff;font-size:10pt;font-family:Arial;"));
        labelTotalInfo->setText(
            QStringLiteral("[xx devices in total] or [x groups in total (xx devices)] need to be updated"));

        selectedInfoWidget = new QWidget(selectDeviceWidget);
        selectedInfoWidget->setObjectName(QStringLiteral("selectedInfoWidget"));
        selectedInfoWidget->setGeometry(QRect(0, 0, 496, 30));
        selectedInfoWidget->setAttribute(Qt::WA_StyledBackground, true);
        selectedInfoWidget->setStyleSheet(
            QStringLiteral("QWidget#selectedInfoWidget{background-color: rgb(83, 83, 83);}"));
        labelSelectedInfo = OtaFormStyle::label(
            selectedInfoWidget, "labelSelectedInfo", QRect(0, 0, 457, 30), 10,
            QStringLiteral("color: rgb(247, 225, 149);padding-left: 10px;font-size:10pt;font-family:Arial;"));
        labelSelectedInfo->setText(QStringLiteral("[xx devices selected] or [x groups selected (xx devices)]"));
        btnCloseInfo = new QToolButton(selectedInfoWidget);
        btnCloseInfo->setObjectName(QStringLiteral("btnCloseInfo"));
        btnCloseInfo->setGeometry(QRect(472, 11, 9, 8));
        btnCloseInfo->setCursor(Qt::PointingHandCursor);
        btnCloseInfo->setStyleSheet(
            QStringLiteral("QToolButton{border:none;border-image: url(:/resource/scheduling/btn_close_normal.png);}"
                           "QToolButton:hover{border-image: url(:/resource/scheduling/btn_close_hover.png);}"
                           "QToolButton:pressed{border-image: url(:/resource/scheduling/btn_close_pressed.png);}"
                           "QToolButton:disabled{border-image: url(:/resource/scheduling/btn_close_disabled.png);}"));

        stackedWidgetTables = new QStackedWidget(selectDeviceWidget);
        stackedWidgetTables->setObjectName(QStringLiteral("stackedWidgetTables"));
        stackedWidgetTables->setGeometry(QRect(0, 43, 496, 421));
        const QString header = QStringLiteral(":/resource/scheduling/im_table_title_h.png");
        const QString selectAll =
            QStringLiteral("QCheckBox{padding-left:10px;border:none;border-bottom:1px solid #000000;"
                           "border-image: url(%1);}")
                .arg(header) +
            OtaFormStyle::checkIndicatorStyle();

        // A firmware version ("8.0.0000.04") fits its column whole; the power icon needs less room than its header.
        pageDevice = new QWidget();
        pageDevice->setObjectName(QStringLiteral("pageDevice"));
        deviceCheckBoxAll = new QCheckBox(pageDevice);
        deviceCheckBoxAll->setObjectName(QStringLiteral("deviceCheckBoxAll"));
        deviceCheckBoxAll->setGeometry(QRect(1, 0, 35, 30));
        deviceCheckBoxAll->setCursor(Qt::PointingHandCursor);
        deviceCheckBoxAll->setStyleSheet(selectAll);
        deviceHeaderPower = OtaFormStyle::header(pageDevice, "deviceHeaderPower", QRect(36, 0, 64, 30), header);
        deviceHeaderDevice = OtaFormStyle::header(pageDevice, "deviceHeaderDevice", QRect(100, 0, 95, 30), header);
        deviceHeaderModel = OtaFormStyle::header(pageDevice, "deviceHeaderModel", QRect(195, 0, 107, 30), header);
        deviceHeaderGroup = OtaFormStyle::header(pageDevice, "deviceHeaderGroup", QRect(302, 0, 92, 30), header);
        deviceHeaderVersion = OtaFormStyle::header(pageDevice, "deviceHeaderVersion", QRect(394, 0, 101, 30), header);
        tableWidgetDevice = OtaFormStyle::table(pageDevice, "tableWidgetDevice", QRect(0, 30, 496, 391), 6);
        tableWidgetDevice->setWordWrap(false);
        tableWidgetDevice->setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("checkBox")));
        deviceHeaderLeftBorder = OtaFormStyle::headerBorder(pageDevice, "deviceHeaderLeftBorder", QRect(0, 0, 1, 30));
        deviceHeaderRightBorder =
            OtaFormStyle::headerBorder(pageDevice, "deviceHeaderRightBorder", QRect(495, 0, 1, 30));
        stackedWidgetTables->addWidget(pageDevice);

        pageGroup = new QWidget();
        pageGroup->setObjectName(QStringLiteral("pageGroup"));
        groupCheckBoxAll = new QCheckBox(pageGroup);
        groupCheckBoxAll->setObjectName(QStringLiteral("groupCheckBoxAll"));
        groupCheckBoxAll->setGeometry(QRect(1, 0, 35, 30));
        groupCheckBoxAll->setCursor(Qt::PointingHandCursor);
        groupCheckBoxAll->setStyleSheet(selectAll);
        groupHeaderGroup = OtaFormStyle::header(pageGroup, "groupHeaderGroup", QRect(36, 0, 242, 30), header);
        groupHeaderDeviceCounts =
            OtaFormStyle::header(pageGroup, "groupHeaderDeviceCounts", QRect(278, 0, 217, 30), header);
        tableWidgetGroup = OtaFormStyle::table(pageGroup, "tableWidgetGroup", QRect(0, 30, 496, 391), 3);
        tableWidgetGroup->setWordWrap(false);
        tableWidgetGroup->setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("checkbox")));
        groupHeaderLeftBorder = OtaFormStyle::headerBorder(pageGroup, "groupHeaderLeftBorder", QRect(0, 0, 1, 30));
        groupHeaderRightBorder = OtaFormStyle::headerBorder(pageGroup, "groupHeaderRightBorder", QRect(495, 0, 1, 30));
        stackedWidgetTables->addWidget(pageGroup);
    }

    static QToolButton *modeButton(QWidget *parent, const char *objectName, const QRect &geometry)
    {
        auto *button = new QToolButton(parent);
        button->setObjectName(QLatin1String(objectName));
        button->setGeometry(geometry);
        button->setFont(arialFont(11));
        button->setCursor(Qt::PointingHandCursor);
        button->setAutoFillBackground(false);
        return button;
    }

    static ScheduleSettingSpinBox *timeSpinBox(QWidget *parent, const char *objectName, int maximum)
    {
        auto *spin = new ScheduleSettingSpinBox(parent);
        spin->setObjectName(QLatin1String(objectName));
        spin->setMaximumWidth(50);
        spin->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        spin->setMaximum(maximum);
        spin->setValue(0);
        spin->setStyleSheet(QStringLiteral(
            "QSpinBox{font-size:10pt;font-family:Arial;padding-left:10px;border-radius:5px;background-color:#666666;"
            "color:#ffffff;border:1px solid white;}\n"
            "QSpinBox:disabled{color:#808080;border:1px solid #808080;}\n"
            "QSpinBox::up-button{subcontrol-origin:border;subcontrol-position:top right;width:20px;border:none;}\n"
            "QSpinBox::down-button{subcontrol-origin:border;subcontrol-position:bottom right;width:20px;"
            "border:none;}\n"
            "QSpinBox::up-arrow{image: url(:/resource/scheduling/btn_arrow_s_up_normal.png);}\n"
            "QSpinBox::down-arrow{image: url(:/resource/scheduling/btn_arrow_s_down_normal.png);}"));
        return spin;
    }
};
