#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <functional>

namespace Kavrel::Platform
{

/// Asks the window system to bring a top-level window (of any process) to
/// the front with the keyboard focus, the way a task bar or pager asks: on
/// X11 the _NET_ACTIVE_WINDOW message to the root window, on Windows
/// SwitchToThisWindow. False when there is no window system to ask, no such
/// window, or the request was refused.
KAVRELPLATFORM_EXPORT bool ActivateWindow(unsigned long windowId);

/// Replaces what ActivateWindow does (tests record the requests); an empty
/// function restores the system's. Returns the previous replacement.
using WindowActivator = std::function<bool(unsigned long windowId)>;
KAVRELPLATFORM_EXPORT WindowActivator SetWindowActivator(WindowActivator activator);

} // namespace Kavrel::Platform
