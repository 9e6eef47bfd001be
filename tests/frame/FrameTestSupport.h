#pragma once

#include <QApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/OrvantaDBManager.h"
#include "network/NetworkConfig.h"
#include "shell/kit/FileChooser.h"
#include "support/LoopbackNetwork.h"
#include "support/StoredAccount.h"

// Answers the file dialogs in place of the operator.
class ScriptedChooser : public FileChooser
{
public:
    QStringList answers;
    int asked = 0;

    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return next(); }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return next(); }

private:
    QString next()
    {
        ++asked;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
};

// The command server that the frame brings up listens on an ephemeral loopback port and sends
// nothing beyond the machine.
inline void useLoopbackNetwork()
{
    NetworkConfig::setCurrent(loopbackNetworkConfig());
}

template <typename T> T *visibleTopLevel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *match = qobject_cast<T *>(widget)) {
            if (match->isVisible())
                return match;
        }
    }
    return nullptr;
}
