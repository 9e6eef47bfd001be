#pragma once

#include "emergency/EmergencyForm.h"
#include "shell/kit/TextLabel.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

class Ui_ManagementAddCamera
{
public:
    QLabel *headerLeftBorder;
    QLabel *headerRightBorder;
    QLabel *lb_dummy;
    QLabel *lb_IPAddress;
    QLabel *lb_MacAddress;
    QLabel *lb_DeviceName;
    QTableWidget *tableWidget;
    QPushButton *btnRefresh;
    QWidget *layoutWidget;
    QHBoxLayout *horizontalLayout;
    TextLabel *lbState;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QDialog *ManagementAddCamera)
    {
        if (ManagementAddCamera->objectName().isEmpty())
            ManagementAddCamera->setObjectName(QStringLiteral("ManagementAddCamera"));
        ManagementAddCamera->resize(776, 380);
        ManagementAddCamera->setMinimumSize(QSize(776, 380));
        ManagementAddCamera->setStyleSheet(
            QStringLiteral("QDialog#ManagementAddCamera{\nbackground-color:#404040;\n}\n"));

        const QFont font = arialFont();

        auto makeStrip = [&](const char *name, const QRect &geometry) {
            auto *strip = new QLabel(ManagementAddCamera);
            strip->setObjectName(QLatin1String(name));
            strip->setGeometry(geometry);
            strip->setStyleSheet(QStringLiteral("background-color: #1a1a1a;"));
            return strip;
        };
        headerLeftBorder = makeStrip("headerLeftBorder", QRect(21, 25, 1, 25));
        headerRightBorder = makeStrip("headerRightBorder", QRect(753, 25, 1, 25));

        const QString headerStyle = QStringLiteral(
            "QLabel {\npadding-left:10px;\ntext-align:left;\nborder-image: "
            "url(:/resource/scheduling/im_table_title_s.png);\ncolor: #ffffff;\nborder: 0px;\nborder-bottom: 1px "
            "solid #1a1a1a;\nfont-family: arial;\nfont-size:10pt;\n}");
        auto makeHeader = [&](const char *name, const QRect &geometry) {
            auto *header = new QLabel(ManagementAddCamera);
            header->setObjectName(QLatin1String(name));
            header->setGeometry(geometry);
            header->setFont(font);
            header->setStyleSheet(headerStyle);
            return header;
        };
        lb_dummy = makeHeader("lb_dummy", QRect(22, 25, 40, 25));
        lb_IPAddress = makeHeader("lb_IPAddress", QRect(62, 25, 150, 25));
        lb_MacAddress = makeHeader("lb_MacAddress", QRect(212, 25, 180, 25));
        lb_DeviceName = makeHeader("lb_DeviceName", QRect(392, 25, 362, 25));

        tableWidget = new QTableWidget(ManagementAddCamera);
        tableWidget->setObjectName(QStringLiteral("tableWidget"));
        tableWidget->setGeometry(QRect(21, 50, 733, 242));
        tableWidget->setFont(font);
        tableWidget->setColumnCount(4);
        tableWidget->horizontalHeader()->setVisible(false);
        tableWidget->verticalHeader()->setVisible(false);
        tableWidget->setShowGrid(false);
        tableWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tableWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        tableWidget->setFrameShape(QFrame::NoFrame);
        tableWidget->setStyleSheet(
            QStringLiteral("QTableWidget{background-color: #666666;border: none;color: #ffffff;font-size:10pt;"
                           "font-family:Arial;}\n"
                           "QTableWidget::item{border-bottom: 1px solid #404040;padding-left:10px;}\n"
                           "QScrollBar:vertical{background: #555555;width: 10px;margin: 0px;}\n"
                           "QScrollBar::handle:vertical{background: #8c8c8c;border-radius: 4px;min-height: 20px;}\n"
                           "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height: 0px;}"));

        btnRefresh = new QPushButton(ManagementAddCamera);
        btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
        btnRefresh->setGeometry(QRect(716, 302, 25, 25));
        btnRefresh->setCursor(Qt::PointingHandCursor);
        btnRefresh->setStyleSheet(
            QStringLiteral("QPushButton{border-image: url(:/resource/mangement/btn_refresh_normal.png);border:none;}\n"
                           "QPushButton:hover{border-image: url(:/resource/mangement/btn_refresh_hover.png);}\n"
                           "QPushButton:pressed{border-image: url(:/resource/mangement/btn_refresh_pressed.png);}\n"
                           "QPushButton:disabled{border-image: url(:/resource/mangement/btn_refresh_disabled.png);}"));

        lbState = createBadgeRow(ManagementAddCamera, QRect(21, 304, 691, 38), QMargins(20, 0, 0, 0), &layoutWidget,
                                 &horizontalLayout);

        btnCancel = new QPushButton(ManagementAddCamera);
        makeLightButton(btnCancel, "btnCancel", QRect(271, 347, 115, 22), QStringLiteral("btn_text_b156"));
        btnSave = new QPushButton(ManagementAddCamera);
        makeLightButton(btnSave, "btnSave", QRect(401, 347, 115, 22), QStringLiteral("btn_text_b156"));

        retranslateUi(ManagementAddCamera);
    }

    void retranslateUi(QDialog *ManagementAddCamera)
    {
        ManagementAddCamera->setWindowTitle(QString());
        lb_IPAddress->setText(QCoreApplication::translate("ManagementAddCamera", "IP Address"));
        lb_IPAddress->setToolTip(QCoreApplication::translate("ManagementAddCamera", "IP Address"));
        lb_MacAddress->setText(QCoreApplication::translate("ManagementAddCamera", "Mac Address"));
        lb_MacAddress->setToolTip(QCoreApplication::translate("ManagementAddCamera", "Mac Address"));
        lb_DeviceName->setText(QCoreApplication::translate("ManagementAddCamera", "Device Name"));
        lb_DeviceName->setToolTip(QCoreApplication::translate("ManagementAddCamera", "Device Name"));
        btnCancel->setText(QCoreApplication::translate("ManagementAddCamera", "Cancel"));
        btnSave->setText(QCoreApplication::translate("ManagementAddCamera", "Save"));
    }
};
