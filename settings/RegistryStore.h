// The registry store mapped onto the platform's per-user key-value store (QSettings
// in its native format): the key path names the store, a section is a group below it
// and every value is kept as a string.
#pragma once

#include "ValueStore.h"

#include <QSettings>

class TRegistryStore : public TValueStore {
public:
    // `regPath` is a key path such as "Software\\Skelder".
    explicit TRegistryStore(const QString& regPath);

    QString ReadString(const QString& section, const QString& ident,
                       const QString& defaultValue) override;
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    // Text that is not a number raises a conversion error, as the registry does.
    double ReadFloat(const QString& section, const QString& ident, double defaultValue) override;

private:
    static QString keyOf(const QString& section, const QString& ident);

    QSettings m_settings;
};
