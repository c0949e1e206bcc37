#include "../Backend.h"

#include "Win32.h"

#include <cstddef>

namespace Kavrel::Platform::Backend
{

namespace
{
static_assert(sizeof(GestureConfigEntry) == sizeof(GESTURECONFIG) &&
                  offsetof(GestureConfigEntry, want) == offsetof(GESTURECONFIG, dwWant) &&
                  offsetof(GestureConfigEntry, block) == offsetof(GESTURECONFIG, dwBlock),
              "GestureConfigEntry must be GESTURECONFIG's layout");

using GetGestureInfoCall = BOOL(WINAPI*)(HGESTUREINFO, PGESTUREINFO);
using CloseGestureInfoHandleCall = BOOL(WINAPI*)(HGESTUREINFO);
using SetGestureConfigCall = BOOL(WINAPI*)(HWND, DWORD, UINT, PGESTURECONFIG, UINT);

// The gesture calls exist from Windows 7 on: they are looked up once, at
// start, and a system without them fails each call.
template <typename Call> Call Find(const char* name)
{
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    const FARPROC found = user32 ? ::GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(found));
}

const GetGestureInfoCall getGestureInfo = Find<GetGestureInfoCall>("GetGestureInfo");
const CloseGestureInfoHandleCall closeGestureInfoHandle =
    Find<CloseGestureInfoHandleCall>("CloseGestureInfoHandle");
const SetGestureConfigCall setGestureConfig = Find<SetGestureConfigCall>("SetGestureConfig");

HWND Window(void* window) { return static_cast<HWND>(window); }
} // namespace

GestureApi SystemGestureApi()
{
    GestureApi api;
    api.getGestureInfo = [](std::intptr_t handle, GestureInfoRecord& info)
    {
        GESTUREINFO native{};
        native.cbSize = sizeof native;
        if (!getGestureInfo || !getGestureInfo(reinterpret_cast<HGESTUREINFO>(handle), &native))
            return false;
        info.size = native.cbSize;
        info.flags = native.dwFlags;
        info.id = native.dwID;
        info.target = native.hwndTarget;
        info.x = native.ptsLocation.x;
        info.y = native.ptsLocation.y;
        info.instanceId = native.dwInstanceID;
        info.sequenceId = native.dwSequenceID;
        info.arguments = native.ullArguments;
        info.extraArguments = native.cbExtraArgs;
        return true;
    };
    api.closeGestureInfoHandle = [](std::intptr_t handle)
    { return closeGestureInfoHandle && closeGestureInfoHandle(reinterpret_cast<HGESTUREINFO>(handle)); };
    api.setGestureConfig = [](void* window, std::uint32_t reserved, std::uint32_t count,
                              const GestureConfigEntry* entries, std::uint32_t entrySize)
    {
        auto* config = reinterpret_cast<PGESTURECONFIG>(const_cast<GestureConfigEntry*>(entries));
        return setGestureConfig && setGestureConfig(Window(window), reserved, count, config, entrySize);
    };
    api.screenToClient = [](void* window, int& x, int& y)
    {
        POINT point{x, y};
        if (!::ScreenToClient(Window(window), &point))
            return false;
        x = point.x;
        y = point.y;
        return true;
    };
    api.getParent = [](void* window) -> void* { return ::GetParent(Window(window)); };
    api.defWindowProc = [](void* window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) -> std::intptr_t
    { return ::DefWindowProcW(Window(window), message, wParam, lParam); };
    return api;
}

} // namespace Kavrel::Platform::Backend
