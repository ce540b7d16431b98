#include "ValueStore.h"

int TValueStore::ReadInteger(const QString& section, const QString& ident, int defaultValue)
{
    bool ok = false;
    const int value = ReadString(section, ident, QString()).trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool TValueStore::ReadBool(const QString& section, const QString& ident, bool defaultValue)
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

double TValueStore::ReadFloat(const QString& section, const QString& ident, double defaultValue)
{
    bool ok = false;
    const double value = ReadString(section, ident, QString()).trimmed().toDouble(&ok);
    return ok ? value : defaultValue;
}

void TValueStore::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void TValueStore::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TValueStore::WriteFloat(const QString& section, const QString& ident, double value)
{
    WriteString(section, ident, floatToText(value));
}

QString TValueStore::floatToText(double value)
{
    return QString::number(value, 'g', 15);
}
