// A theme description (resources/themes/<theme>/theme.json) as the
// look-and-feel manager reads it: whatever the file holds, the manager comes
// up, and the titles it gives are the ones the description reader sees.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Core/PropertySerializer.h>
#include <Kavrel/IO/DataInputString.h>

#include <QCoreApplication>

#include <algorithm>
#include <set>

namespace
{
int argc = 1;
char name[] = "fuzz_theme_description";
char* argv[] = {name, nullptr};
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    using Kavrel::App::LookAndFeelManager;
    using Kavrel::Core::PropertySerializer;
    const std::string app = Kavrel::Fuzz::Root() + "/app";
    Kavrel::Fuzz::WriteFile(app + "/resources/themes/t/theme.json", data, size);

    // The reader on its own, both ways it can be asked.
    std::string text(reinterpret_cast<const char*>(data), size);
    Kavrel::Core::Property loose;
    PropertySerializer::Deserialize(loose, Kavrel::Core::DataInputString::Create(text), false);
    // The manager reads up to the first NUL, as text: Qt drops every CR.
    text = text.substr(0, text.find('\0'));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    Kavrel::Core::Property titles;
    const bool read = PropertySerializer::Deserialize(titles, Kavrel::Core::DataInputString::Create(text), true);

    LookAndFeelManager manager(app, "theme.json", {});
    KAVREL_FUZZ_EXPECT(manager.GetThemes() == std::list<std::string>{"t"});
    std::set<std::string> asked;
    int checked = 0;
    for (const Kavrel::Core::Property& title : titles.GetChildren())
    {
        // The first title of a language counts; "unknown" asks for the user's language instead.
        if (!read || checked == 16 || title.GetName() == LookAndFeelManager::UNKNOWN_LOCALE ||
            !asked.insert(title.GetName()).second)
            continue;
        ++checked;
        manager.SetLocale(title.GetName());
        KAVREL_FUZZ_EXPECT(manager.GetLocalizedThemeName("t") == title.GetString());
    }
    if (!read || titles.GetChildren().empty())
    {
        manager.SetLocale("en_US");
        KAVREL_FUZZ_EXPECT(manager.GetLocalizedThemeName("t") == "t");
    }
    return 0;
}
