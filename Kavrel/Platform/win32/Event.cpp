#include <Kavrel/Platform/Event.h>

#include "Win32.h"

namespace Kavrel::Platform
{

// Manual reset, not signalled, unnamed, not inherited.
Event::Event() : handle(Win32::FromHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr))) {}

Event::~Event()
{
    if (handle >= 0)
        ::CloseHandle(Win32::ToHandle(handle));
}

void Event::Set()
{
    if (handle >= 0)
        ::SetEvent(Win32::ToHandle(handle));
}

bool Event::IsSet() const { return WaitForAny({handle}, 0) == 0; }

int WaitForAny(const std::vector<int>& handles, int timeoutMs)
{
    std::vector<HANDLE> waited;
    std::vector<int> indexes;
    for (size_t i = 0; i < handles.size(); ++i)
    {
        if (handles[i] < 0)
            continue;
        waited.push_back(Win32::ToHandle(handles[i]));
        indexes.push_back(static_cast<int>(i));
    }
    if (waited.size() > MAXIMUM_WAIT_OBJECTS)
        return -1;
    const DWORD limit = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    if (waited.empty())
    {
        if (timeoutMs >= 0)
            ::Sleep(limit);
        return -1; // nothing could end the wait but the time
    }
    const DWORD result =
        ::WaitForMultipleObjects(static_cast<DWORD>(waited.size()), waited.data(), FALSE, limit);
    if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + waited.size())
        return indexes[result - WAIT_OBJECT_0];
    // An abandoned mutex is ready too; time-outs and failures are not.
    if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + waited.size())
        return indexes[result - WAIT_ABANDONED_0];
    return -1;
}

} // namespace Kavrel::Platform
