#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>

namespace Kavrel::Platform
{

// A system-wide named flag that a running program holds for its lifetime so
// that other processes can tell it runs. Holders take a shared lock on a lock
// file in the runtime folder; the kernel drops it when the holder dies.
// Nothing here ever waits for long on another process.
class KAVRELPLATFORM_EXPORT NamedMutex
{
public:
    enum class Mode
    {
        Hold,      // hold the name beside any other holders
        HoldIfFree // hold it only when no one else holds it
    };

    enum class Outcome
    {
        Held,        // this object holds the name
        HeldByOther, // another holder kept it from us
        Failed       // the lock file could not be used; Error() tells why
    };

    // Takes hold of the name. Failure is not an error: GetOutcome() tells.
    // Hold retries for a short while when someone holds the name
    // exclusively, then gives up.
    explicit NamedMutex(const std::string& name, Mode mode = Mode::Hold);
    ~NamedMutex();

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool IsHeld() const { return outcome == Outcome::Held; }
    Outcome GetOutcome() const { return outcome; }
    // The system's error number when the outcome is Failed, else 0.
    int Error() const { return error; }

    // True when some open holder of the name exists (in any process, this one
    // included). A lock file that cannot be used reads as not held.
    static bool IsHeldByAnyone(const std::string& name);

    // The lock file that stands for the name; empty without a runtime folder.
    static std::string LockFilePath(const std::string& name);

private:
    int fd = -1;
    Outcome outcome = Outcome::Failed;
    int error = 0;
};

} // namespace Kavrel::Platform
