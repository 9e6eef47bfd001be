#pragma once

#include "platform/CardReaderLauncher.h"

/// Test double: answers `result` to every start, emits started() for Started, and counts.
class FakeCardReaderLauncher : public CardReaderLauncher
{
    Q_OBJECT
public:
    using CardReaderLauncher::CardReaderLauncher;

    StartResult start() override
    {
        ++starts;
        if (result == Started && !running) {
            running = true;
            emit started();
        }
        return result;
    }
    bool stop() override
    {
        ++stops;
        const bool was = running;
        running = false;
        return was;
    }

    StartResult result = Started;
    bool running = false;
    int starts = 0;
    int stops = 0;
};
