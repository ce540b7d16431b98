#include "CTLibException.h"

#include <QObject>
#include <array>

namespace {
const std::array<const char*, 25> kNumberedTexts = {
    "ctx_alloc Failed",
    "ct_init Failed",
    "cs_loc_alloc Failed",
    "ct_callback Failed for CS_SERVERMSG_CB",
    "ct_callback Failed for CS_CLIENTMSG_CB",
    "ct_callback Failed for CS_COMPLETION_CB",
    "Invalid MaxConnect value",
    "Invalid TimeOut value",
    "ct_con_alloc Failed",
    "ct_con_props CS_ASYNC_NOTIFS Failed",
    "ct_con_props CS_BULK_LOGIN Failed",
    "ct_con_props CS_DIAG_TIMEOUT Failed",
    "ct_con_props CS_EXTRA_INF Failed",
    "ct_con_props CS_HIDDEN_KEYS Failed",
    "ct_con_props CS_LOGIN_STATUS Failed",
    "ct_con_props CS_SEC_ENCRYPTION Failed",
    "ct_con_props CS_SEC_NEGOTIATE Failed",
    "ct_con_props CS_PACKETSIZE Failed",
    "ct_con_props CS_USERNAME Failed",
    "ct_con_props CS_PASSWORD Failed",
    "ct_con_props CS_APPNAME Failed",
    "ct_con_props CS_HOSTNAME Failed",
    "ct_command Failed",
    "ct_send Failed",
    "cs_locale Failed",
};

// A text that is a decimal number selects a table entry; numbers outside the table
// keep the text as it is.
QString resolve(const QString& text)
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber)
        return text;
    const QString entry = ECTLibException::numberedText(number);
    return entry.isEmpty() ? text : entry;
}

QString prefixed(const QString& text, const QObject* component)
{
    if (component && !component->objectName().isEmpty())
        return component->objectName() + QStringLiteral(": ") + text;
    return text;
}
}  // namespace

ECTLibException::ECTLibException(const QString& text) : ESkelderError(resolve(text)) {}

QString ECTLibException::numberedText(int number)
{
    if (number < 0 || number >= int(kNumberedTexts.size()))
        return QString();
    return QString::fromLatin1(kNumberedTexts[size_t(number)]);
}

EDatabaseError::EDatabaseError(const QString& text, const QObject* component, TServerMessage cause)
    : ESkelderError(prefixed(text, component)), m_cause(std::move(cause)), m_text(text)
{
}

EConvertError::EConvertError(const QString& text) : ESkelderError(text) {}
