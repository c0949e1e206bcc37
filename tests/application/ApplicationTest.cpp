#include "LogCapture.h"
#include "TestApp.h"

#include <Kavrel/App/Application/EventHandler.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/Platform/NamedMutex.h>

#include <QAbstractEventDispatcher>
#include <QMainWindow>
#include <QMouseEvent>

using Kavrel::App::Application;
using Kavrel::App::ISettingsManager;
using Kavrel::Test::WaitFor;

// Counts its timer events; the web engine's class of this name starves the
// event loop during drags.
struct Ticks : QObject
{
    int count = 0;
    void timerEvent(QTimerEvent*) override { ++count; }
};
namespace WebCore
{
class SharedTimerQt : public Ticks
{
    Q_OBJECT
};
} // namespace WebCore

namespace
{
struct RecordingHandler : Kavrel::App::EventHandler
{
    bool HandleNativeEvent(const QByteArray& eventType, void* message, long* result) override
    {
        calls.emplace_back(eventType, message, result);
        return true;
    }
    std::vector<std::tuple<QByteArray, void*, long*>> calls;
};

class ApplicationTest : public ::testing::Test
{
protected:
    boost::shared_ptr<ISettingsManager> Store(const QString& name)
    {
        return Kavrel::Test::IniStore(folder.filePath(name));
    }

    QTemporaryDir folder;
    Kavrel::Test::CommandLine commandLine;
    std::unique_ptr<Application> app =
        std::make_unique<Application>(commandLine.argc, commandLine.argv.data());
};

TEST_F(ApplicationTest, settingsGettersFallBackFromMailToProductToGeneral)
{
    const auto general = Store("general.ini"), product = Store("product.ini"), mail = Store("mail.ini");
    const Application& constApp = *app;
    app->SetSettingsManager(general);
    EXPECT_EQ(app->GetProductSettingsManager(), general);
    EXPECT_EQ(app->GetMailSettingsManager(), general);
    app->SetProductSettingsManager(product);
    EXPECT_EQ(app->GetSettingsManager(), general);
    EXPECT_EQ(constApp.GetProductSettingsManager(), product);
    EXPECT_EQ(app->GetMailSettingsManager(), product);
    app->SetMailSettingsManager(mail);
    EXPECT_EQ(constApp.GetMailSettingsManager(), mail);
}

TEST_F(ApplicationTest, customizationNamesTheToolkitAndStartsLoggingOnce)
{
    EXPECT_EQ(app->ApplicationName(), QCoreApplication::applicationName());
    auto product = Kavrel::Test::MakeProduct();
    product->codeName = "TestProduct";
    product->applicationName = "Test Плеер";
    product->versionMinor = "5";
    Kavrel::Test::LogCapture log;
    app->SetCustomizationManager(product);
    EXPECT_EQ(QCoreApplication::organizationName() + "|" + QCoreApplication::applicationName() + "|" +
                  QCoreApplication::applicationVersion() + "|" + app->GetFullApplicationName(),
              "Org|Test Плеер|1.5|Org Test Плеер 1.5");
    product->edition = "Pro";
    EXPECT_EQ(app->GetFullApplicationName(), "Org Test Плеер 1.5 Pro");
    EXPECT_STREQ(std::getenv("GLOG_PRODUCT_NAME"), "TestProduct");
    EXPECT_TRUE(google::IsGoogleLoggingInitialized());
    // Qt's warnings reach the log, except the lower-case libpng noise.
    qWarning("LIBPNG WARNING: shouted");
    qWarning("libpng warning: iCCP: known incorrect sRGB profile");
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"INFO: Product Version: 1.5", "WARNING: LIBPNG WARNING: shouted"}));

    // Another product object replaces the first without a second start.
    product->codeName.clear();
    app->SetCustomizationManager(product);
    EXPECT_EQ(std::getenv("GLOG_PRODUCT_NAME"), nullptr);
    EXPECT_EQ(log.Take(), std::vector<std::string>{"INFO: Product Version: 1.5"}); // no second start
    EXPECT_TRUE(std::getenv("KavrelLogPath") && std::filesystem::is_directory(std::getenv("KavrelLogPath")));
}

TEST_F(ApplicationTest, startsOnceWhetherCalledOrOnTheFirstActivationAndLeavesTheLaunchKeysAlone)
{
    const auto store = Store("general.ini");
    app->SetSettingsManager(store);
    QCoreApplication::setApplicationVersion("1.0"); // computing a launch type would now write its keys
    QSignalSpy started(app.get(), &Application::ApplicationStarted);
    QWidget first, second;
    for (QWidget* window : {&first, &second, &first})
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == window && app->IsStarted(); }));
    }
    app->Start();
    EXPECT_EQ(started.count(), 1);
    for (const char* key : {"Version", "IsRun", "DateOfFirstStart", "InstallDateTime"})
        EXPECT_FALSE(store->Contains(key)) << key;
}

// The start's timers are fired by the test instead of waited for.
TEST_F(ApplicationTest, autoUpdateCheckIsRequestedOnceFiveSecondsAfterTheStart)
{
    app->SetProductSettingsManager(Store("product.ini"));
    QSignalSpy requested(app.get(), &Application::AutoUpdateCheckRequested);
    app->Start();
    auto* timer = app->findChild<QTimer*>("kavrelAutoUpdateTimer");
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_EQ(timer->interval(), Application::AUTO_UPDATE_DELAY_MS);
    EXPECT_TRUE(timer->isSingleShot() && timer->timerType() == Qt::PreciseTimer); // coarse may fire 5% early
    timer->setInterval(0);
    ASSERT_TRUE(requested.wait());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(app->findChild<QTimer*>("kavrelAutoUpdateTimer"));
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(ApplicationTest, autoUpdateOffInTheProductStoreRequestsNothing)
{
    const auto general = Store("general.ini"), product = Store("product.ini");
    general->SetBool("autoUpdate", true);
    product->SetBool("autoUpdate", false);
    app->SetSettingsManager(general);
    app->SetProductSettingsManager(product);
    app->Start();
    EXPECT_FALSE(app->findChild<QTimer*>("kavrelAutoUpdateTimer"));
    EXPECT_TRUE(app->findChild<QTimer*>("kavrelPastStartupTimer")); // the start did run
}

TEST_F(ApplicationTest, quittingEndsTheCrashSessionWhileTheApplicationLives)
{
    QFile tracker(Kavrel::App::CrashTracker::TrackerFilePath());
    const QByteArray record = "\n" + QByteArray::number(QCoreApplication::applicationPid()) + "=true";
    const auto recorded = [&]
    { return tracker.open(QIODevice::ReadOnly) && tracker.readAll().contains(record); };
    ASSERT_TRUE(recorded());
    tracker.close();
    QTimer::singleShot(0, app.get(), &QCoreApplication::quit);
    app->exec();
    EXPECT_FALSE(recorded());
}

TEST_F(ApplicationTest, webTimerIsSwallowedOnlyWhileDragging)
{
    QWidget widget;
    WebCore::SharedTimerQt webTimer;
    Ticks otherTimer;
    const auto send = [&](QEvent::Type type)
    {
        QMouseEvent event(type, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &event);
        QTimerEvent tick(1);
        QCoreApplication::sendEvent(&webTimer, &tick);
        QCoreApplication::sendEvent(&otherTimer, &tick);
        return webTimer.count;
    };
    EXPECT_EQ(send(QEvent::MouseButtonPress), 1); // pressed but not moved: not a drag
    EXPECT_EQ(send(QEvent::MouseMove), 1);
    EXPECT_EQ(send(QEvent::MouseButtonRelease), 2);
    EXPECT_EQ(send(QEvent::MouseMove), 3); // moving without a button is no drag either
    EXPECT_EQ(otherTimer.count, 4);
}

TEST_F(ApplicationTest, nativeEventsReachEveryRegistration)
{
    auto handler = boost::make_shared<RecordingHandler>();
    app->RegisterEventHandler(handler);
    app->RegisterEventHandler(handler);
    int message = 7;
    long result = 0;
    const auto dispatch = [&]
    { return QAbstractEventDispatcher::instance()->filterNativeEvent("test_event", &message, &result); };
    EXPECT_FALSE(dispatch()); // handlers' answers are not used
    EXPECT_EQ(handler->calls, decltype(handler->calls)(2, {QByteArray("test_event"), &message, &result}));
    app->UnregisterEventHandler(boost::make_shared<RecordingHandler>()); // unknown: nothing changes
    app->UnregisterEventHandler(handler);
    dispatch();
    app->UnregisterEventHandler(handler);
    dispatch();
    EXPECT_EQ(handler->calls.size(), 3u);
}

TEST_F(ApplicationTest, mainWindowFallsBackToTheActiveWindow)
{
    QWidget active;
    active.show();
    active.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &active; }));
    EXPECT_EQ(app->GetMainWindow(), &active) << "none set";
    auto* window = new QMainWindow;
    app->SetMainWindow(window);
    EXPECT_EQ(app->GetMainWindow(), window);
    delete window;
    EXPECT_EQ(app->GetMainWindow(), &active) << "destroyed";
}

// The application mutex is held for the application's life.
TEST_F(ApplicationTest, shutDownReleasesServicesInTheDocumentedOrderAndTheApplicationMutex)
{
    const std::string mutexName = Kavrel::App::ProductConstants::ApplicationMutexName();
    EXPECT_TRUE(Kavrel::Platform::NamedMutex::IsHeldByAnyone(mutexName));
    EXPECT_FALSE(QApplication::isEffectEnabled(Qt::UI_AnimateCombo));
    std::vector<std::string> released;
    const auto tracked = [&](auto* object, const char* label)
    {
        using T = std::remove_pointer_t<decltype(object)>;
        return boost::shared_ptr<T>(object,
                                    [&released, label](T* p) { released.push_back(label), delete p; });
    };
    const auto store = [&](const char* file, const char* label)
    { return tracked(new Kavrel::App::SettingsManager(folder.filePath(file), QSettings::IniFormat), label); };
    app->SetMailSettingsManager(store("mail.ini", "mail"));
    app->SetSettingsManager(store("general.ini", "general"));
    app->SetProductSettingsManager(store("product.ini", "product"));
    app->SetLookAndFeel(tracked(
        new Kavrel::App::LookAndFeelManager(folder.path().toStdString(), "theme.json", {}), "lookAndFeel"));
    app->SetCustomizationManager(tracked(new Kavrel::Test::TestProduct, "customization"));
    app->RegisterEventHandler(tracked(new RecordingHandler, "handler"));
    EXPECT_TRUE(released.empty());
    app.reset();
    EXPECT_EQ(released, (std::vector<std::string>{"product", "general", "lookAndFeel", "customization",
                                                  "mail", "handler"}));
    EXPECT_FALSE(Kavrel::Platform::NamedMutex::IsHeldByAnyone(mutexName));
}
} // namespace

#include "ApplicationTest.moc"
