#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/Platform/CommandLine.h>
#include <Kavrel/Platform/Environment.h>

#include <memory>
#include <string>
#include <vector>

namespace Kavrel::App
{

int EntryWrapper(MainFunction mainFunction)
{
    // Each argument arrives as valid UTF-8 (invalid bytes become U+FFFD).
    const std::vector<std::string> arguments = Kavrel::Platform::GetCommandLineArguments();

    size_t bufferSize = 1;
    for (const std::string& argument : arguments)
        bufferSize += argument.size() + 1;

    // One buffer holding every argument followed by its zero byte, one more
    // zero byte at the end; the pointer array has no terminating entry.
    std::unique_ptr<char[]> buffer(new char[bufferSize]);
    std::unique_ptr<char*[]> argv(new char*[arguments.empty() ? 1 : arguments.size()]);
    char* cursor = buffer.get();
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        argv[i] = cursor;
        cursor = std::copy(arguments[i].begin(), arguments[i].end(), cursor);
        *cursor++ = '\0';
    }
    *cursor = '\0';

    if (mainFunction.empty())
        throw boost::bad_function_call();
    return mainFunction(static_cast<int>(arguments.size()), argv.get());
}

void HighDpiFix() { Kavrel::Platform::SetEnvironmentVariable("QT_DEVICE_PIXEL_RATIO", "auto"); }

} // namespace Kavrel::App
