#pragma once

#include "datastore/VelkAccount.h"

#include <QWidget>

/// The window the log-in opens. For now only its frame: the title that a second start looks
/// for, the window kind and the size; navigation, pages and tray icon come with the main frame.
class MainFrame : public QWidget
{
    Q_OBJECT

public:
    explicit MainFrame(VelkAccount account, QWidget *parent = nullptr);
    ~MainFrame() override;

    const VelkAccount &account() const { return m_account; }

private:
    VelkAccount m_account;
};
