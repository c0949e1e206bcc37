// Builds against the installed headers only and runs the start sequence.
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ISettingsManagerObserver.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/App/Application/ResourcePaths.h>
#include <Kavrel/App/Application/SettingsManager.h>

#include <QTemporaryDir>
#include <QTimer>

#include <boost/make_shared.hpp>

#include <cstdio>

namespace
{
class Product : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "Consumer"; }
    std::string GetVersionMajor() const override { return "3"; }
    std::string GetVersionMinor() const override { return "4"; }
    std::string GetApplicationName() const override { return "Consumer"; }
    std::string GetProductName() const override { return "Consumer"; }
    std::string GetProductCodeName() const override { return "Consumer"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string&) override {}
};

int RealMain(int argc, char** argv)
{
    Kavrel::App::Application app(argc, argv);
    app.SetCustomizationManager(boost::make_shared<Product>());
    QTemporaryDir folder;
    app.SetSettingsManager(
        boost::make_shared<Kavrel::App::SettingsManager>(folder.filePath("s.ini"), QSettings::IniFormat));
    bool started = false;
    QObject::connect(&app, &Kavrel::App::Application::ApplicationStarted, [&] { started = true; });
    QTimer::singleShot(0, &app,
                       [&]
                       {
                           app.Start();
                           app.quit();
                       });
    app.exec();
    std::printf("%s started=%d resources=%s\n", qPrintable(app.GetFullApplicationName()), started,
                Kavrel::App::GetPathToResources().utf8string().c_str());
    return started && app.GetFullApplicationName() == "Kavrel Consumer 3.4" ? 0 : 1;
}
} // namespace

int main() { return Kavrel::App::EntryWrapper(&RealMain); }
