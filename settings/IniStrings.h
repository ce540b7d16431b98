// INI text held in a list of strings that this class does not own.
#pragma once

#include "ValueStore.h"

#include <QStringList>

class TIniStrings : public TValueStore {
public:
    explicit TIniStrings(QStringList& lines) : m_lines(lines) {}

    QString ReadString(const QString& section, const QString& ident,
                       const QString& defaultValue) override;
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    // True exactly when the trimmed text is "1", "on" or "yes".
    bool ReadBool(const QString& section, const QString& ident, bool defaultValue) override;

private:
    int findSection(const QString& section) const;

    QStringList& m_lines;
};
