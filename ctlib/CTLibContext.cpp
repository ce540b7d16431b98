#include "CTLibContext.h"

#include "CTLibCompat.h"
#include "CTLibException.h"
#include "ServerList.h"

#include <langinfo.h>
#include <QList>
#include <QRegularExpression>
#include <clocale>
#include <cstring>
#include <memory>
#include <vector>

namespace {
// Created on first use, released when its last member leaves.
std::unique_ptr<QList<TCTLibContext*>> contextRegistry;

QList<TCTLibContext*>& registry()
{
    if (!contextRegistry)
        contextRegistry = std::make_unique<QList<TCTLibContext*>>();
    return *contextRegistry;
}

// The library contexts stay allocated until the process ends: a connection that was
// opened on a context keeps using the handle even after the component is gone.
std::vector<TContextHandle>& retiredContexts()
{
    static std::vector<TContextHandle> retired;
    return retired;
}

CS_RETCODE completionCallback(CS_CONNECTION*, CS_COMMAND*, CS_INT, CS_RETCODE)
{
    return 0;
}

void fail(const char* text)
{
    throw ECTLibException(QString::fromLatin1(text));
}
// FreeTDS converts every text to the character set of the process's locale, and the
// client decodes every text as UTF-8: under any other locale a character would arrive
// replaced. The character type of the locale is made UTF-8 before the first context.
void requireUtf8Client()
{
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0))
        return;
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "en_US.UTF-8");
}
}  // namespace

TCTLibContext::TCTLibContext(QObject* owner) : QObject(owner)
{
    requireUtf8Client();
    m_iniFile = defaultInterfacesFile();
    CS_CONTEXT* context = nullptr;
    if (cs_ctx_alloc(CS_VERSION_110, &context) != CS_SUCCEED || !context)
        fail("ct_ctx_alloc Failed");
    if (ct_init(context, CS_VERSION_110) != CS_SUCCEED) {
        cs_ctx_drop(context);
        fail("ct_init Failed");
    }
    m_context.reset(context);
    CS_LOCALE* locale = nullptr;
    if (cs_loc_alloc(context, &locale) != CS_SUCCEED || !locale)
        fail("cs_loc_alloc Failed");
    m_locale = TLocaleHandle(context, locale);
    char buffer[32] = {};
    CS_INT length = 0;
    if (cs_locale(context, CS_GET, locale, CS_SYB_CHARSET, buffer, sizeof buffer, &length) !=
        CS_SUCCEED)
        fail("cs_locale Failed");
    m_charSet = QString::fromLatin1(buffer, int(strnlen(buffer, sizeof buffer)));
    if (ct_callback(context, nullptr, CS_SET, CS_COMPLETION_CB,
                    reinterpret_cast<CS_VOID*>(&completionCallback)) != CS_SUCCEED)
        fail("ct_callback Failed for CS_COMPLETION_CB");
    CS_INT timeout = m_timeOut;
    ct_config(context, CS_SET, CS_TIMEOUT, &timeout, CS_UNUSED, nullptr);
    CS_INT noInterrupt = CS_FALSE;
    ct_config(context, CS_SET, CS_NOINTERRUPT, &noInterrupt, CS_UNUSED, nullptr);
}

TCTLibContext::~TCTLibContext()
{
    if (contextRegistry) {
        contextRegistry->removeAll(this);
        if (contextRegistry->isEmpty())
            contextRegistry.reset();
    }
    m_locale = TLocaleHandle();
    retiredContexts().push_back(std::move(m_context));
}

void TCTLibContext::SetName(const QString& name)
{
    setObjectName(name);
    QList<TCTLibContext*>& contexts = registry();
    if (!contexts.contains(this))
        contexts.append(this);
    ContextName = contexts.size() == 1
                      ? QStringLiteral("default")
                      : QStringLiteral("context") + QString::number(contexts.size());
}

void TCTLibContext::setIniFile(const QString& path)
{
    if (path.trimmed().isEmpty())
        return;
    // FreeTDS ignores CS_IFILE; connections point it at their file through FREETDSCONF.
    QByteArray name = path.toLocal8Bit();
    ct_config(handle(), CS_SET, CS_IFILE, name.data(), CS_NULLTERM, nullptr);
    m_iniFile = path;
}

void TCTLibContext::writeLocale(int item, const QString& name, const char* failure)
{
    QByteArray value = name.toLocal8Bit();
    if (cs_locale(handle(), CS_SET, m_locale.get(), item, value.data(), CS_NULLTERM, nullptr) !=
        CS_SUCCEED)
        fail(failure);
}

QString TCTLibContext::readLocale(int item) const
{
    char buffer[31] = {};
    CS_INT length = 0;
    if (cs_locale(handle(), CS_GET, m_locale.get(), item, buffer, sizeof buffer, &length) !=
        CS_SUCCEED)
        return QString();
    // FreeTDS does not write the length on success; the terminator counts.
    return QString::fromLatin1(buffer, int(strnlen(buffer, sizeof buffer)));
}

void TCTLibContext::setCharSet(const QString& name)
{
    writeLocale(CS_SYB_CHARSET, name, "cs_locale Failed. Invalid CS_SYB_CHARSET");
    m_charSet = name;
}

QString TCTLibContext::language() const
{
    m_language = readLocale(CS_SYB_LANG);
    return m_language;
}

void TCTLibContext::setLanguage(const QString& name)
{
    writeLocale(CS_SYB_LANG, name, "cs_locale Failed. Invalid CS_SYB_LANG");
    m_language = name;
}

// FreeTDS's CS-Library has no sort order: it refuses every name and reads none back. A
// name that can be a sort order is kept for the reads; the server's own order applies.
QString TCTLibContext::sortOrder() const
{
    const QString fromLibrary = readLocale(CS_SYB_SORTORDER);
    if (!fromLibrary.isEmpty())
        m_sortOrder = fromLibrary;
    return m_sortOrder;
}

void TCTLibContext::setSortOrder(const QString& name)
{
    static const QRegularExpression sortOrderName(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,29}$"));
    if (!sortOrderName.match(name).hasMatch())
        fail("cs_locale Failed. Invalid CS_SYB_SORTORDER");
    QByteArray value = name.toLocal8Bit();
    cs_locale(handle(), CS_SET, m_locale.get(), CS_SYB_SORTORDER, value.data(), CS_NULLTERM,
              nullptr);
    m_sortOrder = name;
}

int TCTLibContext::maxConnect() const
{
    // FreeTDS leaves the buffer untouched, so the stored value is the answer then.
    CS_INT value = m_maxConnect;
    ct_config(handle(), CS_GET, CS_MAX_CONNECT, &value, CS_UNUSED, nullptr);
    return int(value);
}

// A positive number of the library's configuration, kept in `stored` as well.
void TCTLibContext::configurePositive(int property, int value, int& stored, const char* failure)
{
    if (value < 1)
        fail(failure);
    stored = value;
    CS_INT v = value;
    ct_config(handle(), CS_SET, property, &v, CS_UNUSED, nullptr);
}

void TCTLibContext::setMaxConnect(int value)
{
    configurePositive(CS_MAX_CONNECT, value, m_maxConnect, "Invalid MaxConnect value");
}

int TCTLibContext::timeOut() const
{
    CS_INT value = m_timeOut;
    ct_config(handle(), CS_GET, CS_TIMEOUT, &value, CS_UNUSED, nullptr);
    return int(value);
}

void TCTLibContext::setTimeOut(int seconds)
{
    configurePositive(CS_TIMEOUT, seconds, m_timeOut, "Invalid TimeOut value");
}

void TCTLibContext::setLoginTimeOut(int seconds)
{
    configurePositive(CS_LOGIN_TIMEOUT, seconds, m_loginTimeOut, "Invalid LoginTimeOut value");
}

QString TCTLibContext::ctLibVersion() const
{
    char buffer[1025] = {};
    CS_INT length = 0;
    if (ct_config(handle(), CS_GET, CS_VER_STRING, buffer, sizeof buffer - 1, &length) !=
        CS_SUCCEED)
        return QString();
    return QString::fromLatin1(buffer, int(strnlen(buffer, sizeof buffer)));
}

TCTLibContext* FindContext(const QString& name)
{
    if (!contextRegistry)
        return nullptr;
    for (TCTLibContext* context : *contextRegistry) {
        if (context->ContextName == name)
            return context;
    }
    return nullptr;
}

CS_CONTEXT* FindContextHandle(const QString& name)
{
    TCTLibContext* context = FindContext(name);
    return context ? context->handle() : nullptr;
}

QList<TCTLibContext*> RegisteredContexts()
{
    return contextRegistry ? *contextRegistry : QList<TCTLibContext*>();
}
