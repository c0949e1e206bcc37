#pragma once

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/App/Application/ISettingsManager.h>

#include "FocusMaster.h"

#include <QMainWindow>

#include <boost/shared_ptr.hpp>

#include <memory>

class CodecsMenu;
namespace Kavrel::App
{
class AlertBox;
class ConfirmationAlertBox;
class LookAndFeelHandler;
} // namespace Kavrel::App

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;

// The sample product's player window. Its controls keep their state in the
// product settings store; the store's observer reports changes below. The
// View menu switches language and theme through the look-and-feel manager.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The product store's keys of the user's language and theme.
    static constexpr char LANGUAGE_KEY[] = "Language";
    static constexpr char THEME_KEY[] = "Theme";

    MainWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> productSettings,
               boost::shared_ptr<Kavrel::App::ILookAndFeelManager> lookAndFeel, QWidget* parent = nullptr);

    // Shows how this start relates to the last install and the last run.
    void ShowStartInfo(Kavrel::App::Application::LaunchType launchType, bool previousRunCrashed);

    // Adds files named on the command line (any language) to the playlist.
    void AddFiles(const QStringList& files);

    // Starts the helper program as a slave with the given arguments;
    // closing it brings this window back to the front.
    void RunHelper(const QString& arguments = QString());
    // The dialogs behind the menus, for the menus and the gallery alike.
    std::unique_ptr<Kavrel::App::AlertBox> CreateEncodingNote();
    std::unique_ptr<Kavrel::App::ConfirmationAlertBox> CreateDeleteConfirmation();
    QString AboutVersionText() const;
    QString AboutHomePage() const;

public Q_SLOTS:
    void ShowStatus(const QString& message);
    // Takes the language or theme another instance chose: the stores follow
    // each other's files, so a choice made in one window reaches all.
    void FollowChoice(const QString& key, const QString& value);

Q_SIGNALS:
    // What the helper said and what it was answered.
    void HelperMessage(const QString& message, const QString& answer);
    void HelperClosed();

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildPlayer();
    void PlaySelected();
    void ShowEncodingNote();

    void DeleteAllFiles();
    void AskAgainForEverything();
    // Sets every text of the window again, in the current language.
    void Retranslate();
    QString NowPlayingText() const;
    QString StartInfoText() const;

    boost::shared_ptr<Kavrel::App::ISettingsManager> settings;
    boost::shared_ptr<Kavrel::App::ILookAndFeelManager> lookAndFeel;
    Kavrel::App::LookAndFeelHandler* lookAndFeelHandler = nullptr;

    QMenu* fileMenu = nullptr;
    QAction* preferencesAction = nullptr;
    QAction* hideAction = nullptr;
    QAction* hideOthersAction = nullptr;
    QAction* deleteAllAction = nullptr;
    QAction* quitAction = nullptr;
    QMenu* playbackMenu = nullptr;
    QAction* shuffleAction = nullptr;
    QMenu* viewMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QMenu* themeMenu = nullptr;
    QMenu* toolsMenu = nullptr;
    QAction* autoUpdateAction = nullptr;
    QAction* helperAction = nullptr;
    QAction* askAgainAction = nullptr;
    QAction* restartAction = nullptr;
    CodecsMenu* codecsMenu = nullptr;
    QMenu* windowMenu = nullptr;
    QAction* minimizeAction = nullptr;
    QAction* zoomAction = nullptr;
    QAction* frontAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* helpAction = nullptr;
    QAction* faqAction = nullptr;
    QAction* homePageAction = nullptr;
    QAction* forumAction = nullptr;
    QAction* encodingAction = nullptr;
    QAction* aboutAction = nullptr;

    QListWidget* playlist = nullptr;
    QPushButton* playButton = nullptr;
    QLabel* volumeLabel = nullptr;
    QSlider* volume = nullptr;
    QLabel* nowPlaying = nullptr;
    QLabel* startInfo = nullptr;

    // What the labels say, kept so that they can be said again in another language.
    QString track;
    bool playing = false;
    Kavrel::App::Application::LaunchType launch = Kavrel::App::Application::RegularLaunch;
    bool lastRunCrashed = false;
    bool startInfoKnown = false;
    std::unique_ptr<FocusMaster> helper;
};
