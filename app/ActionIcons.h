// The icons of the window's commands: the desktop theme's where it has one, otherwise one
// drawn here, so that every tool button shows an icon and no two commands share one.
#pragma once

#include <QIcon>

namespace ActionIcons {

enum class Command {
    Exit,
    Connect,
    Disconnect,
    Options,
    View,
    Generate,
    Cut,
    Copy,
    Paste,
    Delete,
    Clear,
    SelectAll,
    Save,
    Append,
    Print,
    PrinterSetup,
    Help,
};

QIcon icon(Command command);

}  // namespace ActionIcons
