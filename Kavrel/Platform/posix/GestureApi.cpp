#include "../Backend.h"

namespace Kavrel::Platform::Backend
{

// No window system here sends gesture messages: every call fails or does
// nothing, as on a Windows without touch support.
GestureApi SystemGestureApi()
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

} // namespace Kavrel::Platform::Backend
