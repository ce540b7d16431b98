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
    // Bytes per nchar/nvarchar character (the server's @@ncharsize); 0 when unknown,
    // and such columns are then written without a length.
    int32_t NCharSize = 0;
    QString DefaultClause;  // a declared default as stored: "default 'USA'"
    // A computed column: its expression as stored (its type follows from it), and whether
    // its values are stored.
    bool Computed = false;
    QString ComputedExpression;
    bool Materialized = false;
};

// The built-in type a column of a nullable storage type (intn, floatn, datetimn...,
// as SELECT INTO makes them) is declared with; other names are returned unchanged.
QString declaredTypeName(const QString& typeName, int32_t length);
// nchar and nvarchar, whose declared length is their storage length over @@ncharsize.
bool isNationalType(const QString& typeName);

// The column line before its separator comma: a blank, the name padded to 30
// characters, the type (and DEFAULT with its expression; for a computed column AS and
// its expression) from position 32, the nullability from position 61. A name of 30
// characters or more, or a type part reaching position 60, is followed by one blank so
// that the parts stay apart; nothing is cut.
QString formatColumnLine(const TCTColumnDef& column);
