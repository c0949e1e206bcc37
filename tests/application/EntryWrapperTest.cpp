#include "TestEnvironment.h"

#include <Kavrel/App/Application/EntryWrapper.h>

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace
{
struct Received
{
    int exitCode = -1;
    int argc = -1;
    std::vector<std::string> arguments; // as bytes
    bool layoutOk = false;
};

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

Received RunProbe(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{Kavrel::Test::TestBinaryFolder() + "/entry_probe"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const auto result = Kavrel::Test::RunProcess(command);
    Received received;
    received.exitCode = result.exitCode;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
    {
        if (line.rfind("argc=", 0) == 0)
            received.argc = std::stoi(line.substr(5));
        else if (line.rfind("arg=", 0) == 0)
            received.arguments.push_back(FromHex(line.substr(4)));
        else if (line == "layout=ok")
            received.layoutOk = true;
    }
    return received;
}

TEST(EntryWrapper, handsNonAsciiArgumentsOnAsUtf8InOneBuffer)
{
    const std::vector<std::string> arguments{"Привет мир.mp3", "東京の夜.ogg", "--flag", ""};
    const Received received = RunProbe(arguments);
    EXPECT_EQ(received.exitCode, 42); // the main function's result comes back
    ASSERT_EQ(received.argc, 5);
    ASSERT_EQ(received.arguments.size(), 5u);
    EXPECT_NE(received.arguments[0].find("entry_probe"), std::string::npos);
    for (size_t i = 0; i < arguments.size(); ++i)
        EXPECT_EQ(received.arguments[i + 1], arguments[i]);
    EXPECT_TRUE(received.layoutOk);
}

TEST(EntryWrapper, programAloneGivesCountOne)
{
    const Received received = RunProbe({});
    EXPECT_EQ(received.argc, 1);
    EXPECT_TRUE(received.layoutOk);
}

TEST(EntryWrapper, invalidUtf8BytesArriveAsReplacementCharacters)
{
    // A truncated Cyrillic letter, a lone continuation byte, 0xFF.
    const Received received = RunProbe({"ok\xD0", "\x80x", "\xFFy\xD0\xB6"});
    ASSERT_EQ(received.argc, 4);
    EXPECT_EQ(received.arguments[1], "ok\xEF\xBF\xBD");
    EXPECT_EQ(received.arguments[2], "\xEF\xBF\xBDx");
    EXPECT_EQ(received.arguments[3], "\xEF\xBF\xBDy\xD0\xB6");
}

TEST(EntryWrapper, emptyFunctionThrowsBadFunctionCall)
{
    EXPECT_THROW(Kavrel::App::EntryWrapper(Kavrel::App::MainFunction()), boost::bad_function_call);
}

TEST(EntryWrapper, exceptionsFromMainPassThrough)
{
    auto throwing = [](int, char**) -> int { throw std::runtime_error("from main"); };
    EXPECT_THROW(Kavrel::App::EntryWrapper(throwing), std::runtime_error);
}

TEST(HighDpiFix, setsAutomaticPixelRatio)
{
    ::unsetenv("QT_DEVICE_PIXEL_RATIO");
    Kavrel::App::HighDpiFix();
    ASSERT_NE(std::getenv("QT_DEVICE_PIXEL_RATIO"), nullptr);
    EXPECT_STREQ(std::getenv("QT_DEVICE_PIXEL_RATIO"), "auto");
}
} // namespace
