// The data-access layer's exceptions.
#pragma once

#include "CTLibTypes.h"
#include "Exceptions.h"

#include <QString>

class QObject;

// A failed library set-up call or an invalid context setting. A decimal number as text
// selects the fixed wording of that entry ("8" gives "ct_con_alloc Failed").
class ECTLibException : public ESkelderError {
public:
    explicit ECTLibException(const QString& text);

    // The fixed wording of entry `number`, or an empty text outside the table.
    static QString numberedText(int number);
};

// A database error; raised for a named component its message is that name, ": " and
// the text. An error the server or the library reported carries what they said as
// fields: number, severity, state, procedure and line (the library's own errors fill the
// number, the severity and the text only).
class EDatabaseError : public ESkelderError {
public:
    explicit EDatabaseError(const QString& text, const QObject* component = nullptr,
                            TServerMessage cause = {});

    const TServerMessage& cause() const { return m_cause; }
    // The message without the name of the component that raised it, for people who
    // never named the components.
    const QString& text() const { return m_text; }

private:
    TServerMessage m_cause;
    QString m_text;
};

// A text that should have been a number.
class EConvertError : public ESkelderError {
public:
    explicit EConvertError(const QString& text);
};
