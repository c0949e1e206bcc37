// The services under the look-and-feel manager: theme descriptions are read
// through the property serializer from a string input, menu labels come from
// the localisation service, and the default language from the installer.
#include "TestApp.h"

#include <Kavrel/Core/PropertySerializer.h>
#include <Kavrel/IO/DataInputString.h>
#include <Kavrel/Localization/LocalizationManager.h>

using Kavrel::Core::DataInputString;
using Kavrel::Core::Property;

namespace
{
std::vector<std::string> Children(const Property& property)
{
    std::vector<std::string> names;
    for (const Property& child : property.GetChildren())
        names.push_back(child.GetName() + "=" + child.GetString());
    return names;
}

bool Read(Property& root, const std::string& json, bool strict)
{
    root.AddChild("old").SetString("replaced");
    return Kavrel::Core::PropertySerializer::Deserialize(root, DataInputString::Create(json), strict);
}

TEST(PropertySerializer, membersBecomeChildrenInFileOrderObjectsNestAndArraysAreUnnamedUnlessStrict)
{
    Property root("root");
    ASSERT_TRUE(
        Read(root, R"({ "zh_CN": "夜", "en_US": "Night", "n": 3, "more": { "deep": { "x": "y" } } })", true));
    EXPECT_EQ(Children(root), (std::vector<std::string>{"zh_CN=夜", "en_US=Night", "n=3", "more="}));
    const Property& constRoot = root;
    EXPECT_EQ(constRoot["more"]["deep"]["x"].GetString(), "y");
    EXPECT_EQ(constRoot["absent"]["deeper"].GetString(), "");
    EXPECT_EQ(root.GetChildren().size(), 4u) << "reading creates nothing";

    const std::string json = R"({ "name": "x", "list": [ "a", "b" ] })";
    Property loose, strict;
    ASSERT_TRUE(Read(loose, json, false));
    EXPECT_EQ(Children(loose["list"]), (std::vector<std::string>{"=a", "=b"}));
    EXPECT_FALSE(Read(strict, json, true));
    EXPECT_TRUE(strict.GetChildren().empty());
}

TEST(LocalizationService, languagesKeepTheirOwnNamesAndThemesFollowTheLocaleOfEveryDomain)
{
    const auto core = [](const std::string& key)
    { return Kavrel::Core::GetLocalizationManagerForDomain("core")->Translate(key); };
    // Null: no table of that language to check against.
    for (const auto& [locale, dark] : {std::pair("en_US", "Dark"),
                                       {"de_DE", "Dunkel"},
                                       {"ru_RU", "Тёмная"},
                                       {"fr_FR", "Sombre"},
                                       {"es_ES", "Oscuro"},
                                       {"ja_JP", nullptr},
                                       {"", nullptr}})
    {
        Kavrel::Core::GetLocalizationManager()->SetLocale(locale);
        SCOPED_TRACE(locale);
        if (dark)
        {
            EXPECT_EQ(core("dark"), dark);
        }
        EXPECT_EQ(core("de_DE"), "Deutsch");
        EXPECT_EQ(core("ru_RU"), "Русский");
        EXPECT_EQ(core("pt_BR"), "Português (Brasil)"); // the table's, not Qt's "Português"
        // Languages no table lists still get their own names.
        EXPECT_EQ(core("sv_SE") + core("uk_UA") + core("cs_CZ"), "SvenskaУкраїнськаČeština");
        // Anything else comes back as it went in.
        EXPECT_EQ(core("xx_YY") + "|" + core("no such key"), "xx_YY|no such key");
        EXPECT_EQ(Kavrel::Core::GetLocalizationManager()->Translate("light"), core("light"));
    }
    const auto player = Kavrel::Core::GetLocalizationManagerForDomain("player");
    player->SetLocale("de_DE");
    EXPECT_EQ(Kavrel::Core::GetLocalizationManager()->GetLocale(), "de_DE");
    EXPECT_EQ(core("dark"), "Dunkel");
    EXPECT_EQ(player->Translate("dark"), "dark");
}

// The default language is the one the installer recorded in the product's
// machine-wide settings.
TEST(DefaultLocale, followsTheLanguageTheInstallerRecorded)
{
    Kavrel::Test::TestApplication test;
    QTemporaryDir base;
    Kavrel::App::LookAndFeelManager manager(base.path().toStdString(), "theme.json", {});
    EXPECT_EQ(manager.GetDefaultLocale(), "unknown") << "none recorded";
    for (const auto& [code, locale] :
         {std::pair("0", "unknown"), {"1031", "de_DE"}, {"2070", "pt_PT"}, {"1033", "en_US"}})
    {
        test.app.GetInstallerSettings("")->SetString("Language", code);
        EXPECT_EQ(manager.GetDefaultLocale(), locale) << code;
    }
}

} // namespace
