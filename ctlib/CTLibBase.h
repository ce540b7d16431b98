// TCTLibBase: the base of the database-bound components that are not queries (the
// catalog reader), and the process-wide registry through which a renamed connection
// re-points them.
#pragma once

#include "CTLibTypes.h"

#include <QList>
#include <QObject>

class TCTLibBase : public QObject, public TMessageReporter {
    Q_OBJECT
    Q_PROPERTY(QString DbName MEMBER DbName)
    Q_PROPERTY(int MsgDialogs READ msgDialogsValue WRITE setMsgDialogsValue)
    Q_PROPERTY(int ShowDbMessages READ showDbMessagesValue WRITE setShowDbMessagesValue)
    Q_PROPERTY(bool Monitor MEMBER Monitor)
    Q_PROPERTY(int ExecCursor MEMBER ExecCursor)
    Q_PROPERTY(bool UseExecCursor MEMBER UseExecCursor)
    Q_PROPERTY(QString About MEMBER About)

public:
    explicit TCTLibBase(QObject* owner = nullptr);
    ~TCTLibBase() override;

    // Names the component and adds it to the bound-component registry.
    void SetName(const QString& name);

    QString DbName;
    TMsgDialogs MsgDialogs;
    TShowDbMessages ShowDbMessages = smDbMsg | smDbErr;
    bool Monitor = false;
    int ExecCursor = -17;
    bool UseExecCursor = true;
    QString About;
    QObject* reporterObject() override { return this; }

private:
    int msgDialogsValue() const { return int(MsgDialogs); }
    void setMsgDialogsValue(int v) { MsgDialogs = TMsgDialogs(v); }
    int showDbMessagesValue() const { return int(ShowDbMessages); }
    void setShowDbMessagesValue(int v) { ShowDbMessages = TShowDbMessages(v); }
};

// The named bound components, in the order they were named.
QList<TCTLibBase*> RegisteredBoundComponents();
