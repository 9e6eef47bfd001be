#pragma once

#include <QDialog>
#include <QString>

class Ui_NotifyDownloadDialog;

/// Why a camera function is not available yet: the camera-management program is not installed
/// (type 0, with a link to its download page), or the console has no camera-management account
/// yet (type 1, with the way to the link settings).
class NotifyDownloadDialog : public QDialog
{
    Q_OBJECT

public:
    explicit NotifyDownloadDialog(QWidget *parent = nullptr);
    ~NotifyDownloadDialog() override;

    /// Centres the dialog and shows the widgets of the variant; the caller shows the dialog.
    void showDialog(int type);

    /// The download page for a language code: the regional page for "zh_TW", else the main one.
    static QString downloadPage(const QString &language);

    Ui_NotifyDownloadDialog *ui;

signals:
    void openEmergencySetting();

private slots:
    void openUrl(QString url);
    void settingClicked();
};
