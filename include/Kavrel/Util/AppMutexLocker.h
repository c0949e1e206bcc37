#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <memory>
#include <string>
#include <vector>

namespace Kavrel::Util
{

/// Takes the named mutexes a running program holds (the installer's, a
/// product's) to learn whether another process holds any of them.
class KAVRELUTIL_EXPORT AppMutexLocker
{
public:
    explicit AppMutexLocker(const std::vector<std::string>& names);
    /// Releases every mutex that was taken.
    ~AppMutexLocker();

    AppMutexLocker(const AppMutexLocker&) = delete;
    AppMutexLocker& operator=(const AppMutexLocker&) = delete;

    /// False exactly when another process holds one of the names; the names
    /// that were free are held until the locker goes.
    bool TryLockAppMutex();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Util
