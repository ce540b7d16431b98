#include "IniFileStore.h"

#include "Exceptions.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>

namespace {

// One line of the file: its bytes as read, line end included, so that a write gives back
// every line it does not change exactly as it found it (whatever the encoding), and its
// text for finding sections and keys.
struct IniLine {
    QByteArray bytes;
    QString text;
};

// Where a key lives in the file, or would go.
struct KeyPlace {
    int section = -1;   // the line opening the section; -1 when there is none
    int key = -1;       // the line holding the key; -1 when the section lacks it
    int insertAt = -1;  // where a new key goes: after the section's last non-empty line
};

QList<IniLine> readIniLines(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<IniLine> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype contentEnd = newline < 0 ? bytes.size() : newline;
        const qsizetype end = newline < 0 ? bytes.size() : newline + 1;
        IniLine line{bytes.mid(start, end - start),
                     QString::fromUtf8(bytes.mid(start, contentEnd - start))};
        line.text.remove(QLatin1Char('\r'));
        lines << line;
        start = end;
    }
    return lines;
}

// The line end new lines get: the one the file's first line has, CR LF or LF.
QByteArray lineEndOf(const QList<IniLine>& lines)
{
    return !lines.isEmpty() && lines.first().bytes.endsWith("\r\n") ? "\r\n" : "\n";
}

// Inserts a line before `at`; the file's last line gets a line end first when it lacks one.
void insertLine(QList<IniLine>& lines, int at, const QByteArray& bytes, const QByteArray& lineEnd)
{
    if (at > 0 && !lines[at - 1].bytes.endsWith('\n'))
        lines[at - 1].bytes += lineEnd;
    lines.insert(at, IniLine{bytes + lineEnd, QString()});
}

// The name of the section a line opens, or a null string.
QString sectionOf(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith(QLatin1Char('[')) &&
        trimmed.endsWith(QLatin1Char(']')))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return QString();
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key of a "key=value" line, or a null string when the line has no "=".
QString keyOf(const QString& line)
{
    const int equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : line.left(equals).trimmed();
}

KeyPlace locate(const QList<IniLine>& lines, const QString& section, const QString& ident)
{
    KeyPlace place;
    for (int i = 0; i < lines.size() && place.section < 0; ++i) {
        const QString name = sectionOf(lines[i].text);
        if (!name.isNull() && sameName(name, section))
            place.section = i;
    }
    if (place.section < 0)
        return place;
    place.insertAt = place.section + 1;
    for (int i = place.section + 1; i < lines.size() && sectionOf(lines[i].text).isNull(); ++i) {
        const QString key = keyOf(lines[i].text);
        if (!key.isNull() && sameName(key, ident.trimmed())) {
            place.key = i;
            break;
        }
        if (!lines[i].text.trimmed().isEmpty())
            place.insertAt = i + 1;
    }
    return place;
}

// Values are stored as written, which is what other readers of such files expect, except
// one holding a line break: written as is, it would end its line and put what follows on
// lines of their own, read as keys or section headers. Such a value is stored between
// double quotes with backslash escapes (\n, \r, \\, \"). A stored text is read as this
// form only when it is quoted, holds at least one escape and has nothing but n, r, \ or "
// after each backslash; a plain value that happens to look like that is quoted as well,
// so that it too reads back as written.
bool isQuotedForm(const QString& text)
{
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"')))
        return false;
    bool escaped = false;
    for (int i = 1; i < text.size() - 1; ++i) {
        if (text[i] == QLatin1Char('"'))
            return false;
        if (text[i] == QLatin1Char('\\')) {
            const QString escapable = QStringLiteral("\\\"nr");
            if (++i == text.size() - 1 || !escapable.contains(text[i]))
                return false;
            escaped = true;
        }
    }
    return escaped;
}

QString quoted(const QString& value)
{
    QString text = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == QLatin1Char('\n'))
            text += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            text += QLatin1String("\\r");
        else if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            text += QLatin1Char('\\') + c;
        else
            text += c;
    }
    return text + QLatin1Char('"');
}

// The value a text in the quoted form stands for.
QString unquoted(const QString& text)
{
    QString value;
    for (int i = 1; i < text.size() - 1; ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\\')) {
            c = text[++i];
            if (c == QLatin1Char('n'))
                c = QLatin1Char('\n');
            else if (c == QLatin1Char('r'))
                c = QLatin1Char('\r');
        }
        value += c;
    }
    return value;
}

QString storedForm(const QString& value)
{
    const bool breaksLine = value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'));
    return breaksLine || isQuotedForm(value.trimmed()) ? quoted(value) : value;
}

}  // namespace

TIniFileStore::TIniFileStore(QString fileName) : m_path(resolvePath(fileName)) {}

QString TIniFileStore::resolvePath(const QString& fileName)
{
    if (fileName.isEmpty() || QFileInfo(fileName).isAbsolute())
        return fileName;
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(configDir).filePath(fileName);
}

QString TIniFileStore::ReadString(const QString& section, const QString& ident,
                                  const QString& defaultValue)
{
    const QList<IniLine> lines = readIniLines(m_path);
    const KeyPlace place = locate(lines, section, ident);
    if (place.key < 0)
        return defaultValue;
    const QString& line = lines[place.key].text;
    const QString stored = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    return (isQuotedForm(stored) ? unquoted(stored) : stored).left(MaxValueLength);
}

void TIniFileStore::WriteString(const QString& section, const QString& ident, const QString& value)
{
    QList<IniLine> lines = readIniLines(m_path);
    const QByteArray lineEnd = lineEndOf(lines);
    const QByteArray entry = (ident + QLatin1Char('=') + storedForm(value)).toUtf8();
    const KeyPlace place = locate(lines, section, ident);
    if (place.key >= 0) {
        QByteArray& bytes = lines[place.key].bytes;
        const QByteArray ownEnd = bytes.endsWith("\r\n") ? "\r\n"
                                  : bytes.endsWith('\n') ? "\n"
                                                         : lineEnd;
        bytes = entry + ownEnd;
    } else if (place.section >= 0) {
        insertLine(lines, place.insertAt, entry, lineEnd);
    } else {
        insertLine(lines, lines.size(), (QLatin1Char('[') + section + QLatin1Char(']')).toUtf8(),
                   lineEnd);
        insertLine(lines, lines.size(), entry, lineEnd);
    }

    QByteArray bytes;
    for (const IniLine& line : lines)
        bytes += line.bytes;
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw ESkelderError(QStringLiteral("Unable to write to %1").arg(m_path));
    writeFileBytes(m_path, bytes);
}

int TIniFileStore::ReadInteger(const QString& section, const QString& ident, int defaultValue)
{
    const QString text = ReadString(section, ident, QString()).trimmed();
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = static_cast<int>(text.mid(2).toUInt(&ok, 16));
    else
        value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}
