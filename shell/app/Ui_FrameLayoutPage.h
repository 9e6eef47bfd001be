#pragma once

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QWidget>

#include "shell/kit/MainButtonFrame.h"

class Ui_FrameLayoutPage
{
public:
    QFrame *FrameTop;
    MainButtonFrame *Frame_ConnectedList;
    QToolButton *iconDeviceControl;
    QLabel *Lb_ConnectedList;
    MainButtonFrame *Frame_Management;
    QToolButton *iconManagement;
    QLabel *Lb_Management;
    MainButtonFrame *Frame_Scheduling;
    QToolButton *iconScheduling;
    QLabel *Lb_Scheduling;
    MainButtonFrame *Frame_Broadcast;
    QToolButton *iconBroadcast;
    QLabel *Lb_Broadcast;
    QToolButton *btnInfo;
    QToolButton *otaNotificationTopSetupBtn;
    QStackedWidget *stackedWidget;
    QWidget *page;
    QWidget *page_2;
    QWidget *otaNotificationWidget;
    QLabel *otaNotificationTitleLabel;
    QLabel *otaNotificationMessageLabel;
    QToolButton *otaNotificationSkipBtn;
    QToolButton *otaNotificationRemindBtn;
    QToolButton *otaNotificationSetupBtn;
    QWidget *sosBackground;

    void setupUi(QWidget *FrameLayoutPage)
    {
        if (FrameLayoutPage->objectName().isEmpty())
            FrameLayoutPage->setObjectName(QStringLiteral("FrameLayoutPage"));
        FrameLayoutPage->resize(940, 705);
        FrameLayoutPage->setStyleSheet(QStringLiteral("QWidget#FrameLayoutPage{border:none;}"));

        FrameTop = new QFrame(FrameLayoutPage);
        FrameTop->setObjectName(QStringLiteral("FrameTop"));
        FrameTop->setGeometry(QRect(0, 0, 940, 64));
        FrameTop->setStyleSheet(
            QStringLiteral("QFrame#FrameTop{border-image: url(:/resource/frameLayout/bg_main_menu.png);border:none;}"));

        Frame_ConnectedList = entry(FrameTop, "Frame_ConnectedList", QRect(0, 0, 181, 64), &iconDeviceControl,
                                    "iconDeviceControl", &Lb_ConnectedList, "Lb_ConnectedList");
        Frame_Management = entry(FrameTop, "Frame_Management", QRect(181, 0, 134, 64), &iconManagement,
                                 "iconManagement", &Lb_Management, "Lb_Management");
        Frame_Scheduling = entry(FrameTop, "Frame_Scheduling", QRect(315, 0, 181, 64), &iconScheduling,
                                 "iconScheduling", &Lb_Scheduling, "Lb_Scheduling");
        Frame_Broadcast = entry(FrameTop, "Frame_Broadcast", QRect(496, 0, 153, 64), &iconBroadcast, "iconBroadcast",
                                &Lb_Broadcast, "Lb_Broadcast");

        btnInfo = new QToolButton(FrameTop);
        btnInfo->setObjectName(QStringLiteral("btnInfo"));
        btnInfo->setGeometry(QRect(783, 0, 30, 64));
        btnInfo->setCursor(Qt::PointingHandCursor);
        btnInfo->setStyleSheet(QStringLiteral(
            "QToolButton{border-image: url(:/resource/frameLayout/btn_user_info_normal.png);border:none;}"
            "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_user_info_hover.png);}"
            "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_user_info_selected.png);}"
            "QToolButton:disabled{border-image: url(:/resource/frameLayout/btn_user_info_disabled.png);}"));

        otaNotificationTopSetupBtn = new QToolButton(FrameTop);
        otaNotificationTopSetupBtn->setObjectName(QStringLiteral("otaNotificationTopSetupBtn"));
        otaNotificationTopSetupBtn->setGeometry(QRect(315, 0, 190, 19));
        otaNotificationTopSetupBtn->setCursor(Qt::PointingHandCursor);
        otaNotificationTopSetupBtn->setStyleSheet(QStringLiteral(
            "QToolButton{color: #ffffff;font-family:Arial;font-size:8.75pt;padding-left:40px;text-align:left;"
            "border-image: url(:/resource/frameLayout/btn_update_normal.png);border:none;}"
            "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_update_hover.png);}"
            "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_update_pressed.png);}"));
        otaNotificationTopSetupBtn->raise();

        stackedWidget = new QStackedWidget(FrameLayoutPage);
        stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
        stackedWidget->setGeometry(QRect(0, 64, 940, 641));
        stackedWidget->setStyleSheet(
            QStringLiteral("QStackedWidget#stackedWidget{border:none;background-color: #3f3f3f;}"));
        page = new QWidget();
        page->setObjectName(QStringLiteral("page"));
        stackedWidget->addWidget(page);
        page_2 = new QWidget();
        page_2->setObjectName(QStringLiteral("page_2"));
        stackedWidget->addWidget(page_2);

        otaNotificationWidget = new QWidget(FrameLayoutPage);
        otaNotificationWidget->setObjectName(QStringLiteral("otaNotificationWidget"));
        otaNotificationWidget->setGeometry(QRect(5, 582, 599, 118));
        otaNotificationWidget->setAttribute(Qt::WA_StyledBackground, true);
        otaNotificationWidget->setStyleSheet(QStringLiteral(
            "QWidget#otaNotificationWidget{background-color: #ffffff;border: 1px solid #c8c8c8;border-radius: 4px;}"));

        otaNotificationTitleLabel = new QLabel(otaNotificationWidget);
        otaNotificationTitleLabel->setObjectName(QStringLiteral("otaNotificationTitleLabel"));
        otaNotificationTitleLabel->setGeometry(QRect(10, 10, 579, 24));
        otaNotificationTitleLabel->setStyleSheet(
            QStringLiteral("QLabel{color: #000000;font-family:Arial;font-size:11pt;font-weight:bold;}"));
        otaNotificationTitleLabel->setText(QStringLiteral("Update Available for [device model name] "));

        otaNotificationMessageLabel = new QLabel(otaNotificationWidget);
        otaNotificationMessageLabel->setObjectName(QStringLiteral("otaNotificationMessageLabel"));
        otaNotificationMessageLabel->setGeometry(QRect(10, 38, 579, 38));
        otaNotificationMessageLabel->setStyleSheet(
            QStringLiteral("QLabel{color: #000000;font-family:Arial;font-size:10pt;}"));
        otaNotificationMessageLabel->setAlignment(Qt::AlignLeading | Qt::AlignTop);
        otaNotificationMessageLabel->setWordWrap(true);

        const QString plainButton =
            QStringLiteral("QToolButton{color: #000000;font-family:Arial;font-size:10pt;"
                           "border-image: url(:/resource/frameLayout/btn_text_e_normal.PNG);border:none;}"
                           "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_text_e_hover.PNG);}"
                           "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_text_e_pressed.PNG);}"
                           "QToolButton:disabled{border-image: url(:/resource/frameLayout/btn_text_e_disabled.PNG);}");
        otaNotificationSkipBtn =
            barButton(otaNotificationWidget, "otaNotificationSkipBtn", QRect(10, 91, 170, 22), plainButton);
        otaNotificationRemindBtn =
            barButton(otaNotificationWidget, "otaNotificationRemindBtn", QRect(234, 91, 160, 22), plainButton);
        otaNotificationSetupBtn =
            barButton(otaNotificationWidget, "otaNotificationSetupBtn", QRect(404, 90, 185, 22),
                      QStringLiteral("QToolButton{color: #ffffff;font-family:Arial;font-size:10pt;"
                                     "border-image: url(:/resource/frameLayout/btn_text_e_point.PNG);border:none;}"
                                     "QToolButton:hover{color: #000000;"
                                     "border-image: url(:/resource/frameLayout/btn_text_e_hover.PNG);}"
                                     "QToolButton:pressed{color: #000000;"
                                     "border-image: url(:/resource/frameLayout/btn_text_e_pressed.PNG);}"));

        sosBackground = new QWidget(FrameLayoutPage);
        sosBackground->setObjectName(QStringLiteral("sosBackground"));
        sosBackground->setGeometry(QRect(0, 0, 940, 705));
        sosBackground->setAttribute(Qt::WA_StyledBackground, true);
        sosBackground->setStyleSheet(QStringLiteral(
            "QWidget#sosBackground{border-image: url(:/resource/mangement/red_circle.png);border:none;}"));

        retranslateUi(FrameLayoutPage);
    }

    void retranslateUi(QWidget *FrameLayoutPage)
    {
        Q_UNUSED(FrameLayoutPage)
        setEntryText(Lb_ConnectedList, QCoreApplication::translate("FrameLayoutPage", "Device Control"));
        setEntryText(Lb_Management, QCoreApplication::translate("FrameLayoutPage", "Settings"));
        setEntryText(Lb_Scheduling, QCoreApplication::translate("FrameLayoutPage", "Schedule Setup"));
        setEntryText(Lb_Broadcast, QCoreApplication::translate("FrameLayoutPage", "Broadcast"));
        otaNotificationTopSetupBtn->setText(
            QCoreApplication::translate("FrameLayoutPage", "Firmware Update Available"));
        otaNotificationTopSetupBtn->setToolTip(
            QCoreApplication::translate("FrameLayoutPage", "Firmware Update Available"));
        otaNotificationMessageLabel->setText(QCoreApplication::translate(
            "FrameLayoutPage",
            "A newer version of the firmware is available for Velk IFP, please update to the lastest firmware."));
        otaNotificationSkipBtn->setText(QCoreApplication::translate("FrameLayoutPage", "Skip This Version"));
        otaNotificationRemindBtn->setText(QCoreApplication::translate("FrameLayoutPage", "Remind Me Later"));
        otaNotificationSetupBtn->setText(QCoreApplication::translate("FrameLayoutPage", "Setup Update"));
        for (QToolButton *button : {iconDeviceControl, iconManagement, iconScheduling, iconBroadcast, btnInfo})
            button->setText(QString());
    }

private:
    static void setEntryText(QLabel *label, const QString &text)
    {
        label->setText(text);
        label->setToolTip(text);
    }

    static MainButtonFrame *entry(QWidget *parent, const char *name, const QRect &geometry, QToolButton **icon,
                                  const char *iconName, QLabel **label, const char *labelName)
    {
        auto *frame = new MainButtonFrame(parent);
        frame->setObjectName(QLatin1String(name));
        frame->setGeometry(geometry);
        frame->setCursor(Qt::PointingHandCursor);
        auto *layout = new QHBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
        *icon = new QToolButton(frame);
        (*icon)->setObjectName(QLatin1String(iconName));
        (*icon)->setFixedSize(26, 26);
        layout->addWidget(*icon);
        *label = new QLabel(frame);
        (*label)->setObjectName(QLatin1String(labelName));
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(12);
        (*label)->setFont(font);
        layout->addWidget(*label);
        layout->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
        return frame;
    }

    static QToolButton *barButton(QWidget *parent, const char *name, const QRect &geometry, const QString &style)
    {
        auto *button = new QToolButton(parent);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(style);
        return button;
    }
};
