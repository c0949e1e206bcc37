// Text between UTF-8 and the wide strings of the system's calls.
#include <Kavrel/Core/Utf.h>
#include <Kavrel/Platform/Utf8.h>

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using Kavrel::Core::Utf8FromWstring;
using Kavrel::Core::WstringFromUtf8;

TEST(CoreUtf, everyCodePointRoundTripsThroughValidUtf8AndInvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(Utf8FromWstring(L"a\0Я漢\U0001F600\U0010FFFF"s), "a\0Я漢\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"s);
    EXPECT_EQ(WstringFromUtf8(Utf8FromWstring(L"")), L"");
    std::wstring all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            all += static_cast<wchar_t>(c);
    const std::string utf8 = Utf8FromWstring(all);
    EXPECT_EQ(utf8.size(), 0x80 * 1 + (0x800 - 0x80) * 2 + (0x10000 - 0x800 - 0x800) * 3 + 0x100000 * 4);
    EXPECT_TRUE(Kavrel::Platform::MakeValidUtf8(utf8) == utf8 && WstringFromUtf8(utf8) == all);

    EXPECT_EQ(WstringFromUtf8("q\xFFz"), L"q\uFFFDz");
    EXPECT_EQ(WstringFromUtf8("\xF0\x9F\x98"), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(WstringFromUtf8("\xED\xA0\x80Я"), L"\uFFFD\uFFFD\uFFFDЯ");
    EXPECT_EQ(Utf8FromWstring({L'a', wchar_t(0xD800), wchar_t(0x110000), wchar_t(-1), L'z'}),
              "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
}
