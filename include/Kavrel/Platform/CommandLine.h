#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// The command line of the running process as the system holds it, split into
/// arguments, each valid UTF-8 (on Windows GetCommandLineW split by
/// CommandLineToArgvW). The first entry is the program as started.
/// Falls back to an empty list when the system does not give it.
KAVRELPLATFORM_EXPORT std::vector<std::string> GetCommandLineArguments();

/// Splits a raw NUL-separated argument block (the form the system keeps).
KAVRELPLATFORM_EXPORT std::vector<std::string> SplitArgumentBlock(const std::string& block);

} // namespace Kavrel::Platform
