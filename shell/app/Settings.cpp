#include "shell/app/Settings.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStyledItemDelegate>

#include "accounts/AccountOverview.h"
#include "devices/Management.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {
constexpr int PanelMode = 0;
constexpr int AudioBoxMode = 1;
} // namespace

Settings::Settings(Management *devicesPage, QWidget *parent)
    : QFrame(parent), selectedTabStyle(QStringLiteral(
                          "color: #edd994;border: none;border-image: url(:/resource/broadcast/bg_underline_2.png);")),
      normalTabStyle(QStringLiteral("color: #bfbfbf;border: none;")), management(devicesPage)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    btnDevices->setStyleSheet(selectedTabStyle);
    btnUserAccounts->setStyleSheet(normalTabStyle);
    connect(btnDevices, &QToolButton::clicked, this, &Settings::btnDevicesClicked);
    connect(btnUserAccounts, &QToolButton::clicked, this, &Settings::btnUserAccountsClicked);

    accountOverview = new AccountOverview();
    stackedWidgetSettings->addWidget(management);
    stackedWidgetSettings->addWidget(accountOverview);
    // The device search box is reset, and the device list read again, each time the Devices tab is brought up (the
    // Settings entry, the tab, the device type): here it only read every device once more at log-in.
    stackedWidgetSettings->setCurrentWidget(management);
    management->hideFilter();

    settingsPath = QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/settings.ini");
    pageSettings = new QSettings(settingsPath, QSettings::IniFormat, this);
    pageSettings->beginGroup(QStringLiteral("Page"));
    int storedMode = pageSettings->value(QStringLiteral("PageMode"), PanelMode).toInt();
    pageSettings->endGroup();
    // Only the two modes exist; anything else (a hand-edited or damaged file) means panels, and
    // the handler below writes that back.
    if (storedMode != PanelMode && storedMode != AudioBoxMode)
        storedMode = PanelMode;

    connect(cbDeviceType, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Settings::cbDeviceTypeChanged);
    initDeviceTypeComboBox(storedMode);
}

Settings::~Settings() = default;

int Settings::currentPageIndex() const
{
    return stackedWidgetSettings->currentIndex();
}

void Settings::initDeviceTypeComboBox(int index)
{
    cbDeviceType->setItemDelegate(new QStyledItemDelegate(cbDeviceType));
    if (cbDeviceType->count() > 0)
        cbDeviceType->clear();
    cbDeviceType->addItem(tr("IFP/Control Box"));
    cbDeviceType->addItem(tr("Streaming Audio Box"));
    cbDeviceType->setCurrentIndex(index);
}

void Settings::cbDeviceTypeChanged(int idx)
{
    if (idx == AudioBoxMode) {
        btnDevices->setStyleSheet(selectedTabStyle);
        btnDevices->setEnabled(false);
        btnUserAccounts->hide();
        // The separator stands between the two tabs; with one tab it would stand after nothing.
        widget->hide();
        stackedWidgetSettings->setCurrentWidget(management);
        accountOverview->updateMultiUserTable();
    } else {
        if (userAccountsTabChosen)
            btnUserAccountsClicked();
        else
            btnDevicesClicked();
        btnDevices->setEnabled(true);
        btnUserAccounts->show();
        widget->show();
    }
    // The Devices page is built in the panels' mode, which the box names first when it is filled: setting that mode
    // again only read every device once more at log-in.
    if (management->pageMode() != idx)
        management->setPageMode(idx);
    pageSettings->beginGroup(QStringLiteral("Page"));
    pageSettings->setValue(QStringLiteral("PageMode"), QString::number(idx));
    pageSettings->endGroup();
    pageSettings->sync();
}

void Settings::btnDevicesClicked()
{
    if (stackedWidgetSettings->currentWidget() == management)
        return;
    if (cbDeviceType->currentIndex() == PanelMode)
        userAccountsTabChosen = false;
    btnDevices->setStyleSheet(selectedTabStyle);
    btnUserAccounts->setStyleSheet(normalTabStyle);
    stackedWidgetSettings->setCurrentWidget(management);
    management->resetSearchBox();
    management->hideFilter();
}

void Settings::btnUserAccountsClicked()
{
    if (stackedWidgetSettings->currentWidget() == accountOverview)
        return;
    userAccountsTabChosen = true;
    btnDevices->setStyleSheet(normalTabStyle);
    btnUserAccounts->setStyleSheet(selectedTabStyle);
    stackedWidgetSettings->setCurrentWidget(accountOverview);
    accountOverview->updateMultiUserTable();
}

void Settings::updateMultiUserTable()
{
    accountOverview->updateMultiUserTable();
}

void Settings::scaleUi(bool rescale)
{
    const double s = getScaleFactor();
    if (s == 1.0)
        return;
    double f = s;
    if (rescale) {
        f = s / getPreviousScaleFactor();
        accountOverview->scaleUi(true);
    }
    resize(ScaleMath::truncScaled(width(), f), ScaleMath::truncScaled(height(), f));
    for (QWidget *child : {static_cast<QWidget *>(btnDevices), static_cast<QWidget *>(btnUserAccounts),
                           static_cast<QWidget *>(stackedWidgetSettings), widget, static_cast<QWidget *>(cbDeviceType)})
        scaleWidgetGeometry(child, f);
    scaleWidgetFonts(this, f, rescale, false);
}
