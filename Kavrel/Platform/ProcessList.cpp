#include "Backend.h"

#include <Kavrel/Platform/ProcessList.h>

#include <mutex>

namespace Kavrel::Platform
{

namespace
{
std::mutex listerMutex;
ExecutableLister replacement;
} // namespace

std::vector<std::string> ListRunningExecutables()
{
    ExecutableLister lister;
    {
        std::lock_guard<std::mutex> lock(listerMutex);
        lister = replacement;
    }
    return lister ? lister() : Backend::ScanProcessTable();
}

ExecutableLister SetExecutableLister(ExecutableLister lister)
{
    std::lock_guard<std::mutex> lock(listerMutex);
    std::swap(replacement, lister);
    return lister;
}

} // namespace Kavrel::Platform
