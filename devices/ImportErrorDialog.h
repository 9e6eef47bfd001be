#pragma once

#include <QDialog>

#include "devices/Ui_ImportErrorDialog.h"
#include "shell/kit/FormScale.h"

/// The notice a CSV import shows when it rejects a file: the column and row of the first
/// error and the reason. Each importer creates one, without parent, and reuses it.
class ImportErrorDialog : public QDialog, public Ui_ImportErrorDialog
{
    Q_OBJECT
public:
    explicit ImportErrorDialog(QWidget *parent = nullptr);
    ~ImportErrorDialog() override;

    /// column is 0-based and shown 1-based; row is shown as passed; message already translated.
    void setErrorPosition(int column, int row, const QString &message);
    /// Sets the text, centres the notice on the available area of the screen that holds
    /// owner (the primary screen without one) and shows it; returns at once.
    void showAt(QWidget *owner, int column, int row, const QString &message);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void okButtonClicked();

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
