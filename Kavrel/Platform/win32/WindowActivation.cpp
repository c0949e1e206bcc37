#include "../Backend.h"

#include "Win32.h"

namespace Kavrel::Platform::Backend
{

// Window handles are shared with 32-bit processes and fit in 32 bits, so
// the id a master sends is its handle. SwitchToThisWindow is asked to bring
// the window up as the task bar would, not as an Alt+Tab step.
bool SystemActivateWindow(unsigned long windowId)
{
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(windowId));
    if (windowId == 0 || !::IsWindow(window))
        return false;
    ::SwitchToThisWindow(window, FALSE);
    return true;
}

} // namespace Kavrel::Platform::Backend
