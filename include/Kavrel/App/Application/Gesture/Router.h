#pragma once

#include <Kavrel/App/Application/Gesture/Producer.h>

#include <QObject>

class QTouchEvent;

namespace Kavrel::App
{

/// Hands each gesture to the consumer under it: the first Consumer child of
/// the widget at the touch point, or of its nearest parent that has one. The
/// application makes one, offers it every native message first, and every
/// touch event.
class KAVRELAPPLICATION_EXPORT Gesture::Router : public QObject, public Gesture::Producer
{
    Q_OBJECT
public:
    explicit Router(QObject* parent);
    ~Router() override;

    /// A native message; true when it was handled and *result holds the
    /// window procedure's answer. Gesture messages reach only top-level
    /// windows: those of child windows go to the default procedure.
    bool nativeEvent(const QByteArray& eventType, void* message, long* result);

    /// A touch event on its way to receiver; true when it became gestures
    /// and must not be delivered.
    bool touchEvent(QObject* receiver, QTouchEvent* event);

    Consumer* Route(const Gesture& gesture) override;

private:
    class TouchRecognizer;
    TouchRecognizer* touch;
};

} // namespace Kavrel::App
