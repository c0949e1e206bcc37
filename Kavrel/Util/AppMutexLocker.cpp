#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Util/AppMutexLocker.h>

namespace Kavrel::Util
{

AppMutexLocker::AppMutexLocker(const std::vector<std::string>& mutexNames) : names(mutexNames) {}

AppMutexLocker::~AppMutexLocker() = default;

bool AppMutexLocker::TryLockAppMutex()
{
    using Kavrel::Platform::NamedMutex;
    bool allFree = true;
    for (const std::string& name : names)
    {
        auto mutex = std::make_unique<NamedMutex>(name, NamedMutex::Mode::HoldIfFree);
        if (mutex->IsHeld())
            taken.push_back(std::move(mutex));
        else if (!NamedMutex::LockFilePath(name).empty())
            allFree = false; // someone else holds it
    }
    return allFree;
}

} // namespace Kavrel::Util
