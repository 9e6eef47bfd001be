#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTableWidget>

#include "shell/kit/FormStyle.h"
#include "shell/kit/TextLabel.h"

class Ui_ManagementAutoDetect
{
public:
    QFrame *frameContent;
    QLabel *labelTitle;
    QLabel *labelHint;
    QTableWidget *tableDevices;
    QLabel *labelEmpty;
    TextLabel *labelWarning;
    QPushButton *btnRefresh;
    QPushButton *btnCancel;
    QPushButton *btnAdd;

    void setupUi(QDialog *ManagementAutoDetect)
    {
        if (ManagementAutoDetect->objectName().isEmpty())
            ManagementAutoDetect->setObjectName(QStringLiteral("ManagementAutoDetect"));
        ManagementAutoDetect->resize(700, 424);

        frameContent = new QFrame(ManagementAutoDetect);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 700, 424));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        labelTitle = FormStyle::caption(frameContent, "labelTitle", QRect(30, 16, 640, 28));
        labelTitle->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));
        labelHint = FormStyle::caption(frameContent, "labelHint", QRect(30, 44, 640, 36));
        labelHint->setStyleSheet(FormStyle::hintStyle());
        labelHint->setWordWrap(true);

        tableDevices = new QTableWidget(frameContent);
        tableDevices->setObjectName(QStringLiteral("tableDevices"));
        tableDevices->setGeometry(QRect(30, 86, 640, 250));
        tableDevices->setStyleSheet(FormStyle::tableStyle());
        FormStyle::styleScrollBar(tableDevices);
        tableDevices->setColumnCount(4);
        tableDevices->setSelectionMode(QAbstractItemView::NoSelection);
        tableDevices->setAlternatingRowColors(true);
        tableDevices->setShowGrid(false);
        tableDevices->setWordWrap(false);
        tableDevices->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tableDevices->verticalHeader()->hide();
        tableDevices->horizontalHeader()->setHighlightSections(false);
        tableDevices->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        labelEmpty = FormStyle::caption(frameContent, "labelEmpty", QRect(50, 150, 600, 120));
        labelEmpty->setStyleSheet(FormStyle::hintStyle());
        labelEmpty->setAlignment(Qt::AlignCenter);
        labelEmpty->setWordWrap(true);

        labelWarning = new TextLabel(frameContent);
        labelWarning->setObjectName(QStringLiteral("labelWarning"));
        labelWarning->setGeometry(QRect(30, 346, 640, 20));
        labelWarning->hide();

        btnRefresh = FormStyle::button(frameContent, "btnRefresh", QRect(30, 380, 96, 28), false);
        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(470, 380, 96, 28), false);
        btnAdd = FormStyle::button(frameContent, "btnAdd", QRect(574, 380, 96, 28), true);

        retranslateUi(ManagementAutoDetect);
        QMetaObject::connectSlotsByName(ManagementAutoDetect);
    }

    void retranslateUi(QDialog *ManagementAutoDetect)
    {
        ManagementAutoDetect->setWindowTitle(QCoreApplication::translate("ManagementAutoDetect", "Dialog"));
        labelTitle->setText(QCoreApplication::translate("ManagementAutoDetect", "Automatic Detection"));
        labelHint->setText(QCoreApplication::translate(
            "ManagementAutoDetect",
            "Devices that searched for this console and are not managed yet. Tick the ones to add and give each a "
            "name."));
        labelEmpty->setText(QCoreApplication::translate(
            "ManagementAutoDetect",
            "No new devices found.\nA device appears here when it searches for this console on the network."));
        tableDevices->setHorizontalHeaderLabels({QCoreApplication::translate("ManagementAutoDetect", "Device Name"),
                                                 QCoreApplication::translate("ManagementAutoDetect", "IP Address"),
                                                 QCoreApplication::translate("ManagementAutoDetect", "MAC Address"),
                                                 QCoreApplication::translate("ManagementAutoDetect", "Model")});
        btnRefresh->setText(QCoreApplication::translate("ManagementAutoDetect", "Refresh"));
        btnCancel->setText(QCoreApplication::translate("ManagementAutoDetect", "Cancel"));
        btnAdd->setText(QCoreApplication::translate("ManagementAutoDetect", "Add"));
    }
};
