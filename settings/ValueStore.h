// One place where named values live: an INI file, the registry (the platform's
// per-user key-value store) or INI text in a list of strings. Each store knows its
// own encodings of integers, booleans and floats.
#pragma once

#include <QString>

class TValueStore {
public:
    virtual ~TValueStore() = default;

    virtual QString ReadString(const QString& section, const QString& ident,
                               const QString& defaultValue) = 0;
    virtual void WriteString(const QString& section, const QString& ident,
                             const QString& value) = 0;

    virtual int ReadInteger(const QString& section, const QString& ident, int defaultValue);
    virtual bool ReadBool(const QString& section, const QString& ident, bool defaultValue);
    virtual double ReadFloat(const QString& section, const QString& ident, double defaultValue);

    void WriteInteger(const QString& section, const QString& ident, int value);
    void WriteBool(const QString& section, const QString& ident, bool value);
    void WriteFloat(const QString& section, const QString& ident, double value);

    // The general float-to-text form: up to 15 significant digits.
    static QString floatToText(double value);
};
