#include <Kavrel/Core/Utf.h>
#include <Kavrel/Platform/Utf8.h>

#include <utf8.h>

#include <iterator>

namespace Kavrel::Core
{

namespace
{
constexpr char32_t REPLACEMENT = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
} // namespace

std::string Utf8FromWstring(const std::wstring& text)
{
    if constexpr (sizeof(wchar_t) == 2)
        return Platform::Utf8FromUtf16(std::u16string(text.begin(), text.end()));
    // What cannot be a character (a surrogate half, a value past U+10FFFF)
    // becomes U+FFFD; utfcpp then encodes what is left.
    std::u32string points;
    points.reserve(text.size());
    for (const wchar_t unit : text)
    {
        const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(unit));
        points += IsSurrogate(c) || c > 0x10FFFF ? REPLACEMENT : c;
    }
    std::string result;
    result.reserve(text.size());
    utf8::unchecked::utf32to8(points.begin(), points.end(), std::back_inserter(result));
    return result;
}

std::wstring WstringFromUtf8(const std::string& text)
{
    if constexpr (sizeof(wchar_t) == 2)
    {
        const std::u16string units = Platform::Utf16FromUtf8(text);
        return std::wstring(units.begin(), units.end());
    }
    const std::string valid = Platform::MakeValidUtf8(text);
    std::wstring result;
    result.reserve(valid.size());
    utf8::unchecked::utf8to32(valid.begin(), valid.end(), std::back_inserter(result));
    return result;
}

} // namespace Kavrel::Core
