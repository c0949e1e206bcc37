#include "Win32.h"

#include <sddl.h>

#include <vector>

namespace Kavrel::Platform::Win32
{

std::optional<std::wstring> GetVariable(const std::wstring& name)
{
    std::wstring value(128, L'\0');
    while (true)
    {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length =
            ::GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0)
        {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND)
                return std::nullopt;
            return std::wstring();
        }
        if (length < value.size())
        {
            value.resize(length);
            return value;
        }
        value.resize(length); // the length it needs, terminator included
    }
}

std::wstring ProcessUserSid(HANDLE process)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    std::wstring result;
    LPWSTR text = nullptr;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    {
        result = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return result;
}

std::wstring CurrentUserSid() { return ProcessUserSid(::GetCurrentProcess()); }

PrivateSecurity::PrivateSecurity()
{
    const std::wstring user = CurrentUserSid();
    if (user.empty())
        return;
    // Protected (nothing inherited from the container), one entry: this user.
    const std::wstring sddl = L"D:P(A;OICI;GA;;;" + user + L")";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                nullptr))
    {
        descriptor = nullptr;
        return;
    }
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = descriptor;
    attributes.bInheritHandle = FALSE;
}

PrivateSecurity::~PrivateSecurity()
{
    if (descriptor)
        ::LocalFree(descriptor);
}

} // namespace Kavrel::Platform::Win32
