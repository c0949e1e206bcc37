// Notes: a page of notes in its own theme, in English or German.
//   Notes [--language de_DE|en_US] [--screenshot FOLDER]
// --screenshot saves the window and the "clear" question to FOLDER and
// prints the question's buttons, then quits.
#include "NotesWindow.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILookAndFeelObserver.h>
#include <Kavrel/App/Application/LookAndFeelHandler.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Core/AppLocations.h>

#include <QAbstractButton>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>
#include <QTimer>

#include <boost/make_shared.hpp>

namespace
{
class NotesCustomization : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "Notes"; }
    std::string GetVersionMajor() const override { return "0"; }
    std::string GetVersionMinor() const override { return "3"; }
    std::string GetApplicationName() const override { return "Notes"; }
    std::string GetProductName() const override { return "Notes"; }
    std::string GetProductCodeName() const override { return "Notes"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return "mailto:notes@example.com"; }
    void SetLocale(const std::string&) override {}
};

// The manager loads a theme; the product applies its style sheet.
class StyleSheets : public Kavrel::App::ILookAndFeelObserver
{
public:
    explicit StyleSheets(Kavrel::App::ILookAndFeelManager& manager) : lookAndFeel(manager) {}
    void OnLocaleChanged(const std::string&) override {}
    void OnThemeChanged(const std::string&) override
    {
        qApp->setStyleSheet(QString::fromStdString(lookAndFeel.GetUnitedStylesheet()));
    }

private:
    Kavrel::App::ILookAndFeelManager& lookAndFeel;
};

int RealMain(int argc, char** argv)
{
    Kavrel::App::Application app(argc, argv);
    app.SetCustomizationManager(boost::make_shared<NotesCustomization>());
    auto store = boost::make_shared<Kavrel::App::SettingsManager>(QStringLiteral("Notes"), QStringLiteral("Kavrel"));
    app.SetSettingsManager(store);

    QCommandLineParser parser;
    const QCommandLineOption language(QStringLiteral("language"), QStringLiteral("Interface language."),
                                      QStringLiteral("locale"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QStringLiteral("Save pictures and quit."),
                                        QStringLiteral("folder"));
    parser.addOptions({language, screenshot});
    parser.parse(app.arguments());

    // resources/ beside the executable, laid out by kavrel_add_theme and
    // kavrel_add_language.
    auto lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(
        Kavrel::Core::AppLocations::GetLocations().GetApplicationFolder(), "theme.json", std::list<std::string>());
    StyleSheets styleSheets(*lookAndFeel);
    lookAndFeel->RegisterObserver(&styleSheets);
    app.SetLookAndFeel(lookAndFeel);
    lookAndFeel->Initialize(parser.isSet(language) ? parser.value(language).toStdString()
                                                   : Kavrel::App::LookAndFeelManager::UNKNOWN_LOCALE,
                            "paper");

    NotesWindow window(store);
    Kavrel::App::LookAndFeelHandler menus(lookAndFeel, window.LanguageMenu(), window.ThemeMenu(), nullptr);
    menus.SetLocaleList(lookAndFeel->GetLocales());
    menus.SetThemeList(lookAndFeel->GetThemes());
    menus.SelectLocale(lookAndFeel->GetCurrentLocale());
    menus.SelectTheme(lookAndFeel->GetCurrentTheme());
    app.SetMainWindow(&window);
    window.show();

    if (parser.isSet(screenshot))
    {
        QTimer::singleShot(0, &window,
                           [&]
                           {
                               const QDir folder(parser.value(screenshot));
                               folder.mkpath(QStringLiteral("."));
                               window.grab().save(folder.filePath(QStringLiteral("notes.png")));
                               // The question, as the Clear entry asks it.
                               Kavrel::App::AlertBox box(Kavrel::App::AlertBox::Question,
                                                         NotesWindow::tr("Clear the page"),
                                                         NotesWindow::tr("Clear every note on this page?"),
                                                         QMessageBox::Yes | QMessageBox::No, &window, Qt::Dialog);
                               box.Show(false);
                               QCoreApplication::processEvents(); // let it lay itself out
                               box.grab().save(folder.filePath(QStringLiteral("question.png")));
                               QTextStream out(stdout);
                               out << "Language: " << QString::fromStdString(lookAndFeel->GetCurrentLocale())
                                   << "\nButtons:";
                               for (QAbstractButton* button : box.buttons())
                                   out << ' ' << button->text();
                               out << '\n';
                               QCoreApplication::quit();
                           });
    }
    app.Start();
    const int result = app.exec();
    lookAndFeel->UnregisterObserver(&styleSheets);
    return result;
}
} // namespace

int main() { return Kavrel::App::EntryWrapper(&RealMain); }
