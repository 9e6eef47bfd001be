#include "emergency/EmergencyDialog.h"

#include "datastore/OrvantaDBManager.h"
#include "emergency/CameraLinkStore.h"
#include "platform/CameraLinkSettings.h"
#include "platform/CameraProgramLocator.h"
#include "platform/LogLevel.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QScreen>
#include <QStyledItemDelegate>

EmergencyDialog::EmergencyDialog(QWidget *parent, const QString &settingsFile,
                                 std::unique_ptr<CameraProgramLocator> locator)
    : QDialog(parent), m_db(OrvantaDBManager::getInstance()),
      m_settingsFile(settingsFile.isEmpty() ? CameraLinkSettings::defaultSettingsFile() : settingsFile),
      m_locator(locator ? std::move(locator) : CameraProgramLocator::create(m_settingsFile))
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    resize(485, 325);
    widgetCameraSetting->move(0, 15);
    btnSave->move(btnSave->x(), btnSave->y() - 10);
    btnCancel->move(btnCancel->x(), btnCancel->y() - 10);
    lineEditName->setEnabled(false);
    lineEditPassword->setEnabled(false);
    const double factor = getScaleFactor();
    if (factor != 1.0) {
        scaleForm(this, factor,
                  {widgetCameraSetting, lbPTZCameraSetting, lbPTZCamera, cbConnectCamera, label_2, lbUserName,
                   lineEditName, label_3, lbPassword, lineEditPassword, label, layoutWidget, btnCancel, btnSave},
                  false, false);
    }
    setupSharedDialog(this);

    m_labelActiveStyle = QStringLiteral("QLabel {color: #ffffff;font-size:9.75pt;font-family:Arial;}");
    m_labelInactiveStyle = QStringLiteral("QLabel {color: #9a9a9a;font-size:9.75pt;font-family:Arial;}");
    m_editActiveStyle = QStringLiteral(
        "background-color: #3f3f3f;border-radius: 5px;color: #ffffff;selection-background-color: #000000;"
        "font-size:10pt; font-family:Arial;border: 1px solid #ffffff;padding-left:10px;");
    m_editInactiveStyle = QStringLiteral(
        "background-color: #3f3f3f;border-radius: 5px;color: #ffffff;selection-background-color: #000000;"
        "font-size:10pt; font-family:Arial;border: 1px solid #a9a9a9;padding-left:10px;");
    m_asteriskActiveStyle = QStringLiteral("color: red;");
    lbPTZCamera->setStyleSheet(m_labelActiveStyle);
    for (QLabel *inactive : {lbUserName, lbPassword, label_2, label_3})
        inactive->setStyleSheet(m_labelInactiveStyle);
    for (QLineEdit *edit : {lineEditName, lineEditPassword}) {
        edit->setStyleSheet(m_editInactiveStyle);
        scaleStyleSheetFontSize(edit, 10, 0, false, false);
    }
    for (QLabel *label9 : {lbPTZCamera, lbUserName, lbPassword})
        scaleStyleSheetFontSize(label9, 9.75, 0, false, false);
    lineEditPassword->setEchoMode(QLineEdit::Password);
    cbConnectCamera->setItemDelegate(new QStyledItemDelegate(cbConnectCamera));

    connect(btnSave, &QToolButton::clicked, this, &EmergencyDialog::saveSetting);
    connect(btnCancel, &QToolButton::clicked, this, &EmergencyDialog::cancelClicked);
    connect(cbConnectCamera, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &EmergencyDialog::cbConnectCameraChanged);
    loadSetting();
}

EmergencyDialog::~EmergencyDialog() = default;

void EmergencyDialog::loadSetting()
{
    lbState->hide();
    lineEditName->clearFocus();
    lineEditPassword->clearFocus();
    SosCredentials credentials;
    CameraLinkStore(m_db).storedCredentials(CameraLinkStore::Pick::FirstAdministrator, &credentials);
    if (credentials.isComplete()) {
        cbConnectCamera->setCurrentIndex(CameraLinkSettings(m_settingsFile).isEnabled() ? 1 : 0);
        showStoredText(lineEditName, credentials.userName);
        showStoredText(lineEditPassword, credentials.password());
        m_storedSosUsername = credentials.userName;
        m_storedSosPassword = credentials.password();
    }
    m_savedConnectIndex = cbConnectCamera->currentIndex();
    centre();
}

bool EmergencyDialog::updatePellmarInstallPath()
{
    const QString folder = m_locator->installFolder();
    if (folder.isEmpty())
        return false;
    if (!CameraLinkSettings(m_settingsFile).setInstallPath(folder)) {
        writeLog(LOG_LEVEL_ERROR, "EmergencyDialog::updatePellmarInstallPath, cannot write %s",
                 qUtf8Printable(m_settingsFile));
        return false;
    }
    return true;
}

void EmergencyDialog::setFieldsActive(bool active)
{
    for (QLabel *caption : {lbUserName, lbPassword}) {
        caption->setStyleSheet(active ? m_labelActiveStyle : m_labelInactiveStyle);
        scaleStyleSheetFontSize(caption, 9.75, 0, false, false);
    }
    for (QLineEdit *edit : {lineEditName, lineEditPassword}) {
        edit->setStyleSheet(active ? m_editActiveStyle : m_editInactiveStyle);
        scaleStyleSheetFontSize(edit, 10, 0, false, false);
        edit->setEnabled(active);
    }
    for (QLabel *asterisk : {label_2, label_3})
        asterisk->setStyleSheet(active ? m_asteriskActiveStyle : m_labelInactiveStyle);
}

void EmergencyDialog::cbConnectCameraChanged(int idx)
{
    if (idx == 0) {
        setFieldsActive(false);
        if (m_storedSosUsername.isEmpty()) {
            lineEditName->clear();
            lineEditPassword->clear();
        }
    } else if (updatePellmarInstallPath()) {
        setFieldsActive(true);
    } else {
        emit showDownloadDialog(0);
        cbConnectCamera->setCurrentIndex(0);
    }
    lbState->hide();
}

void EmergencyDialog::saveSetting()
{
    CameraLinkSettings settings(m_settingsFile);
    if (cbConnectCamera->currentIndex() != 1) {
        if (!settings.setEnabled(false))
            writeLog(LOG_LEVEL_ERROR, "EmergencyDialog::saveSetting, cannot write %s", qUtf8Printable(m_settingsFile));
        emit enableAutoCheck(false);
        close();
        return;
    }
    const QString userName = editedOrStored(lineEditName, m_storedSosUsername);
    const QString password = editedOrStored(lineEditPassword, m_storedSosPassword);
    if (userName.isEmpty() || password.isEmpty()) {
        lbState->showWarning(tr("All fields marked with an asterisk (*) are required"));
        return;
    }
    lbState->hide();
    CameraLinkStore store(m_db);
    if (!store.accountExists(userName, password)) {
        emit showAccountErrorMessage(2);
        return;
    }
    // The link is switched on only once the account is stored: the warning and the pairing
    // read it from there.
    const CameraLinkStore::StoreResult stored = store.storeCredentials(userName, password);
    if (!stored.stored || !settings.setEnabled(true)) {
        writeLog(LOG_LEVEL_ERROR, "EmergencyDialog::saveSetting, the camera link could not be stored");
        lbState->showWarning(tr("The settings could not be saved."));
        return;
    }
    emit enableAutoCheck(true);
    m_storedSosUsername = userName;
    m_storedSosPassword = password;
    if (stored.changed)
        emit reloadPtzCamera();
    close();
}

void EmergencyDialog::cancelClicked()
{
    cbConnectCamera->setCurrentIndex(m_savedConnectIndex);
    close();
}

void EmergencyDialog::centre()
{
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}
