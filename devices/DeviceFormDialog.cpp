#include "devices/DeviceFormDialog.h"

#include <QListWidgetItem>
#include <QPalette>
#include <QRegularExpressionValidator>

#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {
// Room the style's item padding takes around a row's text, both sides together.
constexpr int HintPadding = 8;
} // namespace

DeviceFormDialog::DeviceFormDialog(OrvantaDBIntf *db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);

    // The validators take characters; the lengths are the fields' maxLength, which gives a stored longer value room
    // while a field shows it (showStoredText()).
    editName->setMaxLength(DeviceRules::MaxNameLength);
    editName->setValidator(new QRegularExpressionValidator(QRegularExpression(DeviceRules::namePattern()), editName));
    editIp->setMaxLength(15);
    editIp->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), editIp));
    editMac->setMaxLength(17);
    editMac->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f:]*")), editMac));
    editLocation->setMaxLength(64);
    for (QLineEdit *edit : {editName, editIp, editMac, editLocation}) {
        connect(edit, &QLineEdit::textEdited, this, [this]() { showWarning(QString()); });
        connect(edit, &QLineEdit::returnPressed, this, &DeviceFormDialog::submit);
    }
    connect(btnCamera, &QAbstractButton::clicked, this, [this]() { emit showCameraDialog(editCamera->text()); });
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::close);
    connect(btnSave, &QAbstractButton::clicked, this, &DeviceFormDialog::submit);
}

DeviceFormDialog::~DeviceFormDialog() = default;

void DeviceFormDialog::setGroupChoices(const QString &groupType, const QStringList &checked)
{
    listGroups->clear();
    QList<VelkGroups> groups;
    m_db->queryAllGroup(groups);
    for (const VelkGroups &group : qAsConst(groups)) {
        if (group.groupType != groupType)
            continue;
        QListWidgetItem *item = storedListItem(group.groupName, listGroups);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        bool ticked = false;
        for (const QString &name : checked)
            ticked = ticked || DeviceRules::sameKey(name, group.groupName);
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    // Only the hint wraps: a group name stays on its row's one line.
    listGroups->setWordWrap(listGroups->count() == 0);
    if (listGroups->count() == 0) {
        // Groups of the other device kind may exist; they are not offered here.
        auto *item = new QListWidgetItem(
            tr("No groups of this device type yet. Create them with \"Groups\" on the page."), listGroups);
        item->setFlags(Qt::NoItemFlags);
        item->setForeground(QColor(0x8c, 0x8c, 0x8c));
        fitGroupHint();
    }
}

void DeviceFormDialog::fitGroupHint()
{
    if (!listGroups->wordWrap() || listGroups->count() != 1)
        return;
    // The row is as high as the wrapped text; the style's item padding is allowed for on both sides.
    QListWidgetItem *item = listGroups->item(0);
    const int width = listGroups->viewport()->width();
    const QRect text =
        QFontMetrics(listGroups->font())
            .boundingRect(QRect(0, 0, qMax(1, width - HintPadding), 10000), int(Qt::TextWordWrap), item->text());
    item->setSizeHint(QSize(width, text.height() + HintPadding));
}

QStringList DeviceFormDialog::checkedGroups() const
{
    QStringList names;
    for (int i = 0; i < listGroups->count(); ++i) {
        const QListWidgetItem *item = listGroups->item(i);
        if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState() == Qt::Checked)
            names.append(storedValue(item));
    }
    return names;
}

void DeviceFormDialog::showWarning(const QString &text)
{
    // The badge keeps to the form's width and takes the lines it needs; the buttons and the dialog make room for them.
    labelWarning->setWrapWidth(frameContent->width() - 2 * labelWarning->x());
    labelWarning->showWarning(text);
    const int oneLine = ScaleMath::truncScaled(20, getScaleFactor());
    makeWarningRoom(labelWarning->isHidden() ? 0 : qMax(0, labelWarning->height() - oneLine));
}

void DeviceFormDialog::makeWarningRoom(int room)
{
    const int pitch = room - m_warningRoom;
    if (pitch == 0)
        return;
    m_warningRoom = room;
    for (QWidget *below : {btnCancel, btnSave})
        below->move(below->x(), below->y() + pitch);
    frameContent->resize(frameContent->width(), frameContent->height() + pitch);
    setFixedSize(width(), height() + pitch);
}

QString DeviceFormDialog::warningText() const
{
    return labelWarning->shownWarning();
}

void DeviceFormDialog::submit()
{
    save();
}

void DeviceFormDialog::setChosenCamera(const QString &name, const QString &mac)
{
    m_chosenCamera = VelkDeviceCameraMap();
    m_chosenCamera.deviceName = name;
    m_chosenCamera.mac = mac;
    editCamera->setText(name);
    editCamera->setCursorPosition(0);
}

void DeviceFormDialog::prepareCamera(const QString &deviceType, const QString &currentCamera)
{
    m_chosenCamera = VelkDeviceCameraMap();
    editCamera->setText(currentCamera);
    editCamera->setCursorPosition(0);
    setCameraRowShown(DeviceRules::pairsWithCamera(deviceType));
}

void DeviceFormDialog::setCameraRowShown(bool shown)
{
    if (shown == m_cameraRowShown)
        return;
    m_cameraRowShown = shown;
    lbCamera->setVisible(shown);
    editCamera->setVisible(shown);
    btnCamera->setVisible(shown);
    // One row pitch of the form as it is drawn now, so this holds at every scale.
    const int pitch = (lbCamera->y() - lbLocation->y()) * (shown ? 1 : -1);
    for (QWidget *below :
         {static_cast<QWidget *>(lbGroups), static_cast<QWidget *>(listGroups), static_cast<QWidget *>(labelWarning),
          static_cast<QWidget *>(btnCancel), static_cast<QWidget *>(btnSave)})
        below->move(below->x(), below->y() + pitch);
    frameContent->resize(frameContent->width(), frameContent->height() + pitch);
    setFixedSize(width(), height() + pitch);
}

void DeviceFormDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
    fitGroupHint();
}

void DeviceFormDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    // The room a warning took is given back first and taken again at the new scale.
    const QString warning = warningText();
    makeWarningRoom(0);
    scaleForm(this, factor,
              {frameContent, labelTitle, lbName, editName, lbIp, editIp, lbMac, editMac, lbLocation, editLocation,
               lbCamera, editCamera, btnCamera, lbGroups, listGroups, labelWarning, btnCancel, btnSave},
              rescale, false);
    if (!warning.isEmpty())
        showWarning(warning);
}
