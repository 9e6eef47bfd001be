#include "firmware/pages/OtaScheduleReportDialog.h"

#include "datastore/OrvantaDBManager.h"
#include "datastore/UpdateStatus.h"
#include "firmware/IFPUpgradeManager.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

namespace {
// The status of each button, in the order of statusButtons().
const int ButtonStatus[] = {0, UPDATE_NOT_STARTED, UPDATE_UPDATING, UPDATE_SUCCESSFULLY, UPDATE_FAILED};
} // namespace

OtaScheduleReportDialog::OtaScheduleReportDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    applyScaleFactor(false);
    setWindowTitle(productName());
    setupSharedDialog(this);

    dbIntf = OrvantaDBManager::getInstance();
    upgradeManager = IFPUpgradeManager::getInstance();
    selectedButtonStyle = QStringLiteral("QToolButton {color: #f7e195;border: none;font: bold;"
                                         "border-image: url(:/resource/scheduling/bg_underline.png); }");
    normalButtonStyle = QStringLiteral("QToolButton {color: #ffffff;border: none; }");
    connect(btnStatusAll, &QToolButton::clicked, this, &OtaScheduleReportDialog::btnStatusAllClicked);
    connect(btnStatusNotStarted, &QToolButton::clicked, this, &OtaScheduleReportDialog::btnStatusNotStartedClicked);
    connect(btnStatusUpdating, &QToolButton::clicked, this, &OtaScheduleReportDialog::btnStatusUpdatingClicked);
    connect(btnStatusSuccessfully, &QToolButton::clicked, this, &OtaScheduleReportDialog::btnStatusSuccessfullyClicked);
    connect(btnStatusFailed, &QToolButton::clicked, this, &OtaScheduleReportDialog::btnStatusFailedClicked);
    for (QToolButton *button : statusButtons())
        button->setStyleSheet(button == btnStatusAll ? selectedButtonStyle : normalButtonStyle);

    tableWidgetReport->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    OtaFormStyle::setupSearchField(lineEditFilter, tr("Search"));
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &OtaScheduleReportDialog::showTextFilteredTableContent);
    connect(reportHeaderDevice, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByDevice);
    connect(reportHeaderModel, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByModel);
    connect(reportHeaderGroup, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByGroup);
    connect(reportHeaderFwVersion, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByFwVersion);
    connect(reportHeaderStatus, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByStatus);
    connect(reportHeaderUpdateDate, &ClickableLabel::clicked, this, &OtaScheduleReportDialog::sortingByUpdateDate);

    for (int column = 0; column < OtaReportModel::ColumnCount; ++column)
        m_indicators.append(new SortingIndicator(this));
    if (uiLayoutDirection() == Qt::RightToLeft) {
        const QString padding = QStringLiteral("padding-left:0px;padding-right:10px;");
        tableWidgetReport->setStyleSheet(tableWidgetReport->styleSheet() +
                                         QStringLiteral("\nQTableWidget::item {%1}").arg(padding));
        for (ClickableLabel *label : headerLabels())
            OtaFormStyle::mirrorHeader(label);
        mirrorHeaderRow();
    }
    setColumnWidths();
    elideHeaders();
    placeIndicators();
    updateIndicators();
    updateStatusButtons();
    labelTotalInfo->setText(OtaReportModel::totalText(0));
}

OtaScheduleReportDialog::~OtaScheduleReportDialog() = default;

QList<QToolButton *> OtaScheduleReportDialog::statusButtons() const
{
    return {btnStatusAll, btnStatusNotStarted, btnStatusUpdating, btnStatusSuccessfully, btnStatusFailed};
}

QList<ClickableLabel *> OtaScheduleReportDialog::headerLabels() const
{
    return {reportHeaderDevice,    reportHeaderModel,  reportHeaderGroup,
            reportHeaderFwVersion, reportHeaderStatus, reportHeaderUpdateDate};
}

QList<QWidget *> OtaScheduleReportDialog::headerRow() const
{
    QList<QWidget *> row = {reportHeaderLeftBorder};
    for (ClickableLabel *label : headerLabels())
        row.append(label);
    row.append(reportHeaderRightBorder);
    return row;
}

void OtaScheduleReportDialog::setOtaSchedule(const VelkOtaSchedule &schedule)
{
    m_report.load(schedule, dbIntf, upgradeManager->getOldDeviceList());
    for (QToolButton *button : statusButtons())
        button->setStyleSheet(button == btnStatusAll ? selectedButtonStyle : normalButtonStyle);
    updateStatusButtons();
    updateIndicators();
    fillReportTable();
    // The total counts the rows of this opening; a refresh during the run leaves it.
    labelTotalInfo->setText(OtaReportModel::totalText(m_report.rowCount()));
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
}

void OtaScheduleReportDialog::refreshReport(const VelkOtaSchedule &schedule)
{
    if (!m_report.refresh(schedule, dbIntf, upgradeManager->getOldDeviceList()))
        return;
    updateStatusButtons();
    fillReportTable();
}

void OtaScheduleReportDialog::selectStatus(int status)
{
    if (status == m_report.statusFilter())
        return;
    const QList<QToolButton *> buttons = statusButtons();
    for (int i = 0; i < buttons.size(); ++i)
        buttons.at(i)->setStyleSheet(ButtonStatus[i] == status ? selectedButtonStyle : normalButtonStyle);
    m_report.setStatusFilter(status);
    fillReportTable();
}

void OtaScheduleReportDialog::btnStatusAllClicked()
{
    selectStatus(0);
}

void OtaScheduleReportDialog::btnStatusNotStartedClicked()
{
    selectStatus(UPDATE_NOT_STARTED);
}

void OtaScheduleReportDialog::btnStatusUpdatingClicked()
{
    selectStatus(UPDATE_UPDATING);
}

void OtaScheduleReportDialog::btnStatusSuccessfullyClicked()
{
    selectStatus(UPDATE_SUCCESSFULLY);
}

void OtaScheduleReportDialog::btnStatusFailedClicked()
{
    selectStatus(UPDATE_FAILED);
}

void OtaScheduleReportDialog::showTextFilteredTableContent()
{
    m_report.setSearchText(lineEditFilter->text());
    updateStatusButtons();
    fillReportTable();
}

void OtaScheduleReportDialog::sortBy(int column)
{
    m_report.clickColumn(column);
    updateIndicators();
    fillReportTable();
}

void OtaScheduleReportDialog::sortingByDevice()
{
    sortBy(OtaReportModel::DeviceColumn);
}

void OtaScheduleReportDialog::sortingByModel()
{
    sortBy(OtaReportModel::ModelColumn);
}

void OtaScheduleReportDialog::sortingByGroup()
{
    sortBy(OtaReportModel::GroupColumn);
}

void OtaScheduleReportDialog::sortingByFwVersion()
{
    sortBy(OtaReportModel::FwVersionColumn);
}

void OtaScheduleReportDialog::sortingByStatus()
{
    sortBy(OtaReportModel::StatusColumn);
}

void OtaScheduleReportDialog::sortingByUpdateDate()
{
    sortBy(OtaReportModel::UpdateDateColumn);
}

void OtaScheduleReportDialog::updateStatusButtons()
{
    const OtaReportModel::Counts counts = m_report.counts();
    const int values[] = {counts.all, counts.notStarted, counts.updating, counts.successful, counts.failed};
    const QString names[] = {tr("All"), tr("Not Started"), tr("Updating"), tr("Successfully"), tr("Failed")};
    const QList<QToolButton *> buttons = statusButtons();
    const bool rightToLeft = uiLayoutDirection() == Qt::RightToLeft;
    for (int i = 0; i < buttons.size(); ++i) {
        const QString label = names[i] + QLatin1Char(' ');
        const QString count = QStringLiteral("(%1)").arg(values[i]);
        QToolButton *button = buttons.at(i);
        // The count reads left to right in either direction.
        if (rightToLeft)
            button->setText(label + QChar(0x202D) + count + QChar(0x202C));
        else
            setElidedButtonText(button, label + count, button->width() - (i == 0 ? 10 : 15));
        button->setToolTip(label + count);
    }
}

void OtaScheduleReportDialog::fillReportTable()
{
    tableWidgetReport->clearContents();
    const QList<const VelkOtaScheduleReport *> rows = m_report.visibleRows();
    tableWidgetReport->setRowCount(rows.size());
    const int height = int(getScaleFactor() * 40.0);
    const QColor white(QStringLiteral("#ffffff"));
    for (int row = 0; row < rows.size(); ++row) {
        const VelkOtaScheduleReport &report = *rows.at(row);
        tableWidgetReport->setRowHeight(row, height);
        const QStringList texts = {report.device.deviceName,
                                   report.device.modelName,
                                   report.groupNames,
                                   report.fwVersion,
                                   OtaReportModel::statusText(report.status),
                                   report.updateDate};
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(BoundedText::shown(texts.at(column)));
            if (column == OtaReportModel::StatusColumn) {
                const QString colour = OtaReportModel::statusColour(report.status);
                if (!colour.isEmpty())
                    item->setForeground(QColor(colour));
                item->setToolTip(plainToolTip(texts.at(column)));
            } else {
                item->setForeground(white);
            }
            tableWidgetReport->setItem(row, column, item);
        }
    }
}

void OtaScheduleReportDialog::updateIndicators()
{
    for (int column = 0; column < m_indicators.size(); ++column)
        m_indicators.at(column)->setState(m_report.indicators().state(column));
}

// Each arrow sits just after its header's text (before it in right-to-left layout), in the middle of the row.
void OtaScheduleReportDialog::placeIndicators()
{
    const int side = ScaleMath::truncScaled(8, getScaleFactor());
    const int gap = ScaleMath::truncScaled(6, getScaleFactor());
    const QList<ClickableLabel *> labels = headerLabels();
    for (int column = 0; column < labels.size(); ++column) {
        ClickableLabel *label = labels.at(column);
        // The text starts after the label's 10 pixels of padding.
        const int text = label->fontMetrics().horizontalAdvance(label->text()) + 10 + gap;
        const int x =
            uiLayoutDirection() == Qt::RightToLeft ? label->x() + label->width() - text - side : label->x() + text;
        m_indicators.at(column)->setGeometry(x, label->y() + (label->height() - side) / 2, side, side);
    }
}

void OtaScheduleReportDialog::elideHeaders()
{
    retranslateUi(this);
    const int arrow = int(14 * getScaleFactor());
    for (ClickableLabel *label : headerLabels())
        setElidedLabelText(label, label->text(), label->width() - 10 - arrow);
}

void OtaScheduleReportDialog::setColumnWidths()
{
    const QList<ClickableLabel *> labels = headerLabels();
    for (int column = 0; column < labels.size(); ++column)
        tableWidgetReport->setColumnWidth(column, labels.at(column)->width() - (column == 5 ? 12 : 0));
}

// The table mirrors its columns in right-to-left layout by itself; the header row is mirrored across the table.
void OtaScheduleReportDialog::mirrorHeaderRow()
{
    const int left = tableWidgetReport->x();
    for (QWidget *widget : headerRow())
        widget->move(2 * left + tableWidgetReport->width() - widget->x() - widget->width(), widget->y());
}

void OtaScheduleReportDialog::showEvent(QShowEvent *event)
{
    applyScaleFactor(true);
    QDialog::showEvent(event);
}

void OtaScheduleReportDialog::applyScaleFactor(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    const bool mirrored = rescale && uiLayoutDirection() == Qt::RightToLeft;
    if (mirrored)
        mirrorHeaderRow();
    scaleWidgetGeometryEx(headerRow(), tableWidgetReport, true, factor, true);
    if (mirrored)
        mirrorHeaderRow();
    scaleForm(this, factor,
              {btnStatusAll, btnStatusNotStarted, btnStatusUpdating, btnStatusSuccessfully, btnStatusFailed, labelLine,
               labelLine_2, labelLine_3, labelLine_4, labelReportTitle, labelReportTitleBg, labelTotalInfo,
               lineEditFilter},
              rescale, true);
    if (!rescale)
        return;
    setColumnWidths();
    elideHeaders();
    placeIndicators();
    updateStatusButtons();
    fillReportTable();
}
