#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Utf8.h>

namespace Kavrel::Platform
{

std::vector<std::string> SplitArgumentBlock(const std::string& block)
{
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < block.size())
    {
        size_t end = block.find('\0', start);
        if (end == std::string::npos)
            end = block.size();
        arguments.push_back(MakeValidUtf8(block.substr(start, end - start)));
        start = end + 1;
    }
    return arguments;
}

} // namespace Kavrel::Platform
