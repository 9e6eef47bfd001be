#pragma once

#include <QLabel>

/// A label that reports presses, and the mouse entering and leaving it.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget *parent);
    ~ClickableLabel() override;

signals:
    void clicked();
    void mouseEnterWidget();
    void mouseLeaveWidget();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};
