#include "TableColumns.h"

namespace {

constexpr int kNameWidth = 30;
constexpr int kTypeEnd = 60;

// Pads `text` with blanks to `width`; text already that long gets one blank.
QString padOrSeparate(const QString& text, int width) {
    if (text.size() >= width)
        return text + QLatin1Char(' ');
    return text.leftJustified(width, QLatin1Char(' '));
}

QString withoutTrailingBlanks(QString text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).unicode() <= 32)
        --end;
    text.truncate(end);
    return text;
}

QString typeText(const TCTColumnDef& column) {
    const QString& name = column.TypeName;
    QString type = name;
    if (name == QLatin1String("char") || name == QLatin1String("varchar"))
        type += QStringLiteral("(%1)").arg(column.Length);
    if (name == QLatin1String("numeric") || name == QLatin1String("decimal"))
        type += QStringLiteral("(%1,%2)").arg(column.Prec).arg(column.Scale);
    if (column.Identity)
        type += QLatin1String(" identity");
    return type;
}

}  // namespace

QString formatColumnLine(const TCTColumnDef& column) {
    QString line = QLatin1Char(' ') + padOrSeparate(column.Name, kNameWidth) + typeText(column);
    line = padOrSeparate(withoutTrailingBlanks(line), kTypeEnd);
    return line + (column.Nullable ? QLatin1String("NULL") : QLatin1String("NOT NULL"));
}
