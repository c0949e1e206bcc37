// The sample product: a small player built on the application library.
//
//   SampleProduct [--screenshot FILE.png] [--quit-after MS] [--crash] [files...]
//
// With no display, run it with QT_QPA_PLATFORM=offscreen or under Xvfb.
#include "MainWindow.h"
#include "SampleCustomization.h"
#include "SettingsStatusObserver.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/SettingsManager.h>

#include <QCommandLineParser>
#include <QSettings>
#include <QTextStream>
#include <QTimer>
#include <cstdlib>

#include <boost/make_shared.hpp>
#include <glog/logging.h>

namespace
{
const char ORGANIZATION[] = "Kavrel";
const char GENERAL_STORE[] = "Common";
const char PRODUCT_STORE[] = "SampleProduct";

int RealMain(int argc, char** argv)
{
    Kavrel::App::Application app(argc, argv);
    app.SetCustomizationManager(boost::make_shared<SampleCustomization>());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sample product of the application library."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the main window to <file> (PNG) and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Quit <ms> milliseconds after the start."),
                                       QStringLiteral("ms"));
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Media files to add to the playlist."),
                                 QStringLiteral("[files...]"));
    const QCommandLineOption crash(
        QStringLiteral("crash"),
        QStringLiteral("Abort on purpose once started, to see the next start report it."));
    parser.addOption(screenshot);
    parser.addOption(crash);
    parser.addOption(quitAfter);
    parser.process(app);

    // The general store is shared by the family's products; the product
    // store holds this product's own preferences.
    auto general = boost::make_shared<Kavrel::App::SettingsManager>(GENERAL_STORE, ORGANIZATION);
    auto product = boost::make_shared<Kavrel::App::SettingsManager>(PRODUCT_STORE, ORGANIZATION);
    app.SetSettingsManager(general);
    app.SetProductSettingsManager(product);

    MainWindow window(product);
    window.AddFiles(parser.positionalArguments());
    // What this start is, and whether the last run ended properly. A crash,
    // once shown, is forgotten. Clearing drops every record, this run's own
    // too, so it is done only when there is something to forget.
    window.ShowStartInfo(app.GetLaunchType(), app.HasUnreportedCrash());
    if (app.HasUnreportedCrash())
        app.ClearCrashes();
    app.SetMainWindow(&window);
    SettingsStatusObserver observer;
    QObject::connect(&observer, &SettingsStatusObserver::Changed, &window, &MainWindow::ShowStatus);
    general->RegisterObserver(&observer);
    product->RegisterObserver(&observer);

    QTextStream out(stdout);
    out << "Log folder: " << qEnvironmentVariable("KavrelLogPath", QStringLiteral("(logging not started)"))
        << '\n'
        << "General settings: " << QSettings(ORGANIZATION, GENERAL_STORE).fileName() << '\n'
        << "Product settings: " << QSettings(ORGANIZATION, PRODUCT_STORE).fileName() << '\n';
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
            if (parser.isSet(crash))
                QTimer::singleShot(0, [] { std::abort(); });
            if (parser.isSet(quitAfter))
                QTimer::singleShot(parser.value(quitAfter).toInt(), &app, &QCoreApplication::quit);
        });

    window.show();
    app.Start();
    const int result = app.exec();
    product->UnregisterObserver(&observer);
    general->UnregisterObserver(&observer);
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
