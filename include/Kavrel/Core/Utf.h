#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>

#include <string>

namespace Kavrel::Core
{

/// Conversions between wide text (UTF-16 where wchar_t has 16 bits, UTF-32
/// here) and UTF-8. Invalid input becomes U+FFFD; nothing is dropped.
KAVRELCORE_EXPORT std::string Utf8FromWstring(const std::wstring& text);
KAVRELCORE_EXPORT std::wstring WstringFromUtf8(const std::string& text);

} // namespace Kavrel::Core
