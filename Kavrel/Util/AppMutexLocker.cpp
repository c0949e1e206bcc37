#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Util/AppMutexLocker.h>

#include <glog/logging.h>

#include <cstring>

namespace Kavrel::Util
{

struct KAVRELUTIL_NO_EXPORT AppMutexLocker::Private
{
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Kavrel::Platform::NamedMutex>> taken;
};

AppMutexLocker::AppMutexLocker(const std::vector<std::string>& mutexNames) : d(new Private{mutexNames, {}}) {}

AppMutexLocker::~AppMutexLocker() = default;

bool AppMutexLocker::TryLockAppMutex()
{
    using Kavrel::Platform::NamedMutex;
    bool allFree = true;
    for (const std::string& name : d->names)
    {
        auto mutex = std::make_unique<NamedMutex>(name, NamedMutex::Mode::HoldIfFree);
        switch (mutex->GetOutcome())
        {
        case NamedMutex::Outcome::Held:
            d->taken.push_back(std::move(mutex));
            break;
        case NamedMutex::Outcome::HeldByOther:
            allFree = false;
            break;
        case NamedMutex::Outcome::Failed:
            // Only a real holder counts: a lock file we cannot use (something
            // planted at its path, no permission) says nothing about one.
            LOG(ERROR) << "The named mutex [" << name << "] cannot be checked ("
                       << std::strerror(mutex->Error()) << "); it counts as not held";
            break;
        }
    }
    return allFree;
}

} // namespace Kavrel::Util
