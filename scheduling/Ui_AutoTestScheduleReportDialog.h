#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QToolButton>

#include "scheduling/ScheduleFormStyle.h"
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/FormStyle.h"

/// The auto-test report, 874 × 571: the total, the search field, five state buttons with their
/// counts, and the table under its clickable column headers.
class Ui_AutoTestScheduleReportDialog
{
public:
    QLabel *labelReportTitleBg;
    QLabel *labelReportTitle;
    QLabel *labelTotalInfo;
    QLineEdit *lineEditFilter;
    QToolButton *btnStatusAll;
    QToolButton *btnStatusNotStarted;
    QToolButton *btnStatusScheduling;
    QToolButton *btnStatusSuccessfully;
    QToolButton *btnStatusFailed;
    QLabel *reportHeaderLeftBorder;
    ClickableLabel *reportHeaderDevice;
    ClickableLabel *reportHeaderGroup;
    ClickableLabel *reportHeaderStatus;
    ClickableLabel *reportHeaderNotes;
    QLabel *reportHeaderRightBorder;
    QTableWidget *tableWidgetReport;

    void setupUi(QDialog *AutoTestScheduleReportDialog)
    {
        if (AutoTestScheduleReportDialog->objectName().isEmpty())
            AutoTestScheduleReportDialog->setObjectName(QStringLiteral("AutoTestScheduleReportDialog"));
        AutoTestScheduleReportDialog->resize(874, 571);
        AutoTestScheduleReportDialog->setStyleSheet(
            QStringLiteral("QDialog#AutoTestScheduleReportDialog{background-color: #404040;}"));

        labelReportTitleBg = new QLabel(AutoTestScheduleReportDialog);
        labelReportTitleBg->setObjectName(QStringLiteral("labelReportTitleBg"));
        labelReportTitleBg->setGeometry(QRect(0, 0, 874, 40));
        labelReportTitleBg->setStyleSheet(
            QStringLiteral("border-image: url(:/resource/scheduling/im_title_schedule.png);"));
        labelReportTitle =
            ScheduleFormStyle::title(AutoTestScheduleReportDialog, "labelReportTitle", QRect(24, 0, 400, 40));
        labelTotalInfo = FormStyle::caption(AutoTestScheduleReportDialog, "labelTotalInfo", QRect(30, 54, 300, 30));
        lineEditFilter = FormStyle::lineEdit(AutoTestScheduleReportDialog, "lineEditFilter", QRect(594, 54, 250, 30));

        QToolButton **buttons[] = {&btnStatusAll, &btnStatusNotStarted, &btnStatusScheduling, &btnStatusSuccessfully,
                                   &btnStatusFailed};
        const char *names[] = {"btnStatusAll", "btnStatusNotStarted", "btnStatusScheduling", "btnStatusSuccessfully",
                               "btnStatusFailed"};
        const int widths[] = {100, 150, 150, 150, 120};
        int x = 30;
        for (int i = 0; i < 5; ++i) {
            *buttons[i] = new QToolButton(AutoTestScheduleReportDialog);
            (*buttons[i])->setObjectName(QLatin1String(names[i]));
            (*buttons[i])->setGeometry(QRect(x, 94, widths[i], 32));
            (*buttons[i])->setCursor(Qt::PointingHandCursor);
            QFont font(QStringLiteral("Arial"));
            font.setPointSizeF(10);
            (*buttons[i])->setFont(font);
            x += widths[i] + 6;
        }

        reportHeaderLeftBorder = ScheduleFormStyle::headerLabel(AutoTestScheduleReportDialog, "reportHeaderLeftBorder");
        reportHeaderDevice = header(AutoTestScheduleReportDialog, "reportHeaderDevice");
        reportHeaderGroup = header(AutoTestScheduleReportDialog, "reportHeaderGroup");
        reportHeaderStatus = header(AutoTestScheduleReportDialog, "reportHeaderStatus");
        reportHeaderNotes = header(AutoTestScheduleReportDialog, "reportHeaderNotes");
        reportHeaderRightBorder =
            ScheduleFormStyle::headerLabel(AutoTestScheduleReportDialog, "reportHeaderRightBorder");
        ScheduleFormStyle::placeRow({reportHeaderLeftBorder, reportHeaderDevice, reportHeaderGroup, reportHeaderStatus,
                                     reportHeaderNotes, reportHeaderRightBorder},
                                    {4, 226, 226, 150, -1, 4}, 30, 138, 34, 814);
        tableWidgetReport =
            ScheduleFormStyle::table(AutoTestScheduleReportDialog, "tableWidgetReport", QRect(30, 172, 814, 370), 4);
        tableWidgetReport->setWordWrap(true);

        retranslateUi(AutoTestScheduleReportDialog);
    }

    void retranslateUi(QDialog *AutoTestScheduleReportDialog)
    {
        AutoTestScheduleReportDialog->setWindowTitle(
            QCoreApplication::translate("AutoTestScheduleReportDialog", "Dialog"));
        labelReportTitle->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "Report"));
        labelTotalInfo->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "xx devices in total"));
        btnStatusAll->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "All (xx)"));
        btnStatusNotStarted->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "Not Started (xx)"));
        btnStatusScheduling->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "Scheduling (xx)"));
        btnStatusSuccessfully->setText(
            QCoreApplication::translate("AutoTestScheduleReportDialog", "Successfully (xx)"));
        btnStatusFailed->setText(QCoreApplication::translate("AutoTestScheduleReportDialog", "Failed (xx)"));
        const QList<QPair<ClickableLabel *, QString>> headers = {
            {reportHeaderDevice, QCoreApplication::translate("AutoTestScheduleReportDialog", "Device")},
            {reportHeaderGroup, QCoreApplication::translate("AutoTestScheduleReportDialog", "Group")},
            {reportHeaderStatus, QCoreApplication::translate("AutoTestScheduleReportDialog", "Status")},
            {reportHeaderNotes, QCoreApplication::translate("AutoTestScheduleReportDialog", "Notes")}};
        for (const auto &header : headers) {
            header.first->setText(header.second);
            header.first->setToolTip(header.second);
        }
    }

private:
    static ClickableLabel *header(QWidget *parent, const char *objectName)
    {
        auto *label = new ClickableLabel(parent);
        label->setObjectName(QLatin1String(objectName));
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet(ScheduleFormStyle::headerStyle());
        return label;
    }
};
