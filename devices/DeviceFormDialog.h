#pragma once

#include <QDialog>
#include <QStringList>

#include "devices/Ui_DeviceFormDialog.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// The form that the add-by-address and edit dialogs share: name, IP address, MAC address,
/// location and the groups of the page's device family, with the red badge for what is wrong.
class DeviceFormDialog : public QDialog, public Ui_DeviceFormDialog
{
    Q_OBJECT
public:
    DeviceFormDialog(OrvantaDBIntf *db, QWidget *parent);
    ~DeviceFormDialog() override;

    /// Lists the groups of groupType, with those in checked (letter case ignored) ticked.
    void setGroupChoices(const QString &groupType, const QStringList &checked);
    QStringList checkedGroups() const;
    /// Shows the red badge with text; an empty text hides it.
    void showWarning(const QString &text);
    QString warningText() const;

    /// Presses Save as the operator would (tests and the Return key use it).
    void submit();

protected:
    void showEvent(QShowEvent *event) override;
    virtual void save() = 0;

    OrvantaDBIntf *m_db;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
