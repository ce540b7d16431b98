// Where generated script lines go besides the script itself: the GUI connects the
// text view, the command-line front end nothing.
#pragma once

#include <QStringList>

class TScriptSink {
public:
    virtual ~TScriptSink() = default;
    virtual void appendLines(const QStringList& lines) = 0;
};
