#include "firmware/ReminderPlan.h"

ReminderPlan ReminderPlan::make(const QList<Model> &models, const QSet<QString> &outOfDate,
                                const QList<VelkOtaReminder> &stored)
{
    ReminderPlan plan;
    plan.replaceStored = !stored.isEmpty();
    for (const Model &model : models) {
        if (!outOfDate.contains(model.modelName))
            continue;
        bool show = stored.isEmpty();
        for (int i = 0; i < model.versions.size(); ++i) {
            const QString &version = model.versions.at(i);
            const VelkOtaReminder *found = nullptr;
            for (const VelkOtaReminder &row : stored) {
                if (row.deviceModelName == model.modelName && row.deviceNewestFwVersion == version) {
                    found = &row;
                    break;
                }
            }
            if (found) {
                plan.rows.append(*found);
                if (found->isFwVersionSkipped == 0)
                    show = true;
            } else {
                VelkOtaReminder row;
                row.deviceModelName = model.modelName;
                row.deviceNewestFwVersion = version;
                row.deviceNewestPanelFwVersion = model.panelVersions.value(i);
                plan.rows.append(row);
                show = true;
            }
        }
        if (show)
            plan.shownModels.append(model.modelName);
    }
    return plan;
}
