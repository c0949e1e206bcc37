#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>

namespace Kavrel::Platform
{

// A system-wide named flag that a running program holds for its lifetime so
// that other processes can tell it runs. Holders take a shared lock on a lock
// file in the runtime folder; the kernel drops it when the holder dies.
class KAVRELPLATFORM_EXPORT NamedMutex
{
public:
    enum class Mode
    {
        Hold,      // hold the name beside any other holders
        HoldIfFree // hold it only when no one else holds it
    };

    // Takes hold of the name. Failure is not an error: IsHeld() tells.
    explicit NamedMutex(const std::string& name, Mode mode = Mode::Hold);
    ~NamedMutex();

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool IsHeld() const { return fd >= 0; }

    // True when some open holder of the name exists (in any process, this one
    // included).
    static bool IsHeldByAnyone(const std::string& name);

    // The lock file that stands for the name; empty without a runtime folder.
    static std::string LockFilePath(const std::string& name);

private:
    int fd = -1;
};

} // namespace Kavrel::Platform
