#include <Kavrel/App/Application/Gesture/Consumer.h>
#include <Kavrel/App/Application/Gesture/Producer.h>
#include <Kavrel/Platform/GestureApi.h>

#include <cstdint>

namespace Kavrel::App
{

namespace
{
using Kavrel::Platform::GestureConfigEntry;

// The window system's gesture ids, flags and configuration bits.
constexpr std::uint32_t GID_ZOOM = 3;
constexpr std::uint32_t GID_PAN = 4;
constexpr std::uint32_t GID_ROTATE = 5;
constexpr std::uint32_t GID_TWOFINGERTAP = 6;
constexpr std::uint32_t GID_PRESSANDTAP = 7;
constexpr std::uint32_t GF_BEGIN = 0x1;
constexpr std::uint32_t GF_INERTIA = 0x2;
constexpr std::uint32_t GF_END = 0x4;
constexpr std::uint32_t GC_ALLGESTURES = 0x1;
constexpr std::uint32_t GC_PAN = 0x1;
constexpr std::uint32_t GESTURECONFIG_SIZE = 12;
constexpr std::uint32_t GESTUREINFO_SIZE = 48;

// Which bit of a consumer's pan answer enables which pan option.
struct PanOption
{
    int answerBit;
    std::uint32_t option;
};
constexpr PanOption PAN_OPTIONS[] = {
    {0x02, 0x02}, // single finger, vertically
    {0x04, 0x04}, // single finger, horizontally
    {0x08, 0x10}, // with inertia
    {0x10, 0x08}, // with gutter
};

// The signed halves of a 32-bit value, as a point.
QPoint Halves(std::uint32_t value)
{
    return QPoint(static_cast<std::int16_t>(value & 0xFFFF), static_cast<std::int16_t>(value >> 16));
}

Gesture Common(void* hwnd, std::int16_t x, std::int16_t y, std::uint32_t flags)
{
    Gesture gesture;
    gesture.globalPos = QPoint(x, y);
    int clientX = x, clientY = y;
    Kavrel::Platform::GetGestureApi().screenToClient(hwnd, clientX, clientY);
    gesture.pos = QPoint(clientX, clientY);
    gesture.begin = (flags & GF_BEGIN) != 0;
    gesture.end = (flags & GF_END) != 0;
    return gesture;
}

template <class Kind> Kind As(const Gesture& common)
{
    Kind kind;
    static_cast<Gesture&>(kind) = common;
    return kind;
}
} // namespace

struct Gesture::Producer::State
{
    // In the order zoom, pan, rotate, two-finger tap, press-and-tap.
    GestureConfigEntry table[5] = {{GID_ZOOM, 0, 1},
                                   {GID_PAN, 0, 0x1E},
                                   {GID_ROTATE, 0, 1},
                                   {GID_TWOFINGERTAP, 0, 1},
                                   {GID_PRESSANDTAP, 0, 1}};
    GestureConfigEntry& zoom = table[0];
    GestureConfigEntry& pan = table[1];
    GestureConfigEntry& rotate = table[2];
    GestureConfigEntry& tap = table[3];
    GestureConfigEntry& pressAndTap = table[4];
    double zoomStart = 0;
    double rotateStart = 0;
    QPoint panStart;
    Consumer* current = nullptr;
};

Gesture::Producer::Producer() { Init(); }

Gesture::Producer::~Producer() { Fini(); }

void Gesture::Producer::Init() { state = new State; }

void Gesture::Producer::Fini()
{
    delete state;
    state = nullptr;
}

Gesture::Consumer* Gesture::Producer::Route(const Gesture&) { return nullptr; }

bool Gesture::Producer::OnGestureNotify(void* hwnd, void*, void* lParam)
{
    const auto& api = Kavrel::Platform::GetGestureApi();
    const auto* notify = static_cast<const Kavrel::Platform::GestureNotifyRecord*>(lParam);
    const Gesture gesture = Common(hwnd, notify->x, notify->y, 0);
    Consumer* consumer = Route(gesture);
    if (!consumer)
    {
        const GestureConfigEntry blockAll{0, 0, GC_ALLGESTURES};
        api.setGestureConfig(hwnd, 0, 1, &blockAll, GESTURECONFIG_SIZE);
        state->current = nullptr;
        return false;
    }
    const auto allOrBlock = [](GestureConfigEntry& entry, int answer)
    {
        entry.want = answer == All ? 1 : 0;
        entry.block = answer == All ? 0 : 1;
    };
    allOrBlock(state->zoom, consumer->WantGesture(As<Zoom>(gesture)));
    allOrBlock(state->rotate, consumer->WantGesture(As<Rotate>(gesture)));
    allOrBlock(state->tap, consumer->WantGesture(As<Tap>(gesture)));
    allOrBlock(state->pressAndTap, consumer->WantGesture(As<PressAndTap>(gesture)));
    const int pan = consumer->WantGesture(As<Pan>(gesture));
    state->pan.want = pan != 0 ? GC_PAN : 0;
    state->pan.block = pan != 0 ? 0 : GC_PAN;
    for (const PanOption& option : PAN_OPTIONS)
    {
        if ((pan & All) || (pan & option.answerBit))
            state->pan.want |= option.option;
        else
            state->pan.block |= option.option;
    }
    api.setGestureConfig(hwnd, 0, 5, state->table, GESTURECONFIG_SIZE);
    state->current = consumer;
    return false; // the notification goes on to default processing
}

bool Gesture::Producer::OnGesture(void* hwnd, void*, void* lParam)
{
    Consumer* consumer = state->current;
    if (!consumer)
        return false;
    const auto& api = Kavrel::Platform::GetGestureApi();
    const auto handle = reinterpret_cast<std::intptr_t>(lParam);
    Kavrel::Platform::GestureInfoRecord info;
    info.size = GESTUREINFO_SIZE;
    if (!api.getGestureInfo(handle, info))
        return false;
    const Gesture gesture = Common(hwnd, info.x, info.y, info.flags);
    const auto low = static_cast<std::uint32_t>(info.arguments);
    switch (info.id)
    {
    case GID_ZOOM:
    {
        if (gesture.begin)
            state->zoomStart = low;
        Zoom zoom = As<Zoom>(gesture);
        zoom.startDistance = state->zoomStart;
        zoom.distance = low;
        consumer->OnGesture(zoom);
        break;
    }
    case GID_PAN:
    {
        if (gesture.begin)
            state->panStart = gesture.pos;
        Pan pan = As<Pan>(gesture);
        pan.start = state->panStart;
        pan.inertiaVector = Halves(static_cast<std::uint32_t>(info.arguments >> 32));
        pan.inertia = (info.flags & GF_INERTIA) != 0;
        pan.distance = low;
        consumer->OnGesture(pan);
        break;
    }
    case GID_ROTATE:
    {
        const double angle = static_cast<double>(info.arguments) / 65535.0 * 4.0 * 3.14159265 - 6.2831853;
        if (gesture.begin)
            state->rotateStart = angle;
        Rotate rotate = As<Rotate>(gesture);
        rotate.startAngle = state->rotateStart;
        rotate.angle = angle;
        consumer->OnGesture(rotate);
        break;
    }
    case GID_TWOFINGERTAP:
    {
        Tap tap = As<Tap>(gesture);
        tap.distance = low;
        consumer->OnGesture(tap);
        break;
    }
    case GID_PRESSANDTAP:
    {
        PressAndTap pressAndTap = As<PressAndTap>(gesture);
        pressAndTap.tapPos = gesture.pos + Halves(low);
        consumer->OnGesture(pressAndTap);
        break;
    }
    default:
        return false; // GID_BEGIN, GID_END: the default procedure's
    }
    api.closeGestureInfoHandle(handle);
    return true;
}

} // namespace Kavrel::App
