#pragma once

#include "ProgressReporter.h"

// Progress on stderr ("object n of N: caption") when it is a terminal; silent otherwise.
// There is no Cancel on the console: an interrupt ends the process.
class TConsoleProgress : public ProgressReporter {
public:
    explicit TConsoleProgress(bool enabled);
    ~TConsoleProgress() override;

    void setInfoLabel(const QString& text) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgressPosition(int position) override;
    bool checkCancelled() override { return false; }

private:
    void redraw();

    bool m_enabled;
    bool m_drawn = false;
    int m_maximum = 0;
    int m_position = 0;
    QString m_label;
};
