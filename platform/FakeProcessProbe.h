#pragma once

#include "platform/ProcessProbe.h"

#include <QStringList>

/// Test double: the programs it reports as running are the ones a test put in `running`;
/// `asked` counts the questions.
class FakeProcessProbe : public ProcessProbe
{
public:
    bool isRunning(const QString &imageName) const override
    {
        ++asked;
        return running.contains(imageName);
    }

    QStringList running;
    mutable int asked = 0;
};
