#include "TableColumns.h"

#include <QPair>
#include <initializer_list>

namespace {

constexpr int kNameWidth = 30;
constexpr int kTypeEnd = 60;

// Pads `text` with blanks to `width`; text already that long gets one blank.
QString padOrSeparate(const QString& text, int width)
{
    if (text.size() >= width)
        return text + QLatin1Char(' ');
    return text.leftJustified(width, QLatin1Char(' '));
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= 32)
        --end;
    text.truncate(end);
    return text;
}

bool isOneOf(const QString& name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

// The declared length of a sized type, from the column's storage length. unichar and
// univarchar store two bytes per character, nchar and nvarchar @@ncharsize bytes.
int declaredLength(const TCTColumnDef& column)
{
    const QString& name = column.TypeName;
    if (isOneOf(name, {"char", "varchar", "binary", "varbinary"}))
        return column.Length;
    if (isOneOf(name, {"unichar", "univarchar"}))
        return column.Length / 2;
    if (isNationalType(name) && column.NCharSize > 0)
        return column.Length / column.NCharSize;
    return 0;
}

QString typeText(const TCTColumnDef& column)
{
    if (column.Computed) {
        return QStringLiteral("AS ") + column.ComputedExpression +
               (column.Materialized ? QStringLiteral(" MATERIALIZED") : QString());
    }
    const QString& name = column.TypeName;
    QString type = name;
    if (const int length = declaredLength(column); length > 0)
        type += QStringLiteral("(%1)").arg(length);
    if (name == QLatin1String("numeric") || name == QLatin1String("decimal"))
        type += QStringLiteral("(%1,%2)").arg(column.Prec).arg(column.Scale);
    if (column.Identity)
        type += QLatin1String(" identity");
    if (!column.DefaultClause.isEmpty())
        type += QLatin1Char(' ') + column.DefaultClause;
    return type;
}

}  // namespace

bool isNationalType(const QString& typeName)
{
    return isOneOf(typeName, {"nchar", "nvarchar"});
}

QString declaredTypeName(const QString& typeName, int32_t length)
{
    struct BySize {
        const char* nullableName;
        const char* names[4];  // for 1, 2, 4 and 8 bytes
    };
    static const BySize sized[] = {
        {"intn", {"tinyint", "smallint", "int", "bigint"}},
        {"uintn", {"", "unsigned smallint", "unsigned int", "unsigned bigint"}},
        {"floatn", {"", "", "real", "float"}},
        {"datetimn", {"", "", "smalldatetime", "datetime"}},
        {"moneyn", {"", "", "smallmoney", "money"}},
    };
    for (const BySize& entry : sized) {
        if (typeName != QLatin1String(entry.nullableName))
            continue;
        const int slot = length == 1 ? 0 : length == 2 ? 1 : length == 4 ? 2 : 3;
        return QString::fromLatin1(entry.names[slot]);
    }
    static const QPair<const char*, const char*> renamed[] = {{"numericn", "numeric"},
                                                              {"decimaln", "decimal"},
                                                              {"daten", "date"},
                                                              {"timen", "time"},
                                                              {"usmallint", "unsigned smallint"},
                                                              {"uint", "unsigned int"},
                                                              {"ubigint", "unsigned bigint"}};
    for (const auto& [from, to] : renamed) {
        if (typeName == QLatin1String(from))
            return QString::fromLatin1(to);
    }
    return typeName;
}

QString formatColumnLine(const TCTColumnDef& column)
{
    QString line = QLatin1Char(' ') + padOrSeparate(column.Name, kNameWidth) + typeText(column);
    line = padOrSeparate(withoutTrailingBlanks(line), kTypeEnd);
    return line + (column.Nullable ? QLatin1String("NULL") : QLatin1String("NOT NULL"));
}
