#pragma once

#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTableWidget>

#include "accounts/AccountsForm.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

class Ui_AppPermissionDialog
{
public:
    QFrame *frameContent;
    QLabel *labelCaption;
    QTableWidget *tableApps;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    void setupUi(QFrame *AppPermissionDialog)
    {
        if (AppPermissionDialog->objectName().isEmpty())
            AppPermissionDialog->setObjectName(QStringLiteral("AppPermissionDialog"));
        AppPermissionDialog->resize(420, 508);

        frameContent = createContentFrame(AppPermissionDialog, QRect(0, 0, 420, 508));

        // The first line labels the install switch at its right end; the last heads the app list.
        labelCaption = FormStyle::caption(frameContent, "labelCaption", QRect(25, 16, 300, 64));
        labelCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);

        tableApps = new QTableWidget(frameContent);
        tableApps->setObjectName(QStringLiteral("tableApps"));
        tableApps->setGeometry(QRect(25, 84, 370, 362));
        AccountsForm::headerlessTable(tableApps, QStringLiteral("QTableView{border-top: 1px solid #1a1a1a;}"));
        tableApps->horizontalHeader()->setStretchLastSection(true);

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(205, 462, 90, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(305, 462, 90, 28), true);

        retranslateUi(AppPermissionDialog);
        QMetaObject::connectSlotsByName(AppPermissionDialog);
    }

    void retranslateUi(QFrame *AppPermissionDialog)
    {
        Q_UNUSED(AppPermissionDialog)
        labelCaption->setText(QCoreApplication::translate("AppPermissionDialog",
                                                          "Permissions of install apps:\n\nApp & content access:"));
        btnCancel->setText(QCoreApplication::translate("AppPermissionDialog", "Cancel"));
        btnSave->setText(QCoreApplication::translate("AppPermissionDialog", "Save"));
    }
};
