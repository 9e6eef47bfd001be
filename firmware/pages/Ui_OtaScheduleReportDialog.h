#pragma once

#include "firmware/pages/OtaFormStyle.h"
#include "shell/kit/ClickableLabel.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

/// The OTA report, 874 × 571: five status buttons with their counts, the search field, the table under its six
/// clickable column headers, and the total line.
class Ui_OtaScheduleReportDialog
{
public:
    QLabel *labelReportTitleBg;
    QLabel *labelTotalInfo;
    ClickableLabel *reportHeaderFwVersion;
    ClickableLabel *reportHeaderModel;
    ClickableLabel *reportHeaderDevice;
    QTableWidget *tableWidgetReport;
    ClickableLabel *reportHeaderStatus;
    ClickableLabel *reportHeaderGroup;
    ClickableLabel *reportHeaderUpdateDate;
    QToolButton *btnStatusAll;
    QToolButton *btnStatusNotStarted;
    QToolButton *btnStatusUpdating;
    QToolButton *btnStatusSuccessfully;
    QToolButton *btnStatusFailed;
    QLabel *labelLine;
    QLabel *labelLine_2;
    QLabel *labelLine_3;
    QLabel *labelLine_4;
    QLineEdit *lineEditFilter;
    QLabel *reportHeaderLeftBorder;
    QLabel *reportHeaderRightBorder;
    QLabel *labelReportTitle;

    void setupUi(QDialog *OtaScheduleReportDialog)
    {
        if (OtaScheduleReportDialog->objectName().isEmpty())
            OtaScheduleReportDialog->setObjectName(QStringLiteral("OtaScheduleReportDialog"));
        OtaScheduleReportDialog->resize(874, 571);
        OtaScheduleReportDialog->setWindowTitle(QString());
        OtaScheduleReportDialog->setStyleSheet(QStringLiteral(
            "QDialog{background-color: #404040;}\n"
            "QScrollBar:vertical{width: 12px;background: #8c8c8c;border: 1px solid #8c8c8c;margin: 0px;}\n"
            "QScrollBar::handle:vertical{background: #b3b3b3;min-height: 100px;max-height: 100px;"
            "border-radius: 5px;}\n"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: #8c8c8c;}\n"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height: 0px;}"));

        const QString header = QStringLiteral(":/resource/scheduling/im_table_title_s.png");
        labelReportTitleBg =
            OtaFormStyle::label(OtaScheduleReportDialog, "labelReportTitleBg", QRect(0, 0, 874, 32), 0,
                                QStringLiteral("border-image: url(:/resource/scheduling/im_title_schedule.png);"));
        labelReportTitleBg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        labelTotalInfo = OtaFormStyle::label(OtaScheduleReportDialog, "labelTotalInfo", QRect(25, 534, 824, 20), 10,
                                             QStringLiteral("color: #ffffff;font-size:10pt;font-family:Arial;"));
        reportHeaderFwVersion =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderFwVersion", QRect(485, 100, 110, 25), header);
        reportHeaderModel =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderModel", QRect(185, 100, 160, 25), header);
        reportHeaderDevice =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderDevice", QRect(26, 100, 159, 25), header);
        tableWidgetReport =
            OtaFormStyle::table(OtaScheduleReportDialog, "tableWidgetReport", QRect(25, 125, 824, 405), 6);
        tableWidgetReport->setSortingEnabled(false);
        tableWidgetReport->setWordWrap(true);
        tableWidgetReport->horizontalHeader()->setDefaultSectionSize(130);
        tableWidgetReport->horizontalHeader()->setHighlightSections(false);
        tableWidgetReport->verticalHeader()->setDefaultSectionSize(39);
        tableWidgetReport->verticalHeader()->setMinimumSectionSize(30);
        reportHeaderStatus =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderStatus", QRect(595, 100, 103, 25), header);
        reportHeaderGroup =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderGroup", QRect(345, 100, 140, 25), header);
        reportHeaderUpdateDate =
            OtaFormStyle::header(OtaScheduleReportDialog, "reportHeaderUpdateDate", QRect(698, 100, 150, 25), header);

        btnStatusAll = statusButton(OtaScheduleReportDialog, "btnStatusAll", QRect(25, 55, 65, 30));
        btnStatusNotStarted = statusButton(OtaScheduleReportDialog, "btnStatusNotStarted", QRect(92, 55, 120, 30));
        btnStatusUpdating = statusButton(OtaScheduleReportDialog, "btnStatusUpdating", QRect(214, 55, 145, 30));
        btnStatusSuccessfully = statusButton(OtaScheduleReportDialog, "btnStatusSuccessfully", QRect(361, 55, 150, 30));
        btnStatusFailed = statusButton(OtaScheduleReportDialog, "btnStatusFailed", QRect(513, 55, 135, 30));
        const QString line = QStringLiteral("background-color: #666666;");
        labelLine = OtaFormStyle::label(OtaScheduleReportDialog, "labelLine", QRect(90, 62, 1, 16), 11, line);
        labelLine_2 = OtaFormStyle::label(OtaScheduleReportDialog, "labelLine_2", QRect(212, 62, 1, 16), 11, line);
        labelLine_3 = OtaFormStyle::label(OtaScheduleReportDialog, "labelLine_3", QRect(359, 62, 1, 16), 11, line);
        labelLine_4 = OtaFormStyle::label(OtaScheduleReportDialog, "labelLine_4", QRect(511, 62, 1, 16), 11, line);

        lineEditFilter = new QLineEdit(OtaScheduleReportDialog);
        lineEditFilter->setObjectName(QStringLiteral("lineEditFilter"));
        lineEditFilter->setGeometry(QRect(649, 60, 200, 22));
        lineEditFilter->setFont(arialFont(10));
        lineEditFilter->setStyleSheet(OtaFormStyle::searchFieldStyle());

        reportHeaderLeftBorder =
            OtaFormStyle::headerBorder(OtaScheduleReportDialog, "reportHeaderLeftBorder", QRect(25, 100, 1, 25));
        reportHeaderRightBorder =
            OtaFormStyle::headerBorder(OtaScheduleReportDialog, "reportHeaderRightBorder", QRect(848, 100, 1, 25));
        labelReportTitle = OtaFormStyle::label(OtaScheduleReportDialog, "labelReportTitle", QRect(25, 0, 220, 32), 11,
                                               QStringLiteral("color: #1db5ff;"));
        labelReportTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        retranslateUi(OtaScheduleReportDialog);
    }

    void retranslateUi(QDialog *)
    {
        labelReportTitle->setText(QCoreApplication::translate("OtaScheduleReportDialog", "Report"));
        labelTotalInfo->setText(QStringLiteral("xx devices in total"));
        btnStatusAll->setText(QStringLiteral("All (xx)"));
        btnStatusNotStarted->setText(QStringLiteral("Not Started (xx)"));
        btnStatusUpdating->setText(QStringLiteral("Updating (xx)"));
        btnStatusSuccessfully->setText(QStringLiteral("Successfully (xx)"));
        btnStatusFailed->setText(QStringLiteral("Failed (xx)"));
        const QList<QPair<ClickableLabel *, QString>> headers = {
            {reportHeaderDevice, QCoreApplication::translate("OtaScheduleReportDialog", "Device")},
            {reportHeaderModel, QCoreApplication::translate("OtaScheduleReportDialog", "Model")},
            {reportHeaderGroup, QCoreApplication::translate("OtaScheduleReportDialog", "Group")},
            {reportHeaderFwVersion, QCoreApplication::translate("OtaScheduleReportDialog", "FW Version")},
            {reportHeaderStatus, QCoreApplication::translate("OtaScheduleReportDialog", "Status")},
            {reportHeaderUpdateDate, QCoreApplication::translate("OtaScheduleReportDialog", "Update Date")}};
        for (int column = 0; column < headers.size(); ++column) {
            headers.at(column).first->setText(headers.at(column).second);
            headers.at(column).first->setToolTip(headers.at(column).second);
            if (!tableWidgetReport->horizontalHeaderItem(column))
                tableWidgetReport->setHorizontalHeaderItem(column, new QTableWidgetItem);
            tableWidgetReport->horizontalHeaderItem(column)->setText(headers.at(column).second);
        }
    }

private:
    static QToolButton *statusButton(QWidget *parent, const char *objectName, const QRect &geometry)
    {
        auto *button = new QToolButton(parent);
        button->setObjectName(QLatin1String(objectName));
        button->setGeometry(geometry);
        button->setFont(arialFont(10));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QToolButton{color: #ffffff;border: none;}"));
        return button;
    }
};
