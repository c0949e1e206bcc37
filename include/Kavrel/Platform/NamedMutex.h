#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <memory>
#include <string>

namespace Kavrel::Platform
{

/// A system-wide named flag that a running program holds for its lifetime so
/// that other processes can tell it runs; the kernel drops it when the holder
/// dies. On Linux holders take a shared lock on a lock file in the runtime
/// folder; on Windows they keep a handle of the named mutex (CreateMutexW),
/// without owning it. Nothing here ever waits for long on another process.
class KAVRELPLATFORM_EXPORT NamedMutex
{
public:
    enum class Mode
    {
        Hold,      ///< hold the name beside any other holders
        HoldIfFree ///< hold it only when no one else holds it
    };

    enum class Outcome
    {
        Held,        ///< this object holds the name
        HeldByOther, ///< another holder kept it from us
        Failed       ///< the name could not be used; Error() tells why
    };

    /// Takes hold of the name. Failure is not an error: GetOutcome() tells.
    /// Hold retries for a short while when someone holds the name
    /// exclusively, then gives up.
    explicit NamedMutex(const std::string& name, Mode mode = Mode::Hold);
    ~NamedMutex();

    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool IsHeld() const;
    Outcome GetOutcome() const;
    /// The system's error number (errno, or GetLastError on Windows) when the
    /// outcome is Failed, else 0.
    int Error() const;

    /// True when some open holder of the name exists (in any process, this one
    /// included). A name that cannot be used (a lock file that is not one, a
    /// Windows object of another kind or one we may not open) reads as not
    /// held.
    static bool IsHeldByAnyone(const std::string& name);

    /// The lock file that stands for the name; empty without a runtime folder
    /// and on Windows, where the name is a kernel object's.
    static std::string LockFilePath(const std::string& name);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Platform
