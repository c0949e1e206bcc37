#include <Kavrel/App/Application/Gesture/Scroller.h>

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QScrollBar>

namespace Kavrel::App
{

class KAVRELAPPLICATION_NO_EXPORT Gesture::Scroller::Private
{
public:
    QAbstractScrollArea* area = nullptr;
    QAbstractItemView* itemView = nullptr; // the same area, when it is an item view
    int lastX = 0;
    int lastY = 0;
    QAbstractItemView::ScrollMode savedHorizontalMode = QAbstractItemView::ScrollPerItem;
    QAbstractItemView::ScrollMode savedVerticalMode = QAbstractItemView::ScrollPerItem;
};

Gesture::Scroller::Scroller(QAbstractScrollArea* scrollArea)
    : Emitter(scrollArea), d(std::make_unique<Private>())
{
    d->area = scrollArea;
    d->itemView = qobject_cast<QAbstractItemView*>(scrollArea);
    setHorizontalPanEnabled(true);
    setVerticalPanEnabled(true);
    setPanGutterEnabled(true);
    setPanInertiaEnabled(true);
    // Touch lands on the viewport, which must ask for it.
    if (d->area)
        d->area->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    connect(this, SIGNAL(pan(Kavrel::App::Gesture::Pan const&)), this,
            SLOT(scrollByPanning(Kavrel::App::Gesture::Pan const&)));
}

Gesture::Scroller::~Scroller() = default;

void Gesture::Scroller::scrollByPanning(const Pan& pan)
{
    QScrollBar* horizontal = d->area->horizontalScrollBar();
    QScrollBar* vertical = d->area->verticalScrollBar();
    if (pan.begin && d->itemView)
    {
        d->savedHorizontalMode = d->itemView->horizontalScrollMode();
        d->savedVerticalMode = d->itemView->verticalScrollMode();
        d->itemView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        d->itemView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    }
    else if (pan.end && d->itemView)
    {
        // Back to scrolling by items, a view that was at its end stays there.
        const bool horizontalAtEnd = horizontal->value() == horizontal->maximum();
        const bool verticalAtEnd = vertical->value() == vertical->maximum();
        d->itemView->setHorizontalScrollMode(d->savedHorizontalMode);
        d->itemView->setVerticalScrollMode(d->savedVerticalMode);
        if (horizontalAtEnd && d->savedHorizontalMode == QAbstractItemView::ScrollPerItem)
            horizontal->setValue(horizontal->maximum());
        if (verticalAtEnd && d->savedVerticalMode == QAbstractItemView::ScrollPerItem)
            vertical->setValue(vertical->maximum());
    }
    else if (!pan.begin && !pan.end)
    {
        horizontal->setValue(horizontal->value() + d->lastX - pan.pos.x());
        vertical->setValue(vertical->value() + d->lastY - pan.pos.y());
    }
    d->lastX = pan.pos.x();
    d->lastY = pan.pos.y();
}

} // namespace Kavrel::App
