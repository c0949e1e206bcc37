#pragma once

#include <Kavrel/App/Application/Gesture/Consumer.h>

#include <QObject>

#include <memory>

namespace Kavrel::App
{

/// A consumer that turns the gestures it is switched on for into signals.
/// Create one as a child of a widget, switch on what it should hear, and
/// connect to the signals. Everything is off at first.
class KAVRELAPPLICATION_EXPORT Gesture::Emitter : public QObject, public Gesture::Consumer
{
    Q_OBJECT
    Q_INTERFACES(Kavrel::App::Gesture::Consumer)
public:
    explicit Emitter(QObject* parent = nullptr);
    ~Emitter() override;

    void setZoomEnabled(bool on);
    void setRotateEnabled(bool on);
    void setTapEnabled(bool on);
    void setPressAndTapEnabled(bool on);
    void setHorizontalPanEnabled(bool on);
    void setVerticalPanEnabled(bool on);
    void setPanGutterEnabled(bool on);
    void setPanInertiaEnabled(bool on);

    static int allOrNone(bool on);

Q_SIGNALS:
    void pan(const Kavrel::App::Gesture::Pan& gesture);
    void zoom(const Kavrel::App::Gesture::Zoom& gesture);
    void rotate(const Kavrel::App::Gesture::Rotate& gesture);
    void tap(const Kavrel::App::Gesture::Tap& gesture);
    void pressAndTap(const Kavrel::App::Gesture::PressAndTap& gesture);

private:
    void OnGesture(const PressAndTap& gesture) override;
    void OnGesture(const Tap& gesture) override;
    void OnGesture(const Rotate& gesture) override;
    void OnGesture(const Zoom& gesture) override;
    void OnGesture(const Pan& gesture) override;
    int WantGesture(const PressAndTap& gesture) override;
    int WantGesture(const Tap& gesture) override;
    int WantGesture(const Rotate& gesture) override;
    int WantGesture(const Zoom& gesture) override;
    int WantGesture(const Pan& gesture) override;

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
