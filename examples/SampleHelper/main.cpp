// The sample product's helper: a small slave program that the player starts
// from Tools > Run Helper. It shows a window with a Close button; closing it
// hands the keyboard focus back to the player's window. Started on its own
// (without the master's arguments) it just runs, and closing it changes
// nothing.
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EntryWrapper.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <boost/make_shared.hpp>
#include <glog/logging.h>

namespace
{
class HelperCustomization : public Kavrel::App::ICustomizationManager
{
public:
    std::string GetOrganizationName() const override { return "Kavrel"; }
    std::string GetProductFolderName() const override { return "SampleHelper"; }
    std::string GetVersionMajor() const override { return "1"; }
    std::string GetVersionMinor() const override { return "0"; }
    std::string GetApplicationName() const override { return "Sample Helper"; }
    std::string GetProductName() const override { return "SampleHelper"; }
    std::string GetProductCodeName() const override { return "SampleHelper"; }
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
    app.SetCustomizationManager(boost::make_shared<HelperCustomization>());
    auto& transferer = Kavrel::App::IPCFocusTransfererSlave::Instance();
    LOG(INFO) << (transferer.IsConnected() ? "Connected to the sample player" : "Started on its own");

    QWidget window;
    window.setWindowTitle(QObject::tr("Sample Helper"));
    auto* layout = new QVBoxLayout(&window);
    auto* state = new QLabel(&window);
    const auto describe = [&]
    {
        state->setText(!transferer.IsConnected()    ? QObject::tr("Running on its own.")
                       : transferer.IsMasterAlive() ? QObject::tr("Started by the sample player.")
                                                    : QObject::tr("The sample player has gone."));
    };
    describe();
    layout->addWidget(state);
    auto* close = new QPushButton(QObject::tr("Close"), &window);
    close->setObjectName(QStringLiteral("closeButton"));
    layout->addWidget(close);
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    // The label follows the master: it learns of its end without asking.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &window, describe);
    watch.start(500);

    QObject::connect(&app, &QGuiApplication::lastWindowClosed,
                     [&]
                     {
                         LOG(INFO) << "Closing: handing the focus back to the sample player";
                         transferer.GiveFocusToParent();
                     });
    const int closeAt = app.arguments().indexOf(QStringLiteral("--close-after"));
    if (closeAt > 0)
        QTimer::singleShot(app.arguments().value(closeAt + 1).toInt(), &window, &QWidget::close);
    window.show();
    app.Start();
    return app.exec();
}
} // namespace

int main() { return Kavrel::App::EntryWrapper(&RealMain); }
