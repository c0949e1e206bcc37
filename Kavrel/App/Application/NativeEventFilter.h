#pragma once

#include <Kavrel/App/Application/EventHandler.h>
#include <Kavrel/App/Application/Gesture/Router.h>

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <boost/shared_ptr.hpp>

namespace Kavrel::App
{

// Gives every native event of the process to the gesture router first,
// then to the product's registered handlers, in registration order.
class NativeEventFilter : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit NativeEventFilter(QObject* parent);

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

    // The same handler may be registered more than once; it is then called
    // once per registration.
    void Register(const boost::shared_ptr<EventHandler>& handler);
    // Removes the first registration of that handler, if any.
    void Unregister(const boost::shared_ptr<EventHandler>& handler);

    // The gesture router, made on the first native event or the first ask.
    Gesture::Router* GetRouter();

private:
    Gesture::Router* router = nullptr;
    QList<boost::shared_ptr<EventHandler>> handlers;
};

} // namespace Kavrel::App
