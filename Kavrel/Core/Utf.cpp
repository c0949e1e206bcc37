#include <Kavrel/Core/Utf.h>
#include <Kavrel/Platform/Utf8.h>

namespace Kavrel::Core
{

namespace
{
constexpr char32_t REPLACEMENT = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c)
{
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = REPLACEMENT;
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t c)
{
    if constexpr (sizeof(wchar_t) == 2)
    {
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}
} // namespace

std::string Utf8FromWstring(const std::wstring& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2)
        {
            // Join surrogate pairs; a lone half becomes U+FFFD in AppendUtf8.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size())
            {
                const char32_t low = static_cast<char32_t>(text[i + 1]);
                if (low >= 0xDC00 && low <= 0xDFFF)
                {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(result, c);
    }
    return result;
}

std::wstring WstringFromUtf8(const std::string& text)
{
    const std::string valid = Platform::MakeValidUtf8(text);
    std::wstring result;
    result.reserve(valid.size());
    for (size_t i = 0; i < valid.size();)
    {
        const auto b = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(valid[k])); };
        char32_t c = b(i);
        size_t length = 1;
        if (c >= 0xF0)
        {
            c = ((c & 0x07) << 18) | ((b(i + 1) & 0x3F) << 12) | ((b(i + 2) & 0x3F) << 6) | (b(i + 3) & 0x3F);
            length = 4;
        }
        else if (c >= 0xE0)
        {
            c = ((c & 0x0F) << 12) | ((b(i + 1) & 0x3F) << 6) | (b(i + 2) & 0x3F);
            length = 3;
        }
        else if (c >= 0xC0)
        {
            c = ((c & 0x1F) << 6) | (b(i + 1) & 0x3F);
            length = 2;
        }
        AppendWide(result, c);
        i += length;
    }
    return result;
}

} // namespace Kavrel::Core
