#include "Backend.h"

#include <Kavrel/Platform/WindowActivation.h>

#include <mutex>

namespace Kavrel::Platform
{

namespace
{
std::mutex activatorMutex;
WindowActivator replacement;
} // namespace

bool ActivateWindow(unsigned long windowId)
{
    WindowActivator activator;
    {
        std::lock_guard<std::mutex> lock(activatorMutex);
        activator = replacement;
    }
    return activator ? activator(windowId) : Backend::SystemActivateWindow(windowId);
}

WindowActivator SetWindowActivator(WindowActivator activator)
{
    std::lock_guard<std::mutex> lock(activatorMutex);
    std::swap(replacement, activator);
    return activator;
}

} // namespace Kavrel::Platform
