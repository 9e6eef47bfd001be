#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QMetaObject>
#include <QToolButton>
#include <QWidget>

class Ui_ManagementShowIPInfo
{
public:
    QToolButton *btnSave;
    QWidget *widgetInfo;
    QGridLayout *gridLayout;
    QLabel *lbIPAddress;
    QLabel *lbIPAddressInput;
    QLabel *lbSubnetMask;
    QLabel *lbSubnetMaskInput;
    QLabel *lbGateWay;
    QLabel *lbGateWayInput;

    void setupUi(QDialog *ManagementShowIPInfo)
    {
        if (ManagementShowIPInfo->objectName().isEmpty())
            ManagementShowIPInfo->setObjectName(QStringLiteral("ManagementShowIPInfo"));
        ManagementShowIPInfo->resize(273, 188);
        ManagementShowIPInfo->setStyleSheet(
            QStringLiteral("QDialog#ManagementShowIPInfo{\nbackground-color:#404040;\n}\n"));

        QFont font;
        font.setFamily(QStringLiteral("Arial"));
        font.setPointSize(10);

        btnSave = new QToolButton(ManagementShowIPInfo);
        btnSave->setObjectName(QStringLiteral("btnSave"));
        btnSave->setGeometry(QRect(95, 147, 80, 22));
        btnSave->setFont(font);
        btnSave->setCursor(Qt::PointingHandCursor);
        btnSave->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/frameLayout/btn_text_b_normal.png);border:none;"
                           "font-family:Arial;color:#ffffff;}\n"
                           "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_text_b_hover.png);}\n"
                           "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_text_b_pressed.png);}"));

        widgetInfo = new QWidget(ManagementShowIPInfo);
        widgetInfo->setObjectName(QStringLiteral("widgetInfo"));
        widgetInfo->setGeometry(QRect(25, 20, 223, 100));
        gridLayout = new QGridLayout(widgetInfo);
        gridLayout->setObjectName(QStringLiteral("gridLayout"));
        gridLayout->setHorizontalSpacing(5);
        gridLayout->setVerticalSpacing(20);
        gridLayout->setContentsMargins(0, 0, 0, 0);

        const QString captionStyle = QStringLiteral("QLabel {\ncolor: #ffffff;\nfont-size:10pt; font-family:Arial;\n}");
        const QString valueStyle = QStringLiteral("color: #ffffff;\nfont-size:10pt; font-family:Arial;\n");
        auto makeLabel = [&](const char *name, const QString &style) {
            auto *label = new QLabel(widgetInfo);
            label->setObjectName(QLatin1String(name));
            label->setFont(font);
            label->setStyleSheet(style);
            return label;
        };
        lbIPAddress = makeLabel("lbIPAddress", captionStyle);
        lbIPAddressInput = makeLabel("lbIPAddressInput", valueStyle);
        lbSubnetMask = makeLabel("lbSubnetMask", captionStyle);
        lbSubnetMaskInput = makeLabel("lbSubnetMaskInput", valueStyle);
        lbGateWay = makeLabel("lbGateWay", captionStyle);
        lbGateWayInput = makeLabel("lbGateWayInput", valueStyle);
        gridLayout->addWidget(lbIPAddress, 0, 0);
        gridLayout->addWidget(lbIPAddressInput, 0, 1);
        gridLayout->addWidget(lbSubnetMask, 1, 0);
        gridLayout->addWidget(lbSubnetMaskInput, 1, 1);
        gridLayout->addWidget(lbGateWay, 2, 0);
        gridLayout->addWidget(lbGateWayInput, 2, 1);
        gridLayout->setColumnStretch(1, 1);

        retranslateUi(ManagementShowIPInfo);
        QMetaObject::connectSlotsByName(ManagementShowIPInfo);
    }

    void retranslateUi(QDialog *ManagementShowIPInfo)
    {
        ManagementShowIPInfo->setWindowTitle(QCoreApplication::translate("ManagementShowIPInfo", "Dialog"));
        btnSave->setText(QCoreApplication::translate("ManagementShowIPInfo", "OK"));
        lbIPAddress->setText(QCoreApplication::translate("ManagementShowIPInfo", "IP Address:"));
        lbIPAddress->setToolTip(QCoreApplication::translate("ManagementShowIPInfo", "IP Address:"));
        lbSubnetMask->setText(QCoreApplication::translate("ManagementShowIPInfo", "Subnet mask:"));
        lbSubnetMask->setToolTip(QCoreApplication::translate("ManagementShowIPInfo", "Subnet mask:"));
        lbGateWay->setText(QCoreApplication::translate("ManagementShowIPInfo", "Gateway:"));
        lbGateWay->setToolTip(QCoreApplication::translate("ManagementShowIPInfo", "Gateway:"));
        lbIPAddressInput->setText(QStringLiteral("100.200.168.1"));
        lbSubnetMaskInput->setText(QStringLiteral("255.255.255.255"));
        lbGateWayInput->setText(QStringLiteral("255.255.255.255"));
    }
};
