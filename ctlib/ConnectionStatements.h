// The statements a connection runs for itself: USE, the init string, "set rowcount", the
// idle statement and the version query. They run one command at a time on the
// connection's own handle, and their messages are processed as a query's would be, with
// this object as the events' sender.
#pragma once

#include "CTLibTypes.h"

#include <QObject>
#include <QString>

class TCTLibDatabase;

class TConnectionStatements : public QObject, public TMessageReporter {
    Q_OBJECT

public:
    explicit TConnectionStatements(TCTLibDatabase& connection);

    // How messages are shown; set from the connection at each login.
    TMsgDialogs MsgDialogs;
    TShowDbMessages ShowDbMessages = smDbMsg | smDbErr;

    // Runs `sql` to the end of its results and returns the first column of the last row
    // it gave (empty without rows). Server errors raise as a query's do.
    QString run(const QString& sql);

    QObject* reporterObject() override { return this; }
    // What is recorded is recorded for the connection as well.
    void setLastError(const QString& text) override;
    void setLastMessage(const QString& text) override;
    void setLastServerMessage(const TServerMessage& message) override;

private:
    void processMessages();

    TCTLibDatabase& m_connection;
};
