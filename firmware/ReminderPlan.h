#pragma once

#include "datastore/VelkOtaReminder.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

/// Decides what the update reminder says after a server check, and which reminder rows the data store keeps.
/// Pure: the caller reads the stored rows and writes the planned ones.
///
/// A row remembers, per model and newest firmware version, whether the operator skipped it. Rows survive only for
/// models still out of date and versions still the newest; a model is named when one of its newest versions has no
/// row yet or a row that was not skipped. So "Skip This Version" holds until the server announces another version.
class ReminderPlan
{
public:
    /// One upgrader's model with the newest versions it knows and the panel version paired with each.
    struct Model
    {
        QString modelName;
        QStringList versions;
        QStringList panelVersions; ///< same length as versions; empty texts for families without a panel image
    };

    /// True when the stored rows are all deleted before `rows` are inserted (rows were read).
    bool replaceStored = false;
    /// The rows to insert, in upgrader order.
    QList<VelkOtaReminder> rows;
    /// The models the reminder names, in upgrader order; empty means no reminder.
    QStringList shownModels;

    /// `models` in upgrader order; `outOfDate` the model names of the devices found out of date.
    static ReminderPlan make(const QList<Model> &models, const QSet<QString> &outOfDate,
                             const QList<VelkOtaReminder> &stored);
};
