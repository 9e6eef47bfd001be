#pragma once

#include <QFrame>

/// A navigation entry of the main frame. After its first press, every release counts as a click.
class MainButtonFrame : public QFrame
{
    Q_OBJECT

public:
    explicit MainButtonFrame(QWidget *parent);
    ~MainButtonFrame() override;

signals:
    void mousePressed();
    void mouseMoved();
    void mouseReleased();
    void mouseEntered();
    void mouseLeaved();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_pressed = false;
};
