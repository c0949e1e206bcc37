#pragma once

#include <Kavrel/App/Application/Gesture/Gesture.h>

#include <QObject>

namespace Kavrel::App
{

/// What receives gestures: asked at the start of each gesture whether it
/// wants that kind, then given its messages. Consumers are child objects of
/// the widgets they serve; the router finds them there. Everything is
/// declined and ignored unless overridden. The pan answer is a mask: 0x01
/// everything, 0x02 single-finger vertical, 0x04 single-finger horizontal,
/// 0x08 inertia, 0x10 gutter.
class KAVRELAPPLICATION_EXPORT Gesture::Consumer
{
public:
    Consumer(const Consumer&) = default;
    Consumer& operator=(const Consumer&) = default;

    virtual void OnGesture(const PressAndTap& gesture);
    virtual void OnGesture(const Tap& gesture);
    virtual void OnGesture(const Rotate& gesture);
    virtual void OnGesture(const Zoom& gesture);
    virtual void OnGesture(const Pan& gesture);
    virtual int WantGesture(const PressAndTap& gesture);
    virtual int WantGesture(const Tap& gesture);
    virtual int WantGesture(const Rotate& gesture);
    virtual int WantGesture(const Zoom& gesture);
    virtual int WantGesture(const Pan& gesture);

protected:
    Consumer() = default;
    /// Not deleted through this face: a consumer is a QObject owned by its
    /// widget.
    ~Consumer() = default;
};

} // namespace Kavrel::App

Q_DECLARE_INTERFACE(Kavrel::App::Gesture::Consumer, "Gesture::Consumer")
