#include <Kavrel/Platform/ProcessStarter.h>

#include <atomic>

namespace Kavrel::Platform
{

namespace
{
ProcessStarter systemStarter;
std::atomic<ProcessStarter*> currentStarter{nullptr};
} // namespace

ProcessStarter::~ProcessStarter() = default;

StartedProcess ProcessStarter::StartDetached(const std::vector<std::string>& arguments)
{
    return StartDetachedIn(arguments, std::string());
}

ProcessStarter& GetProcessStarter()
{
    ProcessStarter* starter = currentStarter.load();
    return starter ? *starter : systemStarter;
}

ProcessStarter* SetProcessStarter(ProcessStarter* starter)
{
    ProcessStarter* previous = currentStarter.exchange(starter);
    return previous ? previous : &systemStarter;
}

} // namespace Kavrel::Platform
