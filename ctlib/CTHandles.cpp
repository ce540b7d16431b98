#include "CTHandles.h"

#include "CTLibCompat.h"

namespace ctlib_detail {

void releaseContext(_cs_context* context) noexcept
{
    ct_exit(context, CS_FORCE_EXIT);
    cs_ctx_drop(context);
}

void releaseConnection(_cs_connection* connection) noexcept
{
    ct_close(connection, CS_FORCE_CLOSE);
    ct_con_drop(connection);
}

void releaseCommand(_cs_command* command) noexcept
{
    // A command with pending results cannot be dropped; FreeTDS flags it after the
    // cancel, and one ct_results call clears that flag.
    if (ct_cancel(nullptr, command, CS_CANCEL_ALL) == CS_SUCCEED) {
        CS_INT type = 0;
        while (ct_results(command, &type) == CS_SUCCEED) {
        }
    }
    ct_cmd_drop(command);
}

}  // namespace ctlib_detail

TLocaleHandle::~TLocaleHandle()
{
    if (m_locale)
        cs_loc_drop(m_context, m_locale);
}

TLocaleHandle& TLocaleHandle::operator=(TLocaleHandle&& other) noexcept
{
    if (this != &other) {
        if (m_locale)
            cs_loc_drop(m_context, m_locale);
        m_context = other.m_context;
        m_locale = std::exchange(other.m_locale, nullptr);
    }
    return *this;
}
