// The exception root shared by every layer of the client.
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error with a message meant for the user. Every exception the client raises
// on purpose derives from this class.
class ESkelderError : public std::exception {
public:
    explicit ESkelderError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The silent abort: unwinds an operation without any message, used when the errors
// were shown already or are not to be shown at all.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The user cancelled: raised before a request that would have been sent after Cancel,
// and caught by the operation, which ends as cancelled.
class ECancelled : public EAbort {
public:
    const char* what() const noexcept override { return "Operation cancelled"; }
};

// A file could not be read or written.
class EFileError : public ESkelderError {
public:
    using ESkelderError::ESkelderError;
};

// The text of any exception, for display.
QString exceptionMessage(const std::exception& error);
