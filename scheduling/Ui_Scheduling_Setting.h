#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QStackedWidget>

#include "shell/kit/FormStyle.h"

/// The schedule setting dialog: one stack of pages filling the 874 × 571 dialog.
class Ui_Scheduling_Setting
{
public:
    QStackedWidget *scheduleStackedWidget;

    void setupUi(QDialog *Scheduling_Setting)
    {
        if (Scheduling_Setting->objectName().isEmpty())
            Scheduling_Setting->setObjectName(QStringLiteral("Scheduling_Setting"));
        Scheduling_Setting->resize(874, 571);
        Scheduling_Setting->setModal(true);
        Scheduling_Setting->setStyleSheet(QStringLiteral("QDialog#Scheduling_Setting{background-color: #404040;}\n") +
                                          FormStyle::scrollBarStyle());
        scheduleStackedWidget = new QStackedWidget(Scheduling_Setting);
        scheduleStackedWidget->setObjectName(QStringLiteral("scheduleStackedWidget"));
        scheduleStackedWidget->setGeometry(QRect(0, 0, 874, 571));
        retranslateUi(Scheduling_Setting);
    }

    void retranslateUi(QDialog *Scheduling_Setting)
    {
        Scheduling_Setting->setWindowTitle(QCoreApplication::translate("Scheduling_Setting", "Dialog"));
    }
};
