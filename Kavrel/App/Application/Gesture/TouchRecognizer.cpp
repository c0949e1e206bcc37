#include "TouchRecognizer.h"

#include <Kavrel/App/Application/Gesture/Consumer.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTouchEvent>

#include <cmath>

namespace Kavrel::App
{

namespace
{
// How far fingers move, in pixels or radians, before a gesture starts.
double MoveThreshold() { return std::max(QApplication::startDragDistance(), 8); }
constexpr double ZOOM_THRESHOLD = 16;
constexpr double ROTATE_THRESHOLD = 0.2;

double Distance(const QPointF& a, const QPointF& b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }
double Angle(const QPointF& a, const QPointF& b) { return std::atan2(b.y() - a.y(), b.x() - a.x()); }

template <class Kind> Kind As(const Gesture& common)
{
    Kind kind;
    static_cast<Gesture&>(kind) = common;
    return kind;
}

QList<QTouchEvent::TouchPoint> Down(const QTouchEvent* event)
{
    QList<QTouchEvent::TouchPoint> down;
    for (const QTouchEvent::TouchPoint& point : event->touchPoints())
        if (point.state() != Qt::TouchPointReleased)
            down << point;
    return down;
}
} // namespace

Gesture::Router::TouchRecognizer::TouchRecognizer(Router& owner) : router(owner) {}

bool Gesture::Router::TouchRecognizer::Handle(QObject* receiver, QTouchEvent* event)
{
    switch (event->type())
    {
    case QEvent::TouchBegin:
        active = Begin(qobject_cast<QWidget*>(receiver), event);
        break;
    case QEvent::TouchUpdate:
        if (!active)
            return false;
        Update(event, false);
        break;
    case QEvent::TouchEnd:
        if (!active)
            return false;
        Update(event, true);
        Finish(false);
        active = false;
        break;
    case QEvent::TouchCancel:
        if (!active)
            return false;
        Finish(true);
        active = false;
        break;
    default:
        return false;
    }
    if (active || event->type() == QEvent::TouchEnd || event->type() == QEvent::TouchCancel)
    {
        event->accept();
        return true;
    }
    return false;
}

Gesture Gesture::Router::TouchRecognizer::At(const QPointF& global, bool begin, bool end) const
{
    Gesture gesture;
    gesture.globalPos = global.toPoint();
    gesture.pos = window ? window->mapFromGlobal(gesture.globalPos) : gesture.globalPos;
    gesture.begin = begin;
    gesture.end = end;
    return gesture;
}

bool Gesture::Router::TouchRecognizer::Begin(QWidget* receiver, QTouchEvent* event)
{
    const QList<QTouchEvent::TouchPoint> down = Down(event);
    if (!receiver || down.isEmpty())
        return false;
    window = receiver->window();
    const QTouchEvent::TouchPoint& first = down.first();
    const Gesture gesture = At(first.screenPos(), false, false);
    consumer = router.Route(gesture);
    if (!consumer)
        return false;
    consumerObject = dynamic_cast<QObject*>(consumer);
    panMask = consumer->WantGesture(As<Pan>(gesture));
    wantZoom = consumer->WantGesture(As<Zoom>(gesture)) == All;
    wantRotate = consumer->WantGesture(As<Rotate>(gesture)) == All;
    wantTap = consumer->WantGesture(As<Tap>(gesture)) == All;
    wantPressAndTap = consumer->WantGesture(As<PressAndTap>(gesture)) == All;
    if (!panMask && !wantZoom && !wantRotate && !wantTap && !wantPressAndTap)
        return false; // nothing it wants: the touch goes on as usual
    kind = Kind::Undecided;
    primaryId = first.id();
    primaryStart = first.screenPos();
    mostFingers = down.size();
    moved = false;
    pressAndTapSent = false;
    return true;
}

void Gesture::Router::TouchRecognizer::SendPan(const QPointF& global, bool begin, bool end)
{
    if (begin)
        panStart = At(global, false, false).pos;
    Pan pan = As<Pan>(At(global, begin, end));
    pan.start = panStart;
    pan.distance = static_cast<unsigned int>(lastDistance);
    lastPanPoint = global;
    if (ConsumerAlive())
        consumer->OnGesture(pan);
}

void Gesture::Router::TouchRecognizer::Update(QTouchEvent* event, bool last)
{
    const QList<QTouchEvent::TouchPoint> down = Down(event);
    const QList<QTouchEvent::TouchPoint>& all = event->touchPoints();
    if (kind == Kind::Finished || all.isEmpty())
        return;
    mostFingers = std::max(mostFingers, down.size());

    // A second finger that comes and goes while the first rests.
    if (kind == Kind::Undecided && all.size() >= 2)
    {
        for (const QTouchEvent::TouchPoint& point : all)
        {
            if (point.id() == primaryId)
                continue;
            if (point.state() == Qt::TouchPointPressed)
                secondStart = point.screenPos();
            if (point.state() == Qt::TouchPointReleased && !moved && wantPressAndTap && !pressAndTapSent &&
                down.size() == 1 && down.first().id() == primaryId)
            {
                PressAndTap pressAndTap = As<PressAndTap>(At(primaryStart, true, true));
                pressAndTap.tapPos = At(point.screenPos(), false, false).pos;
                pressAndTapSent = true;
                if (ConsumerAlive())
                    consumer->OnGesture(pressAndTap);
            }
        }
    }

    if (down.size() >= 2 && kind != Kind::Panning)
    {
        const QPointF a = down.at(0).screenPos(), b = down.at(1).screenPos();
        const QPointF centre = (a + b) / 2;
        const double distance = Distance(a, b), angle = Angle(a, b);
        if (kind == Kind::Undecided)
        {
            const QPointF startA = down.at(0).startScreenPos(), startB = down.at(1).startScreenPos();
            const double startD = Distance(startA, startB), startAng = Angle(startA, startB);
            const QPointF startCentre = (startA + startB) / 2;
            if (wantZoom && std::abs(distance - startD) > ZOOM_THRESHOLD)
            {
                kind = Kind::Zooming;
                startDistance = startD;
                Zoom zoom = As<Zoom>(At(startCentre, true, false));
                zoom.startDistance = zoom.distance = startDistance;
                if (ConsumerAlive())
                    consumer->OnGesture(zoom);
            }
            else if (wantRotate && std::abs(std::remainder(angle - startAng, 2 * M_PI)) > ROTATE_THRESHOLD)
            {
                kind = Kind::Rotating;
                startAngle = startAng;
                Rotate rotate = As<Rotate>(At(startCentre, true, false));
                rotate.startAngle = rotate.angle = startAngle;
                if (ConsumerAlive())
                    consumer->OnGesture(rotate);
            }
            else if (panMask && Distance(centre, startCentre) > MoveThreshold())
            {
                kind = Kind::Panning;
                lastDistance = distance;
                SendPan(startCentre, true, false);
            }
            moved = moved || kind != Kind::Undecided || Distance(a, startA) > MoveThreshold() ||
                    Distance(b, startB) > MoveThreshold();
        }
        lastDistance = distance;
        lastAngle = startAngle + std::remainder(angle - startAngle, 2 * M_PI);
        lastCentre = centre;
        if (kind == Kind::Zooming && !last)
        {
            Zoom zoom = As<Zoom>(At(centre, false, false));
            zoom.startDistance = startDistance;
            zoom.distance = distance;
            if (ConsumerAlive())
                consumer->OnGesture(zoom);
        }
        else if (kind == Kind::Rotating && !last)
        {
            Rotate rotate = As<Rotate>(At(centre, false, false));
            rotate.startAngle = startAngle;
            rotate.angle = lastAngle;
            if (ConsumerAlive())
                consumer->OnGesture(rotate);
        }
        if (kind == Kind::Panning && !last)
            SendPan(centre, false, false);
        return;
    }

    // One finger (or the pan that two began): the primary point leads.
    const QTouchEvent::TouchPoint* primary = nullptr;
    for (const QTouchEvent::TouchPoint& point : all)
        if (point.id() == primaryId)
            primary = &point;
    if (!primary)
    {
        if (kind == Kind::Panning && !down.isEmpty() && !last)
            SendPan(down.first().screenPos(), false, false);
        return;
    }
    const QPointF here = primary->screenPos();
    if (kind == Kind::Undecided && mostFingers == 1 && Distance(here, primaryStart) > MoveThreshold())
    {
        moved = true;
        // A single finger pans along the directions the consumer allows.
        const bool horizontal = panMask & (All | 0x04), vertical = panMask & (All | 0x02);
        if (horizontal || vertical)
        {
            kind = Kind::Panning;
            SendPan(primaryStart, true, false);
        }
    }
    if (kind == Kind::Panning && !last && here != lastPanPoint)
        SendPan(here, false, false);
}

void Gesture::Router::TouchRecognizer::Finish(bool cancelled)
{
    switch (kind)
    {
    case Kind::Panning:
        SendPan(lastPanPoint, false, true);
        break;
    case Kind::Zooming:
    {
        Zoom zoom = As<Zoom>(At(lastCentre, false, true));
        zoom.startDistance = startDistance;
        zoom.distance = lastDistance;
        if (ConsumerAlive())
            consumer->OnGesture(zoom);
        break;
    }
    case Kind::Rotating:
    {
        Rotate rotate = As<Rotate>(At(lastCentre, false, true));
        rotate.startAngle = startAngle;
        rotate.angle = lastAngle;
        if (ConsumerAlive())
            consumer->OnGesture(rotate);
        break;
    }
    case Kind::Undecided:
        if (cancelled || moved || pressAndTapSent)
            break;
        if (mostFingers == 2 && wantTap)
        {
            Tap tap = As<Tap>(At(primaryStart, true, true));
            tap.distance = static_cast<unsigned int>(Distance(primaryStart, secondStart));
            if (ConsumerAlive())
                consumer->OnGesture(tap);
        }
        else if (mostFingers == 1)
            Click(primaryStart);
        break;
    case Kind::Finished:
        break;
    }
    kind = Kind::Finished;
    lastPanPoint = QPointF();
}

// A touch that made no gesture is a click, as Qt would have made of it.
void Gesture::Router::TouchRecognizer::Click(const QPointF& global)
{
    QWidget* target = QApplication::widgetAt(global.toPoint());
    if (!target)
        return;
    const QPointF local = target->mapFromGlobal(global.toPoint());
    const QPointF inWindow = target->window()->mapFromGlobal(global.toPoint());
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    {
        QMouseEvent click(type, local, inWindow, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier,
                          Qt::MouseEventSynthesizedByApplication);
        QApplication::sendEvent(target, &click);
    }
}

} // namespace Kavrel::App
