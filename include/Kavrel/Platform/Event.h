#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <vector>

namespace Kavrel::Platform
{

/// A manual-reset event: once set it stays set and wakes every waiter, on any
/// thread. Its handle can be waited for together with process handles.
class KAVRELPLATFORM_EXPORT Event
{
public:
    Event();
    ~Event();

    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    bool IsSet() const;
    /// An eventfd on Linux, an event handle on Windows; -1 when the system
    /// gave no event, and waiting for it then never ends by it.
    int Handle() const { return handle; }

private:
    int handle = -1;
};

/// Waits until one of the handles (events, process handles, pipe ends) is
/// ready or timeoutMs passes (-1: no limit). Returns the index of a ready
/// handle, or -1 on time-out and on error. Negative handles are skipped.
KAVRELPLATFORM_EXPORT int WaitForAny(const std::vector<int>& handles, int timeoutMs);

} // namespace Kavrel::Platform
