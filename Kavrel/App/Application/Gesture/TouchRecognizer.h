#pragma once

#include <Kavrel/App/Application/Gesture/Router.h>

#include <QPointF>
#include <QPointer>
#include <QWidget>

class QTouchEvent;

namespace Kavrel::App
{

// Where the window system sends no gesture messages (X11, Wayland), makes
// the same gesture records out of Qt's touch events: one or two fingers
// moving pan, two fingers spreading zoom and turning rotate, two fingers
// touching and leaving together tap, and a second finger tapping while the
// first rests is press-and-tap. It asks the routed consumer what it wants
// at the first touch, as the window system does, and a touch the consumer
// turned into nothing (a short tap of one finger) reaches the widget as a
// click, so a list still selects by touch.
class Gesture::Router::TouchRecognizer
{
public:
    explicit TouchRecognizer(Router& router);

    // True when the event is the consumer's and must not be delivered.
    bool Handle(QObject* receiver, QTouchEvent* event);

private:
    enum class Kind
    {
        Undecided,
        Panning,
        Zooming,
        Rotating,
        Finished
    };

    bool Begin(QWidget* receiver, QTouchEvent* event);
    void Update(QTouchEvent* event, bool last);
    void Finish(bool cancelled);
    Gesture At(const QPointF& global, bool begin, bool end) const;
    void SendPan(const QPointF& global, bool begin, bool end);
    void Click(const QPointF& global);
    bool ConsumerAlive() const { return !consumerObject.isNull(); }

    Router& router;
    Consumer* consumer = nullptr;
    QPointer<QObject> consumerObject;
    QPointer<QWidget> window;
    bool active = false;
    Kind kind = Kind::Undecided;
    int panMask = 0;
    bool wantZoom = false, wantRotate = false, wantTap = false, wantPressAndTap = false;
    int primaryId = -1;
    int mostFingers = 0;
    bool moved = false;
    bool pressAndTapSent = false;
    QPointF primaryStart;
    QPointF secondStart;
    QPointF lastPanPoint;
    QPointF lastCentre;
    QPoint panStart;
    double startDistance = 0, lastDistance = 0;
    double startAngle = 0, lastAngle = 0;
};

} // namespace Kavrel::App
