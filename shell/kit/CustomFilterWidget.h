#pragma once

#include <QWidget>

/// A plain area that reports every mouse press on it, laid behind a filter pop-up so that a
/// press outside the pop-up can close it.
class CustomFilterWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CustomFilterWidget(QWidget *parent);
    ~CustomFilterWidget() override;

signals:
    void pressEvent(QMouseEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
