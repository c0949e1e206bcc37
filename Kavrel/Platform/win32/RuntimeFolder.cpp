#include <Kavrel/Platform/RuntimeFolder.h>

#include "Win32.h"

namespace Kavrel::Platform
{

// Pipes and mutexes live in the kernel's namespaces here; the folder serves
// what else wants a private place: "kavrel" in the user's temporary folder,
// made open to this user alone. A link or junction planted in its place is
// not followed.
std::string GetRuntimeFolder()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    const std::wstring folder = std::wstring(temp, length) + L"kavrel";
    Win32::PrivateSecurity security;
    if (!security.Attributes())
        return {};
    if (!::CreateDirectoryW(folder.c_str(), security.Attributes()) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return {};
    return Win32::Narrow(folder);
}

} // namespace Kavrel::Platform
