// The default language is the one the installer recorded in the product's
// machine-wide settings.
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace
{
struct InstallerCode
{
    std::optional<QString> stored; // as the installer wrote it; none: not written
    const char* locale;
};

class DefaultLocaleTest : public ::testing::TestWithParam<InstallerCode>
{
protected:
    static inline int argc = 1;
    static inline char name[] = "LookAndFeelServicesTests";
    static inline char* argv[] = {name, nullptr};
};

TEST_P(DefaultLocaleTest, followsTheLanguageTheInstallerRecorded)
{
    {
        QSettings installer(qEnvironmentVariable("XDG_CONFIG_DIRS").section(QLatin1Char(':'), 0, 0) +
                                QStringLiteral("/LafOrg/LafCode.conf"),
                            QSettings::IniFormat);
        installer.clear();
        if (GetParam().stored)
            installer.setValue(QStringLiteral("Language"), *GetParam().stored);
    }
    Kavrel::App::Application app(argc, argv);
    auto product = Kavrel::Test::MakeProduct();
    product->organization = "LafOrg";
    product->codeName = "LafCode";
    app.SetCustomizationManager(product);
    QTemporaryDir base;
    Kavrel::App::LookAndFeelManager manager(base.path().toStdString(), "theme.json", {});
    EXPECT_EQ(manager.GetDefaultLocale(), GetParam().locale);
}

INSTANTIATE_TEST_SUITE_P(Codes, DefaultLocaleTest,
                         ::testing::Values(InstallerCode{std::nullopt, "unknown"},
                                           InstallerCode{"0", "unknown"}, InstallerCode{"1028", "zh_TW"},
                                           InstallerCode{"1031", "de_DE"}, InstallerCode{"1034", "es_ES"},
                                           InstallerCode{"1036", "fr_FR"}, InstallerCode{"1040", "it_IT"},
                                           InstallerCode{"1041", "ja_JP"}, InstallerCode{"1042", "ko_KR"},
                                           InstallerCode{"1043", "nl_NL"}, InstallerCode{"1045", "pl_PL"},
                                           InstallerCode{"1046", "pt_BR"}, InstallerCode{"1049", "ru_RU"},
                                           InstallerCode{"1055", "tr_TR"}, InstallerCode{"2052", "zh_CN"},
                                           InstallerCode{"2070", "pt_PT"}, InstallerCode{"1033", "en_US"},
                                           InstallerCode{"1030", "en_US"}, InstallerCode{"99999", "en_US"}),
                         [](const auto& info) {
                             return info.param.stored ? "code_" + info.param.stored->toStdString() : "absent";
                         });

} // namespace
