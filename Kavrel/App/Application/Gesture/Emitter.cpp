#include <Kavrel/App/Application/Gesture/Emitter.h>

#include <QWidget>

namespace Kavrel::App
{

Gesture::Emitter::Emitter(QObject* parent) : QObject(parent)
{
    // Qt sends touch to a widget only when it asks for it.
    if (auto* widget = qobject_cast<QWidget*>(parent))
        widget->setAttribute(Qt::WA_AcceptTouchEvents);
}

Gesture::Emitter::~Emitter() = default;

void Gesture::Emitter::setZoomEnabled(bool on) { zoomOn = on; }
void Gesture::Emitter::setRotateEnabled(bool on) { rotateOn = on; }
void Gesture::Emitter::setTapEnabled(bool on) { tapOn = on; }
void Gesture::Emitter::setPressAndTapEnabled(bool on) { pressAndTapOn = on; }
void Gesture::Emitter::setHorizontalPanEnabled(bool on) { horizontalPanOn = on; }
void Gesture::Emitter::setVerticalPanEnabled(bool on) { verticalPanOn = on; }
void Gesture::Emitter::setPanGutterEnabled(bool on) { panGutterOn = on; }
void Gesture::Emitter::setPanInertiaEnabled(bool on) { panInertiaOn = on; }

int Gesture::Emitter::allOrNone(bool on) { return on ? All : None; }

void Gesture::Emitter::OnGesture(const PressAndTap& gesture) { Q_EMIT pressAndTap(gesture); }
void Gesture::Emitter::OnGesture(const Tap& gesture) { Q_EMIT tap(gesture); }
void Gesture::Emitter::OnGesture(const Rotate& gesture) { Q_EMIT rotate(gesture); }
void Gesture::Emitter::OnGesture(const Zoom& gesture) { Q_EMIT zoom(gesture); }
void Gesture::Emitter::OnGesture(const Pan& gesture) { Q_EMIT pan(gesture); }

int Gesture::Emitter::WantGesture(const PressAndTap&) { return allOrNone(pressAndTapOn); }
int Gesture::Emitter::WantGesture(const Tap&) { return allOrNone(tapOn); }
int Gesture::Emitter::WantGesture(const Rotate&) { return allOrNone(rotateOn); }
int Gesture::Emitter::WantGesture(const Zoom&) { return allOrNone(zoomOn); }

int Gesture::Emitter::WantGesture(const Pan&)
{
    return (panGutterOn ? 0x10 : 0) | (panInertiaOn ? 0x08 : 0) | (horizontalPanOn ? 0x04 : 0) |
           (verticalPanOn ? 0x02 : 0);
}

} // namespace Kavrel::App
