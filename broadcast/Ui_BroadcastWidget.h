#pragma once

#include "broadcast/BroadcastForm.h"
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

/// One row of the Broadcast page's tables, 888 × 72 at scale 1.0: the accent bar, the content line, the time, the
/// targets and the failed count below it, the audio preview and the row menu buttons at the right.
class Ui_BroadcastWidget
{
public:
    QLabel *label_bar;
    QLabel *labelContent;
    QLabel *labelTime;
    QLabel *labelTarget;
    QLabel *labelFailedCount;
    QToolButton *btnAudio;
    QToolButton *btnSetting;

    void setupUi(QWidget *BroadcastWidget)
    {
        if (BroadcastWidget->objectName().isEmpty())
            BroadcastWidget->setObjectName(QStringLiteral("BroadcastWidget"));
        BroadcastWidget->resize(888, 72);
        BroadcastWidget->setAttribute(Qt::WA_StyledBackground, true);
        BroadcastWidget->setStyleSheet(QStringLiteral("QWidget#BroadcastWidget{background-color: transparent;}"));

        label_bar = new QLabel(BroadcastWidget);
        label_bar->setObjectName(QStringLiteral("label_bar"));
        label_bar->setGeometry(QRect(0, 0, 11, 72));
        label_bar->setStyleSheet(QStringLiteral("border-image: url(:/resource/broadcast/bar_11x72.png);"));

        labelContent = new QLabel(BroadcastWidget);
        labelContent->setObjectName(QStringLiteral("labelContent"));
        labelContent->setGeometry(QRect(21, 10, 739, 30));
        labelContent->setFont(arialFont(11));
        labelContent->setStyleSheet(
            QStringLiteral("background-color: #f3f3f3;color: #000000;padding-left: 10px;font-size:11pt;"));

        labelTime = new QLabel(BroadcastWidget);
        labelTime->setObjectName(QStringLiteral("labelTime"));
        labelTime->setGeometry(QRect(21, 40, 399, 22));
        labelTime->setFont(arialFont(10));
        labelTime->setStyleSheet(QStringLiteral("color: #ffffff;padding-left: 10px;font-size:10pt;"));

        labelTarget = new QLabel(BroadcastWidget);
        labelTarget->setObjectName(QStringLiteral("labelTarget"));
        labelTarget->setGeometry(QRect(420, 40, 210, 22));
        labelTarget->setFont(arialFont(10));
        labelTarget->setStyleSheet(QStringLiteral("background-color: #505050;color: #ffffff;padding-left: 10px;"
                                                  "font-size:10pt;"));

        labelFailedCount = new QLabel(BroadcastWidget);
        labelFailedCount->setObjectName(QStringLiteral("labelFailedCount"));
        labelFailedCount->setGeometry(QRect(630, 40, 130, 22));
        labelFailedCount->setFont(arialFont(10));
        labelFailedCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labelFailedCount->setStyleSheet(QStringLiteral("background-color: #505050;color: #ff7e7e;padding-right: 10px;"
                                                       "font-size:10pt;"));

        btnAudio = new QToolButton(BroadcastWidget);
        btnAudio->setObjectName(QStringLiteral("btnAudio"));
        btnAudio->setGeometry(QRect(775, 10, 23, 30));
        btnAudio->setCursor(Qt::PointingHandCursor);

        btnSetting = new QToolButton(BroadcastWidget);
        btnSetting->setObjectName(QStringLiteral("btnSetting"));
        btnSetting->setGeometry(QRect(824, 21, 30, 30));
        btnSetting->setCursor(Qt::PointingHandCursor);
        btnSetting->setStyleSheet(QStringLiteral(
            "QToolButton{border-image: url(:/resource/scheduling/btn_more_normal.png);border: none;}"
            "QToolButton:hover{border-image: url(:/resource/scheduling/btn_more_hover.png);}"
            "QToolButton:pressed, QToolButton:checked{border-image: url(:/resource/scheduling/btn_more_pressed.png);}"
            "QToolButton:disabled{border-image: url(:/resource/scheduling/btn_more_disabled.png);}"
            "QToolButton::menu-indicator{image: none;width: 0px;}"));

        retranslateUi(BroadcastWidget);
    }

    void retranslateUi(QWidget *BroadcastWidget)
    {
        Q_UNUSED(BroadcastWidget)
        labelContent->setText(QCoreApplication::translate("BroadcastWidget", "Broadcast content"));
        labelTime->setText(QCoreApplication::translate("BroadcastWidget", "week. yyyy-MM-dd at hh:mm"));
        labelTarget->setText(QCoreApplication::translate("BroadcastWidget", "To: [device name]"));
        labelFailedCount->setText(QCoreApplication::translate("BroadcastWidget", "xxxx Failed"));
    }
};
