// One column of a CREATE TABLE statement and the fixed layout of its line.
#pragma once

#include <QString>
#include <cstdint>

struct TCTColumnDef {
    QString Name;
    QString TypeName;  // at most 30 characters; a user datatype keeps its own name
    int32_t Prec = 0;
    int32_t Scale = 0;
    int32_t Length = 0;
    bool Nullable = false;
    bool Identity = false;
};

// The column line before its separator comma: a blank, the name padded to 30
// characters, the type from position 32, the nullability from position 61. A name of
// 30 characters or more, or a type part reaching position 60, is followed by one blank
// so that the parts stay apart; nothing is cut.
QString formatColumnLine(const TCTColumnDef& column);
