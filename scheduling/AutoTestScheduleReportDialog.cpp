#include "scheduling/AutoTestScheduleReportDialog.h"

#include <QHeaderView>

#include "datastore/OrvantaDBManager.h"
#include "firmware/pages/OtaFormStyle.h"
#include "scheduling/ScheduleTableCells.h"
#include "scheduling/ScheduleTableText.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

namespace {

QTableWidgetItem *reportItem(const QString &text, const QColor &colour)
{
    auto *item = new QTableWidgetItem(BoundedText::shown(text));
    item->setFlags(Qt::ItemIsEnabled);
    if (colour.isValid())
        item->setForeground(colour);
    return item;
}

} // namespace

AutoTestScheduleReportDialog::AutoTestScheduleReportDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setWindowTitle(productName());
    setModal(true);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    m_db = OrvantaDBManager::getInstance();
    m_selectedStyle = QStringLiteral("QToolButton {color: #f7e195;border: none;font: bold;"
                                     "border-image: url(:/resource/scheduling/bg_underline.png); }");
    m_normalStyle = QStringLiteral("QToolButton {color: #ffffff;border: none; }");
    connect(btnStatusAll, &QToolButton::clicked, this, &AutoTestScheduleReportDialog::btnStatusAllClicked);
    connect(btnStatusNotStarted, &QToolButton::clicked, this,
            &AutoTestScheduleReportDialog::btnStatusNotStartedClicked);
    connect(btnStatusScheduling, &QToolButton::clicked, this,
            &AutoTestScheduleReportDialog::btnStatusSchedulingClicked);
    connect(btnStatusSuccessfully, &QToolButton::clicked, this,
            &AutoTestScheduleReportDialog::btnStatusSuccessfullyClicked);
    connect(btnStatusFailed, &QToolButton::clicked, this, &AutoTestScheduleReportDialog::btnStatusFailedClicked);
    for (int status : {0, 1, 2, 3, 4}) {
        statusButton(status)->setStyleSheet(status == 0 ? m_selectedStyle : m_normalStyle);
        scaleStyleSheetFontSize(statusButton(status), 10.0, 0.0, false, false);
    }

    setColumnWidths();
    lineEditFilter->setFocusPolicy(Qt::ClickFocus);
    OtaFormStyle::setupSearchField(lineEditFilter, tr("Search"));
    connect(lineEditFilter, &QLineEdit::returnPressed, this,
            &AutoTestScheduleReportDialog::showTextFilteredTableContent);
    connect(reportHeaderDevice, &ClickableLabel::clicked, this, &AutoTestScheduleReportDialog::sortingByDevice);
    connect(reportHeaderGroup, &ClickableLabel::clicked, this, &AutoTestScheduleReportDialog::sortingByGroup);
    connect(reportHeaderStatus, &ClickableLabel::clicked, this, &AutoTestScheduleReportDialog::sortingByStatus);
    connect(reportHeaderNotes, &ClickableLabel::clicked, this, &AutoTestScheduleReportDialog::sortingByNotes);
    for (int column = 0; column < 4; ++column)
        m_indicators[column] = new SortingIndicator(this);
    placeIndicators();
    if (uiLayoutDirection() == Qt::RightToLeft)
        tableWidgetReport->setStyleSheet(tableWidgetReport->styleSheet() +
                                         QStringLiteral("QTableWidget::item {padding-left:0px;padding-right:10px;}"));
}

AutoTestScheduleReportDialog::~AutoTestScheduleReportDialog() = default;

void AutoTestScheduleReportDialog::showAutoTestScheduleReport(const VelkAutoTestSchedule &schedule)
{
    m_schedule = schedule;
    selectStatus(0);
    m_model.load(m_db, m_schedule);
    updateStatusButtons();
    m_model.applyDefaultSorting();
    showIndicators();
    updateReportTable();
    const int total = m_model.rows().size();
    labelTotalInfo->setText(QString::number(total) + (total < 2 ? tr(" device in total") : tr(" devices in total")));
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
}

void AutoTestScheduleReportDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

QToolButton *AutoTestScheduleReportDialog::statusButton(int status) const
{
    switch (status) {
    case 1:
        return btnStatusNotStarted;
    case 2:
        return btnStatusScheduling;
    case 3:
        return btnStatusFailed;
    case 4:
        return btnStatusSuccessfully;
    default:
        return btnStatusAll;
    }
}

void AutoTestScheduleReportDialog::selectStatus(int status)
{
    statusButton(m_statusFilter)->setStyleSheet(m_normalStyle);
    scaleStyleSheetFontSize(statusButton(m_statusFilter), 10.0, 0.0, false, false);
    m_statusFilter = status;
    statusButton(status)->setStyleSheet(m_selectedStyle);
    scaleStyleSheetFontSize(statusButton(status), 10.0, 0.0, false, false);
}

void AutoTestScheduleReportDialog::btnStatusAllClicked()
{
    if (m_statusFilter == 0)
        return;
    selectStatus(0);
    updateReportTable();
}

void AutoTestScheduleReportDialog::btnStatusNotStartedClicked()
{
    if (m_statusFilter == 1)
        return;
    selectStatus(1);
    updateReportTable();
}

void AutoTestScheduleReportDialog::btnStatusSchedulingClicked()
{
    if (m_statusFilter == 2)
        return;
    selectStatus(2);
    updateReportTable();
}

void AutoTestScheduleReportDialog::btnStatusSuccessfullyClicked()
{
    if (m_statusFilter == 4)
        return;
    selectStatus(4);
    updateReportTable();
}

void AutoTestScheduleReportDialog::btnStatusFailedClicked()
{
    if (m_statusFilter == 3)
        return;
    selectStatus(3);
    updateReportTable();
}

void AutoTestScheduleReportDialog::showTextFilteredTableContent()
{
    m_model.setSearchText(lineEditFilter->text());
    updateStatusButtons();
    m_model.applyCurrentSorting();
    updateReportTable();
}

void AutoTestScheduleReportDialog::updateStatusButtons()
{
    const AutoTestReportModel::Counts counts = m_model.counts();
    const QList<QPair<int, QPair<QString, int>>> buttons = {{0, {tr("All"), counts.all}},
                                                            {1, {tr("Not Started"), counts.notStarted}},
                                                            {2, {tr("Scheduling"), counts.scheduling}},
                                                            {4, {tr("Successfully"), counts.successful}},
                                                            {3, {tr("Failed"), counts.failed}}};
    for (const auto &entry : buttons) {
        QToolButton *button = statusButton(entry.first);
        const QString label = entry.second.first + QLatin1Char(' ');
        const QString count = QStringLiteral("(%1)").arg(entry.second.second);
        if (uiLayoutDirection() == Qt::LeftToRight)
            setElidedButtonText(button, label + count, button->width() - (entry.first == 0 ? 10 : 15));
        else
            button->setText(label + QChar(0x202D) + count + QChar(0x202C));
        button->setToolTip(label + count);
    }
}

void AutoTestScheduleReportDialog::updateReportTable()
{
    const QList<const VelkAutoTestScheduleReport *> rows = m_model.visibleRows(m_statusFilter);
    tableWidgetReport->clearContents();
    tableWidgetReport->setRowCount(rows.size());
    const QColor white(0xff, 0xff, 0xff);
    for (int row = 0; row < rows.size(); ++row) {
        const VelkAutoTestScheduleReport &report = *rows.at(row);
        tableWidgetReport->setRowHeight(row, ScheduleTableCells::rowHeight());
        tableWidgetReport->setItem(row, 0, reportItem(report.device.deviceName, white));
        tableWidgetReport->setItem(row, 1, reportItem(report.groupNames, white));
        const QString status = AutoTestReportModel::statusText(report.status);
        QTableWidgetItem *statusItem = reportItem(status, ScheduleTableText::statusColour(report.status));
        statusItem->setToolTip(plainToolTip(status));
        tableWidgetReport->setItem(row, 2, statusItem);
        const QString notes = AutoTestReportModel::notesText(report.notes);
        QTableWidgetItem *notesItem = reportItem(notes, report.notes >= 1 && report.notes <= 4 ? white : QColor());
        notesItem->setToolTip(plainToolTip(notes));
        tableWidgetReport->setItem(row, 3, notesItem);
    }
}

void AutoTestScheduleReportDialog::sortBy(int column)
{
    m_model.clickColumn(column);
    showIndicators();
    updateReportTable();
}

void AutoTestScheduleReportDialog::sortingByDevice()
{
    sortBy(AutoTestReportModel::DeviceColumn);
}

void AutoTestScheduleReportDialog::sortingByGroup()
{
    sortBy(AutoTestReportModel::GroupColumn);
}

void AutoTestScheduleReportDialog::sortingByStatus()
{
    sortBy(AutoTestReportModel::StatusColumn);
}

void AutoTestScheduleReportDialog::sortingByNotes()
{
    sortBy(AutoTestReportModel::NotesColumn);
}

void AutoTestScheduleReportDialog::showIndicators()
{
    for (int column = 0; column < 4; ++column)
        m_indicators[column]->setState(m_model.indicator(column));
}

void AutoTestScheduleReportDialog::placeIndicators()
{
    // Each caption is elided to leave room for its arrow, which stands right after the text.
    const QList<ClickableLabel *> headers = {reportHeaderDevice, reportHeaderGroup, reportHeaderStatus,
                                             reportHeaderNotes};
    const double scale = getScaleFactor();
    const int side = int(8 * scale) + 1;
    for (int column = 0; column < 4; ++column) {
        ClickableLabel *header = headers.at(column);
        const int padding = int(10 * scale);
        setElidedLabelText(header, header->toolTip(), header->width() - padding - side - 12);
        const int textWidth = header->fontMetrics().horizontalAdvance(header->text());
        const QRect box = header->geometry();
        const int x = uiLayoutDirection() == Qt::LeftToRight
                          ? box.x() + padding + textWidth + int(6 * scale)
                          : box.right() - padding - textWidth - int(6 * scale) - side;
        m_indicators[column]->setGeometry(x, box.y() + (box.height() - side) / 2, side, side);
        m_indicators[column]->raise();
    }
}

void AutoTestScheduleReportDialog::setColumnWidths()
{
    const QList<QLabel *> headers = {reportHeaderDevice, reportHeaderGroup, reportHeaderStatus, reportHeaderNotes};
    for (int column = 0; column < 4; ++column)
        tableWidgetReport->setColumnWidth(column, headers.at(column)->width() - (column == 3 ? 12 : 0));
    tableWidgetReport->setColumnWidth(0, reportHeaderLeftBorder->width() + reportHeaderDevice->width());
}

void AutoTestScheduleReportDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {labelReportTitleBg, labelReportTitle, labelTotalInfo, lineEditFilter, btnStatusAll, btnStatusNotStarted,
               btnStatusScheduling, btnStatusSuccessfully, btnStatusFailed},
              rescale, false);
    scaleWidgetGeometryEx({reportHeaderLeftBorder, reportHeaderDevice, reportHeaderGroup, reportHeaderStatus,
                           reportHeaderNotes, reportHeaderRightBorder},
                          tableWidgetReport, true, factor, true);
    setColumnWidths();
    if (m_indicators[0])
        placeIndicators();
}
