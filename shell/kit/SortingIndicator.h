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
    /// The image drawn in the current state; empty for a state that draws nothing.
    QString image() const;
    /// Draws the other arrow of each pair, for a table whose states 0 and 2 stand for a downward
    /// arrow (the account synchronisation report). Off for a new indicator.
    void setReversedArrows(bool reversed);

public slots:
    void onTimeout();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_state = 2;
    bool m_reversed = false;
    QTimer m_timer;
};
