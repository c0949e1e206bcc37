// The services under the look-and-feel manager: theme descriptions are read
// through the property serializer from a string input, and menu labels come
// from the localisation service.
#include <Kavrel/Core/PropertySerializer.h>
#include <Kavrel/IO/DataInputString.h>
#include <Kavrel/Localization/LocalizationManager.h>

#include <gtest/gtest.h>

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

TEST(PropertySerializer, membersBecomeChildrenInFileOrderAndObjectsNest)
{
    Property root("root");
    ASSERT_TRUE(
        Read(root, R"({ "zh_CN": "夜", "en_US": "Night", "n": 3, "more": { "deep": { "x": "y" } } })", true));
    EXPECT_EQ(Children(root), (std::vector<std::string>{"zh_CN=夜", "en_US=Night", "n=3", "more="}));
    const Property& constRoot = root;
    EXPECT_EQ(constRoot["more"]["deep"]["x"].GetString(), "y");
    EXPECT_EQ(constRoot["absent"]["deeper"].GetString(), ""); // reading creates nothing
    EXPECT_EQ(root.GetChildren().size(), 4u);
    EXPECT_EQ(root.GetName(), "root");
}

TEST(PropertySerializer, arraysAreUnnamedChildrenUnlessStrict)
{
    const std::string json = R"({ "name": "x", "list": [ "a", "b" ] })";
    Property loose, strict;
    ASSERT_TRUE(Read(loose, json, false));
    EXPECT_EQ(Children(loose["list"]), (std::vector<std::string>{"=a", "=b"}));
    EXPECT_FALSE(Read(strict, json, true));
    EXPECT_TRUE(strict.GetChildren().empty());
}

class PropertySerializerBadInput : public ::testing::TestWithParam<const char*>
{
};

TEST_P(PropertySerializerBadInput, failsAndLeavesTheRootEmpty)
{
    for (const bool strict : {false, true})
    {
        Property root;
        EXPECT_FALSE(Read(root, GetParam(), strict)) << strict;
        EXPECT_TRUE(root.GetChildren().empty()) << strict;
    }
    Property root;
    root.AddChild("old");
    EXPECT_FALSE(Kavrel::Core::PropertySerializer::Deserialize(root, nullptr, false));
    EXPECT_TRUE(root.GetChildren().empty());
}

INSTANTIATE_TEST_SUITE_P(Syntax, PropertySerializerBadInput,
                         ::testing::Values("", "{", R"({ "en_US": "Night" )", R"({ "a": "b" } trailing)",
                                           R"({ "a" "b" })", "\xff\xfe{}"),
                         [](const auto& info)
                         {
                             return std::vector<std::string>({"empty", "open_brace", "unclosed",
                                                              "trailing_text", "missing_colon",
                                                              "byte_order_mark"})[info.index];
                         });

TEST(DataInputString, readsItsOwnCopyOfEveryByteInChunks)
{
    std::string text("ab\0cdé", 7);
    const auto input = DataInputString::Create(text);
    text.assign("changed");
    char buffer[4] = {};
    ASSERT_EQ(input->Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0c", 4));
    EXPECT_FALSE(input->AtEnd());
    EXPECT_EQ(Kavrel::Core::ReadAll(*input), "dé");
    EXPECT_TRUE(input->AtEnd());
    EXPECT_EQ(input->Read(buffer, 4), 0u);
    EXPECT_TRUE(DataInputString::Create("")->AtEnd());
}

struct Expected
{
    const char* locale;
    const char* dark; // null: no table of that language to check against
};

class CoreTranslations : public ::testing::TestWithParam<Expected>
{
protected:
    std::string Core(const std::string& key)
    {
        return Kavrel::Core::GetLocalizationManagerForDomain("core")->Translate(key);
    }
};

TEST_P(CoreTranslations, languagesKeepTheirOwnNamesAndThemesFollowTheLocale)
{
    Kavrel::Core::GetLocalizationManager()->SetLocale(GetParam().locale);
    EXPECT_EQ(Core("de_DE"), "Deutsch");
    EXPECT_EQ(Core("ru_RU"), "Русский");
    EXPECT_EQ(Core("pt_BR"), "Português (Brasil)"); // the table's, not Qt's "Português"
    if (GetParam().dark)
    {
        EXPECT_EQ(Core("dark"), GetParam().dark);
    }
    // Languages no table lists still get their own names.
    EXPECT_EQ(Core("sv_SE"), "Svenska");
    EXPECT_EQ(Core("uk_UA"), "Українська");
    EXPECT_EQ(Core("cs_CZ"), "Čeština");
    // Anything else comes back as it went in.
    EXPECT_EQ(Core("xx_YY"), "xx_YY");
    EXPECT_EQ(Core("no such key"), "no such key");
    EXPECT_EQ(Kavrel::Core::GetLocalizationManager()->Translate("light"), Core("light"));
}

INSTANTIATE_TEST_SUITE_P(Locales, CoreTranslations,
                         ::testing::Values(Expected{"en_US", "Dark"}, Expected{"de_DE", "Dunkel"},
                                           Expected{"ru_RU", "Тёмная"}, Expected{"fr_FR", "Sombre"},
                                           Expected{"es_ES", "Oscuro"}, Expected{"ja_JP", nullptr},
                                           Expected{"", nullptr}),
                         [](const auto& info) {
                             return *info.param.locale ? std::string(info.param.locale) : std::string("none");
                         });

TEST(LocalizationService, domainsShareOneLocaleButNotTheirTables)
{
    const auto player = Kavrel::Core::GetLocalizationManagerForDomain("player");
    player->SetLocale("de_DE");
    EXPECT_EQ(Kavrel::Core::GetLocalizationManager()->GetLocale(), "de_DE");
    EXPECT_EQ(Kavrel::Core::GetLocalizationManagerForDomain("core")->Translate("dark"), "Dunkel");
    EXPECT_EQ(player->Translate("dark"), "dark");
}

} // namespace
