#include <Kavrel/Platform/CommandLine.h>

#include "Win32.h"

#include <shellapi.h>

namespace Kavrel::Platform
{

// The system's own splitting, as every Windows program's C runtime does it;
// the UTF-16 arguments then become UTF-8 without loss.
std::vector<std::string> GetCommandLineArguments()
{
    int count = 0;
    LPWSTR* split = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!split)
        return {};
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        arguments.push_back(Win32::Narrow(split[i]));
    ::LocalFree(split);
    return arguments;
}

} // namespace Kavrel::Platform
