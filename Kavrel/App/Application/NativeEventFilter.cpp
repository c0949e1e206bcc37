#include "NativeEventFilter.h"

namespace Kavrel::App
{

NativeEventFilter::NativeEventFilter(QObject* parent) : QObject(parent) {}

Gesture::Router* NativeEventFilter::GetRouter()
{
    if (!router)
        router = new Gesture::Router(this);
    return router;
}

bool NativeEventFilter::nativeEventFilter(const QByteArray& eventType, void* message, long* result)
{
    if (GetRouter()->nativeEvent(eventType, message, result))
        return true;
    // A handler may unregister itself (or others) while being called.
    const QList<boost::shared_ptr<EventHandler>> current = handlers;
    for (const auto& handler : current)
        handler->HandleNativeEvent(eventType, message, result);
    return false;
}

void NativeEventFilter::Register(const boost::shared_ptr<EventHandler>& handler)
{
    if (handler)
        handlers.append(handler);
}

void NativeEventFilter::Unregister(const boost::shared_ptr<EventHandler>& handler)
{
    for (int i = 0; i < handlers.size(); ++i)
    {
        if (handlers.at(i).get() == handler.get())
        {
            handlers.removeAt(i);
            return;
        }
    }
}

} // namespace Kavrel::App
