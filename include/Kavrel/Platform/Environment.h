#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <optional>
#include <string>

namespace Kavrel::Platform
{

/// The variable's value, or nothing when it is not set.
KAVRELPLATFORM_EXPORT std::optional<std::string> GetEnvironmentVariable(const std::string& name);

/// Sets the variable for this process and the ones it starts. An empty value
/// removes it, as the Windows call does.
KAVRELPLATFORM_EXPORT void SetEnvironmentVariable(const std::string& name, const std::string& value);

/// The login name of the user: "USERNAME", else "USER"; empty when neither is set.
KAVRELPLATFORM_EXPORT std::string GetUserName();

/// The per-user base folder for application data such as logs: "LOCALAPPDATA";
/// else "USERPROFILE" + "/Local settings/Application Data" (with backslashes
/// on Windows); on Linux then "$XDG_STATE_HOME", else "$HOME/.local/state";
/// nothing when none is known.
KAVRELPLATFORM_EXPORT std::optional<std::string> GetLocalAppDataFolder();

} // namespace Kavrel::Platform
