#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <memory>
#include <string>
#include <vector>

namespace Kavrel::Platform
{
class NamedMutex;
}

namespace Kavrel::Util
{

// Takes the named mutexes a running program holds (the installer's, a
// product's) to learn whether another process holds any of them.
class KAVRELUTIL_EXPORT AppMutexLocker
{
public:
    explicit AppMutexLocker(const std::vector<std::string>& names);
    // Releases every mutex that was taken.
    ~AppMutexLocker();

    AppMutexLocker(const AppMutexLocker&) = delete;
    AppMutexLocker& operator=(const AppMutexLocker&) = delete;

    // False exactly when another process holds one of the names; the names
    // that were free are held until the locker goes.
    bool TryLockAppMutex();

private:
    std::vector<std::string> names;
    std::vector<std::unique_ptr<Kavrel::Platform::NamedMutex>> taken;
};

} // namespace Kavrel::Util
