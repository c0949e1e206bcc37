#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QString>

namespace Kavrel::Util
{

/// Where a store named by a Windows registry path lives on this platform.
/// "HKEY_LOCAL_MACHINE\SOFTWARE\Org\Product" becomes the system-scope settings
/// file "<first of $XDG_CONFIG_DIRS, else /etc/xdg>/Org/Product.conf";
/// "HKEY_CURRENT_USER\Software\Org\Product" the user-scope file
/// "<$XDG_CONFIG_HOME, else ~/.config>/Org/Product.conf". Any other text is
/// returned unchanged (it already names a file). On Windows the registry path
/// itself is the native location.
KAVRELUTIL_EXPORT QString NativeSettingsPath(const QString& location);

} // namespace Kavrel::Util
