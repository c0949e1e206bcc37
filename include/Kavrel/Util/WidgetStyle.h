#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QString>

class QWidget;

namespace Kavrel::Util
{

/// Publishes a style state as the widget's dynamic property, so that style
/// sheets can select it ([SubStyle="Ok"]), and makes the widget pick up the
/// matching rules at once (unpolish, polish, update).
KAVRELUTIL_EXPORT void ApplyWidgetStyle(QWidget* widget, const QString& value, const char* property);

} // namespace Kavrel::Util
