#include "TouchRecognizer.h"

#include <Kavrel/App/Application/Gesture/Consumer.h>
#include <Kavrel/App/Application/Gesture/Router.h>
#include <Kavrel/Platform/GestureApi.h>

#include <QApplication>
#include <QWidget>

namespace Kavrel::App
{

namespace
{
constexpr std::uint32_t WM_GESTURE = 0x0119;
constexpr std::uint32_t WM_GESTURENOTIFY = 0x011A;
} // namespace

Gesture::Router::Router(QObject* parent) : QObject(parent), touch(new TouchRecognizer(*this)) {}

Gesture::Router::~Router() { delete touch; }

bool Gesture::Router::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    // Only Windows sends gesture messages; elsewhere touch comes as Qt events.
    if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG")
        return false;
    const auto* msg = static_cast<const Kavrel::Platform::WindowsMessage*>(message);
    auto* wParam = reinterpret_cast<void*>(msg->wParam);
    auto* lParam = reinterpret_cast<void*>(msg->lParam);
    if (msg->message == WM_GESTURE)
    {
        const auto& api = Kavrel::Platform::GetGestureApi();
        // Gestures are handled on top-level windows; Windows passes them up.
        if (api.getParent(msg->window))
        {
            *result =
                static_cast<long>(api.defWindowProc(msg->window, msg->message, msg->wParam, msg->lParam));
            return true;
        }
        if (OnGesture(msg->window, wParam, lParam))
        {
            *result = 0;
            return true;
        }
    }
    else if (msg->message == WM_GESTURENOTIFY && OnGestureNotify(msg->window, wParam, lParam))
    {
        *result = 0;
        return true;
    }
    return false;
}

bool Gesture::Router::touchEvent(QObject* receiver, QTouchEvent* event)
{
    return touch->Handle(receiver, event);
}

Gesture::Consumer* Gesture::Router::Route(const Gesture& gesture)
{
    // Consumers are child objects: the widget itself is never one.
    for (QWidget* widget = QApplication::widgetAt(gesture.globalPos); widget; widget = widget->parentWidget())
        for (QObject* child : widget->children())
            if (auto* consumer = dynamic_cast<Consumer*>(child))
                return consumer;
    return nullptr;
}

} // namespace Kavrel::App
