#include <Kavrel/App/Application/Gesture/Scroller.h>

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace Kavrel::App
{

Gesture::Scroller::Scroller(QAbstractScrollArea* scrollArea)
    : Emitter(scrollArea), area(scrollArea), itemView(qobject_cast<QAbstractItemView*>(scrollArea))
{
    setHorizontalPanEnabled(true);
    setVerticalPanEnabled(true);
    setPanGutterEnabled(true);
    setPanInertiaEnabled(true);
    // Touch lands on the viewport, which must ask for it.
    if (area)
        area->viewport()->setAttribute(Qt::WA_AcceptTouchEvents);
    connect(this, SIGNAL(pan(Kavrel::App::Gesture::Pan const&)), this,
            SLOT(scrollByPanning(Kavrel::App::Gesture::Pan const&)));
}

Gesture::Scroller::~Scroller() = default;

void Gesture::Scroller::scrollByPanning(const Pan& pan)
{
    QScrollBar* horizontal = area->horizontalScrollBar();
    QScrollBar* vertical = area->verticalScrollBar();
    if (pan.begin && itemView)
    {
        savedHorizontalMode = itemView->horizontalScrollMode();
        savedVerticalMode = itemView->verticalScrollMode();
        itemView->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        itemView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    }
    else if (pan.end && itemView)
    {
        // Back to scrolling by items, a view that was at its end stays there.
        const bool horizontalAtEnd = horizontal->value() == horizontal->maximum();
        const bool verticalAtEnd = vertical->value() == vertical->maximum();
        itemView->setHorizontalScrollMode(savedHorizontalMode);
        itemView->setVerticalScrollMode(savedVerticalMode);
        if (horizontalAtEnd && savedHorizontalMode == QAbstractItemView::ScrollPerItem)
            horizontal->setValue(horizontal->maximum());
        if (verticalAtEnd && savedVerticalMode == QAbstractItemView::ScrollPerItem)
            vertical->setValue(vertical->maximum());
    }
    else if (!pan.begin && !pan.end)
    {
        horizontal->setValue(horizontal->value() + lastX - pan.pos.x());
        vertical->setValue(vertical->value() + lastY - pan.pos.y());
    }
    lastX = pan.pos.x();
    lastY = pan.pos.y();
}

} // namespace Kavrel::App
