#include <Kavrel/Platform/CommandLine.h>

#include <fstream>
#include <iterator>

namespace Kavrel::Platform
{

std::vector<std::string> GetCommandLineArguments()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    if (!file)
        return {};
    const std::string block((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return SplitArgumentBlock(block);
}

} // namespace Kavrel::Platform
