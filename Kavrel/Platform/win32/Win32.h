#pragma once

// The Windows API for the backend's sources: include after the layer's own
// headers, whose function names the API's ANSI/UTF-16 macros would rename.

#include <windows.h>

#undef GetEnvironmentVariable
#undef SetEnvironmentVariable
#undef GetUserName

#include <Kavrel/Platform/Utf8.h>

#include <optional>
#include <string>

namespace Kavrel::Platform::Win32
{

// UTF-8 at the layer's interface, UTF-16 for the system.
inline std::wstring Wide(const std::string& text)
{
    const std::u16string units = Utf16FromUtf8(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(const wchar_t* text, size_t length)
{
    return Utf8FromUtf16(std::u16string(text, text + length));
}

inline std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

// Kernel handles are shared with 32-bit processes and so fit in 32 bits;
// the layer's int handles carry them, -1 standing for none.
inline int FromHandle(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE ? static_cast<int>(HandleToLong(handle)) : -1;
}

inline HANDLE ToHandle(int handle) { return handle < 0 ? nullptr : LongToHandle(handle); }

// The variable's value from the process environment; nothing when unset.
std::optional<std::wstring> GetVariable(const std::wstring& name);

// The security identifier of the user this process runs as, in its string
// form ("S-1-5-21-..."); empty when the system does not tell.
std::wstring CurrentUserSid();
// The user a process runs as, in the same form; empty when it cannot be had.
std::wstring ProcessUserSid(HANDLE process);

// A security descriptor that gives the current user, and nobody else,
// full access; objects made with it are not inherited by children.
class PrivateSecurity
{
public:
    PrivateSecurity();
    ~PrivateSecurity();
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // Null when the descriptor could not be made (GetLastError tells why).
    SECURITY_ATTRIBUTES* Attributes() { return descriptor ? &attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes{};
};

} // namespace Kavrel::Platform::Win32
