// The shared processing of the server and library messages queued on a connection.
#pragma once

#include "CTLibTypes.h"

#include <QString>
#include <optional>
#include <vector>

struct _cs_connection;

// The switches of the reporting component for one processing run.
struct TDiagSwitches {
    bool raise = true;           // errors end the caller
    bool showErrors = true;      // smDbErr
    bool showMessages = true;    // smDbMsg
    bool errorWindow = false;    // mdEnhErr
    bool messageWindow = false;  // mdEnhMsg

    static TDiagSwitches from(bool raise, TShowDbMessages shown, TMsgDialogs dialogs)
    {
        return {raise, shown.testFlag(smDbErr), shown.testFlag(smDbMsg), dialogs.testFlag(mdEnhErr),
                dialogs.testFlag(mdEnhMsg)};
    }
};

// The last library message of a call, as far as the processing looks at it.
struct TClientMessage {
    int number = 0;
    int severity = 0;
    QString text;
    QString osText;
};

// What one processing run does with the messages it read: the errors to report in
// order (the first server error, then the library error) and the information text
// collected before the first server error.
struct TDiagPlan {
    struct Error {
        QString text;
        TServerMessage record;  // the server message read last when the error was found
        TServerMessage cause;   // what reported the error: the server, or the library
    };
    std::vector<Error> errors;
    QString information;
};
TDiagPlan PlanDiagMessages(const std::vector<TServerMessage>& serverMessages,
                           const std::optional<TClientMessage>& lastClientMessage, bool withLine);

// Reads the queued messages, drops those not worth showing, records, fires the
// reporter's events, shows, and raises (EDatabaseError or EAbort) per the switches.
void ProcessDiagMessages(_cs_connection* connection, TMessageReporter& reporter,
                         const TDiagSwitches& switches);
// Empties both message queues.
void ClearDiagMessages(_cs_connection* connection);
// False for numbers below 1000 and for 2401, 2409 and 5701.
bool IsReportableMessage(int number);

// The captions of the message boxes and message windows.
inline const QString kMessageCaption = QStringLiteral("CT-Library message");
inline const QString kErrorCaption = QStringLiteral("CT-Library error");
// A command's results ended as cancelled though no cancel was sent: the reply was damaged,
// and what is left of it would be read as the answers to the next commands.
inline const QString kUnaskedCancelText = QStringLiteral(
    "The server's reply was malformed: it ended as cancelled, though no cancel "
    "was sent.");
