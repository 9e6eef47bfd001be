#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>

#include "shell/kit/KitForm.h"

class Ui_Settings
{
public:
    QStackedWidget *stackedWidgetSettings;
    QComboBox *cbDeviceType;
    QToolButton *btnUserAccounts;
    QToolButton *btnDevices;
    QWidget *widget;

    void setupUi(QFrame *Settings)
    {
        if (Settings->objectName().isEmpty())
            Settings->setObjectName(QStringLiteral("Settings"));
        Settings->resize(940, 641);
        Settings->setStyleSheet(QStringLiteral("QFrame#Settings{background-color: #3f3f3f;}"));

        stackedWidgetSettings = new QStackedWidget(Settings);
        stackedWidgetSettings->setObjectName(QStringLiteral("stackedWidgetSettings"));
        stackedWidgetSettings->setGeometry(QRect(25, 62, 888, 559));
        stackedWidgetSettings->setStyleSheet(QStringLiteral(
            "QStackedWidget#stackedWidgetSettings{background-color: #666666;border: 1px solid #1a1a1a;}"));

        cbDeviceType = new QComboBox(Settings);
        cbDeviceType->setObjectName(QStringLiteral("cbDeviceType"));
        cbDeviceType->setGeometry(QRect(25, 20, 180, 22));
        cbDeviceType->setMaxVisibleItems(2);
        cbDeviceType->setCursor(Qt::PointingHandCursor);
        cbDeviceType->setStyleSheet(
            QStringLiteral(
                "QComboBox{color: #edd994;background-color: #3f3f3f;border: 1px solid #ffffff;border-radius: 5px;"
                "font-family:Arial;font-size:10pt;padding-left:10px;}"
                "QComboBox::drop-down{border:none;width:22px;}"
                "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}") +
            comboListStyleSheet());

        btnUserAccounts = new QToolButton(Settings);
        btnUserAccounts->setObjectName(QStringLiteral("btnUserAccounts"));
        btnUserAccounts->setGeometry(QRect(129, 63, 100, 40));
        btnUserAccounts->setCursor(Qt::PointingHandCursor);
        btnUserAccounts->setFont(arial10());

        btnDevices = new QToolButton(Settings);
        btnDevices->setObjectName(QStringLiteral("btnDevices"));
        btnDevices->setGeometry(QRect(26, 63, 100, 40));
        btnDevices->setCursor(Qt::PointingHandCursor);
        btnDevices->setFont(arial10());

        widget = new QWidget(Settings);
        widget->setObjectName(QStringLiteral("widget"));
        widget->setGeometry(QRect(127, 79, 2, 14));
        widget->setAttribute(Qt::WA_StyledBackground, true);
        widget->setStyleSheet(QStringLiteral(
            "QWidget#widget{border-image: url(:/resource/accountMgt/separation_line_data.png);border:none;}"));

        // The tab buttons and their separator sit on the page stack's upper edge.
        stackedWidgetSettings->raise();
        cbDeviceType->raise();
        btnUserAccounts->raise();
        btnDevices->raise();
        widget->raise();

        retranslateUi(Settings);
    }

    void retranslateUi(QFrame *Settings)
    {
        Q_UNUSED(Settings)
        btnDevices->setText(QCoreApplication::translate("Settings", "Devices"));
        btnUserAccounts->setText(QCoreApplication::translate("Settings", "User Accounts"));
    }

private:
    static QFont arial10()
    {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(10);
        return font;
    }
};
