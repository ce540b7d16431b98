// Move-only owners of the Client-Library handles. The library's own structures stay
// opaque here so that no header the GUI includes pulls in ctpublic.h.
#pragma once

#include <utility>

struct _cs_context;
struct _cs_locale;
struct _cs_connection;
struct _cs_command;

// Common shape: holds one pointer, releases it in the destructor (which never throws).
template <typename Handle, void (*Release)(Handle*) noexcept>
class THandleOwner {
public:
    THandleOwner() = default;
    explicit THandleOwner(Handle* handle) : m_handle(handle) {}
    ~THandleOwner() { reset(); }
    THandleOwner(const THandleOwner&) = delete;
    THandleOwner& operator=(const THandleOwner&) = delete;
    THandleOwner(THandleOwner&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr))
    {
    }
    THandleOwner& operator=(THandleOwner&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    Handle* get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset(Handle* handle = nullptr)
    {
        if (m_handle)
            Release(m_handle);
        m_handle = handle;
    }
    Handle* release() { return std::exchange(m_handle, nullptr); }

private:
    Handle* m_handle = nullptr;
};

namespace ctlib_detail {
void releaseContext(_cs_context* context) noexcept;           // ct_exit(force) + cs_ctx_drop
void releaseConnection(_cs_connection* connection) noexcept;  // ct_close(force) + ct_con_drop
void releaseCommand(_cs_command* command) noexcept;           // ct_cancel(all) + ct_cmd_drop
}  // namespace ctlib_detail

using TContextHandle = THandleOwner<_cs_context, ctlib_detail::releaseContext>;
using TConnectionHandle = THandleOwner<_cs_connection, ctlib_detail::releaseConnection>;
using TCommandHandle = THandleOwner<_cs_command, ctlib_detail::releaseCommand>;

// A locale needs its context to be dropped, so it keeps both.
class TLocaleHandle {
public:
    TLocaleHandle() = default;
    TLocaleHandle(_cs_context* context, _cs_locale* locale) : m_context(context), m_locale(locale)
    {
    }
    ~TLocaleHandle();
    TLocaleHandle(const TLocaleHandle&) = delete;
    TLocaleHandle& operator=(const TLocaleHandle&) = delete;
    TLocaleHandle(TLocaleHandle&& other) noexcept
        : m_context(other.m_context), m_locale(std::exchange(other.m_locale, nullptr))
    {
    }
    TLocaleHandle& operator=(TLocaleHandle&& other) noexcept;

    _cs_locale* get() const { return m_locale; }

private:
    _cs_context* m_context = nullptr;
    _cs_locale* m_locale = nullptr;
};
