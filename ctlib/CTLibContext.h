// TCTLibContext: one Client-Library context with its CS-Library locale, the
// context-wide settings, and the process-wide registry of contexts.
#pragma once

#include "CTHandles.h"

#include <QObject>
#include <QString>

class TCTLibContext : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ContextName MEMBER ContextName)
    Q_PROPERTY(QString IniFile READ iniFile WRITE setIniFile)
    Q_PROPERTY(QString CharSet READ charSet WRITE setCharSet)
    Q_PROPERTY(QString Language READ language WRITE setLanguage)
    Q_PROPERTY(QString SortOrder READ sortOrder WRITE setSortOrder)
    Q_PROPERTY(int MaxConnect READ maxConnect WRITE setMaxConnect)
    Q_PROPERTY(int TimeOut READ timeOut WRITE setTimeOut)
    Q_PROPERTY(int LoginTimeOut READ loginTimeOut WRITE setLoginTimeOut)
    Q_PROPERTY(QString CTLibVersion READ ctLibVersion)
    Q_PROPERTY(bool Monitor MEMBER Monitor)
    Q_PROPERTY(QString About MEMBER About)

public:
    // Initialises the library; raises ECTLibException when it cannot.
    explicit TCTLibContext(QObject* owner = nullptr);
    ~TCTLibContext() override;

    // Names the component, registers it and derives ContextName.
    void SetName(const QString& name);

    QString ContextName = QStringLiteral("default");
    bool Monitor = false;
    QString About;

    QString iniFile() const { return m_iniFile; }
    void setIniFile(const QString& path);
    QString charSet() const { return m_charSet; }
    void setCharSet(const QString& name);
    QString language() const;
    void setLanguage(const QString& name);
    QString sortOrder() const;
    void setSortOrder(const QString& name);
    int maxConnect() const;
    void setMaxConnect(int value);
    int timeOut() const;
    void setTimeOut(int seconds);
    // Seconds to wait for the server's answer to a login; 0 leaves the library's limit.
    int loginTimeOut() const { return m_loginTimeOut; }
    void setLoginTimeOut(int seconds);
    QString ctLibVersion() const;

    _cs_context* handle() const { return m_context.get(); }

private:
    QString readLocale(int item) const;
    void writeLocale(int item, const QString& name, const char* failure);
    void configurePositive(int property, int value, int& stored, const char* failure);

    TContextHandle m_context;
    TLocaleHandle m_locale;
    QString m_iniFile;
    QString m_charSet;
    mutable QString m_language;
    mutable QString m_sortOrder;
    int m_maxConnect = 25;
    int m_timeOut = 60;
    int m_loginTimeOut = 0;
};

// The first registered context whose ContextName is `name` (exact); nullptr otherwise.
TCTLibContext* FindContext(const QString& name);
_cs_context* FindContextHandle(const QString& name);
// The registered contexts in the order they were named.
QList<TCTLibContext*> RegisteredContexts();
