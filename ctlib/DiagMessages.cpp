#include "DiagMessages.h"

#include "CTLibCompat.h"
#include "CTLibException.h"
#include "StatementTrace.h"
#include "UserInterface.h"

#include <cstring>
#include <optional>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Library texts are read up to the first terminator or the field's full width.
QString fieldText(const char* field, size_t width)
{
    return QString::fromUtf8(field, int(strnlen(field, width)));
}

TServerMessage toRecord(const CS_SERVERMSG& msg)
{
    TServerMessage record;
    record.number = int(msg.msgnumber);
    record.state = int(msg.state);
    record.severity = int(msg.severity);
    record.text = fieldText(msg.text, sizeof msg.text);
    record.server = fieldText(msg.svrname, sizeof msg.svrname);
    record.procedure = fieldText(msg.proc, sizeof msg.proc);
    record.line = int(msg.line);
    record.status = int(msg.status);
    record.sqlState = fieldText(reinterpret_cast<const char*>(msg.sqlstate), sizeof msg.sqlstate);
    return record;
}

bool isBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

bool isShownServerMessage(const TServerMessage& msg)
{
    if (msg.number == 2401 || msg.number == 2409 || msg.number == 5701)
        return false;
    return msg.number >= 1000 || (msg.severity > 3 && !isBlank(msg.text));
}

QString formatServerError(const TServerMessage& msg, bool withLine)
{
    const QString linePart = withLine && msg.number != 4002
                                 ? QStringLiteral("Line     : ") + QString::number(msg.line) + kCrLf
                                 : QString();
    return QStringLiteral("Server   : ") + msg.server + kCrLf + QStringLiteral("Message  : ") +
           QString::number(msg.number) + kCrLf + QStringLiteral("Severity : ") +
           QString::number(msg.severity) + kCrLf + linePart + kCrLf + msg.text;
}

QString formatClientError(const TClientMessage& msg)
{
    return QStringLiteral("Message  : ") + QString::number(msg.number) + kCrLf +
           QStringLiteral("Severity : ") + QString::number(msg.severity) + kCrLf + kCrLf +
           msg.text + kCrLf + msg.osText;
}

void fire(const TNotifyEvent& event, QObject* sender)
{
    if (event)
        event(sender);
}

void showErrorWindow(const QString& text)
{
    UserInterface::instance().beep();
    UserInterface::instance().showMessageWindow(kErrorCaption, text,
                                                UserInterface::MessageWindowKind::Error);
}

TServerMessage libraryCause(const TClientMessage& msg)
{
    TServerMessage cause;
    cause.number = msg.number;
    cause.severity = msg.severity;
    cause.text = msg.text;
    return cause;
}

// Records, fires and shows one error; raises when the switches say so.
void reportError(CS_CONNECTION* connection, TMessageReporter& reporter,
                 const TDiagSwitches& switches, const TDiagPlan::Error& error)
{
    const QString& text = error.text;
    reporter.setLastError(text);
    reporter.setLastServerMessage(error.record);
    QObject* sender = reporter.reporterObject();
    fire(reporter.OnDbError, sender);
    ClearDiagMessages(connection);
    if (switches.raise) {
        if (switches.errorWindow) {
            if (switches.showErrors)
                showErrorWindow(text);
            fire(reporter.AfterDbError, sender);
            throw EAbort();
        }
        fire(reporter.AfterDbError, sender);
        if (switches.showErrors)
            throw EDatabaseError(text, sender, error.cause);
        throw EAbort();
    }
    if (switches.showErrors) {
        if (switches.errorWindow)
            showErrorWindow(text);
        else
            UserInterface::instance().showMessage(kErrorCaption, text, UserInterface::Icon::Error);
    }
    fire(reporter.AfterDbError, sender);
}

std::optional<TClientMessage> lastClientMessage(CS_CONNECTION* connection, CS_INT count)
{
    CS_CLIENTMSG msg;
    std::memset(&msg, 0, sizeof msg);
    if (count <= 0 || ct_diag(connection, CS_GET, CS_CLIENTMSG_TYPE, count, &msg) != CS_SUCCEED)
        return std::nullopt;
    // FreeTDS's own message numbers mean nothing to the vendor's decoding macros: the
    // severity field decides.
    return TClientMessage{int(msg.msgnumber), int(msg.severity),
                          fieldText(msg.msgstring, sizeof msg.msgstring),
                          fieldText(msg.osstring, sizeof msg.osstring)};
}

// Every library message of the call, not only the last one the processing looks at.
void traceLibraryMessages(CS_CONNECTION* connection, CS_INT count)
{
    if (!TStatementTrace::active())
        return;
    for (CS_INT index = 1; index <= count; ++index) {
        CS_CLIENTMSG msg;
        std::memset(&msg, 0, sizeof msg);
        if (ct_diag(connection, CS_GET, CS_CLIENTMSG_TYPE, index, &msg) != CS_SUCCEED)
            break;
        TStatementTrace::libraryMessage({int(msg.msgnumber), int(msg.severity),
                                         fieldText(msg.msgstring, sizeof msg.msgstring),
                                         fieldText(msg.osstring, sizeof msg.osstring)});
    }
}
}  // namespace

bool IsReportableMessage(int number)
{
    return number >= 1000 && number != 2401 && number != 2409 && number != 5701;
}

void ClearDiagMessages(CS_CONNECTION* connection)
{
    ct_diag(connection, CS_CLEAR, CS_SERVERMSG_TYPE, CS_UNUSED, nullptr);
    ct_diag(connection, CS_CLEAR, CS_CLIENTMSG_TYPE, CS_UNUSED, nullptr);
}

TDiagPlan PlanDiagMessages(const std::vector<TServerMessage>& serverMessages,
                           const std::optional<TClientMessage>& lastClientMessage, bool withLine)
{
    TDiagPlan plan;
    TServerMessage current;
    for (const TServerMessage& msg : serverMessages) {
        current = msg;
        if (!isShownServerMessage(msg))
            continue;
        if (msg.severity > 10) {
            plan.errors.push_back({formatServerError(msg, withLine), msg, msg});
            break;  // the remaining server messages are not looked at
        }
        if (plan.information.isEmpty())
            plan.information = QStringLiteral("Server   : ") + msg.server + kCrLf;
        plan.information += msg.text;
    }
    if (lastClientMessage && lastClientMessage->severity > 2 && !isBlank(lastClientMessage->text))
        plan.errors.push_back(
            {formatClientError(*lastClientMessage), current, libraryCause(*lastClientMessage)});
    if (isBlank(plan.information))
        plan.information.clear();
    return plan;
}

void ProcessDiagMessages(CS_CONNECTION* connection, TMessageReporter& reporter,
                         const TDiagSwitches& switches)
{
    if (!connection)
        return;
    CS_INT serverCount = 0;
    CS_INT clientCount = 0;
    ct_diag(connection, CS_STATUS, CS_SERVERMSG_TYPE, CS_UNUSED, &serverCount);
    ct_diag(connection, CS_STATUS, CS_CLIENTMSG_TYPE, CS_UNUSED, &clientCount);
    const std::optional<TClientMessage> client = lastClientMessage(connection, clientCount);
    std::vector<TServerMessage> serverMessages;
    for (CS_INT index = 1; index <= serverCount; ++index) {
        CS_SERVERMSG msg;
        std::memset(&msg, 0, sizeof msg);
        if (ct_diag(connection, CS_GET, CS_SERVERMSG_TYPE, index, &msg) != CS_SUCCEED)
            break;
        serverMessages.push_back(toRecord(msg));
        TStatementTrace::serverMessage(serverMessages.back());
    }
    traceLibraryMessages(connection, clientCount);
    const TDiagPlan plan =
        PlanDiagMessages(serverMessages, client, !reporter.reportsForConnection());
    for (const TDiagPlan::Error& error : plan.errors)
        reportError(connection, reporter, switches, error);
    ClearDiagMessages(connection);

    if (plan.information.isEmpty())
        return;
    QObject* sender = reporter.reporterObject();
    reporter.setLastMessage(plan.information);
    fire(reporter.OnDbMessage, sender);
    if (switches.showMessages) {
        if (switches.messageWindow)
            UserInterface::instance().showMessageWindow(kMessageCaption, plan.information,
                                                        UserInterface::MessageWindowKind::Message);
        else
            UserInterface::instance().showMessage(kMessageCaption, plan.information,
                                                  UserInterface::Icon::Information);
    }
    fire(reporter.AfterDbMessage, sender);
}
