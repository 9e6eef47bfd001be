#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QWidget>

#include "scheduling/ScheduleFormStyle.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/ScheduleLineEdit.h"
#include "shell/kit/ScheduleSettingSpinBox.h"
#include "shell/kit/TextLabel.h"

/// What the two schedule editor forms share, on their 874 × 571 page: the title band, the weekday
/// row, the target buttons, the filter, the device or group table under its header strip, the
/// warning badge and the Back and Save buttons. Each form adds its own time row above the
/// weekdays (the band from y 50 to 120 is left free for it).
class Ui_ScheduleEditorForm
{
public:
    QLabel *lbSchedulingTitleBg;
    QLabel *lbSchedulingTitle;
    QFrame *line;
    QWidget *widgetRepeat;
    QLabel *lbRepeat;
    QCheckBox *checkBox_everyday;
    QCheckBox *checkBox_mon;
    QCheckBox *checkBox_tue;
    QCheckBox *checkBox_wed;
    QCheckBox *checkBox_thu;
    QCheckBox *checkBox_fri;
    QCheckBox *checkBox_sat;
    QCheckBox *checkBox_sun;
    QWidget *widgetTarget;
    QRadioButton *rBtn_All;
    QRadioButton *rBtn_Group;
    QRadioButton *rBtn_SelectDevice;
    QWidget *widgetFilter;
    ScheduleLineEdit *lineEditFilter;
    CustComboBox *comboBoxFilter;
    QLabel *headerLeftBorder;
    QCheckBox *checkBoxName;
    QLabel *lb_IPAddress;
    QLabel *lb_MacAddress;
    QLabel *headerRightBorder;
    QTableWidget *tableWidget;
    TextLabel *lbState;
    QWidget *widgetButtons;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    QList<QCheckBox *> dayBoxes() const
    {
        return {checkBox_mon, checkBox_tue, checkBox_wed, checkBox_thu, checkBox_fri, checkBox_sat, checkBox_sun};
    }

    /// A spin box of the time row: two digits, 0..max, disabled-looking when off.
    static ScheduleSettingSpinBox *timeSpinBox(QWidget *parent, const char *objectName, const QRect &geometry, int max)
    {
        auto *spin = new ScheduleSettingSpinBox(parent);
        spin->setObjectName(QLatin1String(objectName));
        spin->setGeometry(geometry);
        spin->setRange(0, max);
        spin->setValue(0);
        spin->setAlignment(Qt::AlignCenter);
        spin->setStyleSheet(QStringLiteral(
            "QSpinBox{background-color: #333333;color: #ffffff;font-size:11pt; font-family:Arial;"
            "border: 1px solid #7a7a7a;border-radius: 4px;padding-right: 16px;}"
            "QSpinBox:disabled{color: #6b6b6b;border: 1px solid #555555;}"
            "QSpinBox::up-button{subcontrol-position: top right;width: 16px;border: none;}"
            "QSpinBox::down-button{subcontrol-position: bottom right;width: 16px;border: none;}"
            "QSpinBox::up-arrow{image: url(:/resource/scheduling/btn_spin_up.png);}"
            "QSpinBox::down-arrow{image: url(:/resource/scheduling/btn_spin_down.png);}"
            "QSpinBox::up-arrow:disabled{image: url(:/resource/scheduling/btn_spin_up_disabled.png);}"
            "QSpinBox::down-arrow:disabled{image: url(:/resource/scheduling/btn_spin_down_disabled.png);}"));
        return spin;
    }

    static QLabel *caption(QWidget *parent, const char *objectName, const QRect &geometry, bool small = false)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(QLatin1String(objectName));
        label->setGeometry(geometry);
        label->setStyleSheet(small ? QStringLiteral("color: #a0a0a0;font-size:9pt; font-family:Arial;")
                                   : ScheduleFormStyle::captionStyle());
        return label;
    }

    void setupCommon(QFrame *form)
    {
        form->resize(874, 571);
        form->setAttribute(Qt::WA_StyledBackground, true);
        form->setStyleSheet(QStringLiteral("QFrame#%1{background-color: #404040;}").arg(form->objectName()));

        lbSchedulingTitleBg = new QLabel(form);
        lbSchedulingTitleBg->setObjectName(QStringLiteral("lbSchedulingTitleBg"));
        lbSchedulingTitleBg->setGeometry(QRect(0, 0, 874, 40));
        lbSchedulingTitleBg->setStyleSheet(
            QStringLiteral("border-image: url(:/resource/scheduling/im_title_schedule.png);"));
        lbSchedulingTitle = ScheduleFormStyle::title(form, "lbSchedulingTitle", QRect(24, 0, 600, 40));
        line = new QFrame(form);
        line->setObjectName(QStringLiteral("line"));
        line->setGeometry(QRect(30, 170, 814, 1));
        line->setStyleSheet(QStringLiteral("background-color: #5c5c5c;"));

        widgetRepeat = new QWidget(form);
        widgetRepeat->setObjectName(QStringLiteral("widgetRepeat"));
        widgetRepeat->setGeometry(QRect(30, 128, 814, 30));
        lbRepeat = caption(widgetRepeat, "lbRepeat", QRect(0, 2, 110, 26));
        checkBox_everyday = new QCheckBox(widgetRepeat);
        checkBox_everyday->setObjectName(QStringLiteral("checkBox_everyday"));
        checkBox_everyday->setGeometry(QRect(120, 2, 120, 26));
        const char *dayNames[] = {"checkBox_mon", "checkBox_tue", "checkBox_wed", "checkBox_thu",
                                  "checkBox_fri", "checkBox_sat", "checkBox_sun"};
        QCheckBox **days[] = {&checkBox_mon, &checkBox_tue, &checkBox_wed, &checkBox_thu,
                              &checkBox_fri, &checkBox_sat, &checkBox_sun};
        for (int i = 0; i < 7; ++i) {
            *days[i] = new QCheckBox(widgetRepeat);
            (*days[i])->setObjectName(QLatin1String(dayNames[i]));
            (*days[i])->setGeometry(QRect(250 + i * 80, 2, 76, 26));
        }

        widgetTarget = new QWidget(form);
        widgetTarget->setObjectName(QStringLiteral("widgetTarget"));
        widgetTarget->setGeometry(QRect(30, 184, 440, 30));
        rBtn_All = new QRadioButton(widgetTarget);
        rBtn_All->setObjectName(QStringLiteral("rBtn_All"));
        rBtn_All->setGeometry(QRect(0, 2, 100, 26));
        rBtn_Group = new QRadioButton(widgetTarget);
        rBtn_Group->setObjectName(QStringLiteral("rBtn_Group"));
        rBtn_Group->setGeometry(QRect(120, 2, 110, 26));
        rBtn_SelectDevice = new QRadioButton(widgetTarget);
        rBtn_SelectDevice->setObjectName(QStringLiteral("rBtn_SelectDevice"));
        rBtn_SelectDevice->setGeometry(QRect(250, 2, 170, 26));
        for (QRadioButton *button : {rBtn_All, rBtn_Group, rBtn_SelectDevice}) {
            button->setAutoExclusive(true);
            button->setCursor(Qt::PointingHandCursor);
        }

        widgetFilter = new QWidget(form);
        widgetFilter->setObjectName(QStringLiteral("widgetFilter"));
        widgetFilter->setGeometry(QRect(474, 182, 370, 32));
        lineEditFilter = new ScheduleLineEdit(widgetFilter);
        lineEditFilter->setObjectName(QStringLiteral("lineEditFilter"));
        lineEditFilter->setGeometry(QRect(0, 2, 220, 28));
        comboBoxFilter = new CustComboBox(widgetFilter);
        comboBoxFilter->setObjectName(QStringLiteral("comboBoxFilter"));
        comboBoxFilter->setGeometry(QRect(230, 2, 140, 28));
        comboBoxFilter->setStyleSheet(
            QStringLiteral("QComboBox {background-color: #333333;color: #ffffff;font-size:10pt; font-family:Arial;"
                           "border: 1px solid #ffffff;border-radius: 5px;}"
                           "QComboBox::drop-down {border: none;width: 22px;}"
                           "QComboBox::down-arrow {image: url(:/resource/custom/btn_arrow_a_normal.png);}"
                           "QComboBox QAbstractItemView {background-color: #ffffff;color: #000000;outline: none;"
                           "selection-background-color: #009bef;}"
                           "QComboBox QAbstractItemView::item {min-height: 22px;}"));

        headerLeftBorder = ScheduleFormStyle::headerLabel(form, "headerLeftBorder");
        checkBoxName = new QCheckBox(form);
        checkBoxName->setObjectName(QStringLiteral("checkBoxName"));
        lb_IPAddress = ScheduleFormStyle::headerLabel(form, "lb_IPAddress");
        lb_MacAddress = ScheduleFormStyle::headerLabel(form, "lb_MacAddress");
        headerRightBorder = ScheduleFormStyle::headerLabel(form, "headerRightBorder");
        ScheduleFormStyle::placeRow({headerLeftBorder, checkBoxName, lb_IPAddress, lb_MacAddress, headerRightBorder},
                                    {4, 270, 274, -1, 4}, 30, 226, 30, 814);
        tableWidget = ScheduleFormStyle::table(form, "tableWidget", QRect(30, 256, 814, 246), 3);
        tableWidget->setAlternatingRowColors(false);
        tableWidget->horizontalHeader()->setDefaultSectionSize(274);
        tableWidget->horizontalHeader()->setMinimumSectionSize(274);
        tableWidget->horizontalHeader()->setStretchLastSection(true);
        tableWidget->setHorizontalHeaderLabels({QString(), QString(), QString()});

        lbState = new TextLabel(form);
        lbState->setObjectName(QStringLiteral("lbState"));
        lbState->setGeometry(QRect(30, 521, 400, 20));
        lbState->hide();

        widgetButtons = new QWidget(form);
        widgetButtons->setObjectName(QStringLiteral("widgetButtons"));
        widgetButtons->setGeometry(QRect(624, 514, 220, 34));
        btnCancel = FormStyle::button(widgetButtons, "btnCancel", QRect(0, 2, 104, 30), false);
        btnSave = FormStyle::button(widgetButtons, "btnSave", QRect(116, 2, 104, 30), true);
    }

    void retranslateCommon()
    {
        lbRepeat->setText(QCoreApplication::translate("ScheduleEditorForm", "Repeat:"));
        checkBox_everyday->setText(QCoreApplication::translate("ScheduleEditorForm", "Every Day"));
        checkBox_mon->setText(QCoreApplication::translate("ScheduleEditorForm", "Mon"));
        checkBox_tue->setText(QCoreApplication::translate("ScheduleEditorForm", "Tue"));
        checkBox_wed->setText(QCoreApplication::translate("ScheduleEditorForm", "Wed"));
        checkBox_thu->setText(QCoreApplication::translate("ScheduleEditorForm", "Thu"));
        checkBox_fri->setText(QCoreApplication::translate("ScheduleEditorForm", "Fri"));
        checkBox_sat->setText(QCoreApplication::translate("ScheduleEditorForm", "Sat"));
        checkBox_sun->setText(QCoreApplication::translate("ScheduleEditorForm", "Sun"));
        rBtn_All->setText(QCoreApplication::translate("ScheduleEditorForm", "All"));
        rBtn_Group->setText(QCoreApplication::translate("ScheduleEditorForm", "Group"));
        rBtn_SelectDevice->setText(QCoreApplication::translate("ScheduleEditorForm", "Select Device"));
        checkBoxName->setText(QCoreApplication::translate("ScheduleEditorForm", "Device Name"));
        checkBoxName->setToolTip(QCoreApplication::translate("ScheduleEditorForm", "Device Name"));
        lb_IPAddress->setText(QCoreApplication::translate("ScheduleEditorForm", "IP Address"));
        lb_IPAddress->setToolTip(QCoreApplication::translate("ScheduleEditorForm", "IP Address"));
        lb_MacAddress->setText(QCoreApplication::translate("ScheduleEditorForm", "Mac Address"));
        lb_MacAddress->setToolTip(QCoreApplication::translate("ScheduleEditorForm", "Mac Address"));
        btnCancel->setText(QCoreApplication::translate("ScheduleEditorForm", "Back"));
        btnSave->setText(QCoreApplication::translate("ScheduleEditorForm", "Save"));
    }
};
