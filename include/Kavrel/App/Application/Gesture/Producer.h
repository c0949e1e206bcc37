#pragma once

#include <Kavrel/App/Application/Gesture/Gesture.h>

namespace Kavrel::App
{

/// Turns the window system's gesture messages into gesture records for one
/// consumer at a time: at a gesture's start (WM_GESTURENOTIFY) it asks the
/// consumer that Route() picks which kinds it wants and tells the window
/// system; then it decodes each message (WM_GESTURE) for that consumer. It
/// also turns Qt's own touch input into the same records where the window
/// system sends no gesture messages.
class KAVRELAPPLICATION_EXPORT Gesture::Producer
{
public:
    Producer();
    virtual ~Producer();
    Producer(const Producer&) = delete;
    Producer& operator=(const Producer&) = delete;

    /// The consumer for a gesture at that place; none here.
    virtual Consumer* Route(const Gesture& gesture);

protected:
    /// Decode one message each; true when the gesture was handled.
    bool OnGesture(void* hwnd, void* wParam, void* lParam);
    bool OnGestureNotify(void* hwnd, void* wParam, void* lParam);

private:
    void Init();
    void Fini();

    struct State;
    State* state = nullptr;
};

} // namespace Kavrel::App
