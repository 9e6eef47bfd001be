#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include "accounts/AccountsForm.h"
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

/// The device assignment window: a device page and a group page, each a row of header widgets
/// above a table whose own header is hidden.
class Ui_DeviceListDialog
{
public:
    QFrame *frameContent;
    QLabel *labelDeviceList;
    CustComboBox *comboBoxType;
    QLineEdit *lineEditFilter;
    QToolButton *btnFilter;
    QWidget *selectedInfoWidget;
    QLabel *labelSelectedInfo;
    QToolButton *btnCloseInfo;
    QStackedWidget *stackedWidgetTables;
    QWidget *pageDevice;
    QCheckBox *deviceCheckBoxAll;
    ClickableLabel *deviceHeaderDevice;
    ClickableLabel *deviceHeaderGroup;
    QTableView *tableWidgetDevice;
    QWidget *pageGroup;
    QCheckBox *groupCheckBoxAll;
    ClickableLabel *groupHeaderGroup;
    ClickableLabel *groupHeaderDeviceCounts;
    QTableView *tableWidgetGroup;
    QLabel *labelTotalInfo;
    QPushButton *btnCancel;
    QPushButton *btnSave;
    CustomFilterWidget *widgetFilterParent;
    QWidget *widgetFilterDevice;
    QLabel *labelFilter1;
    QCheckBox *checkBox1Device;
    QCheckBox *checkBox1Group;
    QPushButton *btnApply1;
    QWidget *widgetFilterGroup;
    QLabel *labelFilter2;
    QCheckBox *checkBox2Group;
    QCheckBox *checkBox2Counts;
    QPushButton *btnApply2;

    void setupUi(QDialog *DeviceListDialog)
    {
        if (DeviceListDialog->objectName().isEmpty())
            DeviceListDialog->setObjectName(QStringLiteral("DeviceListDialog"));
        DeviceListDialog->resize(640, 540);
        frameContent = createContentFrame(DeviceListDialog, QRect(0, 0, 640, 540));

        labelDeviceList = FormStyle::caption(frameContent, "labelDeviceList", QRect(25, 14, 400, 28));
        labelDeviceList->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        comboBoxType = new CustComboBox(frameContent);
        comboBoxType->setObjectName(QStringLiteral("comboBoxType"));
        comboBoxType->setGeometry(QRect(25, 52, 160, 28));
        comboBoxType->setCursor(Qt::PointingHandCursor);
        comboBoxType->applyStyle(QStringLiteral(
            "QComboBox{color: #edd994;background-color: #333333;border: 1px solid #7a7a7a;border-radius: 5px;"
            "font-family:Arial;font-size:10pt;padding-left:10px;}"
            "QComboBox::drop-down{border:none;width:22px;}"
            "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}"
            "QComboBox QAbstractItemView{color: #000000;background-color: #ffffff;border:none;outline:0px;"
            "selection-background-color: #009bef;}"));
        lineEditFilter = FormStyle::lineEdit(frameContent, "lineEditFilter", QRect(376, 52, 206, 28));
        lineEditFilter->addAction(QIcon(QStringLiteral(":/resource/mangement/icon_search.png")),
                                  QLineEdit::LeadingPosition);
        btnFilter = new QToolButton(frameContent);
        btnFilter->setObjectName(QStringLiteral("btnFilter"));
        btnFilter->setGeometry(QRect(589, 53, 26, 26));
        btnFilter->setCursor(Qt::PointingHandCursor);

        selectedInfoWidget = new QWidget(frameContent);
        selectedInfoWidget->setObjectName(QStringLiteral("selectedInfoWidget"));
        selectedInfoWidget->setGeometry(QRect(25, 52, 590, 28));
        selectedInfoWidget->setStyleSheet(
            QStringLiteral("QWidget#selectedInfoWidget{background-color: #0a5f8f;border-radius: 5px;}"));
        labelSelectedInfo = FormStyle::caption(selectedInfoWidget, "labelSelectedInfo", QRect(12, 0, 530, 28));
        btnCloseInfo = new QToolButton(selectedInfoWidget);
        btnCloseInfo->setObjectName(QStringLiteral("btnCloseInfo"));
        btnCloseInfo->setGeometry(QRect(560, 2, 24, 24));
        btnCloseInfo->setCursor(Qt::PointingHandCursor);
        btnCloseInfo->setStyleSheet(QStringLiteral("QToolButton{color: #ffffff;border: none;font-size:12pt;"
                                                   "font-family:Arial;background: transparent;}"));
        btnCloseInfo->setText(QStringLiteral("\u2715"));

        stackedWidgetTables = new QStackedWidget(frameContent);
        stackedWidgetTables->setObjectName(QStringLiteral("stackedWidgetTables"));
        stackedWidgetTables->setGeometry(QRect(25, 92, 590, 376));
        pageDevice = new QWidget();
        pageDevice->setObjectName(QStringLiteral("pageDevice"));
        setupPage(pageDevice, &deviceCheckBoxAll, "deviceCheckBoxAll", &deviceHeaderDevice, "deviceHeaderDevice",
                  &deviceHeaderGroup, "deviceHeaderGroup", &tableWidgetDevice, "tableWidgetDevice");
        stackedWidgetTables->addWidget(pageDevice);
        pageGroup = new QWidget();
        pageGroup->setObjectName(QStringLiteral("pageGroup"));
        setupPage(pageGroup, &groupCheckBoxAll, "groupCheckBoxAll", &groupHeaderGroup, "groupHeaderGroup",
                  &groupHeaderDeviceCounts, "groupHeaderDeviceCounts", &tableWidgetGroup, "tableWidgetGroup");
        stackedWidgetTables->addWidget(pageGroup);

        labelTotalInfo = FormStyle::caption(frameContent, "labelTotalInfo", QRect(25, 486, 340, 28));
        labelTotalInfo->setStyleSheet(FormStyle::hintStyle());
        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(425, 486, 90, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(525, 486, 90, 28), true);

        // Lies over the whole window while a filter box is open: a press beside the box closes it.
        widgetFilterParent = new CustomFilterWidget(frameContent);
        widgetFilterParent->setObjectName(QStringLiteral("widgetFilterParent"));
        widgetFilterParent->setGeometry(QRect(0, 0, 640, 540));
        widgetFilterDevice =
            filterBox(widgetFilterParent, "widgetFilterDevice", &labelFilter1, "labelFilter1", &checkBox1Device,
                      "checkBox1Device", &checkBox1Group, "checkBox1Group", &btnApply1, "btnApply1");
        widgetFilterGroup =
            filterBox(widgetFilterParent, "widgetFilterGroup", &labelFilter2, "labelFilter2", &checkBox2Group,
                      "checkBox2Group", &checkBox2Counts, "checkBox2Counts", &btnApply2, "btnApply2");
        widgetFilterParent->hide();

        retranslateUi(DeviceListDialog);
        QMetaObject::connectSlotsByName(DeviceListDialog);
    }

    void retranslateUi(QDialog *DeviceListDialog)
    {
        Q_UNUSED(DeviceListDialog)
        labelDeviceList->setText(QCoreApplication::translate("DeviceListDialog", "Devices List"));
        lineEditFilter->setPlaceholderText(QCoreApplication::translate("DeviceListDialog", "Search"));
        const auto header = [](QLabel *label, const char *text) {
            label->setText(QCoreApplication::translate("DeviceListDialog", text));
            label->setToolTip(QCoreApplication::translate("DeviceListDialog", text));
        };
        header(deviceHeaderDevice, QT_TRANSLATE_NOOP("DeviceListDialog", "Device"));
        header(deviceHeaderGroup, QT_TRANSLATE_NOOP("DeviceListDialog", "Group"));
        header(groupHeaderGroup, QT_TRANSLATE_NOOP("DeviceListDialog", "Group"));
        header(groupHeaderDeviceCounts, QT_TRANSLATE_NOOP("DeviceListDialog", "Device Counts"));
        labelFilter1->setText(QCoreApplication::translate("DeviceListDialog", "Filter:"));
        checkBox1Device->setText(QCoreApplication::translate("DeviceListDialog", "Device"));
        checkBox1Group->setText(QCoreApplication::translate("DeviceListDialog", "Group"));
        btnApply1->setText(QCoreApplication::translate("DeviceListDialog", "Apply"));
        labelFilter2->setText(QCoreApplication::translate("DeviceListDialog", "Filter:"));
        checkBox2Group->setText(QCoreApplication::translate("DeviceListDialog", "Group"));
        checkBox2Counts->setText(QCoreApplication::translate("DeviceListDialog", "Device Counts"));
        btnApply2->setText(QCoreApplication::translate("DeviceListDialog", "Apply"));
        btnCancel->setText(QCoreApplication::translate("DeviceListDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("DeviceListDialog", "Save"));
    }

private:
    static QString headerStyle()
    {
        return QStringLiteral("QLabel{color: #edd994;font-size:10pt; font-family:Arial;background: transparent;}");
    }

    static void setupPage(QWidget *page, QCheckBox **all, const char *allName, ClickableLabel **first,
                          const char *firstName, ClickableLabel **second, const char *secondName, QTableView **table,
                          const char *tableName)
    {
        auto *strip = new QLabel(page);
        strip->setObjectName(QStringLiteral("headerStrip"));
        strip->setGeometry(QRect(0, 0, 590, 32));
        strip->setStyleSheet(QStringLiteral("background-color: #3a3a3a;border-bottom: 1px solid #1a1a1a;"));
        *all = new QCheckBox(page);
        (*all)->setObjectName(QLatin1String(allName));
        (*all)->setGeometry(QRect(0, 0, 40, 32));
        (*all)->setStyleSheet(FormStyle::indicatorStyle("QCheckBox") +
                              QStringLiteral("\nQCheckBox{padding-left: 12px;background: transparent;}"));
        *first = new ClickableLabel(page);
        (*first)->setObjectName(QLatin1String(firstName));
        (*first)->setGeometry(QRect(40, 0, 260, 32));
        (*first)->setCursor(Qt::PointingHandCursor);
        (*first)->setStyleSheet(headerStyle());
        *second = new ClickableLabel(page);
        (*second)->setObjectName(QLatin1String(secondName));
        (*second)->setGeometry(QRect(300, 0, 290, 32));
        (*second)->setCursor(Qt::PointingHandCursor);
        (*second)->setStyleSheet(headerStyle());
        // The rows come from the dialog's model.
        *table = new QTableView(page);
        (*table)->setObjectName(QLatin1String(tableName));
        (*table)->setGeometry(QRect(0, 32, 590, 344));
        AccountsForm::headerlessTable((*table), QStringLiteral("QTableView::item{padding: 0px;}"));
        (*table)->horizontalHeader()->setStretchLastSection(true);
    }

    static QWidget *filterBox(QWidget *parent, const char *name, QLabel **title, const char *titleName,
                              QCheckBox **first, const char *firstName, QCheckBox **second, const char *secondName,
                              QPushButton **apply, const char *applyName)
    {
        auto *box = new QWidget(parent);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(QRect(435, 84, 180, 150));
        box->setAttribute(Qt::WA_StyledBackground, true);
        box->setStyleSheet(QStringLiteral("QWidget#%1{background-color: #333333;border: 1px solid #7a7a7a;"
                                          "border-radius: 5px;}")
                               .arg(QLatin1String(name)) +
                           FormStyle::indicatorStyle("QCheckBox") +
                           QStringLiteral("\nQCheckBox{color: #ffffff;font-size:10pt; font-family:Arial;}"));
        *title = FormStyle::caption(box, titleName, QRect(12, 8, 156, 24));
        (*title)->setStyleSheet(QStringLiteral("color: #edd994;\nfont-size:10pt; font-family:Arial;"));
        *first = new QCheckBox(box);
        (*first)->setObjectName(QLatin1String(firstName));
        (*first)->setGeometry(QRect(12, 38, 156, 24));
        *second = new QCheckBox(box);
        (*second)->setObjectName(QLatin1String(secondName));
        (*second)->setGeometry(QRect(12, 68, 156, 24));
        *apply = FormStyle::button(box, applyName, QRect(78, 108, 90, 28), true);
        box->hide();
        return box;
    }
};
