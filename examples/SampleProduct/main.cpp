// The sample product: a small player built on the application library.
//
//   SampleProduct [--language LOCALE] [--theme NAME] [--screenshot FILE.png]
//                 [--gallery FOLDER] [--sign-up] [--quit-after MS] [--crash]
//                 [files...]
//
//   --language LOCALE   interface language: de_DE, en_US, fr_FR, ru_RU, or
//                       "unknown" for the user's preferred one
//   --theme NAME        "light" or "dark"
//   --screenshot FILE   save the main window as PNG once started, then quit
//   --gallery FOLDER    save the main window and every dialog as PNG files,
//                       FOLDER/<locale>/<name>.png for each language, then quit
//   --sign-up           show the e-mail sign-up once started, whatever the
//                       kind of start (a demo)
//   --quit-after MS     quit MS milliseconds after the start
//   --crash             abort once started, so that the next start reports it
//                       (three in a row, and the next start offers a safe mode)
//   --safe-mode         start with the default theme and language
//   --run-helper        run the helper program (as Tools > Run Helper does),
//                       let it close at once, and quit when it has gone
//   files               media files to add to the playlist
//
// On the first start after installation the e-mail sign-up is offered,
// except in runs that only render or test (--screenshot, --gallery,
// --quit-after, --crash).
//
// The library's link test reads its own options from the same command line:
// --test-dump-urls, --test-open-urls, --test-custom-locales=fr_FR,en_US,
// --test-custom-delay=MS and --test-help.
//
// A language or theme given here is kept, like a choice made in the View
// menu. Both are read from resources/ beside the executable, where the build
// lays them out. With no display, run it with QT_QPA_PLATFORM=offscreen or
// under Xvfb.
#include "Gallery.h"
#include "MainWindow.h"
#include "SampleApplication.h"
#include "SampleCustomization.h"
#include "SettingsStatusObserver.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EmailDialog.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/MigrateSettingsFromQt4ToQt5.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Core/AppLocations.h>

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QSettings>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include <boost/make_shared.hpp>
#include <glog/logging.h>

namespace
{
const QLatin1String ORGANIZATION("Kavrel");
const QLatin1String GENERAL_STORE("Common");
const QLatin1String PRODUCT_STORE("SampleProduct");
const QLatin1String MAIL_STORE("Mail");
const char THEME_INFO_FILE[] = "theme.json";
const char DEFAULT_THEME[] = "light";
// Crashes at start in a row after which the defaults are offered.
constexpr int SAFE_MODE_STREAK = 3;

// Applies the united style sheet of each theme the manager loads.
class StyleSheetApplier : public Kavrel::App::ILookAndFeelObserver
{
public:
    explicit StyleSheetApplier(Kavrel::App::ILookAndFeelManager& lookAndFeel) : manager(lookAndFeel) {}

    void OnLocaleChanged(const std::string&) override {}
    void OnThemeChanged(const std::string&) override
    {
        qApp->setStyleSheet(QString::fromStdString(manager.GetUnitedStylesheet()));
    }

private:
    Kavrel::App::ILookAndFeelManager& manager;
};

QString Join(const std::list<std::string>& names)
{
    QStringList joined;
    for (const std::string& name : names)
        joined << QString::fromStdString(name);
    return joined.join(QLatin1Char(' '));
}

// The language or theme to start with: the command line's when it names an
// installed one (it is then stored, like a choice from the menu), else the
// stored one while it is still installed, else the default.
std::string StartChoice(const QString& requested, const std::list<std::string>& installed,
                        Kavrel::App::ISettingsManager& store, const char* key, const std::string& fallback)
{
    const auto available = [&](const std::string& name)
    { return name == fallback || std::find(installed.begin(), installed.end(), name) != installed.end(); };
    if (!requested.isEmpty())
    {
        if (available(requested.toStdString()))
        {
            store.SetString(key, requested.toStdString());
            return requested.toStdString();
        }
        QTextStream(stderr) << key << " \"" << requested
                            << "\" is not installed (installed: " << Join(installed) << ")\n";
    }
    const std::string stored = store.GetString(key, fallback);
    return available(stored) ? stored : fallback;
}

int RealMain(int argc, char** argv)
{
    SampleApplication app(argc, argv);
    app.SetCustomizationManager(boost::make_shared<SampleCustomization>());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sample product of the application library."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the main window to <file> (PNG) and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Quit <ms> milliseconds after the start."),
                                       QStringLiteral("ms"));
    const QCommandLineOption gallery(
        QStringLiteral("gallery"),
        QStringLiteral("Save the main window and every dialog in each language to <folder> (PNG) and quit."),
        QStringLiteral("folder"));
    const QCommandLineOption signUp(QStringLiteral("sign-up"),
                                    QStringLiteral("Show the e-mail sign-up once started, for a demo."));
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Media files to add to the playlist."),
                                 QStringLiteral("[files...]"));
    const QCommandLineOption crash(
        QStringLiteral("crash"),
        QStringLiteral("Abort on purpose once started, to see the next start report it."));
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Interface language <locale>, such as de_DE, fr_FR or "
                                                     "ru_RU; \"unknown\" picks the user's own."),
                                      QStringLiteral("locale"));
    const QCommandLineOption theme(QStringLiteral("theme"),
                                   QStringLiteral("Visual theme <name>: light or dark."),
                                   QStringLiteral("name"));
    parser.addOption(language);
    parser.addOption(theme);
    parser.addOption(screenshot);
    parser.addOption(gallery);
    parser.addOption(signUp);
    parser.addOption(crash);
    const QCommandLineOption safeMode(QStringLiteral("safe-mode"),
                                      QStringLiteral("Start with the default theme and language."));
    parser.addOption(safeMode);
    const QCommandLineOption runHelper(
        QStringLiteral("run-helper"),
        QStringLiteral("Run the helper, let it close and hand the focus back, then quit."));
    parser.addOption(runHelper);
    parser.addOption(quitAfter);
    // The library reads options of its own from the same command line (the
    // link test's --test-dump-urls and others), so unknown ones pass.
    parser.parse(app.arguments());
    if (parser.isSet(help))
        parser.showHelp(0);
    app.SetSignUpOffered(!parser.isSet(screenshot) && !parser.isSet(gallery) && !parser.isSet(quitAfter) &&
                         !parser.isSet(crash));

    // Values left by the product's older generation are re-encoded once;
    // the keys it had and that this one drops go.
    if (Kavrel::App::NeedMigrateProductSettingsFromQt4ToQt5(PRODUCT_STORE.data()))
    {
        std::vector<std::string> convert{"LastFolder"}, remove{"Equalizer"};
        Kavrel::App::MigrateProductSettingsFromQt4ToQt5(PRODUCT_STORE.data(), convert, remove);
        LOG(INFO) << "Settings of the older generation migrated";
    }
    else
        LOG(INFO) << "Settings already migrated";

    // The general store is shared by the family's products; the product
    // store holds this product's own preferences.
    auto general = boost::make_shared<Kavrel::App::SettingsManager>(GENERAL_STORE, ORGANIZATION);
    auto product = boost::make_shared<Kavrel::App::SettingsManager>(PRODUCT_STORE, ORGANIZATION);
    app.SetSettingsManager(general);
    app.SetProductSettingsManager(product);
    // The sign-up's answer is the family's: one registration for every product.
    app.SetMailSettingsManager(boost::make_shared<Kavrel::App::SettingsManager>(MAIL_STORE, ORGANIZATION));

    // Languages and themes installed under resources/ beside the executable;
    // the product applies the style sheet and keeps the user's choice.
    auto lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(
        Kavrel::Core::AppLocations::GetLocations().GetApplicationFolder(), THEME_INFO_FILE,
        std::list<std::string>());
    StyleSheetApplier styleSheets(*lookAndFeel);
    lookAndFeel->RegisterObserver(&styleSheets);
    app.SetLookAndFeel(lookAndFeel);
    std::string locale =
        StartChoice(parser.value(language), lookAndFeel->GetLocales(), *product, MainWindow::LANGUAGE_KEY,
                    Kavrel::App::LookAndFeelManager::UNKNOWN_LOCALE);
    std::string themeName = StartChoice(parser.value(theme), lookAndFeel->GetThemes(), *product,
                                        MainWindow::THEME_KEY, DEFAULT_THEME);
    // Three crashes at start in a row: perhaps the chosen look is to blame,
    // so offer the defaults (or take them when asked to on the command line).
    const int streak = app.GetStartupCrashStreak();
    const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen");
    bool safe = parser.isSet(safeMode);
    if (!safe && streak >= SAFE_MODE_STREAK && !headless)
        safe = Kavrel::App::AlertBox::Exec(
                   Kavrel::App::AlertBox::Question, QString(),
                   QObject::tr("The player stopped unexpectedly at start %n times in a row. Start with the "
                               "default theme and language?",
                               nullptr, streak),
                   QMessageBox::Yes | QMessageBox::No, nullptr, Qt::Dialog) == QMessageBox::Yes;
    if (safe)
    {
        locale = Kavrel::App::LookAndFeelManager::UNKNOWN_LOCALE;
        themeName = DEFAULT_THEME;
    }
    lookAndFeel->Initialize(locale, themeName);

    MainWindow window(product, lookAndFeel);
    window.AddFiles(parser.positionalArguments());
    // What this start is, and whether the last run ended properly. The
    // tracker forgets a crash once it has reported it; clearing here would
    // also drop this run's record and those of other running instances, so
    // their crashes would go unreported.
    window.ShowStartInfo(app.GetLaunchType(), app.HasUnreportedCrash());
    app.SetMainWindow(&window);
    SettingsStatusObserver observer;
    QObject::connect(&observer, &SettingsStatusObserver::Changed, &window, &MainWindow::ShowStatus);
    QObject::connect(&observer, &SettingsStatusObserver::TextChanged, &window, &MainWindow::FollowChoice);
    general->RegisterObserver(&observer);
    product->RegisterObserver(&observer);

    QTextStream out(stdout);
    out << "Log folder: " << qEnvironmentVariable("KavrelLogPath", QStringLiteral("(logging not started)"))
        << '\n'
        << "General settings: " << QSettings(ORGANIZATION, GENERAL_STORE).fileName() << '\n'
        << "Product settings: " << QSettings(ORGANIZATION, PRODUCT_STORE).fileName() << '\n'
        << "Mail settings: " << QSettings(ORGANIZATION, MAIL_STORE).fileName() << '\n'
        << "Language: " << QString::fromStdString(lookAndFeel->GetCurrentLocale())
        << " (installed: " << Join(lookAndFeel->GetLocales()) << ")\n"
        << "Theme: " << QString::fromStdString(lookAndFeel->GetCurrentTheme())
        << " (installed: " << Join(lookAndFeel->GetThemes()) << ")\n"
        << "Previous run: " << (app.HasUnreportedCrash() ? "crashed" : "ended properly") << '\n'
        << "Crashes at start in a row: " << streak << (safe ? " (safe mode)" : "") << '\n';
    out.flush();

    QObject::connect(&app, &Kavrel::App::Application::AutoUpdateCheckRequested, &window,
                     [&window] { window.ShowStatus(QObject::tr("Checking for updates...")); });
    QObject::connect(
        &app, &Kavrel::App::Application::ApplicationStarted, &window,
        [&]
        {
            LOG(INFO) << "Sample product started";
            if (parser.isSet(screenshot))
            {
                // Let the window lay itself out and paint before it is grabbed.
                QTimer::singleShot(0, &window,
                                   [&]
                                   {
                                       const QString file = parser.value(screenshot);
                                       const bool saved = window.grab().save(file, "PNG");
                                       out << (saved ? "Screenshot: " : "Could not save the screenshot to ")
                                           << file << '\n';
                                       out.flush();
                                       QCoreApplication::exit(saved ? 0 : 1);
                                   });
            }
            if (parser.isSet(gallery))
            {
                QTimer::singleShot(0, &window,
                                   [&]
                                   {
                                       const bool saved =
                                           RenderGallery(window, *lookAndFeel, parser.value(gallery), out);
                                       QCoreApplication::exit(saved ? 0 : 1);
                                   });
            }
            if (parser.isSet(signUp))
            {
                QTimer::singleShot(0, &window,
                                   [&]
                                   {
                                       Kavrel::App::EmailDialog dialog(&window);
                                       dialog.exec();
                                   });
            }
            if (parser.isSet(crash))
                QTimer::singleShot(0, [] { std::abort(); });
            if (parser.isSet(runHelper))
            {
                QObject::connect(&window, &MainWindow::HelperMessage, &app,
                                 [&](const QString& message, const QString& answer)
                                 {
                                     out << "Helper said \"" << message << "\", answered \"" << answer
                                         << "\"\n";
                                     out.flush();
                                 });
                QObject::connect(&window, &MainWindow::HelperClosed, &app, &QCoreApplication::quit);
                window.RunHelper(QStringLiteral("--close-after 0"));
            }
            if (parser.isSet(quitAfter))
                QTimer::singleShot(parser.value(quitAfter).toInt(), &app, &QCoreApplication::quit);
        });

    window.show();
    app.Start();
    const int result = app.exec();
    product->UnregisterObserver(&observer);
    general->UnregisterObserver(&observer);
    lookAndFeel->UnregisterObserver(&styleSheets);
    return result;
}
} // namespace

int main()
{
    // The installer is replacing our files: its message script tells the user.
    if (Kavrel::App::Application::CheckRunnedInstaller())
        return 0;
    Kavrel::App::HighDpiFix();
    return Kavrel::App::EntryWrapper(&RealMain);
}
