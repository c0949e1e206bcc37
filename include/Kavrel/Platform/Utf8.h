#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>

namespace Kavrel::Platform
{

/// Returns the text with every invalid UTF-8 sequence replaced by U+FFFD, so
/// that bytes from the system (command lines, file names) are never dropped.
KAVRELPLATFORM_EXPORT std::string MakeValidUtf8(const std::string& bytes);

/// UTF-8 to UTF-16 and back, for the system calls that take UTF-16 (the
/// Windows API, registry names). Invalid UTF-8 and unpaired surrogate halves
/// become U+FFFD; nothing is dropped.
KAVRELPLATFORM_EXPORT std::u16string Utf16FromUtf8(const std::string& text);
KAVRELPLATFORM_EXPORT std::string Utf8FromUtf16(const std::u16string& text);

} // namespace Kavrel::Platform
