#include "Backend.h"

namespace Kavrel::Platform
{

namespace
{
GestureApi& Current()
{
    static GestureApi api = Backend::SystemGestureApi();
    return api;
}
} // namespace

const GestureApi& GetGestureApi() { return Current(); }

GestureApi SetGestureApi(const GestureApi& api)
{
    // Calls a replacement leaves out stay the system's.
    const GestureApi system = Backend::SystemGestureApi();
    GestureApi merged = api;
    if (!merged.getGestureInfo)
        merged.getGestureInfo = system.getGestureInfo;
    if (!merged.closeGestureInfoHandle)
        merged.closeGestureInfoHandle = system.closeGestureInfoHandle;
    if (!merged.setGestureConfig)
        merged.setGestureConfig = system.setGestureConfig;
    if (!merged.screenToClient)
        merged.screenToClient = system.screenToClient;
    if (!merged.getParent)
        merged.getParent = system.getParent;
    if (!merged.defWindowProc)
        merged.defWindowProc = system.defWindowProc;
    GestureApi previous = Current();
    Current() = merged;
    return previous;
}

} // namespace Kavrel::Platform
