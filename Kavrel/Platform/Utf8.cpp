#include <Kavrel/Platform/Utf8.h>

#include <utf8.h>

#include <iterator>

namespace Kavrel::Platform
{

namespace
{
const char REPLACEMENT[] = "\xEF\xBF\xBD";
constexpr char16_t REPLACEMENT_UNIT = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
} // namespace

// One U+FFFD per byte that starts no valid sequence: the damage stays
// visible and no following character is swallowed with it. What counts as
// valid (no overlong forms, no surrogates, nothing past U+10FFFF) is
// utfcpp's.
std::string MakeValidUtf8(const std::string& bytes)
{
    std::string result;
    result.reserve(bytes.size());
    auto from = bytes.begin();
    while (from != bytes.end())
    {
        const auto invalid = utf8::find_invalid(from, bytes.end());
        result.append(from, invalid);
        if (invalid == bytes.end())
            break;
        result += REPLACEMENT;
        from = invalid + 1;
    }
    return result;
}

std::u16string Utf16FromUtf8(const std::string& text)
{
    const std::string valid = MakeValidUtf8(text);
    std::u16string result;
    result.reserve(valid.size());
    utf8::unchecked::utf8to16(valid.begin(), valid.end(), std::back_inserter(result));
    return result;
}

// Windows names and command lines may hold lone surrogate halves; utfcpp
// would refuse the whole text, so they are replaced first.
std::string Utf8FromUtf16(const std::u16string& text)
{
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        {
            units += text[i];
            units += text[++i];
        }
        else
            units += IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]) ? REPLACEMENT_UNIT : text[i];
    }
    std::string result;
    result.reserve(units.size());
    utf8::unchecked::utf16to8(units.begin(), units.end(), std::back_inserter(result));
    return result;
}

} // namespace Kavrel::Platform
