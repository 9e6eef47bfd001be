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

#include "shell/kit/FormStyle.h"
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
    QLabel *lbCamera;
    QLineEdit *editCamera;
    QPushButton *btnCamera;
    QLabel *lbGroups;
    QListWidget *listGroups;
    TextLabel *labelWarning;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QDialog *DeviceFormDialog)
    {
        if (DeviceFormDialog->objectName().isEmpty())
            DeviceFormDialog->setObjectName(QStringLiteral("DeviceFormDialog"));
        DeviceFormDialog->resize(460, 444);

        frameContent = new QFrame(DeviceFormDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 460, 444));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        labelTitle = FormStyle::caption(frameContent, "labelTitle", QRect(30, 16, 400, 28));
        labelTitle->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        lbName = FormStyle::caption(frameContent, "lbName", QRect(30, 60, 132, 28));
        editName = FormStyle::lineEdit(frameContent, "editName", QRect(170, 60, 260, 28));
        lbIp = FormStyle::caption(frameContent, "lbIp", QRect(30, 104, 132, 28));
        editIp = FormStyle::lineEdit(frameContent, "editIp", QRect(170, 104, 260, 28));
        lbMac = FormStyle::caption(frameContent, "lbMac", QRect(30, 148, 132, 28));
        editMac = FormStyle::lineEdit(frameContent, "editMac", QRect(170, 148, 260, 28));
        lbLocation = FormStyle::caption(frameContent, "lbLocation", QRect(30, 192, 132, 28));
        editLocation = FormStyle::lineEdit(frameContent, "editLocation", QRect(170, 192, 260, 28));
        // The camera row shows for the device types that pair with a camera; the dialog takes it
        // out of the form, and the rows below move up, for the others.
        lbCamera = FormStyle::caption(frameContent, "lbCamera", QRect(30, 236, 132, 28));
        editCamera = FormStyle::lineEdit(frameContent, "editCamera", QRect(170, 236, 176, 28));
        editCamera->setReadOnly(true);
        editCamera->setFocusPolicy(Qt::NoFocus);
        // Read-only, yet the name is the value that counts: white, not the grey of a locked field.
        editCamera->setStyleSheet(
            editCamera->styleSheet() +
            QStringLiteral(
                "\nQLineEdit:read-only{background-color: #3a3a3a;color: #ffffff;border: 1px solid #5a5a5a;}"));
        btnCamera = FormStyle::button(frameContent, "btnCamera", QRect(354, 236, 76, 28), false);
        lbGroups = FormStyle::caption(frameContent, "lbGroups", QRect(30, 280, 132, 28));
        listGroups = FormStyle::checkList(frameContent, "listGroups", QRect(170, 280, 260, 84));

        labelWarning = new TextLabel(frameContent);
        labelWarning->setObjectName(QStringLiteral("labelWarning"));
        labelWarning->setGeometry(QRect(30, 374, 400, 20));
        labelWarning->hide();

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(230, 402, 96, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(334, 402, 96, 28), true);

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
        lbCamera->setText(QCoreApplication::translate("DeviceFormDialog", "PTZ Camera:"));
        editCamera->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "No camera paired"));
        btnCamera->setText(QCoreApplication::translate("DeviceFormDialog", "Select"));
        btnCamera->setToolTip(
            QCoreApplication::translate("DeviceFormDialog", "Choose the camera paired with this device"));
        lbGroups->setText(QCoreApplication::translate("DeviceFormDialog", "Groups:"));
        editName->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. Classroom 101"));
        editIp->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. 192.168.1.20"));
        editMac->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. 00:11:22:33:44:55"));
        editLocation->setPlaceholderText(QCoreApplication::translate("DeviceFormDialog", "e.g. Building A, 2nd floor"));
        btnCancel->setText(QCoreApplication::translate("DeviceFormDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("DeviceFormDialog", "Save"));
    }
};
