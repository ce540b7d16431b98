// How a long operation reports its progress and learns that the user cancelled it,
// without knowing whether a progress window or a terminal shows it.
#pragma once

#include <QString>

class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;

    virtual void setInfoLabel(const QString& text) = 0;
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    // Lets pending user input be handled, then answers whether the user cancelled.
    virtual bool checkCancelled() = 0;
    // Whether the user has asked to cancel, without handling any input: safe to ask in the
    // middle of a step, and from the thread an operation runs on in the background.
    virtual bool cancelRequested() const { return false; }
};
