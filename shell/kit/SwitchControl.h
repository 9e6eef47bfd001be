#pragma once

#include <QTimer>
#include <QWidget>

/// The animated on/off switch, 41 × 21 pixels times the scale. A left click flips it and emits
/// toggled(); setToggle() changes it without a signal. Either way the knob then slides over at
/// one pixel per 10 ms.
class SwitchControl : public QWidget
{
    Q_OBJECT

public:
    SwitchControl(QWidget *parent, bool toggled);
    ~SwitchControl() override;

    bool isToggled() const;
    void setToggle(bool toggled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    /// Where the knob stands (its reference x, in pixels).
    double knobPosition() const { return m_position; }
    int knobSize() const { return m_knobSize; }

signals:
    void toggled(bool checked);

public slots:
    void onTimeout();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    double onEnd() const;
    double offEnd() const;

    bool m_toggled;
    double m_position = 0.0;
    double m_knobCentre = 0.0;
    qint16 m_knobSize;
    qint16 m_margin = 3;
    QTimer m_timer;
};
