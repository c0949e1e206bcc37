#include <Kavrel/Util/WidgetStyle.h>

#include <QStyle>
#include <QVariant>
#include <QWidget>

namespace Kavrel::Util
{

void ApplyWidgetStyle(QWidget* widget, const QString& value, const char* property)
{
    if (!widget || !property)
        return;
    widget->setProperty(property, value);
    // Style sheets match dynamic properties only when the widget is polished.
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

} // namespace Kavrel::Util
