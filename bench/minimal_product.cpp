// The library's side of the start-up comparison: the smallest product a
// developer writes from the guide (entry wrapper, application object,
// customisation, the general and the product's store, Start) showing the
// same empty main window as bare_startup, and quitting as soon as its event
// loop runs. --peak prints its peak resident memory at the end.
#include "PeakMemory.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/SettingsManager.h>

#include <QMainWindow>
#include <QTimer>

#include <boost/make_shared.hpp>

#include <cstdlib>

namespace
{
class Customization : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "MinimalProduct"; }
    std::string GetVersionMajor() const override { return "1"; }
    std::string GetVersionMinor() const override { return "0"; }
    std::string GetApplicationName() const override { return "Minimal Product"; }
    std::string GetProductName() const override { return "MinimalProduct"; }
    std::string GetProductCodeName() const override { return "MinimalProduct"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return "mailto:minimal@example.com"; }
    void SetLocale(const std::string&) override {}
};

int RealMain(int argc, char** argv)
{
    const bool peak = AskedFor(argc, argv, "--peak");
    int status = 0;
    {
        Kavrel::App::Application app(argc, argv);
        app.SetCustomizationManager(boost::make_shared<Customization>());
        app.SetSettingsManager(boost::make_shared<Kavrel::App::SettingsManager>("General", "Kavrel"));
        app.SetProductSettingsManager(
            boost::make_shared<Kavrel::App::SettingsManager>("MinimalProduct", "Kavrel"));
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("Kavrel Sample Player 1.0 Free"));
        window.resize(640, 420);
        app.SetMainWindow(&window);
        window.show();
        app.Start();
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
        status = app.exec();
    }
    if (peak)
        std::printf("peak_kb=%ld\n", PeakMemoryKb());
    return status;
}
} // namespace

int main()
{
    if (Kavrel::App::Application::CheckRunnedInstaller())
        return 0;
    Kavrel::App::HighDpiFix();
    return Kavrel::App::EntryWrapper(&RealMain);
}
