#include "DialogTestSupport.h"

#include <Kavrel/Util/LambdaQt4.h>

#include <QStandardPaths>

using Kavrel::App::Application;

namespace
{
// A product started with the given options, offering the given languages
// and speaking fr_FR before the test.
struct LinkDump : Kavrel::Test::TestApplication
{
    explicit LinkDump(std::vector<std::string> options,
                      const std::vector<const char*>& offered = {"en_US", "de_DE", "ru_RU", "fr_FR"})
        : TestApplication(std::move(options))
    {
        for (const char* locale : offered)
            QDir(folder.path()).mkpath(QString("resources/locales/") + locale);
        lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(
            folder.path().toStdString(), "theme.json", std::list<std::string>{});
        lookAndFeel->SetLocale("fr_FR");
        app.SetLookAndFeel(lookAndFeel);
        app.SetSettingsManager(Kavrel::Test::IniStore(folder.filePath("settings.ini")));
        QFile::remove(dumpFile); // an earlier run's
    }

    QStringList DumpLines() const
    {
        QFile dump(dumpFile);
        return dump.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(dump.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }
    // The languages of the dump, in its order.
    QStringList Locales() const
    {
        QStringList locales;
        for (const QString& line : DumpLines())
            if (!locales.contains(line.section(';', 0, 0)))
                locales << line.section(';', 0, 0);
        return locales;
    }
    // When each scheduled opening is due, in milliseconds from the start.
    std::vector<int> Openings() const
    {
        std::vector<int> offsets;
        for (const auto* opener : app.findChildren<Kavrel::Util::LambdaQt4*>())
            offsets.push_back(opener->property("openAfterMs").toInt());
        std::sort(offsets.begin(), offsets.end());
        return offsets;
    }

    boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel;
    const QString dumpFile =
        QStandardPaths::writableLocation(QStandardPaths::DataLocation) + "/Player-url-dump.csv";
};

TEST(LinkDump, writesEveryLinkOfTheRequestedLanguagesAndSchedulesTheOpenings)
{
    LinkDump run({"--test-open-urls", "--test-custom-locales=fr_FR,xx_XX,de_DE,,en_US",
                  "--test-custom-delay=500", "--not-ours"});
    run.app.Start();

    const QStringList lines = run.DumpLines();
    const int keys = static_cast<int>(Kavrel::URLKeyNames.size());
    ASSERT_EQ(lines.size(), 3 * keys) << "the open option alone still writes the dump";
    EXPECT_EQ(run.Locales(), (QStringList{"en_US", "de_DE", "fr_FR"}));
    EXPECT_EQ(lines.first(),
              "en_US;VIDEOBLOCKS_URL_other_import;https://stock.kavrel.example/video/?lang=en;");
    EXPECT_EQ(lines[keys + 6], "de_DE;FAQ_URL_menu;https://www.kavrel.example/de/haeufige-fragen/;");
    EXPECT_TRUE(lines.contains("de_DE;GOOGLE_PLUS_URL_menu;;")) << "no link, empty field";
    EXPECT_TRUE(lines.last().startsWith("fr_FR;CHANGELOG_URL;"));

    // The language is back, for the interface and for the product.
    EXPECT_EQ(run.lookAndFeel->GetCurrentLocale(), "fr_FR");
    EXPECT_EQ(run.product->locales, (std::vector<std::string>{"en_US", "de_DE", "fr_FR", "fr_FR"}));

    // One opening per record: 10 s from the start, then every 500 ms.
    const std::vector<int> offsets = run.Openings();
    ASSERT_EQ(offsets.size(), static_cast<size_t>(lines.size()));
    for (size_t i = 0; i < offsets.size(); ++i)
        ASSERT_EQ(offsets[i], 10000 + 500 * static_cast<int>(i)) << i;
}

TEST(LinkDump, withoutALocaleOptionTheDefaultListsOfferedLanguagesAreDumpedEnglishGermanRussianFirst)
{
    LinkDump run({"--test-dump-urls"}, {"zh_CN", "fr_FR", "pt_BR", "ru_RU", "en_US", "de_DE"});
    run.app.Start();
    EXPECT_EQ(run.Locales(), (QStringList{"en_US", "de_DE", "ru_RU", "fr_FR", "pt_BR"}));
    EXPECT_TRUE(run.Openings().empty()) << "dumped, not opened";
}

// Regressions: an empty locale list used to test every language, and a
// delay near INT_MAX used to run the schedule into negative timeouts.
TEST(LinkDump, anEmptyLocaleListTestsNothingAndAHugeDelayNeverSchedulesIntoThePast)
{
    {
        LinkDump empty({"--test-dump-urls", "--test-custom-locales="});
        empty.app.Start();
        EXPECT_TRUE(empty.DumpLines().isEmpty());
    }
    LinkDump huge(
        {"--test-open-urls", "--test-custom-locales=en_US,de_DE", "--test-custom-delay=2147483647"});
    huge.app.Start();
    const std::vector<int> offsets = huge.Openings();
    ASSERT_EQ(offsets.size(), 2 * Kavrel::URLKeyNames.size());
    EXPECT_GE(offsets.front(), 10000); // the schedule goes on from earlier tests: it is never reset
    EXPECT_TRUE(std::is_sorted(offsets.begin(), offsets.end()) && offsets.back() == INT_MAX);
}

// Without test options nothing happens; help, or a dump file that cannot be
// written, only shows a box.
TEST(LinkDump, nothingIsTestedWithoutTestOptionsForHelpOrWithoutAWritableDump)
{
    const QString help =
        "Information|--test-help Show help for test options\n--test-dump-urls Write URLs to dump file\n"
        "--test-open-urls Open URLs in browser\n--test-custom-locales Set locales: en_US,ru_RU\n"
        "--test-custom-delay Set open delay in ms\n";
    for (const auto& [options, expected] :
         {std::pair(std::vector<std::string>{"--quiet"}, QString()),
          {{"--test-help"}, help},
          {{"--test-dump-urls", "--test-open-urls"}, "Config test error|Can't open file to dump: <dump>"}})
    {
        LinkDump run(options);
        if (options.size() == 2)
            QDir().mkpath(run.dumpFile); // a folder cannot be opened as the file
        QString shown;
        Kavrel::Test::DialogWatcher<QMessageBox> watcher(
            [&](QMessageBox* box)
            {
                shown = box->windowTitle() + '|' + box->text();
                box->button(QMessageBox::Ok)->click();
            });
        run.app.Start();
        EXPECT_EQ(shown, QString(expected).replace("<dump>", run.dumpFile));
        EXPECT_TRUE(run.Openings().empty() && run.product->locales.empty() &&
                    !QFileInfo(run.dumpFile).isFile());
    }
}
} // namespace
