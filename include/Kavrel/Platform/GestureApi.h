#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <cstdint>
#include <functional>

namespace Kavrel::Platform
{

/// A window message with the leading fields of the Windows MSG record, in
/// its layout, so that a native MSG can be read as one.
struct WindowsMessage
{
    void* window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

/// WM_GESTURENOTIFY's record (GESTURENOTIFYSTRUCT), in its layout: lParam
/// points to it.
struct GestureNotifyRecord
{
    std::uint32_t size;
    std::uint32_t flags;
    void* target;
    std::int16_t x, y; ///< screen coordinates
    std::uint32_t instanceId;
};

/// What GetGestureInfo tells of one WM_GESTURE message.
struct GestureInfoRecord
{
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    std::uint32_t id = 0;
    void* target = nullptr;
    std::int16_t x = 0, y = 0; ///< screen coordinates
    std::uint32_t instanceId = 0;
    std::uint32_t sequenceId = 0;
    std::uint64_t arguments = 0;
    std::uint32_t extraArguments = 0;
};

/// One GESTURECONFIG entry.
struct GestureConfigEntry
{
    std::uint32_t id;
    std::uint32_t want;
    std::uint32_t block;
};

/// The window-system calls the gesture decoder makes, one for one with those
/// of Windows, where they are the system's (the gesture calls looked up in
/// "user32.dll"). On Linux there is no such window system: the functions do
/// nothing and report failure, and tests replace them to feed recorded
/// sequences.
struct GestureApi
{
    std::function<bool(std::intptr_t handle, GestureInfoRecord& info)> getGestureInfo;
    std::function<bool(std::intptr_t handle)> closeGestureInfoHandle;
    std::function<bool(void* window, std::uint32_t reserved, std::uint32_t count,
                       const GestureConfigEntry* entries, std::uint32_t entrySize)>
        setGestureConfig;
    /// Turns screen into window-client coordinates in place.
    std::function<bool(void* window, int& x, int& y)> screenToClient;
    std::function<void*(void* window)> getParent;
    std::function<std::intptr_t(void* window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam)>
        defWindowProc;
};

/// The table in use: the system's unless a replacement was set.
KAVRELPLATFORM_EXPORT const GestureApi& GetGestureApi();
/// Installs a replacement (copied; calls it leaves empty stay the system's)
/// and returns the table in use before.
KAVRELPLATFORM_EXPORT GestureApi SetGestureApi(const GestureApi& api);

} // namespace Kavrel::Platform
