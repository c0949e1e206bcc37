#include "TestEnvironment.h"
#include "TestProduct.h"

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EventHandler.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/App/Application/ResourcePaths.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Platform/NamedMutex.h>
#include <Kavrel/Platform/Process.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <boost/make_shared.hpp>
#include <glog/logging.h>
#include <gtest/gtest.h>

#include <filesystem>

using Kavrel::App::Application;
using Kavrel::App::ISettingsManager;
using Kavrel::Test::WaitFor;

// An object of the class whose timer starves the event loop during drags.
namespace WebCore
{
class SharedTimerQt : public QObject
{
    Q_OBJECT
public:
    int timerEvents = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++timerEvents; }
};
} // namespace WebCore

namespace
{
// The product these tests describe: "Org Test Плеер 2.5".
boost::shared_ptr<Kavrel::Test::TestProduct> MakeTestProduct()
{
    auto product = Kavrel::Test::MakeProduct();
    product->codeName = "TestProduct";
    product->applicationName = "Test Плеер";
    product->versionMajor = "2";
    product->versionMinor = "5";
    return product;
}

class OtherTimer : public QObject
{
    Q_OBJECT
public:
    int timerEvents = 0;

protected:
    void timerEvent(QTimerEvent*) override { ++timerEvents; }
};

class CountingApplication : public Application
{
public:
    using Application::Application;
    void OnStart() override
    {
        ++onStartCalls;
        Application::OnStart();
    }
    int onStartCalls = 0;
};

class RecordingHandler : public Kavrel::App::EventHandler
{
public:
    bool HandleNativeEvent(const QByteArray& eventType, void* message, long* result) override
    {
        calls.push_back({eventType, message, result});
        return true;
    }
    struct Call
    {
        QByteArray type;
        void* message;
        long* result;
    };
    std::vector<Call> calls;
};

class LogCapture : public google::LogSink
{
public:
    LogCapture() { google::AddLogSink(this); }
    ~LogCapture() override { google::RemoveLogSink(this); }
    void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
              const char* message, size_t length) override
    {
        lines.push_back(std::to_string(severity) + ":" + std::string(message, length));
    }
    bool Has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::vector<std::string> lines;
};

class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override { app = std::make_unique<CountingApplication>(argc, argv); }
    void TearDown() override { app.reset(); }

    boost::shared_ptr<ISettingsManager> Store(const QString& name)
    {
        return boost::make_shared<Kavrel::App::SettingsManager>(folder.filePath(name), QSettings::IniFormat);
    }

    static inline int argc = 1;
    static inline char name[] = "ApplicationTests";
    static inline char* argv[] = {name, nullptr};
    QTemporaryDir folder;
    std::unique_ptr<CountingApplication> app;
};

TEST_F(ApplicationTest, settingsGettersFallBackFromMailToProductToGeneral)
{
    const auto general = Store("general.ini"), product = Store("product.ini"), mail = Store("mail.ini");
    app->SetSettingsManager(general);
    EXPECT_EQ(app->GetProductSettingsManager(), general);
    EXPECT_EQ(app->GetMailSettingsManager(), general);
    app->SetProductSettingsManager(product);
    EXPECT_EQ(app->GetSettingsManager(), general);
    EXPECT_EQ(app->GetProductSettingsManager(), product);
    EXPECT_EQ(app->GetMailSettingsManager(), product);
    app->SetMailSettingsManager(mail);
    EXPECT_EQ(app->GetMailSettingsManager(), mail);
    const Application& constApp = *app;
    EXPECT_EQ(constApp.GetMailSettingsManager(), mail);
    EXPECT_EQ(constApp.GetProductSettingsManager(), product);
}

TEST_F(ApplicationTest, customizationNamesTheToolkitAndStartsLoggingOnce)
{
    EXPECT_EQ(app->ApplicationName(), QCoreApplication::applicationName());
    auto product = MakeTestProduct();
    LogCapture log;
    app->SetCustomizationManager(product);
    EXPECT_EQ(app->GetCustomizationManager(), product);
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Test Плеер"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("2.5"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Org"));
    EXPECT_STREQ(std::getenv("GLOG_PRODUCT_NAME"), "TestProduct");
    EXPECT_TRUE(google::IsGoogleLoggingInitialized());
    EXPECT_TRUE(log.Has("0:Product Version: 2.5"));

    // Qt's warnings reach the log, except the lower-case libpng noise.
    qWarning("LIBPNG WARNING: shouted");
    qWarning("libpng warning: iCCP: known incorrect sRGB profile");
    EXPECT_TRUE(log.Has("1:LIBPNG WARNING: shouted"));
    EXPECT_EQ(std::count_if(log.lines.begin(), log.lines.end(),
                            [](const std::string& l)
                            { return l.find("libpng warning") != std::string::npos; }),
              0);

    // A second product object replaces the first without a second start.
    product->codeName.clear();
    app->SetCustomizationManager(product);
    EXPECT_EQ(std::getenv("GLOG_PRODUCT_NAME"), nullptr);
    EXPECT_FALSE(log.Has("1:Attempt to re-initialize GLOG"));
    const char* logPath = std::getenv("KavrelLogPath");
    ASSERT_NE(logPath, nullptr);
    EXPECT_TRUE(std::filesystem::is_directory(logPath));
}

TEST_F(ApplicationTest, fullNameJoinsOrganisationNameVersionAndEdition)
{
    auto product = MakeTestProduct();
    app->SetCustomizationManager(product);
    EXPECT_EQ(app->GetFullApplicationName(), QStringLiteral("Org Test Плеер 2.5"));
    product->edition = "Pro";
    EXPECT_EQ(app->GetFullApplicationName(), QStringLiteral("Org Test Плеер 2.5 Pro"));
}

TEST_F(ApplicationTest, startRunsTheStartSequenceOnce)
{
    app->SetSettingsManager(Store("general.ini"));
    QSignalSpy started(app.get(), &Application::ApplicationStarted);
    EXPECT_FALSE(app->IsStarted());
    app->Start();
    app->Start();
    EXPECT_TRUE(app->IsStarted());
    EXPECT_EQ(app->onStartCalls, 1);
    EXPECT_EQ(started.count(), 1);
}

TEST_F(ApplicationTest, startsByItselfOnFirstActivationOnly)
{
    app->SetSettingsManager(Store("general.ini"));
    QWidget first, second;
    first.show();
    first.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return app->IsStarted(); }));
    second.show();
    second.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &second; }));
    first.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &first; }));
    EXPECT_EQ(app->onStartCalls, 1);
}

TEST_F(ApplicationTest, autoUpdateCheckIsRequestedOnceAfterFiveSeconds)
{
    app->SetProductSettingsManager(Store("product.ini"));
    QSignalSpy requested(app.get(), &Application::AutoUpdateCheckRequested);
    QElapsedTimer clock;
    clock.start();
    app->Start();
    ASSERT_TRUE(requested.wait(Application::AUTO_UPDATE_DELAY_MS + 5000));
    EXPECT_GE(clock.elapsed(), Application::AUTO_UPDATE_DELAY_MS - 50);
    EXPECT_FALSE(requested.wait(300));
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(ApplicationTest, autoUpdateOffInTheProductStoreRequestsNothing)
{
    const auto general = Store("general.ini"), product = Store("product.ini");
    general->SetBool("autoUpdate", true);
    product->SetBool("autoUpdate", false);
    app->SetSettingsManager(general);
    app->SetProductSettingsManager(product);
    QSignalSpy requested(app.get(), &Application::AutoUpdateCheckRequested);
    app->Start();
    EXPECT_FALSE(requested.wait(Application::AUTO_UPDATE_DELAY_MS + 1000));
}

TEST_F(ApplicationTest, webTimerIsSwallowedOnlyWhileDragging)
{
    QWidget widget;
    WebCore::SharedTimerQt webTimer;
    OtherTimer otherTimer;
    QTimerEvent tick(1);
    const auto mouse = [&](QEvent::Type type)
    {
        QMouseEvent event(type, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
    };

    mouse(QEvent::MouseButtonPress);
    QCoreApplication::sendEvent(&webTimer, &tick); // pressed but not moved: not a drag
    EXPECT_EQ(webTimer.timerEvents, 1);

    mouse(QEvent::MouseMove);
    QCoreApplication::sendEvent(&webTimer, &tick);
    QCoreApplication::sendEvent(&otherTimer, &tick);
    EXPECT_EQ(webTimer.timerEvents, 1);
    EXPECT_EQ(otherTimer.timerEvents, 1);

    mouse(QEvent::MouseButtonRelease);
    QCoreApplication::sendEvent(&webTimer, &tick);
    EXPECT_EQ(webTimer.timerEvents, 2);

    mouse(QEvent::MouseMove); // moving without a button is no drag either
    QCoreApplication::sendEvent(&webTimer, &tick);
    EXPECT_EQ(webTimer.timerEvents, 3);
    mouse(QEvent::MouseButtonRelease);
}

TEST_F(ApplicationTest, nativeEventsReachEveryRegistration)
{
    auto handler = boost::make_shared<RecordingHandler>();
    auto unknown = boost::make_shared<RecordingHandler>();
    app->RegisterEventHandler(handler);
    app->RegisterEventHandler(handler);
    int message = 7;
    long result = 0;
    auto dispatch = [&]
    { return QAbstractEventDispatcher::instance()->filterNativeEvent("test_event", &message, &result); };

    EXPECT_FALSE(dispatch()); // handlers' answers are not used
    ASSERT_EQ(handler->calls.size(), 2u);
    EXPECT_EQ(handler->calls[0].type, QByteArray("test_event"));
    EXPECT_EQ(handler->calls[0].message, &message);
    EXPECT_EQ(handler->calls[0].result, &result);

    app->UnregisterEventHandler(unknown);
    app->UnregisterEventHandler(handler);
    dispatch();
    EXPECT_EQ(handler->calls.size(), 3u);
    app->UnregisterEventHandler(handler);
    dispatch();
    EXPECT_EQ(handler->calls.size(), 3u);
}

TEST_F(ApplicationTest, mainWindowFallsBackToTheActiveWindowOnceDestroyed)
{
    auto* window = new QMainWindow;
    app->SetMainWindow(window);
    EXPECT_EQ(app->GetMainWindow(), window);
    delete window;
    EXPECT_EQ(app->GetMainWindow(), QApplication::activeWindow());
}

TEST_F(ApplicationTest, holdsTheApplicationMutexForItsLifeAndTurnsComboAnimationOff)
{
    const std::string mutexName = Kavrel::App::ProductConstants::ApplicationMutexName();
    EXPECT_TRUE(Kavrel::Platform::NamedMutex::IsHeldByAnyone(mutexName));
    EXPECT_FALSE(QApplication::isEffectEnabled(Qt::UI_AnimateCombo));
    app.reset();
    EXPECT_FALSE(Kavrel::Platform::NamedMutex::IsHeldByAnyone(mutexName));
}

TEST_F(ApplicationTest, resourcesLieBesideTheExecutable)
{
    const auto executable = std::filesystem::path(Kavrel::Platform::GetExecutablePath());
    EXPECT_EQ(Kavrel::App::GetPathToResources().utf8string(),
              (executable.parent_path() / "resources").string());
    EXPECT_EQ(Kavrel::App::GetPathToFontConfigFile().parent_path().parent_path().utf8string(),
              Kavrel::App::GetPathToResources().utf8string());
}

// Each service records when its last reference goes.
std::vector<std::string> released;

template <class T> boost::shared_ptr<T> Tracked(T* object, const std::string& label)
{
    return boost::shared_ptr<T>(object,
                                [label](T* p)
                                {
                                    released.push_back(label);
                                    delete p;
                                });
}

TEST_F(ApplicationTest, shutDownReleasesServicesInTheDocumentedOrder)
{
    released.clear();
    const auto store = [&](const char* file)
    { return new Kavrel::App::SettingsManager(folder.filePath(file), QSettings::IniFormat); };
    app->SetMailSettingsManager(Tracked<ISettingsManager>(store("mail.ini"), "mail"));
    app->SetSettingsManager(Tracked<ISettingsManager>(store("general.ini"), "general"));
    app->SetProductSettingsManager(Tracked<ISettingsManager>(store("product.ini"), "product"));
    app->SetLookAndFeel(Tracked<Kavrel::App::ILookAndFeelManager>(
        new Kavrel::App::LookAndFeelManager(folder.path().toStdString(), "theme.json", {}), "lookAndFeel"));
    app->SetCustomizationManager(
        Tracked<Kavrel::App::ICustomizationManager>(new Kavrel::Test::TestProduct, "customization"));
    app->RegisterEventHandler(Tracked<Kavrel::App::EventHandler>(new RecordingHandler, "handler"));
    EXPECT_TRUE(released.empty());
    app.reset();
    EXPECT_EQ(released, (std::vector<std::string>{"product", "general", "lookAndFeel", "customization",
                                                  "mail", "handler"}));
}
} // namespace

#include "ApplicationTest.moc"
