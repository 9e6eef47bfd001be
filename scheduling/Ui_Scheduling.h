#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>

#include "scheduling/ScheduleFormStyle.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/FormStyle.h"

/// The Schedule Setup page at scale 1.0: 940 × 641. Three tables on a stack (device control,
/// firmware update, auto test), each under a header strip of labels and with a guide for the
/// empty table, and one filter bar per kind on a full-page overlay.
class Ui_Scheduling
{
public:
    QToolButton *btnAddSchedule;
    CustComboBox *comboBoxType;
    QLineEdit *lineEditFilter;
    QToolButton *btnFilter;
    QStackedWidget *stackedWidgetTables;

    QWidget *pageDeviceControl;
    QLabel *deviceControlHeaderLeftBorder;
    QLabel *deviceControlHeaderRepeat;
    QLabel *deviceControlHeaderOnTime;
    QLabel *deviceControlHeaderRebootTime;
    QLabel *deviceControlHeaderOffTime;
    QLabel *deviceControlHeaderDevice;
    QLabel *deviceControlHeaderGroup;
    QLabel *deviceControlHeaderEnable;
    QLabel *deviceControlHeaderSetting;
    QLabel *deviceControlHeaderRightBorder;
    QTableWidget *tableWidget;
    QWidget *guideWidgetDeviceControl;
    QLabel *guideImageDeviceControl;
    QLabel *guideTitleDeviceControl;
    QLabel *guideTextDeviceControl;

    QWidget *pageFwUpdate;
    QLabel *fwUpdateHeaderLeftBorder;
    QLabel *fwUpdateHeaderDate;
    QLabel *fwUpdateHeaderTime;
    QLabel *fwUpdateHeaderDevice;
    QLabel *fwUpdateHeaderGroup;
    QLabel *fwUpdateHeaderStatus;
    QLabel *fwUpdateHeaderEnable;
    QLabel *fwUpdateHeaderSetting;
    QLabel *fwUpdateHeaderRightBorder;
    QTableWidget *tableWidgetFwUpdate;
    QWidget *guideWidgetFwUpdate;
    QLabel *guideImageFwUpdate;
    QLabel *guideTitleFwUpdate;
    QLabel *guideTextFwUpdate;

    QWidget *pageAutoTest;
    QLabel *autoTestHeaderLeftBorder;
    QLabel *autoTestHeaderDate;
    QLabel *autoTestHeaderTime;
    QLabel *autoTestHeaderDevice;
    QLabel *autoTestHeaderGroup;
    QLabel *autoTestHeaderStatus;
    QLabel *autoTestHeaderEnable;
    QLabel *autoTestHeaderSetting;
    QLabel *autoTestHeaderRightBorder;
    QTableWidget *tableWidgetAutoTest;
    QWidget *guideWidgetAutoTest;
    QLabel *guideImageAutoTest;
    QLabel *guideTitleAutoTest;
    QLabel *guideTextAutoTest;

    CustomFilterWidget *widgetFilterParent;
    QWidget *widgetFilterSchedule;
    QLabel *labelFilter1;
    QCheckBox *checkBox1Repeat;
    QCheckBox *checkBox1OnTime;
    QCheckBox *checkBox1RebootTime;
    QCheckBox *checkBox1OffTime;
    QCheckBox *checkBox1Device;
    QCheckBox *checkBox1Group;
    QCheckBox *checkBox1Enable;
    QToolButton *btnApply1;
    QWidget *widgetFilterOtaSchedule;
    QLabel *labelFilter2;
    QCheckBox *checkBox2Date;
    QCheckBox *checkBox2Time;
    QCheckBox *checkBox2Device;
    QCheckBox *checkBox2Group;
    QCheckBox *checkBox2UpdateStatus;
    QCheckBox *checkBox2Enable;
    QToolButton *btnApply2;
    QWidget *widgetFilterAutoTestSchedule;
    QLabel *labelFilter3;
    QCheckBox *checkBox3Date;
    QCheckBox *checkBox3Time;
    QCheckBox *checkBox3Device;
    QCheckBox *checkBox3Group;
    QCheckBox *checkBox3UpdateStatus;
    QCheckBox *checkBox3Enable;
    QToolButton *btnApply3;

    void setupUi(QFrame *Scheduling)
    {
        if (Scheduling->objectName().isEmpty())
            Scheduling->setObjectName(QStringLiteral("Scheduling"));
        Scheduling->resize(940, 641);
        Scheduling->setAttribute(Qt::WA_StyledBackground, true);
        Scheduling->setStyleSheet(QStringLiteral("QFrame#Scheduling{background-color: #3f3f3f;}\n"
                                                 "QToolTip{color: #000000;background-color: #ffffff;}"));

        btnAddSchedule = ScheduleFormStyle::textButton(Scheduling, "btnAddSchedule", QRect(20, 16, 150, 32), true);
        btnAddSchedule->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_add.png")));
        btnAddSchedule->setIconSize(QSize(16, 16));

        comboBoxType = new CustComboBox(Scheduling);
        comboBoxType->setObjectName(QStringLiteral("comboBoxType"));
        comboBoxType->setGeometry(QRect(186, 16, 210, 32));
        comboBoxType->setCursor(Qt::PointingHandCursor);
        comboBoxType->setStyleSheet(
            QStringLiteral("QComboBox {background-color: #333333;color: #ffffff;font-size:10pt; font-family:Arial;"
                           "border: 1px solid #7a7a7a;border-radius: 5px;}"
                           "QComboBox:hover {border: 1px solid #00acff;}"
                           "QComboBox::drop-down {border: none;width: 26px;}"
                           "QComboBox::down-arrow {image: url(:/resource/custom/btn_arrow_a_normal.png);}"
                           "QComboBox QAbstractItemView {background-color: #ffffff;color: #000000;outline: none;"
                           "selection-background-color: #009bef;}"
                           "QComboBox QAbstractItemView::item {min-height: 26px;}"
                           "QComboBox QAbstractItemView::item:hover {background-color: #f7e195;color: #000000;}"));

        lineEditFilter = FormStyle::lineEdit(Scheduling, "lineEditFilter", QRect(596, 16, 280, 32));
        btnFilter = new QToolButton(Scheduling);
        btnFilter->setObjectName(QStringLiteral("btnFilter"));
        btnFilter->setGeometry(QRect(888, 16, 32, 32));
        btnFilter->setCursor(Qt::PointingHandCursor);

        stackedWidgetTables = new QStackedWidget(Scheduling);
        stackedWidgetTables->setObjectName(QStringLiteral("stackedWidgetTables"));
        stackedWidgetTables->setGeometry(QRect(20, 64, 900, 557));

        pageDeviceControl = setupTablePage(
            stackedWidgetTables, "pageDeviceControl",
            {&deviceControlHeaderLeftBorder, &deviceControlHeaderRepeat, &deviceControlHeaderOnTime,
             &deviceControlHeaderRebootTime, &deviceControlHeaderOffTime, &deviceControlHeaderDevice,
             &deviceControlHeaderGroup, &deviceControlHeaderEnable, &deviceControlHeaderSetting,
             &deviceControlHeaderRightBorder},
            {"deviceControlHeaderLeftBorder", "deviceControlHeaderRepeat", "deviceControlHeaderOnTime",
             "deviceControlHeaderRebootTime", "deviceControlHeaderOffTime", "deviceControlHeaderDevice",
             "deviceControlHeaderGroup", "deviceControlHeaderEnable", "deviceControlHeaderSetting",
             "deviceControlHeaderRightBorder"},
            {4, 196, 84, 104, 84, 130, 118, 110, -1, 4}, &tableWidget, "tableWidget", 8, "DeviceControl",
            &guideWidgetDeviceControl, &guideImageDeviceControl, &guideTitleDeviceControl, &guideTextDeviceControl);
        pageFwUpdate = setupTablePage(stackedWidgetTables, "pageFwUpdate",
                                      {&fwUpdateHeaderLeftBorder, &fwUpdateHeaderDate, &fwUpdateHeaderTime,
                                       &fwUpdateHeaderDevice, &fwUpdateHeaderGroup, &fwUpdateHeaderStatus,
                                       &fwUpdateHeaderEnable, &fwUpdateHeaderSetting, &fwUpdateHeaderRightBorder},
                                      {"fwUpdateHeaderLeftBorder", "fwUpdateHeaderDate", "fwUpdateHeaderTime",
                                       "fwUpdateHeaderDevice", "fwUpdateHeaderGroup", "fwUpdateHeaderStatus",
                                       "fwUpdateHeaderEnable", "fwUpdateHeaderSetting", "fwUpdateHeaderRightBorder"},
                                      {4, 150, 86, 160, 140, 150, 116, -1, 4}, &tableWidgetFwUpdate,
                                      "tableWidgetFwUpdate", 7, "FwUpdate", &guideWidgetFwUpdate, &guideImageFwUpdate,
                                      &guideTitleFwUpdate, &guideTextFwUpdate);
        pageAutoTest = setupTablePage(stackedWidgetTables, "pageAutoTest",
                                      {&autoTestHeaderLeftBorder, &autoTestHeaderDate, &autoTestHeaderTime,
                                       &autoTestHeaderDevice, &autoTestHeaderGroup, &autoTestHeaderStatus,
                                       &autoTestHeaderEnable, &autoTestHeaderSetting, &autoTestHeaderRightBorder},
                                      {"autoTestHeaderLeftBorder", "autoTestHeaderDate", "autoTestHeaderTime",
                                       "autoTestHeaderDevice", "autoTestHeaderGroup", "autoTestHeaderStatus",
                                       "autoTestHeaderEnable", "autoTestHeaderSetting", "autoTestHeaderRightBorder"},
                                      {4, 176, 76, 160, 140, 140, 116, -1, 4}, &tableWidgetAutoTest,
                                      "tableWidgetAutoTest", 7, "AutoTest", &guideWidgetAutoTest, &guideImageAutoTest,
                                      &guideTitleAutoTest, &guideTextAutoTest);

        widgetFilterParent = new CustomFilterWidget(Scheduling);
        widgetFilterParent->setObjectName(QStringLiteral("widgetFilterParent"));
        widgetFilterParent->setGeometry(QRect(0, 0, 940, 641));
        widgetFilterSchedule =
            setupFilterBar(widgetFilterParent, "widgetFilterSchedule", 7, &labelFilter1,
                           {&checkBox1Repeat, &checkBox1OnTime, &checkBox1RebootTime, &checkBox1OffTime,
                            &checkBox1Device, &checkBox1Group, &checkBox1Enable},
                           {"checkBox1Repeat", "checkBox1OnTime", "checkBox1RebootTime", "checkBox1OffTime",
                            "checkBox1Device", "checkBox1Group", "checkBox1Enable"},
                           &btnApply1, "btnApply1", "labelFilter1");
        widgetFilterOtaSchedule = setupFilterBar(widgetFilterParent, "widgetFilterOtaSchedule", 6, &labelFilter2,
                                                 {&checkBox2Date, &checkBox2Time, &checkBox2Device, &checkBox2Group,
                                                  &checkBox2UpdateStatus, &checkBox2Enable},
                                                 {"checkBox2Date", "checkBox2Time", "checkBox2Device", "checkBox2Group",
                                                  "checkBox2UpdateStatus", "checkBox2Enable"},
                                                 &btnApply2, "btnApply2", "labelFilter2");
        widgetFilterAutoTestSchedule =
            setupFilterBar(widgetFilterParent, "widgetFilterAutoTestSchedule", 6, &labelFilter3,
                           {&checkBox3Date, &checkBox3Time, &checkBox3Device, &checkBox3Group, &checkBox3UpdateStatus,
                            &checkBox3Enable},
                           {"checkBox3Date", "checkBox3Time", "checkBox3Device", "checkBox3Group",
                            "checkBox3UpdateStatus", "checkBox3Enable"},
                           &btnApply3, "btnApply3", "labelFilter3");

        retranslateUi(Scheduling);
        stackedWidgetTables->setCurrentIndex(2);
        QMetaObject::connectSlotsByName(Scheduling);
    }

    void retranslateUi(QFrame *Scheduling)
    {
        Q_UNUSED(Scheduling);
        btnAddSchedule->setText(QCoreApplication::translate("Scheduling", "Add Schedule"));
        lineEditFilter->setPlaceholderText(QCoreApplication::translate("Scheduling", "Search"));
        setHeader(deviceControlHeaderRepeat, QCoreApplication::translate("Scheduling", "Repeat"));
        setHeader(deviceControlHeaderOnTime, QCoreApplication::translate("Scheduling", "On Time"));
        setHeader(deviceControlHeaderRebootTime, QCoreApplication::translate("Scheduling", "Reboot Time"));
        setHeader(deviceControlHeaderOffTime, QCoreApplication::translate("Scheduling", "Off Time"));
        setHeader(deviceControlHeaderDevice, QCoreApplication::translate("Scheduling", "Device"));
        setHeader(deviceControlHeaderGroup, QCoreApplication::translate("Scheduling", "Group"));
        setHeader(deviceControlHeaderEnable, QCoreApplication::translate("Scheduling", "Enable"));
        for (QLabel *date : {fwUpdateHeaderDate, autoTestHeaderDate})
            setHeader(date, QCoreApplication::translate("Scheduling", "Date"));
        for (QLabel *time : {fwUpdateHeaderTime, autoTestHeaderTime})
            setHeader(time, QCoreApplication::translate("Scheduling", "Time"));
        for (QLabel *device : {fwUpdateHeaderDevice, autoTestHeaderDevice})
            setHeader(device, QCoreApplication::translate("Scheduling", "Device"));
        for (QLabel *group : {fwUpdateHeaderGroup, autoTestHeaderGroup})
            setHeader(group, QCoreApplication::translate("Scheduling", "Group"));
        for (QLabel *status : {fwUpdateHeaderStatus, autoTestHeaderStatus})
            setHeader(status, QCoreApplication::translate("Scheduling", "Status"));
        for (QLabel *enable : {fwUpdateHeaderEnable, autoTestHeaderEnable})
            setHeader(enable, QCoreApplication::translate("Scheduling", "Enable"));
        for (QLabel *title : {guideTitleDeviceControl, guideTitleFwUpdate, guideTitleAutoTest})
            title->setText(QCoreApplication::translate("Scheduling", "Schedule your device"));
        for (QLabel *text : {guideTextDeviceControl, guideTextFwUpdate, guideTextAutoTest})
            text->setText(QCoreApplication::translate(
                "Scheduling",
                "<html><head/><body><p><span style=\" font-size:10pt;\">Click &quot;</span><span style=\" "
                "font-size:11pt; font-weight:600;\">Add Schedule</span><span style=\" font-size:10pt;\">&quot; to "
                "start pre-setup the power on/off, reboot and firmware update.</span></p></body></html>"));
        for (QLabel *filter : {labelFilter1, labelFilter2, labelFilter3})
            filter->setText(QCoreApplication::translate("Scheduling", "Filter:"));
        checkBox1Repeat->setText(QCoreApplication::translate("Scheduling", "Repeat"));
        checkBox1OnTime->setText(QCoreApplication::translate("Scheduling", "On Time"));
        checkBox1RebootTime->setText(QCoreApplication::translate("Scheduling", "Reboot Time"));
        checkBox1OffTime->setText(QCoreApplication::translate("Scheduling", "Off Time"));
        checkBox1Device->setText(QCoreApplication::translate("Scheduling", "Device"));
        checkBox1Group->setText(QCoreApplication::translate("Scheduling", "Group"));
        checkBox1Enable->setText(QCoreApplication::translate("Scheduling", "Enable"));
        for (QCheckBox *box : {checkBox2Date, checkBox3Date})
            box->setText(QCoreApplication::translate("Scheduling", "Date"));
        for (QCheckBox *box : {checkBox2Time, checkBox3Time})
            box->setText(QCoreApplication::translate("Scheduling", "Time"));
        for (QCheckBox *box : {checkBox2Device, checkBox3Device})
            box->setText(QCoreApplication::translate("Scheduling", "Device"));
        for (QCheckBox *box : {checkBox2Group, checkBox3Group})
            box->setText(QCoreApplication::translate("Scheduling", "Group"));
        for (QCheckBox *box : {checkBox2UpdateStatus, checkBox3UpdateStatus})
            box->setText(QCoreApplication::translate("Scheduling", "Update Status"));
        for (QCheckBox *box : {checkBox2Enable, checkBox3Enable})
            box->setText(QCoreApplication::translate("Scheduling", "Enable"));
        for (QToolButton *apply : {btnApply1, btnApply2, btnApply3})
            apply->setText(QCoreApplication::translate("Scheduling", "Apply"));
    }

private:
    static void setHeader(QLabel *label, const QString &title)
    {
        label->setText(title);
        label->setToolTip(title);
    }

    /// One page of the stack: its header strip (border strips first and last; a width of -1 takes the
    /// rest), its table below and the guide over the table.
    static QWidget *setupTablePage(QStackedWidget *stack, const char *pageName,
                                   std::initializer_list<QLabel **> headers, std::initializer_list<const char *> names,
                                   const QList<int> &widths, QTableWidget **table, const char *tableName, int columns,
                                   const char *kind, QWidget **guide, QLabel **image, QLabel **title, QLabel **text)
    {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(pageName));
        QList<QWidget *> row;
        auto name = names.begin();
        for (QLabel **header : headers) {
            *header = ScheduleFormStyle::headerLabel(page, *name++);
            row << *header;
        }
        ScheduleFormStyle::placeRow(row, widths, 0, 0, 36, 900);
        *table = ScheduleFormStyle::table(page, tableName, QRect(0, 36, 900, 521), columns);
        setupGuide(page, kind, guide, image, title, text);
        stack->addWidget(page);
        return page;
    }

    static void setupGuide(QWidget *page, const char *kind, QWidget **guide, QLabel **image, QLabel **title,
                           QLabel **text)
    {
        const QString name = QLatin1String(kind);
        *guide = new QWidget(page);
        (*guide)->setObjectName(QStringLiteral("guideWidget") + name);
        (*guide)->setGeometry(QRect(230, 150, 440, 290));
        *image = new QLabel(*guide);
        (*image)->setObjectName(QStringLiteral("guideImage") + name);
        (*image)->setGeometry(QRect(156, 0, 128, 128));
        (*image)->setPixmap(QPixmap(QStringLiteral(":/resource/scheduling/im_guide_schedule.png")));
        (*image)->setScaledContents(true);
        *title = new QLabel(*guide);
        (*title)->setObjectName(QStringLiteral("guideTitle") + name);
        (*title)->setGeometry(QRect(0, 146, 440, 30));
        (*title)->setAlignment(Qt::AlignCenter);
        (*title)->setStyleSheet(QStringLiteral("color: #ffffff;font-size:12pt; font-family:Arial;font-weight:bold;"));
        *text = new QLabel(*guide);
        (*text)->setObjectName(QStringLiteral("guideText") + name);
        (*text)->setGeometry(QRect(0, 180, 440, 60));
        (*text)->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        (*text)->setWordWrap(true);
        (*text)->setStyleSheet(QStringLiteral("color: #bfbfbf;font-size:10pt; font-family:Arial;"));
    }

    static QWidget *setupFilterBar(QWidget *parent, const char *objectName, int boxes, QLabel **label,
                                   std::initializer_list<QCheckBox **> checks,
                                   std::initializer_list<const char *> names, QToolButton **apply,
                                   const char *applyName, const char *labelName)
    {
        auto *bar = new QWidget(parent);
        bar->setObjectName(QLatin1String(objectName));
        bar->setAttribute(Qt::WA_StyledBackground, true);
        bar->setGeometry(QRect(712, 52, 208, 40 + boxes * 30 + 48));
        bar->setStyleSheet(QStringLiteral("QWidget#%1{background-color: #ffffff;border: 1px solid #bfbfbf;"
                                          "border-radius: 4px;}")
                               .arg(QLatin1String(objectName)));
        *label = new QLabel(bar);
        (*label)->setObjectName(QLatin1String(labelName));
        (*label)->setGeometry(QRect(16, 10, 176, 24));
        (*label)->setStyleSheet(QStringLiteral("color: #808080;font-size:10pt; font-family:Arial;"));
        int y = 40;
        auto name = names.begin();
        for (QCheckBox **check : checks) {
            *check = ScheduleFormStyle::filterCheckBox(bar, *name++, QRect(16, y, 176, 26));
            y += 30;
        }
        *apply = ScheduleFormStyle::textButton(bar, applyName, QRect(16, y + 8, 176, 30), true);
        return bar;
    }
};
