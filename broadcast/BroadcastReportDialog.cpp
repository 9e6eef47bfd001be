#include "broadcast/BroadcastReportDialog.h"

#include "broadcast/BroadcastForm.h"

#include "datastore/OrvantaDBManager.h"
#include "platform/LogLevel.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QAction>
#include <QIcon>
#include <QRegExpValidator>

namespace {

// Sizes at scale 1.0 of what the header row needs beside its labels.
constexpr int kArrowGap = 18;
constexpr int kArrowSize = 8;
constexpr int kArrowTop = 108;

} // namespace

BroadcastReportDialog::BroadcastReportDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setWindowTitle(productName());
    setModal(true);
    setLayoutDirection(uiLayoutDirection());

    dbIntf = OrvantaDBManager::getInstance();
    styleSelected = QStringLiteral("QToolButton {color: #f7e195;border: none;font: bold;border-image: "
                                   "url(:/resource/scheduling/bg_underline.png); }");
    styleNormal = QStringLiteral("QToolButton {color: #ffffff;border: none; }");
    connect(btnStatusAll, &QToolButton::clicked, this, &BroadcastReportDialog::btnStatusAllClicked);
    connect(btnStatusSuccessfully, &QToolButton::clicked, this, &BroadcastReportDialog::btnStatusSuccessfullyClicked);
    connect(btnStatusFailed, &QToolButton::clicked, this, &BroadcastReportDialog::btnStatusFailedClicked);
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &BroadcastReportDialog::showTextFilteredTableContent);
    connect(reportHeaderDevice, &ClickableLabel::clicked, this, &BroadcastReportDialog::sortingByDevice);
    connect(reportHeaderGroup, &ClickableLabel::clicked, this, &BroadcastReportDialog::sortingByGroup);
    connect(reportHeaderStatus, &ClickableLabel::clicked, this, &BroadcastReportDialog::sortingByStatus);
    connect(reportHeaderNotes, &ClickableLabel::clicked, this, &BroadcastReportDialog::sortingByNotes);

    tableWidgetReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidgetReport->setSelectionMode(QAbstractItemView::NoSelection);
    tableWidgetReport->setFocusPolicy(Qt::NoFocus);
    tableWidgetReport->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    // Names typed by operators never hold these characters, so neither does a search for them.
    lineEditFilter->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("[^\\\\/:*?\"><|]{0,32}")), lineEditFilter));
    lineEditFilter->setMaxLength(32);
    lineEditFilter->setPlaceholderText(tr("Search"));
    PlaceholderColour::keep(lineEditFilter);
    QPixmap search(QStringLiteral(":/resource/scheduling/search.PNG"));
    if (getScaleFactor() != 1.0)
        search = search.scaled(search.size() * getScaleFactor(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    lineEditFilter->addAction(QIcon(search), QLineEdit::LeadingPosition);

    for (int column = 0; column < BroadcastReportModel::ColumnCount; ++column) {
        m_arrows[column] = new SortingIndicator(this);
        m_arrows[column]->setObjectName(QStringLiteral("sortIndicator%1").arg(column));
    }
    scaleUi(false);
    placeHeader();
}

BroadcastReportDialog::~BroadcastReportDialog() = default;

QToolButton *BroadcastReportDialog::statusButton(int filter) const
{
    switch (filter) {
    case BroadcastReportModel::Successful:
        return btnStatusSuccessfully;
    case BroadcastReportModel::Failed:
        return btnStatusFailed;
    default:
        return btnStatusAll;
    }
}

void BroadcastReportDialog::showBroadcastReport(const VelkBroadcast &reported)
{
    broadcast = reported;
    statusButton(m_model.statusFilter())->setStyleSheet(styleNormal);
    btnStatusAll->setStyleSheet(styleSelected);

    QList<VelkBroadcastReport> rows;
    if (dbIntf->queryBroadcastReportByBroadcast(broadcast, rows) != DB_OK)
        writeLog(LOG_LEVEL_ERROR,
                 "BroadcastReportDialog::prepareBroadcastReportList, queryBroadcastReportByBroadcast error");
    for (VelkBroadcastReport &row : rows)
        row.groupText = prepareSavedText(row);
    m_model.setRows(rows);

    updateStatusButtons();
    updateArrows();
    fillReportTable();
    const int total = m_model.total();
    labelTotalInfo->setText(QString::number(total) + (total <= 1 ? tr(" device in total") : tr(" devices in total")));
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
}

QString BroadcastReportDialog::prepareSavedText(const VelkBroadcastReport &row)
{
    QList<VelkGroups> groups;
    if (dbIntf->queryGroupsByIFP(row.device, groups) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "BroadcastReportDialog::prepareSavedText, queryGroupsByIFP error");
    QStringList names;
    for (const VelkGroups &group : qAsConst(groups))
        names.append(group.groupName);
    return names.join(QStringLiteral(", "));
}

void BroadcastReportDialog::updateStatusButtons()
{
    const bool rightToLeft = uiLayoutDirection() == Qt::RightToLeft;
    const auto label = [rightToLeft](QToolButton *button, const QString &name, int count) {
        const QString countText = QStringLiteral("(%1)").arg(count);
        // Digits in parentheses would be reordered in right-to-left text.
        const QString shown = rightToLeft ? QChar(0x202D) + countText + QChar(0x202C) : countText;
        button->setText(name + QLatin1Char(' ') + shown);
        button->setToolTip(name + QLatin1Char(' ') + countText);
    };
    label(btnStatusAll, tr("All"), m_model.matchedCount());
    label(btnStatusSuccessfully, tr("Successfully"), m_model.matchedCount(1));
    label(btnStatusFailed, tr("Failed"), m_model.matchedCount(2));
}

void BroadcastReportDialog::setStatusFilter(int filter)
{
    if (m_model.statusFilter() == filter)
        return;
    statusButton(m_model.statusFilter())->setStyleSheet(styleNormal);
    statusButton(filter)->setStyleSheet(styleSelected);
    m_model.setStatusFilter(filter);
    fillReportTable();
}

void BroadcastReportDialog::btnStatusAllClicked()
{
    setStatusFilter(BroadcastReportModel::All);
}

void BroadcastReportDialog::btnStatusSuccessfullyClicked()
{
    setStatusFilter(BroadcastReportModel::Successful);
}

void BroadcastReportDialog::btnStatusFailedClicked()
{
    setStatusFilter(BroadcastReportModel::Failed);
}

void BroadcastReportDialog::showTextFilteredTableContent()
{
    m_model.setFilterText(lineEditFilter->text());
    updateStatusButtons();
    fillReportTable();
}

void BroadcastReportDialog::sortBy(BroadcastReportModel::Column column)
{
    m_model.clickColumn(column);
    updateArrows();
    fillReportTable();
}

void BroadcastReportDialog::sortingByDevice()
{
    sortBy(BroadcastReportModel::Device);
}

void BroadcastReportDialog::sortingByGroup()
{
    sortBy(BroadcastReportModel::Group);
}

void BroadcastReportDialog::sortingByStatus()
{
    sortBy(BroadcastReportModel::Status);
}

void BroadcastReportDialog::sortingByNotes()
{
    sortBy(BroadcastReportModel::Notes);
}

void BroadcastReportDialog::updateArrows()
{
    for (int column = 0; column < BroadcastReportModel::ColumnCount; ++column)
        m_arrows[column]->setState(m_model.arrowState(BroadcastReportModel::Column(column)));
}

void BroadcastReportDialog::fillReportTable()
{
    tableWidgetReport->clear();
    const QList<const VelkBroadcastReport *> shown = m_model.shownRows();
    tableWidgetReport->setRowCount(shown.size());
    const int rowHeight = ScaleMath::truncScaled(40, getScaleFactor());
    const QColor white(QStringLiteral("#ffffff"));
    for (int i = 0; i < shown.size(); ++i) {
        const VelkBroadcastReport &row = *shown.at(i);
        tableWidgetReport->setRowHeight(i, rowHeight);
        auto *device = new QTableWidgetItem(BoundedText::shown(row.device.deviceName));
        device->setForeground(white);
        auto *group = new QTableWidgetItem(BoundedText::shown(row.groupText));
        group->setForeground(white);
        auto *status = new QTableWidgetItem(BroadcastReportModel::statusText(row.status));
        status->setToolTip(status->text());
        if (row.status == 1)
            status->setForeground(QColor(QStringLiteral("#7cc0ff")));
        else if (row.status == 2)
            status->setForeground(QColor(QStringLiteral("#ff7e7e")));
        auto *note = new QTableWidgetItem(BroadcastReportModel::noteText(row.note));
        note->setForeground(white);
        tableWidgetReport->setItem(i, 0, device);
        tableWidgetReport->setItem(i, 1, group);
        tableWidgetReport->setItem(i, 2, status);
        tableWidgetReport->setItem(i, 3, note);
    }
}

void BroadcastReportDialog::placeHeader()
{
    const double s = getScaleFactor();
    const bool rightToLeft = uiLayoutDirection() == Qt::RightToLeft;
    const QList<ClickableLabel *> headers = {reportHeaderDevice, reportHeaderGroup, reportHeaderStatus,
                                             reportHeaderNotes};
    if (rightToLeft) {
        // Mirrored between the two border strips, each label keeping its width, so it stays above its column.
        int x = reportHeaderLeftBorder->x() + reportHeaderLeftBorder->width();
        for (int i = headers.size() - 1; i >= 0; --i) {
            headers.at(i)->move(x, headers.at(i)->y());
            x += headers.at(i)->width();
        }
        tableWidgetReport->setStyleSheet(tableWidgetReport->styleSheet() +
                                         QStringLiteral("QTableWidget::item {padding-left:0px;padding-right:10px;}"));
    }
    const QFontMetrics metrics(reportHeaderDevice->font());
    const int arrow = ScaleMath::truncScaled(kArrowSize, s);
    const QStringList names = {tr("Device"), tr("Group"), tr("Status"), tr("Notes")};
    for (int i = 0; i < headers.size(); ++i) {
        ClickableLabel *label = headers.at(i);
        setElidedLabelText(label, names.at(i), label->width() - kArrowGap - arrow);
        const int textWidth = metrics.horizontalAdvance(label->text()) + ScaleMath::truncScaled(10, s);
        const int x = rightToLeft ? label->x() + label->width() - (textWidth + kArrowGap + arrow)
                                  : label->x() + textWidth + kArrowGap;
        m_arrows[i]->setGeometry(x, ScaleMath::truncScaled(kArrowTop, s), arrow, arrow);
        m_arrows[i]->raise();
    }
    const int widths[] = {reportHeaderDevice->width(), reportHeaderGroup->width(), reportHeaderStatus->width(),
                          reportHeaderNotes->width() - ScaleMath::truncScaled(12, s)};
    for (int column = 0; column < 4; ++column)
        tableWidgetReport->setColumnWidth(column, widths[column]);
}

void BroadcastReportDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void BroadcastReportDialog::scaleUi(bool fromShowEvent)
{
    const double factor = m_scale.nextFactor(fromShowEvent, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {labelReportTitleBg, labelReportTitle, btnStatusAll, btnStatusSuccessfully, btnStatusFailed, labelLine,
               labelLine_2, lineEditFilter, reportHeaderDevice, reportHeaderGroup, reportHeaderStatus,
               reportHeaderNotes, reportHeaderLeftBorder, reportHeaderRightBorder, tableWidgetReport, labelTotalInfo},
              fromShowEvent, false);
    if (fromShowEvent)
        placeHeader();
}
