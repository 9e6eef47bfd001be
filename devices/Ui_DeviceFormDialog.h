#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>

#include "devices/DeviceFormStyle.h"
#include "shell/kit/TextLabel.h"

class Ui_DeviceFormDialog
{
public:
    QFrame *frameContent;
    QLabel *labelTitle;
    QLabel *lbName;
    QLineEdit *editName;
    QLabel *lbIp;
    QLineEdit *editIp;
    QLabel *lbMac;
    QLineEdit *editMac;
    QLabel *lbLocation;
    QLineEdit *editLocation;
    QLabel *lbGroups;
    QListWidget *listGroups;
    TextLabel *labelWarning;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QDialog *DeviceFormDialog)
    {
        if (DeviceFormDialog->objectName().isEmpty())
            DeviceFormDialog->setObjectName(QStringLiteral("DeviceFormDialog"));
        DeviceFormDialog->resize(460, 400);

        frameContent = new QFrame(DeviceFormDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 460, 400));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        labelTitle = DeviceFormStyle::caption(frameContent, "labelTitle", QRect(30, 16, 400, 28));
        labelTitle->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        lbName = DeviceFormStyle::caption(frameContent, "lbName", QRect(30, 60, 132, 28));
        editName = DeviceFormStyle::lineEdit(frameContent, "editName", QRect(170, 60, 260, 28));
        lbIp = DeviceFormStyle::caption(frameContent, "lbIp", QRect(30, 104, 132, 28));
        editIp = DeviceFormStyle::lineEdit(frameContent, "editIp", QRect(170, 104, 260, 28));
        lbMac = DeviceFormStyle::caption(frameContent, "lbMac", QRect(30, 148, 132, 28));
        editMac = DeviceFormStyle::lineEdit(frameContent, "editMac", QRect(170, 148, 260, 28));
        lbLocation = DeviceFormStyle::caption(frameContent, "lbLocation", QRect(30, 192, 132, 28));
        editLocation = DeviceFormStyle::lineEdit(frameContent, "editLocation", QRect(170, 192, 260, 28));
        lbGroups = DeviceFormStyle::caption(frameContent, "lbGroups", QRect(30, 236, 132, 28));
        listGroups = DeviceFormStyle::checkList(frameContent, "listGroups", QRect(170, 236, 260, 84));

        labelWarning = new TextLabel(frameContent);
        labelWarning->setObjectName(QStringLiteral("labelWarning"));
        labelWarning->setGeometry(QRect(30, 330, 400, 20));
        labelWarning->hide();

        btnCancel = DeviceFormStyle::button(frameContent, "btnCancel", QRect(230, 358, 96, 28), false);
        btnSave = DeviceFormStyle::button(frameContent, "btnSave", QRect(334, 358, 96, 28), true);

        retranslateUi(DeviceFormDialog);
        QMetaObject::connectSlotsByName(DeviceFormDialog);
    }

    void retranslateUi(QDialog *DeviceFormDialog)
    {
        DeviceFormDialog->setWindowTitle(QCoreApplication::translate("DeviceFormDialog", "Dialog"));
        lbName->setText(QCoreApplication::translate("DeviceFormDialog", "Device Name:"));
        lbIp->setText(QCoreApplication::translate("DeviceFormDialog", "IP Address:"));
        lbMac->setText(QCoreApplication::translate("DeviceFormDialog", "MAC Address:"));
        lbLocation->setText(QCoreApplication::translate("DeviceFormDialog", "Location:"));
        lbGroups->setText(QCoreApplication::translate("DeviceFormDialog", "Groups:"));
        editName->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. Classroom 101"));
        editIp->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. 192.168.1.20"));
        editMac->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. 00:11:22:33:44:55"));
        editLocation->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. Building A, 2nd floor"));
        btnCancel->setText(QCoreApplication::translate("DeviceFormDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("DeviceFormDialog", "Save"));
    }
};
