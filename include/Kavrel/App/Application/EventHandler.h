#pragma once

#include <QByteArray>

namespace Kavrel::App
{

/// A product's hook into the native events of the process, registered with
/// Application::RegisterEventHandler. It sees every native event the gesture
/// handling did not take; what it returns is not used.
class EventHandler
{
public:
    virtual bool HandleNativeEvent(const QByteArray& eventType, void* message, long* result) = 0;
    virtual ~EventHandler() = default;
};

} // namespace Kavrel::App
