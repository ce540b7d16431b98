#include "StatementTrace.h"

#include "CTLibTypes.h"
#include "DiagMessages.h"
#include "Exceptions.h"

#include <QDateTime>

TStatementTrace::TStatementTrace(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw EFileError(
            QStringLiteral("Cannot create trace file \"%1\": %2").arg(path, m_file.errorString()));
    m_clock.start();
    s_current = this;
    write(QStringLiteral("trace started"));
}

TStatementTrace::~TStatementTrace()
{
    finish();
}

QString TStatementTrace::finish()
{
    if (!m_finished) {
        write(QStringLiteral("trace ended"));
        m_finished = true;
        if (s_current == this)
            s_current = nullptr;
        m_file.close();
        if (m_failure.isEmpty() && m_file.error() != QFileDevice::NoError)
            m_failure = m_file.errorString();
    }
    return m_failure;
}

void TStatementTrace::write(const QString& title, const QString& text)
{
    QString record = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) +
                     QStringLiteral(" +%1 s  ").arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 3) +
                     title + QLatin1Char('\n');
    // Statements arrive with CR LF line ends; the record is indented line by line so
    // that a statement's lines never look like a record of their own.
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    while (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    if (!body.isEmpty()) {
        for (const QString& line : body.split(QLatin1Char('\n')))
            record += QStringLiteral("    ") + line + QLatin1Char('\n');
    }
    // Flushed at once: a run that hangs or is killed leaves its trace up to that point.
    // A write that fills the disk takes part of the bytes and gives Qt no reason; the second
    // flush is refused with the system's.
    if (!m_failure.isEmpty())
        return;
    const QByteArray bytes = record.toUtf8();
    if (m_file.write(bytes) != bytes.size() || (!m_file.flush() && !m_file.flush()))
        m_failure = m_file.errorString();
}

void TStatementTrace::loginStarted(const QString& serverName)
{
    if (s_current)
        s_current->write(QStringLiteral("login to server %1").arg(serverName));
}

void TStatementTrace::loginEnded(bool succeeded)
{
    if (s_current)
        s_current->write(succeeded ? QStringLiteral("logged in") : QStringLiteral("login failed"));
}

void TStatementTrace::statementSent(const QString& how, const QString& text)
{
    if (s_current)
        s_current->write(QStringLiteral("sent (%1):").arg(how), text);
}

void TStatementTrace::resultsEnded(qint64 millisecondsSinceSent)
{
    if (s_current)
        s_current->write(
            QStringLiteral("results ended, %1 ms after sending").arg(millisecondsSinceSent));
}

void TStatementTrace::serverMessage(const TServerMessage& message)
{
    if (!s_current)
        return;
    QString title = QStringLiteral("server message %1, severity %2, state %3")
                        .arg(message.number)
                        .arg(message.severity)
                        .arg(message.state);
    if (!message.procedure.isEmpty())
        title += QStringLiteral(", procedure ") + message.procedure;
    if (message.line > 0)
        title += QStringLiteral(", line %1").arg(message.line);
    s_current->write(title + QLatin1Char(':'), message.text);
}

void TStatementTrace::libraryMessage(const TClientMessage& message)
{
    if (!s_current)
        return;
    QString text = message.text;
    if (!message.osText.trimmed().isEmpty())
        text += QLatin1Char('\n') + message.osText;
    s_current->write(QStringLiteral("library message %1, severity %2:")
                         .arg(message.number)
                         .arg(message.severity),
                     text);
}

void TStatementTrace::loggedOut(const QString& serverName)
{
    if (s_current)
        s_current->write(QStringLiteral("logout from server %1").arg(serverName));
}
