// The parameter collection of a query: one entry per ":name" marker of its SQL.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
};

struct TParam {
    QString Name;
    TParamType ParamType = ptInput;
    TFieldType DataType = ftUnknown;
    QVariant Value;

    // The value as text; empty for a null value.
    QString AsString() const { return Value.isNull() ? QString() : Value.toString(); }
};

class TParams {
public:
    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    TParam& operator[](int index) { return m_items.at(size_t(index)); }
    const TParam& operator[](int index) const { return m_items.at(size_t(index)); }
    // nullptr when no parameter has that name (compared without regard to case).
    TParam* FindParam(const QString& name);
    // As FindParam, but a missing name raises a database error.
    TParam& ParamByName(const QString& name);
    void Add(TParam param) { m_items.push_back(std::move(param)); }
    void Clear() { m_items.clear(); }
    // Copies the values (and types) of same-named parameters of `other`.
    void AssignValues(const TParams& other);

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<TParam> m_items;
};

// Replaces each ":name" outside quoted literals by "?" and lists the names in order.
// A doubled colon ("::") stands for one colon and starts no marker.
struct TParsedSql {
    QString text;
    QStringList names;
};
TParsedSql ParseSqlParams(const QString& sql);
