#include <Kavrel/Platform/NamedMutex.h>

#include "Win32.h"

// A holder keeps a handle of the named mutex without owning it: the name
// exists as long as any process keeps a handle, and the kernel closes a
// dead process's handles. Nothing waits for the mutex, so no process can
// stall another's start.
namespace Kavrel::Platform
{

namespace
{
// Backslashes are the kernel's namespace separators: only a leading
// "Global\" or "Local\" keeps its meaning, others become '_' as in the lock
// file names of Linux.
std::wstring ObjectName(const std::string& name)
{
    std::wstring object = Win32::Wide(name);
    size_t from = 0;
    for (const std::wstring space : {L"Global\\", L"Local\\"})
        if (object.compare(0, space.size(), space) == 0)
            from = space.size();
    for (size_t i = from; i < object.size(); ++i)
        if (object[i] == L'\\')
            object[i] = L'_';
    return object;
}
} // namespace

std::string NamedMutex::LockFilePath(const std::string&) { return {}; }

struct KAVRELPLATFORM_NO_EXPORT NamedMutex::Private
{
    HANDLE handle = nullptr;
    Outcome outcome = Outcome::Failed;
    int error = 0;
};

NamedMutex::NamedMutex(const std::string& name, Mode mode) : d(std::make_unique<Private>())
{
    if (name.empty())
    {
        d->error = ERROR_INVALID_NAME;
        return;
    }
    // Another kind of object under the name (ERROR_INVALID_HANDLE) or a
    // mutex we may not open (ERROR_ACCESS_DENIED) is no holder of ours.
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, ObjectName(name).c_str());
    const DWORD result = ::GetLastError();
    if (!mutex)
    {
        d->error = static_cast<int>(result);
        return;
    }
    if (mode == Mode::HoldIfFree && result == ERROR_ALREADY_EXISTS)
    {
        ::CloseHandle(mutex);
        d->outcome = Outcome::HeldByOther;
        return;
    }
    d->handle = mutex;
    d->outcome = Outcome::Held;
}

NamedMutex::~NamedMutex()
{
    if (d->handle)
        ::CloseHandle(d->handle);
}

bool NamedMutex::IsHeld() const { return d->outcome == Outcome::Held; }

NamedMutex::Outcome NamedMutex::GetOutcome() const { return d->outcome; }

int NamedMutex::Error() const { return d->error; }

bool NamedMutex::IsHeldByAnyone(const std::string& name)
{
    if (name.empty())
        return false;
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, ObjectName(name).c_str());
    if (!mutex)
        return false;
    ::CloseHandle(mutex);
    return true;
}

} // namespace Kavrel::Platform
