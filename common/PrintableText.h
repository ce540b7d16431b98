#pragma once

#include <QString>

// A name or text as a message or a listing shows it on one line: line breaks and tabs
// written as \n, \r and \t, and every other control character (C0, DEL, C1) as \xNN, so
// that nothing in it moves the cursor or drives the terminal.
QString printableText(const QString& text);
