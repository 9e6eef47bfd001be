#pragma once

#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMetaObject>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableView>
#include <QWidget>

#include "accounts/AccountsForm.h"
#include "shell/kit/FormStyle.h"

/// The User Accounts tab. Geometry is given unscaled for the Settings page's 888 × 559 area.
/// The table's own headers are hidden: the header row is the row of labels above it, laid out
/// by the page from the column widths.
class Ui_AccountOverview
{
public:
    QPushButton *btnAddUser;
    QPushButton *btnSyncNow;
    QPushButton *btnSystemSettings;
    QPushButton *btnImportList;
    QStackedWidget *stackedWidgetTables;
    QWidget *pageMultiUser;
    QLabel *label;
    QLabel *labelLine_2;
    QLabel *headerLeftBorder;
    QLabel *headerRightBorder;
    QLabel *deviceControlHeaderUserName;
    QLabel *deviceControlHeaderPassword;
    QLabel *deviceControlHeaderBindCard;
    QLabel *deviceControlHeaderUserSettings;
    QLabel *deviceControlHeaderSeparation;
    QLabel *deviceControlHeaderIfpAccess;
    QLabel *deviceControlHeaderSelect;
    QLabel *deviceControlHeaderStatus;
    QTableView *tableWidget;
    QWidget *guideWidgetMultiUser;
    QLabel *label_6;
    QLabel *label_4;
    QLabel *label_5;

    void setupUi(QFrame *AccountOverview)
    {
        if (AccountOverview->objectName().isEmpty())
            AccountOverview->setObjectName(QStringLiteral("AccountOverview"));
        AccountOverview->resize(888, 559);
        AccountOverview->setStyleSheet(QStringLiteral("QFrame#AccountOverview{background-color: #666666;}"));

        btnAddUser = FormStyle::button(AccountOverview, "btnAddUser", QRect(20, 52, 132, 30), true);
        btnAddUser->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_add.png")));
        btnSyncNow = FormStyle::button(AccountOverview, "btnSyncNow", QRect(160, 52, 132, 30), true);
        btnSyncNow->setIcon(QIcon(QStringLiteral(":/resource/accountMgt/icon_sync.png")));
        btnSystemSettings = FormStyle::button(AccountOverview, "btnSystemSettings", QRect(590, 52, 150, 30), false);
        btnSystemSettings->setIcon(QIcon(QStringLiteral(":/resource/accountMgt/icon_system_settings.png")));
        btnImportList = FormStyle::button(AccountOverview, "btnImportList", QRect(748, 52, 120, 30), false);
        btnImportList->setIcon(QIcon(QStringLiteral(":/resource/mangement/icon_import.png")));

        stackedWidgetTables = new QStackedWidget(AccountOverview);
        stackedWidgetTables->setObjectName(QStringLiteral("stackedWidgetTables"));
        stackedWidgetTables->setGeometry(QRect(20, 92, 848, 447));
        pageMultiUser = new QWidget();
        pageMultiUser->setObjectName(QStringLiteral("pageMultiUser"));
        stackedWidgetTables->addWidget(pageMultiUser);

        const auto strip = [&](const char *name, const QRect &geometry, const char *colour) {
            auto *line = new QLabel(pageMultiUser);
            line->setObjectName(QLatin1String(name));
            line->setGeometry(geometry);
            line->setStyleSheet(QStringLiteral("background-color: %1;").arg(QLatin1String(colour)));
            return line;
        };
        label = strip("label", QRect(0, 0, 848, 32), "#3a3a3a");
        labelLine_2 = strip("labelLine_2", QRect(0, 32, 848, 1), "#1a1a1a");
        headerLeftBorder = strip("headerLeftBorder", QRect(0, 0, 1, 33), "#1a1a1a");
        headerRightBorder = strip("headerRightBorder", QRect(847, 0, 1, 33), "#1a1a1a");

        const auto header = [&](const char *name, Qt::Alignment alignment) {
            auto *caption = new QLabel(pageMultiUser);
            caption->setObjectName(QLatin1String(name));
            caption->setAlignment(alignment | Qt::AlignVCenter);
            caption->setStyleSheet(
                QStringLiteral("QLabel{color: #edd994;font-size:10pt; font-family:Arial;background: transparent;"
                               "padding-left: 4px;padding-right: 4px;}"));
            return caption;
        };
        deviceControlHeaderUserName = header("deviceControlHeaderUserName", Qt::AlignLeading);
        deviceControlHeaderPassword = header("deviceControlHeaderPassword", Qt::AlignHCenter);
        deviceControlHeaderBindCard = header("deviceControlHeaderBindCard", Qt::AlignHCenter);
        deviceControlHeaderUserSettings = header("deviceControlHeaderUserSettings", Qt::AlignHCenter);
        deviceControlHeaderSeparation = header("deviceControlHeaderSeparation", Qt::AlignHCenter);
        deviceControlHeaderIfpAccess = header("deviceControlHeaderIfpAccess", Qt::AlignLeading);
        deviceControlHeaderSelect = header("deviceControlHeaderSelect", Qt::AlignHCenter);
        deviceControlHeaderStatus = header("deviceControlHeaderStatus", Qt::AlignHCenter);
        deviceControlHeaderUserName->setStyleSheet(deviceControlHeaderUserName->styleSheet() +
                                                   QStringLiteral("QLabel{padding-left: 14px;}"));
        deviceControlHeaderIfpAccess->setStyleSheet(deviceControlHeaderIfpAccess->styleSheet() +
                                                    QStringLiteral("QLabel{padding-left: 14px;}"));

        tableWidget = new QTableView(pageMultiUser);
        tableWidget->setObjectName(QStringLiteral("tableWidget"));
        tableWidget->setGeometry(QRect(0, 33, 848, 414));
        AccountsForm::headerlessTable(tableWidget, QString());
        tableWidget->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        tableWidget->setMouseTracking(true);

        guideWidgetMultiUser = new QWidget(pageMultiUser);
        guideWidgetMultiUser->setObjectName(QStringLiteral("guideWidgetMultiUser"));
        guideWidgetMultiUser->setGeometry(QRect(0, 33, 848, 414));
        label_6 = new QLabel(guideWidgetMultiUser);
        label_6->setObjectName(QStringLiteral("label_6"));
        label_6->setGeometry(QRect(344, 56, 160, 120));
        label_6->setPixmap(QPixmap(QStringLiteral(":/resource/accountMgt/pic_guide_panel.png")));
        label_6->setScaledContents(true);
        label_4 = FormStyle::caption(guideWidgetMultiUser, "label_4", QRect(74, 192, 700, 32));
        label_4->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:14pt; font-family:Arial;"));
        label_4->setAlignment(Qt::AlignCenter);
        label_5 = FormStyle::caption(guideWidgetMultiUser, "label_5", QRect(74, 230, 700, 48));
        label_5->setStyleSheet(QStringLiteral("color: #d9d9d9;\nfont-size:10pt; font-family:Arial;"));
        label_5->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label_5->setWordWrap(true);
        label_5->setTextFormat(Qt::RichText);

        retranslateUi(AccountOverview);
        QMetaObject::connectSlotsByName(AccountOverview);
    }

    void retranslateUi(QFrame *AccountOverview)
    {
        Q_UNUSED(AccountOverview)
        btnAddUser->setText(QCoreApplication::translate("AccountOverview", "Add User"));
        btnImportList->setText(QCoreApplication::translate("AccountOverview", "Import List"));
        btnSystemSettings->setText(QCoreApplication::translate("AccountOverview", "System Settings"));
        btnSyncNow->setText(QCoreApplication::translate("AccountOverview", "Sync Now"));
        const auto caption = [](QLabel *header, const char *text) {
            header->setText(QCoreApplication::translate("AccountOverview", text));
            header->setToolTip(QCoreApplication::translate("AccountOverview", text));
        };
        caption(deviceControlHeaderUserName, QT_TRANSLATE_NOOP("AccountOverview", "User Name"));
        caption(deviceControlHeaderPassword, QT_TRANSLATE_NOOP("AccountOverview", "Password"));
        caption(deviceControlHeaderBindCard, QT_TRANSLATE_NOOP("AccountOverview", "Bind Card"));
        caption(deviceControlHeaderUserSettings, QT_TRANSLATE_NOOP("AccountOverview", "User Settings"));
        caption(deviceControlHeaderIfpAccess, QT_TRANSLATE_NOOP("AccountOverview", "IFP Access"));
        caption(deviceControlHeaderSelect, QT_TRANSLATE_NOOP("AccountOverview", "Select Device"));
        caption(deviceControlHeaderStatus, QT_TRANSLATE_NOOP("AccountOverview", "Status"));
        label_4->setText(QCoreApplication::translate("AccountOverview", "Add user and set your IFP"));
        label_5->setText(QCoreApplication::translate(
            "AccountOverview",
            "<p style=\"font-size:10pt;\">Click \"<span style=\"font-size:11pt; font-weight:600;\">Add User</span>\" "
            "to add user account and Click \"<span style=\"font-size:11pt; font-weight:600;\">Select device</span>\" "
            "to assign IFP to user.</p>"));
    }
};
