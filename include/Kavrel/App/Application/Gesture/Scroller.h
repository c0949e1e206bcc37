#pragma once

#include <Kavrel/App/Application/Gesture/Emitter.h>

#include <memory>

class QAbstractScrollArea;

namespace Kavrel::App
{

/// Scrolls a scroll area when it is panned with one or two fingers; an item
/// view scrolls by pixels while the fingers move. The application gives
/// every scroll area one when it is first shown. A child of its area.
class KAVRELAPPLICATION_EXPORT Gesture::Scroller : public Gesture::Emitter
{
    Q_OBJECT
public:
    explicit Scroller(QAbstractScrollArea* area);
    ~Scroller() override;

private Q_SLOTS:
    void scrollByPanning(const Kavrel::App::Gesture::Pan& pan);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
