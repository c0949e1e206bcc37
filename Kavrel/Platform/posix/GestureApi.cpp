#include <Kavrel/Platform/GestureApi.h>

namespace Kavrel::Platform
{

namespace
{
// No window system here sends gesture messages: every call fails or does
// nothing, as on a Windows without touch support.
GestureApi SystemApi()
{
    GestureApi api;
    api.getGestureInfo = [](std::intptr_t, GestureInfoRecord&) { return false; };
    api.closeGestureInfoHandle = [](std::intptr_t) { return false; };
    api.setGestureConfig = [](void*, std::uint32_t, std::uint32_t, const GestureConfigEntry*, std::uint32_t)
    { return false; };
    api.screenToClient = [](void*, int&, int&) { return false; };
    api.getParent = [](void*) -> void* { return nullptr; };
    api.defWindowProc = [](void*, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t
    { return 0; };
    return api;
}

GestureApi& Current()
{
    static GestureApi api = SystemApi();
    return api;
}
} // namespace

const GestureApi& GetGestureApi() { return Current(); }

GestureApi SetGestureApi(const GestureApi& api)
{
    // Calls a replacement leaves out stay the system's.
    const GestureApi system = SystemApi();
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
