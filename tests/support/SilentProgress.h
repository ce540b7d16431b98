// A progress reporter that shows nothing and is never cancelled, for runs in tests.
#pragma once

#include "ProgressReporter.h"

class SilentProgress : public ProgressReporter {
public:
    void setInfoLabel(const QString&) override {}
    void setProgressRange(int, int) override {}
    void setProgressPosition(int) override {}
    bool checkCancelled() override { return false; }
};
