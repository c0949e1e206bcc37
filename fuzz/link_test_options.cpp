// The link test's options on the product's command line (--test-help,
// --test-dump-urls, --test-open-urls, --test-custom-locales=,
// --test-custom-delay=), read by the start sequence: whatever the command
// line holds, the start completes and the interface language ends as it
// began. The application object exists once; each input becomes its
// command line (Qt reads the arguments from the array it was given each
// time it is asked) and the start sequence runs again.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/Platform/ProcessList.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/LambdaQt4.h>

#include <QDialog>
#include <QTimer>

#include <boost/make_shared.hpp>

#include <vector>

namespace
{
constexpr int MAX_ARGUMENTS = 16;
int argc = 1;
char name[] = "fuzz_link_test_options";
char* argv[MAX_ARGUMENTS + 2] = {name, nullptr};
std::vector<std::string> arguments;

class Product : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Org"; }
    std::string GetProductFolderName() const override { return "Player"; }
    std::string GetVersionMajor() const override { return "2"; }
    std::string GetVersionMinor() const override { return "1"; }
    std::string GetApplicationName() const override { return "Player"; }
    std::string GetProductName() const override { return "Player"; }
    std::string GetProductCodeName() const override { return "Player"; }
    QPixmap GetApplicationIcon() const override { return {}; }
    std::string GetEditionName() const override { return {}; }
    std::string GetCustomAboutCaption() const override { return {}; }
    bool IsEmailDialogEnabled() const override { return false; }
    std::string GetSupportEmail() const override { return {}; }
    void SetLocale(const std::string&) override {}
};

// Nothing is started for real: a browser per address would be opened.
class NoStarter : public Kavrel::Platform::ProcessStarter
{
public:
    Kavrel::Platform::StartedProcess StartDetached(const std::vector<std::string>&) override { return {}; }
    Kavrel::Platform::StartedProcess OpenDocument(const std::string&) override { return {}; }
};

Kavrel::App::Application* app = nullptr;
boost::shared_ptr<Kavrel::App::LookAndFeelManager> lookAndFeel;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    std::freopen("/dev/null", "w", stdout); // --test-help prints there
    for (const char* locale : {"en_US", "de_DE", "ru_RU", "fr_FR"})
        std::filesystem::create_directories(Kavrel::Fuzz::Root() + "/app/resources/locales/" + locale);
    Kavrel::Platform::SetProcessStarter(new NoStarter);
    Kavrel::Platform::SetExecutableLister([] { return std::vector<std::string>(); });
    app = new Kavrel::App::Application(argc, argv);
    app->SetCustomizationManager(boost::make_shared<Product>());
    FLAGS_minloglevel = google::GLOG_FATAL; // logging started with the product
    lookAndFeel = boost::make_shared<Kavrel::App::LookAndFeelManager>(Kavrel::Fuzz::Root() + "/app",
                                                                      "theme.json", std::list<std::string>{});
    lookAndFeel->SetLocale("de_DE");
    app->SetLookAndFeel(lookAndFeel);
    // The help and error boxes are modal: answer each as soon as it shows.
    auto* answer = new QTimer(app);
    QObject::connect(answer, &QTimer::timeout,
                     []
                     {
                         if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                             box->done(0);
                     });
    answer->start(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // Arguments are separated by NUL bytes, as the system keeps them.
    arguments.clear();
    const std::string block(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= block.size() && arguments.size() < MAX_ARGUMENTS;)
    {
        const size_t end = std::min(block.find('\0', start), block.size());
        arguments.push_back(block.substr(start, end - start));
        start = end + 1;
    }
    argc = 1 + static_cast<int>(arguments.size());
    for (size_t i = 0; i < arguments.size(); ++i)
        argv[i + 1] = arguments[i].data();
    argv[argc] = nullptr;
    KAVREL_FUZZ_EXPECT(QCoreApplication::arguments().size() == argc);

    const std::string before = lookAndFeel->GetCurrentLocale();
    app->OnStart();
    KAVREL_FUZZ_EXPECT(lookAndFeel->GetCurrentLocale() == before);

    // What the start scheduled would only pile up: nothing here runs the loop.
    const QObjectList children = app->children(); // a copy: deleting changes the list
    for (QObject* child : children)
        if (qobject_cast<Kavrel::Util::LambdaQt4*>(child) ||
            (qobject_cast<QTimer*>(child) && child->objectName().startsWith(QLatin1String("kavrel"))))
            delete child;
    argc = 1;
    argv[1] = nullptr;
    return 0;
}
