#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QWidget>

/// The broadcast editor, 874 × 571 at scale 1.0: the two step titles in a band across the top, the steps below.
class Ui_BroadcastSetting
{
public:
    QFrame *frameTitle;
    QWidget *widgetTitleText;
    QHBoxLayout *titleLayout;
    QLabel *labelSelect;
    QLabel *labelEdit;
    QStackedWidget *stackedWidgetBroadcastSetting;

    void setupUi(QDialog *BroadcastSetting)
    {
        if (BroadcastSetting->objectName().isEmpty())
            BroadcastSetting->setObjectName(QStringLiteral("BroadcastSetting"));
        BroadcastSetting->resize(874, 571);
        BroadcastSetting->setStyleSheet(QStringLiteral("QDialog#BroadcastSetting{background-color: #404040;}"));
        frameTitle = new QFrame(BroadcastSetting);
        frameTitle->setObjectName(QStringLiteral("frameTitle"));
        frameTitle->setGeometry(QRect(0, 0, 874, 32));
        widgetTitleText = new QWidget(frameTitle);
        widgetTitleText->setObjectName(QStringLiteral("widgetTitleText"));
        widgetTitleText->setGeometry(QRect(283, 5, 308, 21));
        titleLayout = new QHBoxLayout(widgetTitleText);
        titleLayout->setContentsMargins(0, 0, 0, 0);
        titleLayout->setSpacing(0);
        QFont font;
        font.setFamily(QStringLiteral("Arial"));
        font.setPointSize(10);
        labelSelect = new QLabel(widgetTitleText);
        labelSelect->setObjectName(QStringLiteral("labelSelect"));
        labelSelect->setFont(font);
        labelSelect->setAlignment(Qt::AlignCenter);
        labelEdit = new QLabel(widgetTitleText);
        labelEdit->setObjectName(QStringLiteral("labelEdit"));
        labelEdit->setFont(font);
        labelEdit->setAlignment(Qt::AlignCenter);
        titleLayout->addWidget(labelSelect, 154);
        titleLayout->addWidget(labelEdit, 154);
        stackedWidgetBroadcastSetting = new QStackedWidget(BroadcastSetting);
        stackedWidgetBroadcastSetting->setObjectName(QStringLiteral("stackedWidgetBroadcastSetting"));
        stackedWidgetBroadcastSetting->setGeometry(QRect(0, 32, 874, 541));
        retranslateUi(BroadcastSetting);
    }

    void retranslateUi(QDialog *BroadcastSetting)
    {
        Q_UNUSED(BroadcastSetting)
        labelSelect->setText(QCoreApplication::translate("BroadcastSetting", "Select Devices & Date"));
        labelSelect->setToolTip(labelSelect->text());
        labelEdit->setText(QCoreApplication::translate("BroadcastSetting", "Edit Content"));
        labelEdit->setToolTip(labelEdit->text());
    }
};
