#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QTableWidget>
#include <QToolButton>

#include "accounts/AccountsForm.h"
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

/// The synchronisation report of one user: three status buttons, a search box, a row of
/// clickable column headers and the table below them, whose own header is hidden.
class Ui_AccountReportDialog
{
public:
    QFrame *frameContent;
    QLabel *labelReportTitle;
    QToolButton *btnStatusAll;
    QToolButton *btnStatusSuccessfully;
    QToolButton *btnStatusFailed;
    QLineEdit *lineEditFilter;
    QLabel *headerStrip;
    ClickableLabel *reportHeaderPower;
    ClickableLabel *reportHeaderDevice;
    ClickableLabel *reportHeaderGroup;
    ClickableLabel *reportHeaderSyncStatus;
    ClickableLabel *reportHeaderTime;
    ClickableLabel *reportHeaderSync;
    QTableWidget *tableWidgetReport;
    QLabel *labelTotalInfo;

    void setupUi(QDialog *AccountReportDialog)
    {
        if (AccountReportDialog->objectName().isEmpty())
            AccountReportDialog->setObjectName(QStringLiteral("AccountReportDialog"));
        AccountReportDialog->resize(760, 520);
        frameContent = createContentFrame(AccountReportDialog, QRect(0, 0, 760, 520));

        labelReportTitle = FormStyle::caption(frameContent, "labelReportTitle", QRect(25, 14, 400, 28));
        labelReportTitle->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));
        const auto statusButton = [&](const char *name, int x, int width) {
            auto *button = new QToolButton(frameContent);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(QRect(x, 52, width, 30));
            button->setCursor(Qt::PointingHandCursor);
            return button;
        };
        btnStatusAll = statusButton("btnStatusAll", 25, 110);
        btnStatusSuccessfully = statusButton("btnStatusSuccessfully", 140, 160);
        btnStatusFailed = statusButton("btnStatusFailed", 305, 120);
        lineEditFilter = FormStyle::lineEdit(frameContent, "lineEditFilter", QRect(525, 53, 210, 28));
        lineEditFilter->addAction(QIcon(QStringLiteral(":/resource/mangement/icon_search.png")),
                                  QLineEdit::LeadingPosition);

        headerStrip = new QLabel(frameContent);
        headerStrip->setObjectName(QStringLiteral("headerStrip"));
        headerStrip->setGeometry(QRect(25, 92, 710, 32));
        headerStrip->setStyleSheet(QStringLiteral("background-color: #3a3a3a;border-bottom: 1px solid #1a1a1a;"));
        const auto header = [&](const char *name) {
            auto *label = new ClickableLabel(frameContent);
            label->setObjectName(QLatin1String(name));
            label->setCursor(Qt::PointingHandCursor);
            label->setStyleSheet(QStringLiteral("QLabel{color: #edd994;font-size:10pt; font-family:Arial;"
                                                "background: transparent;padding-left: 10px;}"));
            return label;
        };
        reportHeaderPower = header("reportHeaderPower");
        reportHeaderDevice = header("reportHeaderDevice");
        reportHeaderGroup = header("reportHeaderGroup");
        reportHeaderSyncStatus = header("reportHeaderSyncStatus");
        reportHeaderTime = header("reportHeaderTime");
        reportHeaderSync = header("reportHeaderSync");
        reportHeaderSync->setCursor(Qt::ArrowCursor);

        tableWidgetReport = new QTableWidget(frameContent);
        tableWidgetReport->setObjectName(QStringLiteral("tableWidgetReport"));
        tableWidgetReport->setGeometry(QRect(25, 124, 710, 340));
        AccountsForm::headerlessTable(tableWidgetReport,
                                      QStringLiteral("QTableView::item{padding: 0px;padding-left: 10px;}"));
        tableWidgetReport->horizontalHeader()->setStretchLastSection(true);

        labelTotalInfo = FormStyle::caption(frameContent, "labelTotalInfo", QRect(25, 476, 400, 28));
        labelTotalInfo->setStyleSheet(FormStyle::hintStyle());

        retranslateUi(AccountReportDialog);
        QMetaObject::connectSlotsByName(AccountReportDialog);
    }

    void retranslateUi(QDialog *AccountReportDialog)
    {
        Q_UNUSED(AccountReportDialog)
        labelReportTitle->setText(QCoreApplication::translate("AccountReportDialog", "Sync Status"));
        lineEditFilter->setPlaceholderText(QCoreApplication::translate("AccountReportDialog", "Search"));
        const auto caption = [](QLabel *label, const char *text) {
            label->setText(QCoreApplication::translate("AccountReportDialog", text));
            label->setToolTip(QCoreApplication::translate("AccountReportDialog", text));
        };
        caption(reportHeaderPower, QT_TRANSLATE_NOOP("AccountReportDialog", "Power"));
        caption(reportHeaderDevice, QT_TRANSLATE_NOOP("AccountReportDialog", "Device"));
        caption(reportHeaderGroup, QT_TRANSLATE_NOOP("AccountReportDialog", "Group"));
        caption(reportHeaderSyncStatus, QT_TRANSLATE_NOOP("AccountReportDialog", "Sync Status"));
        caption(reportHeaderTime, QT_TRANSLATE_NOOP("AccountReportDialog", "Time"));
    }
};
