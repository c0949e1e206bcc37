#include <Kavrel/App/Application/Gesture/Emitter.h>

#include <QWidget>

namespace Kavrel::App
{

// The switches, all off at first.
class KAVRELAPPLICATION_NO_EXPORT Gesture::Emitter::Private
{
public:
    bool zoomOn = false;
    bool rotateOn = false;
    bool tapOn = false;
    bool pressAndTapOn = false;
    bool horizontalPanOn = false;
    bool verticalPanOn = false;
    bool panGutterOn = false;
    bool panInertiaOn = false;
};

Gesture::Emitter::Emitter(QObject* parent) : QObject(parent), d(std::make_unique<Private>())
{
    // Qt sends touch to a widget only when it asks for it.
    if (auto* widget = qobject_cast<QWidget*>(parent))
        widget->setAttribute(Qt::WA_AcceptTouchEvents);
}

Gesture::Emitter::~Emitter() = default;

void Gesture::Emitter::setZoomEnabled(bool on) { d->zoomOn = on; }
void Gesture::Emitter::setRotateEnabled(bool on) { d->rotateOn = on; }
void Gesture::Emitter::setTapEnabled(bool on) { d->tapOn = on; }
void Gesture::Emitter::setPressAndTapEnabled(bool on) { d->pressAndTapOn = on; }
void Gesture::Emitter::setHorizontalPanEnabled(bool on) { d->horizontalPanOn = on; }
void Gesture::Emitter::setVerticalPanEnabled(bool on) { d->verticalPanOn = on; }
void Gesture::Emitter::setPanGutterEnabled(bool on) { d->panGutterOn = on; }
void Gesture::Emitter::setPanInertiaEnabled(bool on) { d->panInertiaOn = on; }

int Gesture::Emitter::allOrNone(bool on) { return on ? All : None; }

void Gesture::Emitter::OnGesture(const PressAndTap& gesture) { Q_EMIT pressAndTap(gesture); }
void Gesture::Emitter::OnGesture(const Tap& gesture) { Q_EMIT tap(gesture); }
void Gesture::Emitter::OnGesture(const Rotate& gesture) { Q_EMIT rotate(gesture); }
void Gesture::Emitter::OnGesture(const Zoom& gesture) { Q_EMIT zoom(gesture); }
void Gesture::Emitter::OnGesture(const Pan& gesture) { Q_EMIT pan(gesture); }

int Gesture::Emitter::WantGesture(const PressAndTap&) { return allOrNone(d->pressAndTapOn); }
int Gesture::Emitter::WantGesture(const Tap&) { return allOrNone(d->tapOn); }
int Gesture::Emitter::WantGesture(const Rotate&) { return allOrNone(d->rotateOn); }
int Gesture::Emitter::WantGesture(const Zoom&) { return allOrNone(d->zoomOn); }

int Gesture::Emitter::WantGesture(const Pan&)
{
    return (d->panGutterOn ? 0x10 : 0) | (d->panInertiaOn ? 0x08 : 0) | (d->horizontalPanOn ? 0x04 : 0) |
           (d->verticalPanOn ? 0x02 : 0);
}

} // namespace Kavrel::App
