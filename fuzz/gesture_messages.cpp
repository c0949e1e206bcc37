// The window system's gesture messages (WM_GESTURENOTIFY with its record,
// WM_GESTURE with what GetGestureInfo tells) as the gesture router decodes
// them for the library's consumers: an emitter and a list's scroller.
// Each input is a sequence of 20-byte messages; the window-system calls are
// answered from them. Whatever the sequence, every configuration the router
// sets is well formed, every record it makes has finite values, and the
// list stays within its scroll range.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/Gesture/Emitter.h>
#include <Kavrel/App/Application/Gesture/Router.h>
#include <Kavrel/App/Application/Gesture/Scroller.h>
#include <Kavrel/Platform/GestureApi.h>

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>

#include <cmath>
#include <cstring>
#include <map>

namespace
{
using Kavrel::App::Gesture;
using namespace Kavrel::Platform;

int argc = 1;
char name[] = "fuzz_gesture_messages";
char* argv[] = {name, nullptr};

constexpr size_t RECORD_BYTES = 20;
constexpr std::uint32_t WM_GESTURE = 0x0119;
constexpr std::uint32_t WM_GESTURENOTIFY = 0x011A;
void* const TOP = reinterpret_cast<void*>(0x1000);
void* const CHILD = reinterpret_cast<void*>(0x2000);

std::map<std::intptr_t, GestureInfoRecord> pending;
void* notified = nullptr;
std::vector<std::intptr_t> closed;
Gesture::Emitter* emitter = nullptr;
Gesture::Scroller* scroller = nullptr;
QListWidget* list = nullptr;

template <class T> T Take(const std::uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

struct Router : Gesture::Router
{
    Router() : Gesture::Router(nullptr) {}
    Gesture::Consumer* Route(const Gesture& gesture) override
    {
        switch (choice & 3)
        {
        case 1:
            return emitter;
        case 2:
            return scroller;
        case 3:
            return Gesture::Router::Route(gesture); // the widgets under the point: none are shown
        default:
            return nullptr;
        }
    }
    int choice = 0;
};

void Finite(const Gesture& gesture)
{
    KAVREL_FUZZ_EXPECT(std::abs(gesture.pos.x()) <= 0x10000 && std::abs(gesture.pos.y()) <= 0x10000);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QApplication(argc, argv);
    GestureApi api;
    api.getGestureInfo = [](std::intptr_t handle, GestureInfoRecord& info)
    {
        const auto found = pending.find(handle);
        if (found == pending.end())
            return false;
        KAVREL_FUZZ_EXPECT(info.size == 48);
        info = found->second;
        return true;
    };
    api.closeGestureInfoHandle = [](std::intptr_t handle) { return closed.push_back(handle), true; };
    api.setGestureConfig = [](void* window, std::uint32_t, std::uint32_t count, const GestureConfigEntry* entries,
                              std::uint32_t size)
    {
        // The window the notification came to, which is where the gesture starts.
        KAVREL_FUZZ_EXPECT(window == notified && size == 12 && count >= 1 && count <= 5);
        for (std::uint32_t i = 0; i < count; ++i)
            KAVREL_FUZZ_EXPECT((entries[i].want & entries[i].block) == 0);
        return true;
    };
    api.screenToClient = [](void*, int& x, int& y) { return x -= 100, y -= 50, true; };
    api.getParent = [](void* window) -> void* { return window == CHILD ? TOP : nullptr; };
    api.defWindowProc = [](void*, std::uint32_t, std::uintptr_t, std::intptr_t) { return std::intptr_t(0); };
    SetGestureApi(api);

    emitter = new Gesture::Emitter;
    QObject::connect(emitter, &Gesture::Emitter::zoom,
                     [](const Gesture::Zoom& g)
                     {
                         Finite(g);
                         KAVREL_FUZZ_EXPECT(std::isfinite(g.distance));
                     });
    QObject::connect(emitter, &Gesture::Emitter::rotate,
                     [](const Gesture::Rotate& g)
                     {
                         Finite(g);
                         KAVREL_FUZZ_EXPECT(std::isfinite(g.angle));
                     });
    QObject::connect(emitter, &Gesture::Emitter::pan, [](const Gesture::Pan& g) { Finite(g); });
    QObject::connect(emitter, &Gesture::Emitter::tap, [](const Gesture::Tap& g) { Finite(g); });
    QObject::connect(emitter, &Gesture::Emitter::pressAndTap, [](const Gesture::PressAndTap& g) { Finite(g); });
    list = new QListWidget;
    list->resize(200, 150);
    for (int i = 0; i < 300; ++i)
        list->addItem(QStringLiteral("Item %1 with a long enough text to scroll sideways too").arg(i));
    scroller = new Gesture::Scroller(list);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // Per message: kind, window, x, y, gesture id, flags, 8 bytes of
    // arguments, what the emitter accepts, and whether the record is there.
    Router router;
    pending.clear();
    closed.clear();
    for (size_t at = 0; at + RECORD_BYTES <= size; at += RECORD_BYTES)
    {
        const std::uint8_t* record = data + at;
        const std::uint8_t accept = record[16];
        emitter->setZoomEnabled(accept & 1);
        emitter->setRotateEnabled(accept & 2);
        emitter->setTapEnabled(accept & 4);
        emitter->setPressAndTapEnabled(accept & 8);
        emitter->setHorizontalPanEnabled(accept & 16);
        emitter->setVerticalPanEnabled(accept & 32);
        emitter->setPanGutterEnabled(accept & 64);
        emitter->setPanInertiaEnabled(accept & 128);
        void* window = (record[1] & 1) ? CHILD : TOP;
        long result = -1;
        if (record[0] & 1)
        {
            router.choice = record[0] >> 1;
            GestureNotifyRecord notify{};
            notify.size = sizeof notify;
            notify.x = Take<std::int16_t>(record + 2);
            notify.y = Take<std::int16_t>(record + 4);
            notified = window;
            WindowsMessage message{window, WM_GESTURENOTIFY, 0, reinterpret_cast<std::intptr_t>(&notify)};
            router.nativeEvent("windows_generic_MSG", &message, &result);
        }
        else
        {
            const auto handle = static_cast<std::intptr_t>(at / RECORD_BYTES + 1);
            GestureInfoRecord info;
            info.size = 48;
            info.x = Take<std::int16_t>(record + 2);
            info.y = Take<std::int16_t>(record + 4);
            info.id = record[6] % 9;
            info.flags = record[7] & 7;
            info.arguments = Take<std::uint64_t>(record + 8);
            if (!(record[17] & 1))
                pending[handle] = info;
            WindowsMessage message{window, WM_GESTURE, 0, handle};
            const bool handled = router.nativeEvent("windows_generic_MSG", &message, &result);
            // A handle is closed only when the gesture was handled, and only once.
            const long closings = std::count(closed.begin(), closed.end(), handle);
            KAVREL_FUZZ_EXPECT(closings <= 1);
            if (closings == 1)
                KAVREL_FUZZ_EXPECT(handled && window == TOP);
        }
        for (QScrollBar* bar : {list->horizontalScrollBar(), list->verticalScrollBar()})
            KAVREL_FUZZ_EXPECT(bar->value() >= bar->minimum() && bar->value() <= bar->maximum());
    }
    return 0;
}
