#include <Kavrel/Platform/Environment.h>

#include "Win32.h"

#include <cstdlib>

namespace Kavrel::Platform
{

namespace
{
// An empty value counts as unset, as it does for the system's own folders.
std::optional<std::string> NonEmpty(const std::string& name)
{
    auto value = GetEnvironmentVariable(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}
} // namespace

std::optional<std::string> GetEnvironmentVariable(const std::string& name)
{
    const auto value = Win32::GetVariable(Win32::Wide(name));
    if (!value)
        return std::nullopt;
    return Win32::Narrow(*value);
}

void SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    const std::wstring wideName = Win32::Wide(name);
    const std::wstring wideValue = Win32::Wide(value);
    // The C runtime keeps a copy of its own, which Qt reads: both must agree.
    // "NAME=" removes the variable from it.
    ::_wputenv((wideName + L"=" + wideValue).c_str());
    ::SetEnvironmentVariableW(wideName.c_str(), value.empty() ? nullptr : wideValue.c_str());
}

std::string GetUserName()
{
    if (auto name = NonEmpty("USERNAME"))
        return *name;
    return NonEmpty("USER").value_or(std::string());
}

std::optional<std::string> GetLocalAppDataFolder()
{
    if (auto folder = NonEmpty("LOCALAPPDATA"))
        return folder;
    if (auto profile = NonEmpty("USERPROFILE"))
        return *profile + "\\Local settings\\Application Data";
    return std::nullopt;
}

} // namespace Kavrel::Platform
