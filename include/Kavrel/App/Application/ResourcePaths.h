#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/Core/ioPath.h>

namespace Kavrel::App
{

/// The product's installed resources folder (themes, translations, links).
KAVRELAPPLICATION_EXPORT Kavrel::ioPath GetPathToResources();
/// The product's font configuration file.
KAVRELAPPLICATION_EXPORT Kavrel::ioPath GetPathToFontConfigFile();

} // namespace Kavrel::App
