#include "TestEnvironment.h"

#include <Kavrel/App/Application/EntryWrapper.h>

#include <QByteArray>

#include <stdexcept>

namespace
{
// What the helper prints when its main receives these arguments.
std::string ProbeReport(const std::vector<std::string>& arguments)
{
    std::string report = "argc=" + std::to_string(arguments.size()) + "\n";
    for (const std::string& argument : arguments)
        report += "arg=" + QByteArray::fromStdString(argument).toHex().toStdString() + "\n";
    return report + "layout=ok\n";
}

TEST(EntryWrapper, handsEachArgumentOnAsValidUtf8InOneBufferAndReturnsMainsResult)
{
    const std::vector<std::string> none, words{"Привет мир.mp3", "東京の夜.ogg", "--flag", ""},
        // A truncated Cyrillic letter, a lone continuation byte, 0xFF.
        broken{"ok\xD0", "\x80x", "\xFFy\xD0\xB6"},
        repaired{"ok\xEF\xBF\xBD", "\xEF\xBF\xBDx", "\xEF\xBF\xBDy\xD0\xB6"};
    for (const auto& [given, received] :
         {std::pair(none, none), std::pair(words, words), std::pair(broken, repaired)})
    {
        std::vector<std::string> command{KAVREL_TEST_HELPER, "entry"}, expected = command;
        command.insert(command.end(), given.begin(), given.end());
        expected.insert(expected.end(), received.begin(), received.end());
        const auto result = Kavrel::Test::RunProcess(command);
        EXPECT_EQ(result.exitCode, 42);
        EXPECT_EQ(result.output, ProbeReport(expected));
    }
}

TEST(EntryWrapper, anEmptyFunctionOrAnExceptionFromMainReachesTheCaller)
{
    EXPECT_THROW(Kavrel::App::EntryWrapper(Kavrel::App::MainFunction()), boost::bad_function_call);
    EXPECT_THROW(Kavrel::App::EntryWrapper([](int, char**) -> int { throw std::runtime_error("from main"); }),
                 std::runtime_error);
}

} // namespace
