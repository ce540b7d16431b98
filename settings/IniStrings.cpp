#include "IniStrings.h"

namespace {
QString sectionLine(const QString& section)
{
    return QLatin1Char('[') + section + QLatin1Char(']');
}
}  // namespace

int TIniStrings::findSection(const QString& section) const
{
    const QString wanted = sectionLine(section);
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TIniStrings::ReadString(const QString& section, const QString& ident,
                                const QString& defaultValue)
{
    const int start = findSection(section);
    if (start < 0)
        return defaultValue;
    for (int i = start + 1; i < m_lines.size(); ++i) {
        const QString& line = m_lines[i];
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('[')))
            break;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0 && line.left(equals).compare(ident, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return defaultValue;
}

void TIniStrings::WriteString(const QString& section, const QString& ident, const QString& value)
{
    const QString entry = ident + QLatin1Char('=') + value;
    const int start = findSection(section);
    if (start < 0) {
        m_lines << QString() << sectionLine(section) << entry;
        return;
    }
    for (int i = start + 1; i < m_lines.size(); ++i) {
        const QString trimmed = m_lines[i].trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('['))) {
            m_lines.insert(i, entry);
            return;
        }
        const int equals = trimmed.indexOf(QLatin1Char('='));
        if (equals >= 0 && trimmed.left(equals).toUpper() == ident.toUpper()) {
            m_lines[i] = entry;
            return;
        }
    }
    m_lines << entry;
}

bool TIniStrings::ReadBool(const QString& section, const QString& ident, bool defaultValue)
{
    const QString missing = QStringLiteral("\x01");
    const QString text = ReadString(section, ident, missing);
    if (text == missing)
        return defaultValue;
    const QString trimmed = text.trimmed();
    return trimmed == QLatin1String("1") ||
           trimmed.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 ||
           trimmed.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
}
