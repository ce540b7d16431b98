#include "RegistryStore.h"

#include "Exceptions.h"

namespace {
// "Software\\Vendor\\Product" becomes the organisation "Vendor" and the application
// "Product"; a path with one part below "Software" uses it for both.
QStringList pathParts(const QString& regPath)
{
    QStringList parts = regPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        parts << QStringLiteral("Skelder");
    return parts;
}
}  // namespace

TRegistryStore::TRegistryStore(const QString& regPath)
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, pathParts(regPath).first(),
                 pathParts(regPath).mid(1).join(QLatin1Char('/')))
{
}

QString TRegistryStore::keyOf(const QString& section, const QString& ident)
{
    return section + QLatin1Char('/') + ident;
}

QString TRegistryStore::ReadString(const QString& section, const QString& ident,
                                   const QString& defaultValue)
{
    const QVariant value = m_settings.value(keyOf(section, ident));
    return value.isValid() ? value.toString() : defaultValue;
}

void TRegistryStore::WriteString(const QString& section, const QString& ident, const QString& value)
{
    m_settings.setValue(keyOf(section, ident), value);
    m_settings.sync();
}

double TRegistryStore::ReadFloat(const QString& section, const QString& ident, double defaultValue)
{
    const QVariant stored = m_settings.value(keyOf(section, ident));
    if (!stored.isValid())
        return defaultValue;
    bool ok = false;
    const double value = stored.toString().trimmed().toDouble(&ok);
    if (!ok)
        throw ESkelderError(
            QStringLiteral("'%1' is not a valid floating point value").arg(stored.toString()));
    return value;
}
