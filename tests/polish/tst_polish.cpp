// What an operator notices on the screens, read from the widgets as drawn: example texts in grey,
// dark thin scroll bars, row labels that show what fits, a centred warning badge, combo lists
// whose rows line up and grow with the scale, device columns that stay put, and dialogs that open
// over the main window. Runs at scale 1.0 and at 1.4.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>

#include <memory>

#include "accounts/AccountReportDialog.h"
#include "accounts/DeviceListDialog.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastSchedule.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "devices/DeviceTableModel.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "network/NetworkConfig.h"
#include "scheduling/Scheduling.h"
#include "shell/app/Settings.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/TextLabel.h"
#include "shell/kit/UiHelpers.h"
#include "support/LoopbackNetwork.h"
#include "support/StoredAccount.h"
#include "support/TestEnv.h"

namespace {

// The brightest grey level of a line edit's text: right of where its text starts (an icon may
// sit left of it), inside its border.
int brightestText(QLineEdit *edit)
{
    edit->setCursorPosition(0);
    const QImage image = edit->grab().toImage();
    const int left = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() + 3;
    int brightest = 0;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = left; x < image.width() - 2; ++x)
            brightest = qMax(brightest, qGray(image.pixel(x, y)));
    }
    return brightest;
}

int meanGrey(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    }
    return image.isNull() ? -1 : int(sum / (image.width() * image.height()));
}

// The first column, left of right, in which a row of the image differs clearly from its background.
int inkLeft(const QImage &image, const QRect &rect)
{
    const int background = qGray(image.pixel(rect.right() - 2, rect.center().y()));
    for (int x = rect.left(); x < rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (qAbs(qGray(image.pixel(x, y)) - background) > 80)
                return x;
        }
    }
    return -1;
}

QList<int> columnEdges(QTableView *table)
{
    QList<int> edges;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        if (!table->isColumnHidden(column))
            edges << table->columnViewportPosition(column) << table->columnWidth(column);
    }
    return edges;
}

int visibleColumnsWidth(QTableView *table)
{
    int width = 0;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        if (!table->isColumnHidden(column))
            width += table->columnWidth(column);
    }
    return width;
}

QPoint frameCentre(QWidget *widget)
{
    const QRect frame = widget->frameGeometry();
    return QPoint((frame.left() + frame.right()) / 2, (frame.top() + frame.bottom()) / 2);
}

} // namespace

class TestPolish : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void exampleTextsAreGrey();
    void searchBoxesOfThePagesAreGrey();
    void scrollBarsAreDarkAndThin();
    void rowLabelsShowWhatFits();
    void warningBadgeIsCentred();
    void comboListsLineUpAndScale();
    void emptyControlPageNamesTheWayToDevices();
    void deviceColumnsStayPut();
    void dialogsOpenOverTheMainWindow();
    void cameraRowFitsTheDeviceForms();

private:
    std::unique_ptr<TestEnv> m_env;
};

void TestPolish::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    initScaleFactor(0, 0);
    const double expected = qgetenv("QT_FONT_DPI").toInt() > 96 ? 1.4 : 1.0;
    QCOMPARE(getScaleFactor(), expected);
    isAdminLogin = true;

    NetworkConfig::setCurrent(loopbackNetworkConfig(m_env->home()));

    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QVERIFY(OrvantaDBManager::startupError().isEmpty());
    for (int i = 0; i < 8; ++i) {
        VelkGroups group;
        group.groupName = QStringLiteral("Floor %1").arg(i + 1);
        group.groupType = QStringLiteral("Control Box");
        QCOMPARE(db->createGroups(group), DB_OK);
    }
    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("Room %1").arg(101 + i);
        device.ipAddress = QStringLiteral("192.168.10.%1").arg(20 + i);
        device.macAddress = QStringLiteral("00:11:22:33:10:%1").arg(i, 2, 16, QLatin1Char('0'));
        device.deviceType = QStringLiteral("Control Box");
        QCOMPARE(db->createIFPDevice(device), DB_OK);
    }
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("it-office@school.example");
    QCOMPARE(db->updateAccount(admin), DB_OK);
}

void TestPolish::cleanup()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->hide();
}

// Example texts are drawn grey, typed text white, also after the search box is reset.
void TestPolish::exampleTextsAreGrey()
{
    Management page;
    page.resize(ScaleMath::truncScaled(900, getScaleFactor()), ScaleMath::truncScaled(600, getScaleFactor()));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.clickAddDevice();
    ManagementAddDevice *add = page.addDeviceDialog();
    QVERIFY(add->isVisible());
    page.editDevice(0);
    ManagementEditDevice *edit = page.editDeviceDialog();
    QVERIFY(edit->isVisible());

    page.clickGroups();
    QLineEdit *groupName = page.groupDialog()->editGroupName;
    QList<QLineEdit *> fields{page.lineEditSearch, groupName};
    for (DeviceFormDialog *dialog : {static_cast<DeviceFormDialog *>(add), static_cast<DeviceFormDialog *>(edit)})
        fields << dialog->editName << dialog->editIp << dialog->editMac << dialog->editLocation;
    QTest::qWait(20);
    int shown = 0;
    for (QLineEdit *field : fields) {
        field->clearFocus();
        field->clear();
        if (field->placeholderText().isEmpty())
            continue;
        ++shown;
        const int grey = brightestText(field);
        QVERIFY2(grey > 0x60, qPrintable(field->objectName())); // something is drawn
        QVERIFY2(grey <= 0xb0,
                 qPrintable(QStringLiteral("%1: example text at grey level %2").arg(field->objectName()).arg(grey)));
        field->setText(QStringLiteral("Typed"));
        QVERIFY2(brightestText(field) >= 0xe0, qPrintable(field->objectName()));
        field->clear();
    }
    QCOMPARE(shown, 10);
    page.resetSearchBox();
    QVERIFY(brightestText(page.lineEditSearch) <= 0xb0);
}

// The schedule, broadcast, firmware and account windows have search boxes of their own; each keeps
// its example text grey after the window is shown and rescaled.
void TestPolish::searchBoxesOfThePagesAreGrey()
{
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(9, 0)));
    Scheduling scheduling(&clock);
    BroadcastReportDialog broadcastReport;
    BroadcastSchedule broadcastTargets(nullptr, &clock);
    OtaScheduleSetting otaSetting;
    AccountReportDialog accountReport;
    DeviceListDialog deviceList;
    const QList<QPair<QWidget *, QLineEdit *>> boxes{{&scheduling, scheduling.lineEditFilter},
                                                     {&broadcastReport, broadcastReport.lineEditFilter},
                                                     {&broadcastTargets, broadcastTargets.lineEditFilter},
                                                     {&otaSetting, otaSetting.lineEditFilter},
                                                     {&accountReport, accountReport.lineEditFilter},
                                                     {&deviceList, deviceList.lineEditFilter}};
    for (const auto &box : boxes) {
        box.first->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.first));
        QLineEdit *field = box.second;
        field->setVisible(true);
        field->clearFocus();
        field->clear();
        QVERIFY2(!field->placeholderText().isEmpty(), box.first->metaObject()->className());
        const int grey = brightestText(field);
        QVERIFY2(grey > 0x60 && grey <= 0xb0, qPrintable(QStringLiteral("%1: example text at grey level %2")
                                                             .arg(QLatin1String(box.first->metaObject()->className()))
                                                             .arg(grey)));
        box.first->hide();
    }
}

// Every list and table of the device dialogs scrolls with the dark thin bar of the device forms.
void TestPolish::scrollBarsAreDarkAndThin()
{
    Management page;
    page.resize(ScaleMath::truncScaled(900, getScaleFactor()), ScaleMath::truncScaled(400, getScaleFactor()));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.clickAutoDetect();
    ManagementAutoDetect *detect = page.autoDetectDialog();
    detect->tableDevices->setRowCount(30);
    page.clickAddDevice();
    page.editDevice(0);
    page.clickGroups();
    ManagementGroupDialog *groups = page.groupDialog();
    groups->listGroups->setCurrentRow(0);
    page.showFilter();
    QTest::qWait(50);

    const QList<QPair<const char *, QAbstractScrollArea *>> areas{
        {"auto-detect table", detect->tableDevices},
        {"add device groups", page.addDeviceDialog()->listGroups},
        {"edit device groups", page.editDeviceDialog()->listGroups},
        {"group members", groups->listMembers},
        {"device table", page.tableDevices},
        {"group filter", page.listFilter}};
    const int thin = qMax(1, int(10 * getScaleFactor()));
    for (const auto &area : areas) {
        QScrollBar *bar = area.second->verticalScrollBar();
        QVERIFY2(bar->isVisible(), area.first);
        const int grey = meanGrey(bar);
        QVERIFY2(grey <= 128, qPrintable(QStringLiteral("%1: mean grey %2").arg(QLatin1String(area.first)).arg(grey)));
        QVERIFY2(bar->width() == thin,
                 qPrintable(QStringLiteral("%1: %2 px").arg(QLatin1String(area.first)).arg(bar->width())));
    }
}

// A row label shows its whole text when that fits its width in the font it is drawn in, and
// what it shows never runs past its edge. "Confirm Password:" and "Data Management:" fit at both scales.
void TestPolish::rowLabelsShowWhatFits()
{
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.showChangePassword();
    QTest::qWait(20);
    QStringList wrong;
    for (QLabel *label : {dialog.label, dialog.label_2, dialog.lbPassword, dialog.lbPasswordConfirm,
                          dialog.lbDataManagement, dialog.lbLanguage}) {
        const QFontMetricsF drawn(label->font());
        const int room = label->contentsRect().width();
        if (drawn.horizontalAdvance(label->text()) > room)
            wrong << label->text() + QStringLiteral(" runs past the edge");
        if (label->text() != label->toolTip() && drawn.horizontalAdvance(label->toolTip()) <= room)
            wrong << label->text() + QStringLiteral(" is cut though the whole text fits");
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    QCOMPARE(dialog.lbPasswordConfirm->text(), QStringLiteral("Confirm Password:"));
    QCOMPARE(dialog.lbDataManagement->text(), QStringLiteral("Data Management:"));
    // The fields beside the labels still start at one line.
    QSet<int> fieldLefts;
    for (QWidget *field :
         {static_cast<QWidget *>(dialog.lineEditEmail), static_cast<QWidget *>(dialog.btnChangePassword),
          static_cast<QWidget *>(dialog.lineEditPassword), static_cast<QWidget *>(dialog.lineEditPasswordConfirm),
          static_cast<QWidget *>(dialog.btnBackup), static_cast<QWidget *>(dialog.comboBoxLang)})
        fieldLefts.insert(field->mapTo(&dialog, QPoint(0, 0)).x());
    QCOMPARE(fieldLefts.size(), 1);
}

// The red badge's text has as much room on its left as on its right.
void TestPolish::warningBadgeIsCentred()
{
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.showChangePassword();
    dialog.lineEditPassword->setText(QStringLiteral("first"));
    dialog.lineEditPasswordConfirm->setText(QStringLiteral("second"));
    dialog.writeSetting();
    TextLabel *badge = dialog.lbMessage;
    QVERIFY(badge->isVisible());
    QCOMPARE(badge->text(), QStringLiteral("The Password do not match."));
    QTest::qWait(20);

    const QImage image = badge->grab().toImage();
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGreen(image.pixel(x, y)) > 160) { // the white text on the red ground
                if (left < 0)
                    left = x;
                right = x;
            }
        }
    }
    QVERIFY(left > 0 && right > left);
    const int leftGap = left;
    const int rightGap = image.width() - 1 - right;
    QVERIFY2(qAbs(leftGap - rightGap) <= 2,
             qPrintable(QStringLiteral("%1 px left, %2 px right").arg(leftGap).arg(rightGap)));
}

// The rows of the device-type and language lists start their text at the same place, current
// row included, and are as high as the scale makes the form's rows.
void TestPolish::comboListsLineUpAndScale()
{
    auto *management = new Management;
    Settings settings(management);
    settings.show();
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const int rowHeight = int(22 * getScaleFactor());
    for (QComboBox *combo : {settings.cbDeviceType, static_cast<QComboBox *>(dialog.comboBoxLang)}) {
        combo->setCurrentIndex(0);
        combo->showPopup();
        QTest::qWait(50);
        QAbstractItemView *view = combo->view();
        const QImage image = view->viewport()->grab().toImage();
        QList<int> lefts;
        QList<int> heights;
        for (int row = 0; row < combo->count(); ++row) {
            const QRect rect = view->visualRect(view->model()->index(row, 0));
            lefts << inkLeft(image, rect);
            heights << rect.height();
        }
        combo->hidePopup();
        const QString seen =
            QStringLiteral("%1: text at %2, rows %3 high")
                .arg(combo->objectName())
                .arg(QStringList(QStringList() << QString::number(lefts.value(0)) << QString::number(lefts.value(1)))
                         .join(QLatin1Char('/')))
                .arg(heights.value(0));
        const bool lineUp = lefts.first() >= 0 && qAbs(lefts.at(0) - lefts.at(1)) <= 1;
        QVERIFY2(lineUp, qPrintable(seen));
        for (int height : heights) {
            QVERIFY2(height >= rowHeight, qPrintable(seen));
        }
    }
}

// The empty Device Control page sends the operator where the navigation has the devices.
void TestPolish::emptyControlPageNamesTheWayToDevices()
{
    ConnectedList page;
    const QString hint = page.labelEmptyHint->text();
    QVERIFY2(!hint.contains(QStringLiteral("Devices page")), qPrintable(hint));
    QVERIFY2(hint.contains(QStringLiteral("Settings")) && hint.contains(QStringLiteral("Devices")), qPrintable(hint));
}

// The device table's columns fill the room beside the scroll bar, also when the bar appears
// while the tab shows, and are where they were when the operator comes back to the tab.
void TestPolish::deviceColumnsStayPut()
{
    auto *management = new Management;
    Settings settings(management);
    settings.resize(ScaleMath::truncScaled(940, getScaleFactor()), ScaleMath::truncScaled(641, getScaleFactor()));
    QTableView *table = management->tableDevices;
    // The tab opens with one device listed and no scroll bar; then all twenty show, as after an import.
    management->lineEditSearch->setText(QStringLiteral("Room 101"));
    management->applySearch();
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    QTest::qWait(50);
    QVERIFY(!table->verticalScrollBar()->isVisible());
    management->lineEditSearch->clear();
    QTRY_COMPARE(table->model()->rowCount(), 20);
    QTRY_VERIFY(table->verticalScrollBar()->isVisible());
    const QList<int> first = columnEdges(table);
    const int firstFill = visibleColumnsWidth(table);
    const int firstRoom = table->viewport()->width();

    settings.btnUserAccountsClicked();
    QTest::qWait(20);
    settings.btnDevicesClicked();
    QTest::qWait(50);
    QCOMPARE(firstFill, firstRoom);
    QCOMPARE(columnEdges(table), first);
}

// The device dialogs open centred on the console's window, wherever that window is, as far as the
// screen lets them.
void TestPolish::dialogsOpenOverTheMainWindow()
{
    QWidget window;
    auto *management = new Management(&window);
    window.resize(500, 400);
    management->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    // Off the screen's centre, but where the smaller dialogs fit around the window's centre.
    window.move(area.center() + QPoint(40, 10) -
                QPoint(window.frameGeometry().width() / 2, window.frameGeometry().height() / 2));
    QTest::qWait(20);
    const QPoint centre = frameCentre(&window);
    QVERIFY(centre != area.center());

    management->clickAddDevice();
    management->editDevice(0);
    management->clickGroups();
    management->clickAutoDetect();
    int centred = 0;
    for (QDialog *dialog :
         {static_cast<QDialog *>(management->addDeviceDialog()), static_cast<QDialog *>(management->editDeviceDialog()),
          static_cast<QDialog *>(management->groupDialog()), static_cast<QDialog *>(management->autoDetectDialog())}) {
        QVERIFY(dialog->isVisible());
        QRect wanted = dialog->frameGeometry();
        wanted.translate(centre - frameCentre(dialog));
        if (!area.contains(wanted)) {
            // Too big to sit there: it stays on the screen.
            QVERIFY2(dialog->frameGeometry().left() >= area.left() && dialog->frameGeometry().top() >= area.top(),
                     qPrintable(dialog->objectName()));
            continue;
        }
        ++centred;
        const QPoint offset = frameCentre(dialog) - centre;
        QVERIFY2(offset.manhattanLength() <= 1, qPrintable(QStringLiteral("%1 is %2, %3 px off the window's centre")
                                                               .arg(dialog->objectName())
                                                               .arg(offset.x())
                                                               .arg(offset.y())));
    }
    QVERIFY(centred >= 2);
}

// The add and edit forms give audio boxes a camera row and take it out again for the other
// devices: the rows below move with it, Save stays inside the form, and the size comes back.
void TestPolish::cameraRowFitsTheDeviceForms()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice box;
    box.deviceName = QStringLiteral("Gate Box");
    box.macAddress = QStringLiteral("00:11:22:33:20:01");
    box.deviceType = QStringLiteral("Audio Box");
    box.ptzCamera = QStringLiteral("Hall camera, east entrance");
    QCOMPARE(db->createIFPDevice(box), DB_OK);
    auto fits = [](DeviceFormDialog *form) {
        const QWidget *above = form->cameraRowShown() ? form->editCamera : form->editLocation;
        return form->btnCamera->y() == form->editCamera->y() && form->listGroups->y() > above->geometry().bottom() &&
               form->btnSave->geometry().bottom() < form->height();
    };

    Management page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setPageMode(1);
    page.clickAddDevice();
    ManagementAddDevice *add = page.addDeviceDialog();
    QVERIFY(add->editCamera->isVisible() && add->btnCamera->isVisible() && fits(add));
    const QSize withRow = add->size();
    page.editDevice(page.deviceModel()->rowOfName(box.deviceName));
    ManagementEditDevice *edit = page.editDeviceDialog();
    QVERIFY(edit->editCamera->isVisible() && fits(edit));
    QCOMPARE(edit->editCamera->text(), box.ptzCamera);

    page.setPageMode(0);
    page.clickAddDevice();
    QVERIFY(!add->editCamera->isVisible() && !add->btnCamera->isVisible() && fits(add));
    QCOMPARE(add->height(), withRow.height() - (add->lbCamera->y() - add->lbLocation->y()));
    page.editDevice(0);
    QVERIFY(!edit->editCamera->isVisible() && fits(edit));
    page.setPageMode(1);
    page.clickAddDevice();
    QCOMPARE(add->size(), withRow);
    QCOMPARE(db->deleteIFPDevice(box), DB_OK);
}

QTEST_MAIN(TestPolish)
#include "tst_polish.moc"
