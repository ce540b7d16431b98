// The transport of trace lines to an external SQL monitor: a local stream socket named
// after the monitor window's class and title ("tf_main.Brennick" in the temporary
// directory). Nothing happens when no monitor listens.
#pragma once

#include <QString>

// The path of the monitor's socket.
QString sqlMonitorSocketPath();
// Sends one trace record: identifier 99, the sender's id and the text with its terminator.
// Returns false when no monitor took it.
bool sendToSqlMonitor(const QString& text, quintptr senderId);
