#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>

namespace Kavrel::Platform
{

// Returns the text with every invalid UTF-8 sequence replaced by U+FFFD, so
// that bytes from the system (command lines, file names) are never dropped.
KAVRELPLATFORM_EXPORT std::string MakeValidUtf8(const std::string& bytes);

} // namespace Kavrel::Platform
