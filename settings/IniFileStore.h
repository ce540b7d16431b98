// Named values in an INI file with the semantics of the platform's private-profile
// functions: sections and keys compared without regard to case, values stored as
// written, integers also read as "0x" hexadecimal. A value holding a line break is the
// exception: it is stored in double quotes with backslash escapes, so that it stays on
// its line. Every call reads the file afresh; a write rewrites it, replacing or adding
// only the line of its key and leaving the bytes of every other line as they were.
#pragma once

#include "ValueStore.h"

class TIniFileStore : public TValueStore {
public:
    // Longest value a read returns.
    static constexpr int MaxValueLength = 2047;

    explicit TIniFileStore(QString fileName);

    // The file a name refers to: an absolute path as it is, a relative one in the
    // user's configuration directory.
    static QString resolvePath(const QString& fileName);

    const QString& path() const { return m_path; }

    QString ReadString(const QString& section, const QString& ident,
                       const QString& defaultValue) override;
    void WriteString(const QString& section, const QString& ident, const QString& value) override;
    int ReadInteger(const QString& section, const QString& ident, int defaultValue) override;

private:
    QString m_path;
};
