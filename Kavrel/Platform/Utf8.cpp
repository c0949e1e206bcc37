#include <Kavrel/Platform/Utf8.h>

namespace Kavrel::Platform
{

namespace
{
const char REPLACEMENT[] = "\xEF\xBF\xBD";

// Length of the valid sequence starting at s[i], or 0 when it is not valid
// (overlong forms, surrogates and values past U+10FFFF are invalid).
size_t ValidSequenceLength(const std::string& s, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        length = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
    {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0;
        if (b0 == 0xED)
            high = 0x9F;
    }
    else if (b0 >= 0xF0 && b0 <= 0xF4)
    {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;
        if (b0 == 0xF4)
            high = 0x8F;
    }
    else
        return 0;
    if (i + length > s.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}
} // namespace

std::string MakeValidUtf8(const std::string& bytes)
{
    std::string result;
    result.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();)
    {
        const size_t length = ValidSequenceLength(bytes, i);
        if (length == 0)
        {
            result += REPLACEMENT;
            ++i;
        }
        else
        {
            result.append(bytes, i, length);
            i += length;
        }
    }
    return result;
}

} // namespace Kavrel::Platform
