#include "emergency/NotifyDownloadDialog.h"

#include "emergency/Ui_NotifyDownloadDialog.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QDesktopServices>
#include <QScreen>
#include <QUrl>

NotifyDownloadDialog::NotifyDownloadDialog(QWidget *parent) : QDialog(parent), ui(new Ui_NotifyDownloadDialog)
{
    ui->setupUi(this);
    // The path "A -> B -> C" is wrapped between its steps, never inside an arrow: the line breaker may break
    // after a hyphen, which left "-" at the end of one line and ">" at the start of the next. A word joiner
    // (no width) holds the two together.
    ui->label_3->setText(ui->label_3->text().replace(QStringLiteral("->"), QStringLiteral("-\u2060>")));
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    ui->label_2->setText(
        QStringLiteral("<a style=\"color:#00acff; font-size:9.75pt; font-family:Arial;\" href=\"%1\">%2</a>")
            .arg(downloadPage(currentLanguage), tr("Click here to download Pellmar software").toHtmlEscaped()));
    const double factor = getScaleFactor();
    if (factor != 1.0)
        scaleForm(this, factor, {ui->label, ui->btnOK, ui->label_2, ui->label_3, ui->btnSetting}, false, false);
    setupSharedDialog(this);
    connect(ui->btnOK, &QToolButton::clicked, this, &QDialog::close);
    connect(ui->btnSetting, &QToolButton::clicked, this, &NotifyDownloadDialog::settingClicked);
    connect(ui->label_2, &QLabel::linkActivated, this, &NotifyDownloadDialog::openUrl);
}

NotifyDownloadDialog::~NotifyDownloadDialog()
{
    delete ui;
}

QString NotifyDownloadDialog::downloadPage(const QString &language)
{
    if (language.contains(QLatin1String("zh_TW")))
        return QStringLiteral("https://www.velk.example/zh-tw/search?q=Pellmar");
    return QStringLiteral("https://www.velk.example/search?q=Pellmar");
}

void NotifyDownloadDialog::showDialog(int type)
{
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
    const bool install = type == 0;
    ui->btnOK->setVisible(install);
    ui->label->setVisible(install);
    ui->label_2->setVisible(install);
    ui->btnSetting->setVisible(!install);
    ui->label_3->setVisible(!install);
}

void NotifyDownloadDialog::openUrl(QString url)
{
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

void NotifyDownloadDialog::settingClicked()
{
    emit openEmergencySetting();
    close();
}
