#pragma once

#include "broadcast/BroadcastForm.h"
#include "shell/kit/ClickableLabel.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

/// The report of one broadcast, 874 × 571 at scale 1.0: a title band, three status filters with their counts, a
/// search field, four clickable column headers above the table and the device count below it.
class Ui_BroadcastReportDialog
{
public:
    QLabel *labelReportTitleBg;
    QLabel *labelReportTitle;
    QToolButton *btnStatusAll;
    QToolButton *btnStatusSuccessfully;
    QToolButton *btnStatusFailed;
    QLabel *labelLine;
    QLabel *labelLine_2;
    QLineEdit *lineEditFilter;
    ClickableLabel *reportHeaderDevice;
    ClickableLabel *reportHeaderGroup;
    ClickableLabel *reportHeaderStatus;
    ClickableLabel *reportHeaderNotes;
    QLabel *reportHeaderLeftBorder;
    QLabel *reportHeaderRightBorder;
    QTableWidget *tableWidgetReport;
    QLabel *labelTotalInfo;

    void setupUi(QDialog *BroadcastReportDialog)
    {
        if (BroadcastReportDialog->objectName().isEmpty())
            BroadcastReportDialog->setObjectName(QStringLiteral("BroadcastReportDialog"));
        BroadcastReportDialog->resize(874, 571);
        BroadcastReportDialog->setStyleSheet(
            QStringLiteral("QDialog#BroadcastReportDialog{background-color: #404040;}"));

        labelReportTitleBg = new QLabel(BroadcastReportDialog);
        labelReportTitleBg->setObjectName(QStringLiteral("labelReportTitleBg"));
        labelReportTitleBg->setGeometry(QRect(0, 0, 874, 32));
        labelReportTitleBg->setStyleSheet(
            QStringLiteral("border-image: url(:/resource/scheduling/im_title_schedule.png);"));

        labelReportTitle = new QLabel(BroadcastReportDialog);
        labelReportTitle->setObjectName(QStringLiteral("labelReportTitle"));
        labelReportTitle->setGeometry(QRect(25, 0, 220, 32));
        labelReportTitle->setFont(arialFont(11, true));
        labelReportTitle->setStyleSheet(QStringLiteral("color: #1db5ff;font-size:11pt;font-weight: bold;"));

        auto statusButton = [&](const char *name, const QRect &geometry) {
            auto *button = new QToolButton(BroadcastReportDialog);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(geometry);
            button->setFont(arialFont(10));
            button->setCursor(Qt::PointingHandCursor);
            button->setStyleSheet(QStringLiteral("QToolButton {color: #ffffff;border: none; }"));
            return button;
        };
        btnStatusAll = statusButton("btnStatusAll", QRect(25, 55, 65, 30));
        btnStatusSuccessfully = statusButton("btnStatusSuccessfully", QRect(92, 55, 150, 30));
        btnStatusFailed = statusButton("btnStatusFailed", QRect(244, 55, 135, 30));

        auto separator = [&](const char *name, const QRect &geometry) {
            auto *label = new QLabel(BroadcastReportDialog);
            label->setObjectName(QLatin1String(name));
            label->setGeometry(geometry);
            label->setStyleSheet(QStringLiteral("background-color: #666666;"));
            return label;
        };
        labelLine = separator("labelLine", QRect(90, 62, 1, 16));
        labelLine_2 = separator("labelLine_2", QRect(242, 62, 1, 16));

        lineEditFilter = new QLineEdit(BroadcastReportDialog);
        lineEditFilter->setObjectName(QStringLiteral("lineEditFilter"));
        lineEditFilter->setGeometry(QRect(649, 60, 200, 22));
        lineEditFilter->setFont(arialFont(10));
        lineEditFilter->setStyleSheet(QStringLiteral("QLineEdit{background-color: #3f3f3f;color: #ffffff;"
                                                     "border: 1px solid #ffffff;border-radius: 5px;font-size:10pt;}"));

        auto header = [&](const char *name, int x, int width) {
            auto *label = new ClickableLabel(BroadcastReportDialog);
            label->setObjectName(QLatin1String(name));
            label->setGeometry(QRect(x, 100, width, 25));
            label->setFont(arialFont(10));
            label->setCursor(Qt::PointingHandCursor);
            label->setStyleSheet(QStringLiteral("border-image: url(:/resource/scheduling/im_table_title_s.png);"
                                                "color: #ffffff;padding-left: 10px;font-size:10pt;"));
            return label;
        };
        reportHeaderDevice = header("reportHeaderDevice", 26, 204);
        reportHeaderGroup = header("reportHeaderGroup", 230, 205);
        reportHeaderStatus = header("reportHeaderStatus", 435, 175);
        reportHeaderNotes = header("reportHeaderNotes", 610, 238);
        reportHeaderLeftBorder = separator("reportHeaderLeftBorder", QRect(25, 100, 1, 25));
        reportHeaderRightBorder = separator("reportHeaderRightBorder", QRect(848, 100, 1, 25));
        reportHeaderLeftBorder->setStyleSheet(QStringLiteral("background-color: #1a1a1a;"));
        reportHeaderRightBorder->setStyleSheet(QStringLiteral("background-color: #1a1a1a;"));

        tableWidgetReport = new QTableWidget(BroadcastReportDialog);
        tableWidgetReport->setObjectName(QStringLiteral("tableWidgetReport"));
        tableWidgetReport->setGeometry(QRect(25, 125, 824, 405));
        tableWidgetReport->setFont(arialFont(10));
        tableWidgetReport->setColumnCount(4);
        for (int column = 0; column < 4; ++column)
            tableWidgetReport->setHorizontalHeaderItem(column, new QTableWidgetItem);
        tableWidgetReport->horizontalHeader()->setVisible(false);
        tableWidgetReport->verticalHeader()->setVisible(false);
        tableWidgetReport->setShowGrid(false);
        tableWidgetReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        tableWidgetReport->setWordWrap(true);
        tableWidgetReport->setSortingEnabled(false);
        tableWidgetReport->setStyleSheet(
            QStringLiteral("QTableWidget{background-color: #666666;border: 1px solid #1a1a1a;font-size:10pt;"
                           "font-family:Arial;}"
                           "QTableWidget::item{padding-left: 10px;border-bottom: 1px solid #5a5a5a;}") +
            tableScrollBarStyle());

        labelTotalInfo = new QLabel(BroadcastReportDialog);
        labelTotalInfo->setObjectName(QStringLiteral("labelTotalInfo"));
        labelTotalInfo->setGeometry(QRect(25, 534, 824, 20));
        labelTotalInfo->setFont(arialFont(10));
        labelTotalInfo->setStyleSheet(QStringLiteral("color: #ffffff;font-size:10pt;"));

        retranslateUi(BroadcastReportDialog);
    }

    void retranslateUi(QDialog *BroadcastReportDialog)
    {
        Q_UNUSED(BroadcastReportDialog)
        labelReportTitle->setText(QCoreApplication::translate("BroadcastReportDialog", "Report"));
        btnStatusAll->setText(QCoreApplication::translate("BroadcastReportDialog", "All (xx)"));
        btnStatusSuccessfully->setText(QCoreApplication::translate("BroadcastReportDialog", "Successfully (xx)"));
        btnStatusFailed->setText(QCoreApplication::translate("BroadcastReportDialog", "Failed (xx)"));
        reportHeaderDevice->setText(QCoreApplication::translate("BroadcastReportDialog", "Device"));
        reportHeaderDevice->setToolTip(QCoreApplication::translate("BroadcastReportDialog", "Device"));
        reportHeaderGroup->setText(QCoreApplication::translate("BroadcastReportDialog", "Group"));
        reportHeaderGroup->setToolTip(QCoreApplication::translate("BroadcastReportDialog", "Group"));
        reportHeaderStatus->setText(QCoreApplication::translate("BroadcastReportDialog", "Status"));
        reportHeaderStatus->setToolTip(QCoreApplication::translate("BroadcastReportDialog", "Status"));
        reportHeaderNotes->setText(QCoreApplication::translate("BroadcastReportDialog", "Notes"));
        reportHeaderNotes->setToolTip(QCoreApplication::translate("BroadcastReportDialog", "Notes"));
        tableWidgetReport->horizontalHeaderItem(0)->setText(
            QCoreApplication::translate("BroadcastReportDialog", "Device"));
        tableWidgetReport->horizontalHeaderItem(1)->setText(
            QCoreApplication::translate("BroadcastReportDialog", "Group"));
        tableWidgetReport->horizontalHeaderItem(2)->setText(
            QCoreApplication::translate("BroadcastReportDialog", "Status"));
        tableWidgetReport->horizontalHeaderItem(3)->setText(
            QCoreApplication::translate("BroadcastReportDialog", "Notes"));
        labelTotalInfo->setText(QCoreApplication::translate("BroadcastReportDialog", "xx devices in total"));
    }
};
