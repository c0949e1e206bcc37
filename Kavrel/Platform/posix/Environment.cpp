#include <Kavrel/Platform/Environment.h>

#include <cstdlib>

namespace Kavrel::Platform
{

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
    if (auto name = GetEnvironmentVariable("USERNAME"))
        return *name;
    return GetEnvironmentVariable("USER").value_or(std::string());
}

std::optional<std::string> GetLocalAppDataFolder()
{
    if (auto folder = GetEnvironmentVariable("LOCALAPPDATA"))
        return folder;
    if (auto profile = GetEnvironmentVariable("USERPROFILE"))
        return *profile + "/Local settings/Application Data";
    if (auto state = GetEnvironmentVariable("XDG_STATE_HOME"); state && !state->empty())
        return state;
    if (auto home = GetEnvironmentVariable("HOME"); home && !home->empty())
        return *home + "/.local/state";
    return std::nullopt;
}

} // namespace Kavrel::Platform
