#pragma once

// What each backend (posix/, win32/) gives the parts of the layer that are
// the same everywhere: the system's side of every replaceable facility.

#include <Kavrel/Platform/GestureApi.h>
#include <Kavrel/Platform/RegistryStore.h>

#include <string>
#include <vector>

namespace Kavrel::Platform::Backend
{

GestureApi SystemGestureApi();
// Full executable paths of the processes that can be inspected, in id order.
std::vector<std::string> ScanProcessTable();
bool SystemActivateWindow(unsigned long windowId);
// The system's registry; null where there is none.
RegistryStore* SystemRegistryStore();

} // namespace Kavrel::Platform::Backend
