#pragma once

#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/FormStyle.h"

/// The Devices tab. Geometry is given unscaled for the page's 888 × 559 area; the page lays the
/// widgets out again for the scale factor and its own size (Management::layoutWidgets).
class Ui_Management
{
public:
    QWidget *widgetContent;
    QLineEdit *lineEditSearch;
    QToolButton *btnFilter;
    QPushButton *btnAddDevice;
    QPushButton *btnAutoDetect;
    QPushButton *btnGroups;
    QPushButton *btnSosSetting;
    QPushButton *btnImportList;
    QLabel *labelCount;
    QTableView *tableDevices;
    QLabel *labelEmpty;
    CustomFilterWidget *filterLayer;
    QFrame *frameFilter;
    QLabel *labelFilterTitle;
    QListWidget *listFilter;

    void setupUi(QWidget *Management)
    {
        if (Management->objectName().isEmpty())
            Management->setObjectName(QStringLiteral("Management"));
        Management->resize(888, 559);

        widgetContent = new QWidget(Management);
        widgetContent->setObjectName(QStringLiteral("widgetContent"));
        widgetContent->setGeometry(QRect(0, 0, 888, 559));
        widgetContent->setStyleSheet(QStringLiteral("QWidget#widgetContent{background-color: #666666;}"));

        lineEditSearch = FormStyle::lineEdit(widgetContent, "lineEditSearch", QRect(596, 9, 240, 26));
        lineEditSearch->addAction(QIcon(QStringLiteral(":/resource/mangement/icon_search.png")),
                                  QLineEdit::LeadingPosition);
        btnFilter = new QToolButton(widgetContent);
        btnFilter->setObjectName(QStringLiteral("btnFilter"));
        btnFilter->setGeometry(QRect(842, 9, 26, 26));
        btnFilter->setCursor(Qt::PointingHandCursor);
        btnFilter->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_filter.png")));

        btnAddDevice = FormStyle::button(widgetContent, "btnAddDevice", QRect(20, 52, 132, 30), true);
        btnAddDevice->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_add.png")));
        btnAutoDetect = FormStyle::button(widgetContent, "btnAutoDetect", QRect(160, 52, 132, 30), true);
        btnAutoDetect->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_detect.png")));
        btnGroups = FormStyle::button(widgetContent, "btnGroups", QRect(300, 52, 112, 30), false);
        btnGroups->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_groups.png")));
        btnSosSetting = FormStyle::button(widgetContent, "btnSosSetting", QRect(420, 52, 140, 30), false);
        btnSosSetting->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_sos.png")));
        btnImportList = FormStyle::button(widgetContent, "btnImportList", QRect(748, 52, 120, 30), false);
        btnImportList->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_import.png")));

        labelCount = FormStyle::caption(widgetContent, "labelCount", QRect(428, 52, 310, 30));
        labelCount->setStyleSheet(FormStyle::hintStyle());
        labelCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        tableDevices = new QTableView(widgetContent);
        tableDevices->setObjectName(QStringLiteral("tableDevices"));
        tableDevices->setGeometry(QRect(20, 92, 848, 447));
        tableDevices->setStyleSheet(FormStyle::tableStyle());
        FormStyle::styleScrollBar(tableDevices);
        tableDevices->setSelectionBehavior(QAbstractItemView::SelectRows);
        tableDevices->setSelectionMode(QAbstractItemView::SingleSelection);
        tableDevices->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tableDevices->setAlternatingRowColors(true);
        tableDevices->setShowGrid(false);
        tableDevices->setWordWrap(false);
        tableDevices->setMouseTracking(true);
        tableDevices->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tableDevices->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        tableDevices->setFocusPolicy(Qt::NoFocus);
        tableDevices->verticalHeader()->hide();
        tableDevices->horizontalHeader()->setHighlightSections(false);
        tableDevices->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        tableDevices->horizontalHeader()->setSectionsClickable(false);

        labelEmpty = FormStyle::caption(widgetContent, "labelEmpty", QRect(120, 240, 648, 140));
        labelEmpty->setStyleSheet(FormStyle::hintStyle());
        labelEmpty->setAlignment(Qt::AlignCenter);
        labelEmpty->setWordWrap(true);

        filterLayer = new CustomFilterWidget(widgetContent);
        filterLayer->setObjectName(QStringLiteral("filterLayer"));
        filterLayer->setGeometry(QRect(0, 0, 888, 559));
        filterLayer->hide();

        frameFilter = new QFrame(widgetContent);
        frameFilter->setObjectName(QStringLiteral("frameFilter"));
        frameFilter->setGeometry(QRect(648, 38, 220, 208));
        frameFilter->setStyleSheet(QStringLiteral(
            "QFrame#frameFilter{background-color: #333333;border: 1px solid #7a7a7a;border-radius: 5px;}"));
        labelFilterTitle = FormStyle::caption(frameFilter, "labelFilterTitle", QRect(12, 6, 196, 26));
        labelFilterTitle->setStyleSheet(QStringLiteral("color: #edd994;\nfont-size:10pt; font-family:Arial;"));
        listFilter = FormStyle::checkList(frameFilter, "listFilter", QRect(6, 34, 208, 166));
        listFilter->setStyleSheet(FormStyle::listStyle() +
                                  QStringLiteral("\nQListWidget{border: none;background-color: #333333;}"));
        listFilter->setSelectionMode(QAbstractItemView::SingleSelection);
        frameFilter->hide();

        retranslateUi(Management);
        QMetaObject::connectSlotsByName(Management);
    }

    void retranslateUi(QWidget *Management)
    {
        Q_UNUSED(Management);
        lineEditSearch->setPlaceholderText(QCoreApplication::translate("Management", "Search"));
        btnFilter->setToolTip(QCoreApplication::translate("Management", "Filter by group"));
        btnAddDevice->setText(QCoreApplication::translate("Management", "Add Device"));
        btnAddDevice->setToolTip(QCoreApplication::translate("Management", "Add a device by its IP or MAC address"));
        btnAutoDetect->setText(QCoreApplication::translate("Management", "Auto Detect"));
        btnAutoDetect->setToolTip(QCoreApplication::translate("Management", "Add devices found on the network"));
        btnGroups->setText(QCoreApplication::translate("Management", "Groups"));
        btnSosSetting->setText(QCoreApplication::translate("Management", "Emergency SOS"));
        btnSosSetting->setToolTip(
            QCoreApplication::translate("Management", "The link to the PTZ cameras' management program"));
        btnImportList->setText(QCoreApplication::translate("Management", "Import List"));
        labelFilterTitle->setText(QCoreApplication::translate("Management", "Filter by group"));
    }
};
