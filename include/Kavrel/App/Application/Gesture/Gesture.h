#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QMetaType>
#include <QPoint>

namespace Kavrel::App
{

/// A touch gesture as its consumer sees it: where it is and whether this is
/// its first or last message. The kinds below add what is their own; the
/// classes that produce, route and consume them are nested here too.
struct KAVRELAPPLICATION_EXPORT Gesture
{
    /// A consumer's answer to "do you want this gesture?"; for pan the answer
    /// is a mask (see Consumer).
    static const int All;  ///< 1
    static const int None; ///< 0

    QPoint pos;       ///< in client coordinates of the window that got it
    QPoint globalPos; ///< in screen coordinates
    bool begin = false;
    bool end = false;

    struct Pan;
    struct Zoom;
    struct Rotate;
    struct Tap;
    struct PressAndTap;

    class Producer;
    class Router;
    class Consumer;
    class Emitter;
    class Scroller;
};

struct Gesture::Pan : Gesture
{
    QPoint start;         ///< pos of the message that began the pan
    QPoint inertiaVector; ///< where the fingers were heading when they left
    bool inertia = false;
    unsigned int distance = 0; ///< between the two fingers
};

struct Gesture::Zoom : Gesture
{
    double startDistance = 0; ///< between the fingers when the zoom began
    double distance = 0;
};

struct Gesture::Rotate : Gesture
{
    double startAngle = 0; ///< radians, when the rotation began
    double angle = 0;
};

struct Gesture::Tap : Gesture
{
    unsigned int distance = 0; ///< between the two fingers
};

struct Gesture::PressAndTap : Gesture
{
    QPoint tapPos; ///< where the second finger tapped
};

} // namespace Kavrel::App

Q_DECLARE_METATYPE(Kavrel::App::Gesture::Pan)
Q_DECLARE_METATYPE(Kavrel::App::Gesture::Zoom)
Q_DECLARE_METATYPE(Kavrel::App::Gesture::Rotate)
Q_DECLARE_METATYPE(Kavrel::App::Gesture::Tap)
Q_DECLARE_METATYPE(Kavrel::App::Gesture::PressAndTap)
