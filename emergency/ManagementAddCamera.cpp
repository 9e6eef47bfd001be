#include "emergency/ManagementAddCamera.h"

#include "datastore/OrvantaDBManager.h"
#include "emergency/CameraLinkStore.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QCheckBox>
#include <QScreen>
#include <cstdio>

namespace {

// The last column takes what the table leaves, so no row runs under the scroll bar's place.
const int kColumnWidths[] = {41, 150, 180, 362};

QString checkBoxStyle()
{
    const bool rightToLeft = uiLayoutDirection() == Qt::RightToLeft;
    const QString suffix = getScaleFactor() >= 2.0 ? QStringLiteral("_2x") : QString();
    return QStringLiteral("QCheckBox{%1spacing:20px;color : #ffffff;border: 0px;}"
                          "QCheckBox::indicator:checked {     image: url(:/resource/scheduling/im_check_b%2.png);}"
                          "QCheckBox::indicator:unchecked {     image: url(:/resource/scheduling/im_checkbox%2.png);}")
        .arg(rightToLeft ? QStringLiteral("padding-right:10px;") : QStringLiteral("padding-left:10px;"), suffix);
}

} // namespace

ManagementAddCamera::ManagementAddCamera(QWidget *parent) : QDialog(parent), m_db(OrvantaDBManager::getInstance())
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    const double factor = getScaleFactor();
    if (factor != 1.0) {
        resize(ScaleMath::truncScaled(width(), factor), ScaleMath::truncScaled(height(), factor));
        const QList<QWidget *> header = uiLayoutDirection() == Qt::RightToLeft
                                            ? QList<QWidget *>{headerLeftBorder, lb_DeviceName, lb_MacAddress,
                                                               lb_IPAddress,     lb_dummy,      headerRightBorder}
                                            : QList<QWidget *>{headerLeftBorder, lb_dummy,      lb_IPAddress,
                                                               lb_MacAddress,    lb_DeviceName, headerRightBorder};
        scaleWidgetGeometryEx(header, tableWidget, false, factor, true);
        for (QWidget *widget : {static_cast<QWidget *>(btnRefresh), layoutWidget, static_cast<QWidget *>(btnCancel),
                                static_cast<QWidget *>(btnSave)})
            scaleWidgetGeometry(widget, factor);
        scaleWidgetFonts(this, factor, false, false);
    }
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setWindowTitle(productName());
    setModal(true);
    setMinimumSize(size());
    setFixedSize(size());

    connect(btnSave, &QPushButton::clicked, this, &ManagementAddCamera::btnSaveClicked);
    connect(btnCancel, &QPushButton::clicked, this, &ManagementAddCamera::btnCancelClicked);
    connect(btnRefresh, &QPushButton::clicked, this, &ManagementAddCamera::updateCameraInfo);
    tableWidget->clear();
    tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbState->hide();
    updateCameraInfo();
}

ManagementAddCamera::~ManagementAddCamera() = default;

void ManagementAddCamera::showDialog(QString cameraName)
{
    for (QCheckBox *box : qAsConst(m_checkBoxes))
        box->setChecked(false);
    m_currentCameraName = cameraName;
    lbState->hide();
    updateCameraInfo();
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void ManagementAddCamera::updateCameraInfo()
{
    CameraLinkStore store(m_db);
    SosCredentials credentials;
    if (!store.storedCredentials(CameraLinkStore::Pick::LastAdministrator, &credentials)) {
        printf("ManagementAddCamera query Account fail !!\n");
        fflush(stdout);
        close();
    }
    QList<PellmarDevice> visible;
    if (!store.readVisibleCameras(credentials, &visible))
        return;
    m_cameras = visible;

    m_checkBoxes.clear();
    m_checkedCount = 0;
    m_checkedRow = -1;
    tableWidget->setRowCount(0);
    tableWidget->clear();
    tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidget->setSelectionMode(QAbstractItemView::NoSelection);
    tableWidget->setFocusPolicy(Qt::NoFocus);
    tableWidget->setRowCount(m_cameras.size());
    tableWidget->setAutoScroll(false);
    tableWidget->setColumnCount(4);
    const double scale = getScaleFactor();
    for (int column = 0; column < 4; ++column)
        tableWidget->setColumnWidth(column, ScaleMath::truncScaled(kColumnWidths[column], scale));

    const QString style = checkBoxStyle();
    for (int row = 0; row < m_cameras.size(); ++row) {
        const PellmarDevice &camera = m_cameras.at(row);
        tableWidget->setRowHeight(row, 40);
        auto *box = new QCheckBox(tableWidget);
        box->setStyleSheet(style);
        box->setCursor(Qt::PointingHandCursor);
        m_checkBoxes.append(box);
        tableWidget->setCellWidget(row, 0, box);
        connect(box, &QCheckBox::stateChanged, this, &ManagementAddCamera::clickCheckBox, Qt::UniqueConnection);
        const QString texts[] = {camera.ipAddress, camera.macAddress, camera.deviceName};
        for (int column = 1; column < 4; ++column) {
            QTableWidgetItem *item = storedTableItem(texts[column - 1]);
            item->setToolTip(plainToolTip(texts[column - 1]));
            tableWidget->setItem(row, column, item);
        }
    }
    if (!m_currentCameraName.isEmpty()) {
        for (int row = 0; row < m_cameras.size(); ++row) {
            if (storedValue(tableWidget->item(row, 3)) == m_currentCameraName)
                m_checkBoxes.at(row)->setChecked(true);
        }
    }
}

void ManagementAddCamera::clickCheckBox(int state)
{
    Q_UNUSED(state)
    m_checkedCount = 0;
    m_checkedRow = -1;
    for (int row = 0; row < m_checkBoxes.size(); ++row) {
        if (m_checkBoxes.at(row)->isChecked()) {
            ++m_checkedCount;
            m_checkedRow = row;
        }
    }
    if (m_checkedCount != 1)
        m_checkedRow = -1;
    lbState->hide();
    btnSave->setEnabled(m_checkedCount > 0);
}

void ManagementAddCamera::btnSaveClicked()
{
    if (m_checkedCount > 1) {
        lbState->showWarning(tr("Only one device can be selected."));
        return;
    }
    if (m_checkedCount == 0 || m_checkedRow < 0) {
        lbState->showWarning(tr("At least one device should be selected."));
        return;
    }
    lbState->hide();
    emit sendDeviceInfo(storedValue(tableWidget->item(m_checkedRow, 3)),
                        storedValue(tableWidget->item(m_checkedRow, 2)));
    close();
}

void ManagementAddCamera::btnCancelClicked()
{
    close();
}
