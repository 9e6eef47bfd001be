#pragma once

#include <QWidget>

class QLabel;

/// The Broadcast page: broadcast tasks, their editor, schedule and reports.
///
/// For now the page only carries its place in the main frame: the operations the frame
/// wires stay as they are when the broadcast tables arrive.
class Broadcast : public QWidget
{
    Q_OBJECT
public:
    explicit Broadcast(QWidget *parent = nullptr);
    ~Broadcast() override;

    /// Scales the tables, column widths, row heights and row widgets.
    void scaleUi(bool rescale);

public slots:
    /// Stops the audio preview and rebuilds the broadcast task list from the data store.
    void deviceDeleted();

private:
    QLabel *placeholder = nullptr;
};
