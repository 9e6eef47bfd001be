#pragma once

#include <QTimer>
#include <QWidget>

/// The sort arrow beside a column header. States 0 and 1 show the first or the second arrow
/// active, 2 and 3 their idle looks; any other state draws nothing. A new indicator is in
/// state 2. Every change is painted once, 5 ms later.
class SortingIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit SortingIndicator(QWidget *parent);
    ~SortingIndicator() override;

    void setState(int state);
    int state() const;

public slots:
    void onTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_state = 2;
    QTimer m_timer;
};
