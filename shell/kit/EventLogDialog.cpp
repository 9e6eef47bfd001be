#include "shell/kit/EventLogDialog.h"

#include <QFile>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdio>

#include "datastore/EventLogReader.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/EventLogModel.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {
constexpr int DeviceNameWidth = 224;
constexpr int EventWidth = 300;
constexpr int TimeWidth = 300;
constexpr int RowHeight = 39;
} // namespace

EventLogDialog::EventLogDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    model = new EventLogModel(this);
    tableWidgetLogContent->setModel(model);
    connect(btnExport, &QToolButton::clicked, this, &EventLogDialog::btnExportClicked);
    connect(scrollBarLog, &QScrollBar::valueChanged, model, &EventLogModel::setFirstRow);
    connect(model, &EventLogModel::totalChanged, this, &EventLogDialog::followModel);
    tableWidgetLogContent->viewport()->installEventFilter(this);
    readLog();
    headerList->hide();
    // The row numbers of the vertical header would push the fixed columns past the table's edge.
    tableWidgetLogContent->verticalHeader()->hide();
    adjustColumns(false);
    // Centred once scaled: centred at its unscaled size, it grew towards the right and down.
    DialogPlacementRule::centreOnScreenOf(this, parentWidget());
}

EventLogDialog::~EventLogDialog() = default;

void EventLogDialog::initial()
{
    readLog();
    DialogPlacementRule::centreOnScreenOf(this, parentWidget());
}

void EventLogDialog::readLog()
{
    appliedScale = getScaleFactor();
    dbIntf = OrvantaDBManager::getInstance();

    QTableView *table = tableWidgetLogContent;
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setAutoScroll(false);
    table->setShowGrid(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    model->setHeaders({tr("Device Name"), tr("Event"), tr("Time")});
    model->setEventText(tr("Emergency Event"));
    model->setCutNote(tr("Only the first %n characters are shown.", nullptr, EventLogReader::CellChars));
    model->setDatabaseFile(dbIntf->databaseFilePath());
    table->setColumnWidth(0, ScaleMath::truncScaled(DeviceNameWidth, appliedScale));
    table->setColumnWidth(1, ScaleMath::truncScaled(EventWidth, appliedScale));
    table->setColumnWidth(2, ScaleMath::truncScaled(TimeWidth, appliedScale));
    header->setVisible(true);
    // Every row has the same height, given once as the default.
    table->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, appliedScale));

    if (!model->reload()) {
        fputs("EventLogDialog::initial - queryEventLog fail.", stdout);
        fflush(stdout);
    }
    widgetEmptyLog->setVisible(model->logIsEmpty());
    layoutRows();
    followModel();
}

void EventLogDialog::layoutRows()
{
    QTableView *table = tableWidgetLogContent;
    QRect area = table->viewport()->geometry();
    // Before the table is shown its viewport has no place yet; the header's height gives it.
    if (!table->isVisible() || area.height() <= 0) {
        const int top = table->horizontalHeader()->sizeHint().height();
        area = QRect(0, top, table->width(), table->height() - top);
    }
    const int rowHeight = std::max(1, table->verticalHeader()->defaultSectionSize());
    const int whole = std::max(1, area.height() / rowHeight);
    model->setViewRows(whole, whole + (area.height() % rowHeight ? 1 : 0));
    const int barWidth = scrollBarLog->sizeHint().width();
    scrollBarLog->setGeometry(area.right() - barWidth + 1, area.top(), barWidth, area.height());
    scrollBarLog->raise();
}

void EventLogDialog::followModel()
{
    {
        const QSignalBlocker blocker(scrollBarLog);
        scrollBarLog->setRange(0, int(model->lastFirstRow()));
        scrollBarLog->setPageStep(model->wholeRows());
        scrollBarLog->setValue(int(model->firstRow()));
    }
    scrollBarLog->setVisible(model->lastFirstRow() > 0);
    btnExport->setEnabled(model->totalRows() > 0 && !model->isExporting());
}

bool EventLogDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tableWidgetLogContent->viewport()) {
        // The table holds only the rows in view and cannot scroll itself: the wheel moves the log's scroll bar.
        if (event->type() == QEvent::Wheel) {
            QCoreApplication::sendEvent(scrollBarLog, event);
            return true;
        }
        if (event->type() == QEvent::Resize)
            layoutRows();
    }
    return QDialog::eventFilter(watched, event);
}

void EventLogDialog::adjustColumns(bool rescale)
{
    double r = appliedScale;
    if (r == 0.0)
        r = appliedScale = getScaleFactor();
    if (r == 1.0)
        return;
    if (rescale) {
        if (getScaleFactor() == r)
            return;
        r = getScaleFactor() / r;
    }
    setFixedSize(ScaleMath::truncScaled(width(), r), ScaleMath::truncScaled(height(), r));
    scaleWidgetGeometryEx({headerDeviceName, headerEvent, headerTime, headerRightBorder}, tableWidgetLogContent, false,
                          r, false);
    for (QWidget *child : {static_cast<QWidget *>(widget), static_cast<QWidget *>(btnExport),
                           static_cast<QWidget *>(label), widgetEmptyLog, static_cast<QWidget *>(label_4),
                           static_cast<QWidget *>(label_5), static_cast<QWidget *>(label_9)})
        scaleWidgetGeometry(child, r);
    scaleWidgetFonts(this, r, rescale, true);
    QHeaderView *header = tableWidgetLogContent->horizontalHeader();
    header->setMinimumHeight(ScaleMath::truncScaled(header->height(), r));
    if (rescale)
        appliedScale = getScaleFactor();
}

QString EventLogDialog::exportText(const QStringList &headers, const QList<QStringList> &rows)
{
    QString text = EventLogModel::exportLine(headers);
    for (const QStringList &row : rows)
        text += EventLogModel::exportLine(row);
    return text;
}

void EventLogDialog::btnExportClicked()
{
    if (model->isExporting())
        return;
    const QString chosen =
        FileChooser::instance()->getSaveFileName(this, tr("Save as..."), QString(), tr("Text files (*.txt)"));
    if (chosen.isEmpty())
        return;
    // The dialog offered text files only and asked before replacing the name as typed, not the one with the ending.
    QString notice;
    const QString fileName =
        FileChooser::nameToSave(chosen, QStringLiteral("txt"), "EventLogDialog::btnExportClicked", &notice);
    if (fileName.isEmpty()) {
        showMessage(notice);
        return;
    }
    // Every row, read from the log a piece at a time: the table holds only the rows in view.
    model->exportTo(fileName, [this, fileName](bool written) {
        followModel();
        // A silent failure would leave the operator believing the log was saved.
        if (!written)
            showMessage(tr("The event log could not be written to %1.").arg(fileName));
    });
    followModel();
}

void EventLogDialog::showMessage(const QString &text)
{
    if (!messageDialog)
        messageDialog = new GeneralMsgDialog(this);
    messageDialog->setMessage(text);
    messageDialog->show();
}
