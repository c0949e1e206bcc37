#include "TestEnvironment.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Util/LambdaQt4.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

using Kavrel::App::Application;

namespace
{
// A product started with the given test options, offering en_US, de_DE,
// ru_RU and fr_FR, and speaking fr_FR before the test.
class LinkDump
{
public:
    explicit LinkDump(std::vector<std::string> options) : arguments(std::move(options))
    {
        arguments.insert(arguments.begin(), "LinkDumpTests");
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argc = static_cast<int>(argv.size());
        app = std::make_unique<Application>(argc, argv.data());
        for (const char* locale : {"en_US", "de_DE", "ru_RU", "fr_FR"})
            QDir(folder.path()).mkpath(QStringLiteral("resources/locales/") + QLatin1String(locale));
        lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(
            folder.path().toStdString(), "theme.json", std::list<std::string>{});
        lookAndFeel->SetLocale("fr_FR");
        app->SetCustomizationManager(product);
        app->SetLookAndFeel(lookAndFeel);
        app->SetSettingsManager(boost::make_shared<Kavrel::App::SettingsManager>(
            folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat));
        dumpFile = QStandardPaths::writableLocation(QStandardPaths::DataLocation) +
                   QStringLiteral("/Player-url-dump.csv");
        QFile::remove(dumpFile); // an earlier run's
    }

    QStringList DumpLines() const
    {
        QFile dump(dumpFile);
        if (!dump.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(dump.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    std::vector<std::string> arguments;
    std::vector<char*> argv;
    int argc = 0;
    QTemporaryDir folder;
    std::unique_ptr<Application> app;
    boost::shared_ptr<Kavrel::Test::TestProduct> product = Kavrel::Test::MakeProduct();
    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel;
    QString dumpFile;
};

TEST(LinkDump, writesEveryLinkOfTheRequestedLanguagesAndSchedulesTheOpenings)
{
    LinkDump run({"--test-open-urls", "--test-custom-locales=fr_FR,xx_XX,de_DE,,en_US",
                  "--test-custom-delay=500", "--not-ours"});
    run.app->Start();

    const QStringList lines = run.DumpLines();
    const int keys = static_cast<int>(Kavrel::URLKeyNames.size());
    ASSERT_EQ(lines.size(), 3 * keys) << "the open option alone still writes the dump";
    EXPECT_EQ(lines.first(),
              QStringLiteral("en_US;VIDEOBLOCKS_URL_other_import;https://stock.kavrel.example/video/"
                             "?lang=en;"));
    EXPECT_TRUE(lines[keys].startsWith(QStringLiteral("de_DE;VIDEOBLOCKS_URL_other_import;")));
    EXPECT_EQ(lines[keys + 6],
              QStringLiteral("de_DE;FAQ_URL_menu;https://www.kavrel.example/de/haeufige-fragen/;"));
    EXPECT_TRUE(lines.contains(QStringLiteral("de_DE;GOOGLE_PLUS_URL_menu;;"))) << "no link, empty field";
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("fr_FR;CHANGELOG_URL;")));

    // The language is back, for the interface and for the product.
    EXPECT_EQ(run.lookAndFeel->GetCurrentLocale(), "fr_FR");
    EXPECT_EQ(run.product->locales, (std::vector<std::string>{"en_US", "de_DE", "fr_FR", "fr_FR"}));

    // One opening per record: 10 s from the start, then every 500 ms.
    std::vector<int> offsets;
    for (const auto* opener : run.app->findChildren<Kavrel::Util::LambdaQt4*>())
        offsets.push_back(opener->property("openAfterMs").toInt());
    ASSERT_EQ(offsets.size(), static_cast<size_t>(lines.size()));
    std::sort(offsets.begin(), offsets.end());
    EXPECT_EQ(offsets[0], 10000);
    EXPECT_EQ(offsets[1], 10500);
    EXPECT_EQ(offsets[2], 11000);
    EXPECT_EQ(offsets.back(), 10000 + 500 * (lines.size() - 1));
}

TEST(LinkDump, withoutTestOptionsNothingHappensAndHelpOnlyShowsTheOptions)
{
    {
        LinkDump run({"--quiet"});
        run.app->Start();
        EXPECT_FALSE(QFile::exists(run.dumpFile));
    }
    LinkDump run({"--test-help"});
    QString shown;
    QTimer::singleShot(0,
                       [&]
                       {
                           if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                           {
                               shown = box->text();
                               box->button(QMessageBox::Ok)->click();
                           }
                       });
    run.app->Start();
    EXPECT_EQ(shown, QStringLiteral("--test-help Show help for test options\n"
                                    "--test-dump-urls Write URLs to dump file\n"
                                    "--test-open-urls Open URLs in browser\n"
                                    "--test-custom-locales Set locales: en_US,ru_RU\n"
                                    "--test-custom-delay Set open delay in ms\n"));
    EXPECT_FALSE(QFile::exists(run.dumpFile));
}

TEST(LinkDump, anUnwritableDumpLocationIsReportedAndNothingIsTested)
{
    LinkDump run({"--test-dump-urls", "--test-open-urls"});
    // A folder where the dump file should be: it cannot be opened as a file.
    QDir().mkpath(run.dumpFile);
    QString shown;
    QTimer::singleShot(0,
                       [&]
                       {
                           if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                           {
                               shown = box->windowTitle() + QLatin1Char('|') + box->text();
                               box->button(QMessageBox::Ok)->click();
                           }
                       });
    run.app->Start();
    EXPECT_EQ(shown, QStringLiteral("Config test error|Can't open file to dump: ") + run.dumpFile);
    EXPECT_TRUE(run.app->findChildren<Kavrel::Util::LambdaQt4*>().isEmpty());
    EXPECT_TRUE(run.product->locales.empty());
}
} // namespace
