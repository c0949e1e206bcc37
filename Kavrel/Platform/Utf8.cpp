#include <Kavrel/Platform/Utf8.h>

#include <utf8.h>

namespace Kavrel::Platform
{

namespace
{
const char REPLACEMENT[] = "\xEF\xBF\xBD";
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

} // namespace Kavrel::Platform
