#include "shell/kit/EventLogDialog.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTableWidgetItem>
#include <QTextStream>
#include <QWindow>
#include <cstdio>

#include "datastore/OrvantaDBManager.h"
#include "shell/base/Session.h"
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

QTableWidgetItem *readOnlyItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}
} // namespace

EventLogDialog::EventLogDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnExport, &QToolButton::clicked, this, &EventLogDialog::btnExportClicked);
    initial();
    headerList->hide();
    // The row numbers of the vertical header would push the fixed columns past the table's edge.
    tableWidgetLogContent->verticalHeader()->hide();
    adjustColumns(false);
}

EventLogDialog::~EventLogDialog() = default;

void EventLogDialog::initial()
{
    appliedScale = getScaleFactor();
    dbIntf = OrvantaDBManager::getInstance();

    QList<VelkEventLog> events;
    if (dbIntf->queryEventLog(events) != DB_OK) {
        fputs("EventLogDialog::initial - queryEventLog fail.", stdout);
        fflush(stdout);
    }

    QTableWidget *table = tableWidgetLogContent;
    table->setRowCount(0);
    widgetEmptyLog->setVisible(events.isEmpty());
    btnExport->setEnabled(!events.isEmpty());

    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setAutoScroll(false);
    table->setShowGrid(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setColumnCount(3);
    table->setColumnWidth(0, ScaleMath::truncScaled(DeviceNameWidth, appliedScale));
    table->setColumnWidth(1, ScaleMath::truncScaled(EventWidth, appliedScale));
    table->setColumnWidth(2, ScaleMath::truncScaled(TimeWidth, appliedScale));
    const QStringList headerTexts = {tr("Device Name"), tr("Event"), tr("Time")};
    for (int column = 0; column < headerTexts.size(); ++column) {
        auto *item = new QTableWidgetItem(headerTexts.at(column));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        item->setToolTip(headerTexts.at(column));
        table->setHorizontalHeaderItem(column, item);
    }
    header->setVisible(true);

    // Every row has the same height, given once before the rows exist: set row by row, each height made the header
    // walk the rows before it, and a log of 300,000 events took half a minute to fill.
    table->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, appliedScale));
    table->setRowCount(events.size());
    for (int row = 0; row < events.size(); ++row) {
        table->setItem(row, 0, readOnlyItem(events.at(row).deviceName));
        table->setItem(row, 1, readOnlyItem(tr("Emergency Event")));
        table->setItem(row, 2, readOnlyItem(events.at(row).time));
    }

    QScreen *screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.x() + area.width() / 2 - width() / 2, area.y() + area.height() / 2 - height() / 2);
    }
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
    const QString gap = QStringLiteral("   ");
    QString text;
    for (const QString &cell : headers)
        text += cell + gap;
    text += QLatin1Char('\n');
    for (const QStringList &row : rows) {
        for (const QString &cell : row)
            text += cell + gap;
        text += QLatin1Char('\n');
    }
    return text;
}

void EventLogDialog::btnExportClicked()
{
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

    const QTableWidget *table = tableWidgetLogContent;
    QStringList headers;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem *item = table->horizontalHeaderItem(column);
        headers << (item ? item->text() : QString());
    }
    QList<QStringList> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            cells << (item ? item->text() : QString());
        }
        rows << cells;
    }

    QFile file(fileName);
    bool written = false;
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        QTextStream stream(&file);
        stream.setCodec("utf-8");
        stream << exportText(headers, rows);
        stream.flush();
        written = stream.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
        file.close();
        written = written && file.error() == QFileDevice::NoError;
    }
    // A silent failure would leave the operator believing the log was saved.
    if (!written)
        showMessage(tr("The event log could not be written to %1.").arg(fileName));
}

void EventLogDialog::showMessage(const QString &text)
{
    if (!messageDialog)
        messageDialog = new GeneralMsgDialog(this);
    messageDialog->setMessage(text);
    messageDialog->show();
}
