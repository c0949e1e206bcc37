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
    // What cannot be a character (a lone surrogate half, a value past
    // U+10FFFF) becomes U+FFFD; utfcpp then encodes what is left.
    std::string result;
    result.reserve(text.size());
    if constexpr (sizeof(wchar_t) == 2)
    {
        std::u16string units;
        units.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i)
        {
            const char16_t unit = static_cast<char16_t>(text[i]);
            const bool high = unit >= 0xD800 && unit <= 0xDBFF;
            const bool pairs = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
            if (pairs)
            {
                units += unit;
                units += static_cast<char16_t>(text[++i]);
            }
            else
                units += IsSurrogate(unit) ? static_cast<char16_t>(REPLACEMENT) : unit;
        }
        utf8::unchecked::utf16to8(units.begin(), units.end(), std::back_inserter(result));
    }
    else
    {
        std::u32string points;
        points.reserve(text.size());
        for (const wchar_t unit : text)
        {
            const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(unit));
            points += IsSurrogate(c) || c > 0x10FFFF ? REPLACEMENT : c;
        }
        utf8::unchecked::utf32to8(points.begin(), points.end(), std::back_inserter(result));
    }
    return result;
}

std::wstring WstringFromUtf8(const std::string& text)
{
    const std::string valid = Platform::MakeValidUtf8(text);
    std::wstring result;
    result.reserve(valid.size());
    if constexpr (sizeof(wchar_t) == 2)
        utf8::unchecked::utf8to16(valid.begin(), valid.end(), std::back_inserter(result));
    else
        utf8::unchecked::utf8to32(valid.begin(), valid.end(), std::back_inserter(result));
    return result;
}

} // namespace Kavrel::Core
