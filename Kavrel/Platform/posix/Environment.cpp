#include <Kavrel/Platform/Environment.h>

#include <cstdlib>

namespace Kavrel::Platform
{

namespace
{
// An empty value counts as unset, as it does on Windows.
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
    const char* value = std::getenv(name.c_str());
    if (!value)
        return std::nullopt;
    return std::string(value);
}

void SetEnvironmentVariable(const std::string& name, const std::string& value)
{
    if (value.empty())
        ::unsetenv(name.c_str());
    else
        ::setenv(name.c_str(), value.c_str(), 1);
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
        return *profile + "/Local settings/Application Data";
    if (auto state = NonEmpty("XDG_STATE_HOME"))
        return state;
    if (auto home = NonEmpty("HOME"))
        return *home + "/.local/state";
    return std::nullopt;
}

} // namespace Kavrel::Platform
