#pragma once

#include <QWidget>

class QLabel;

/// The User Accounts tab of the Settings page: the panels' users, cards, app permissions
/// and their synchronisation.
///
/// For now the page only carries its place in the Settings page: the operations the frame
/// wires stay as they are when the user table arrives.
class AccountOverview : public QWidget
{
    Q_OBJECT
public:
    explicit AccountOverview(QWidget *parent = nullptr);
    ~AccountOverview() override;

    /// Rescales the user table's cell widgets and columns.
    void scaleUi(bool rescale);

public slots:
    /// Rebuilds the user table from the data store.
    void updateMultiUserTable();

private:
    QLabel *placeholder = nullptr;
};
