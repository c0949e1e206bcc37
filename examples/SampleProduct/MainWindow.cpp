#include "MainWindow.h"
#include "CodecsMenu.h"

#include <Kavrel/App/Application/AboutBoxDialog.h>
#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/ConfirmationAlertBox.h>
#include <Kavrel/App/Application/Gesture/Emitter.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILinksManager.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/App/Application/MacMenuActionHandler.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/IO/IOException.h>

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/LookAndFeelHandler.h>

#include <QAction>
#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

#include <cmath>

namespace
{
const char VOLUME_KEY[] = "Player/Volume";
const char SHUFFLE_KEY[] = "Player/Shuffle";
const char LAST_TRACK_KEY[] = "Player/LastTrack";
const char PLAY_COUNT_KEY[] = "Player/PlayCount";
const char AUTO_UPDATE_KEY[] = "autoUpdate";
// The identifier under which the answer to "Delete all files?" is remembered.
const char DELETE_ALL_CONFIRMATION[] = "DeleteAllFiles";

Kavrel::App::Application* App()
{
    return static_cast<Kavrel::App::Application*>(QCoreApplication::instance());
}
} // namespace

MainWindow::MainWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> productSettings,
                       boost::shared_ptr<Kavrel::App::ILookAndFeelManager> lookAndFeel, QWidget* parent)
    : QMainWindow(parent), settings(std::move(productSettings)), lookAndFeel(lookAndFeel)
{
    setObjectName(QStringLiteral("SampleMainWindow"));
    auto* app = static_cast<Kavrel::App::Application*>(QCoreApplication::instance());
    setWindowTitle(app->GetFullApplicationName());
    resize(640, 420);
    BuildMenus();
    BuildPlayer();
    Retranslate();
    statusBar()->showMessage(tr("Ready"));

    // The handler fills the language and theme menus and switches the
    // manager on a choice; storing the choice is ours.
    auto* handler = new Kavrel::App::LookAndFeelHandler(lookAndFeel, languageMenu, themeMenu, this);
    lookAndFeelHandler = handler;
    std::list<std::string> locales = lookAndFeel->GetLocales();
    std::list<std::string> themes = lookAndFeel->GetThemes();
    locales.sort(); // the manager lists them in the order the folder gives
    themes.sort();
    handler->SetLocaleList(locales);
    handler->SetThemeList(themes);
    handler->SelectLocale(lookAndFeel->GetCurrentLocale());
    handler->SelectTheme(lookAndFeel->GetCurrentTheme());
    connect(handler, &Kavrel::App::LookAndFeelHandler::LocaleChanged, this,
            [this](const std::string& locale) { settings->SetString(LANGUAGE_KEY, locale); });
    connect(handler, &Kavrel::App::LookAndFeelHandler::ThemeChanged, this,
            [this](const std::string& theme) { settings->SetString(THEME_KEY, theme); });
    connect(handler, &Kavrel::App::LookAndFeelHandler::MoreLanguagesClicked, this,
            [this] { ShowStatus(tr("More languages will come with the next updates.")); });
}

void MainWindow::FollowChoice(const QString& key, const QString& value)
{
    const std::string name = value.toStdString();
    if (key == QLatin1String(THEME_KEY) && name != lookAndFeel->GetCurrentTheme())
    {
        const std::list<std::string> themes = lookAndFeel->GetThemes();
        if (std::find(themes.begin(), themes.end(), name) == themes.end())
            return;
        lookAndFeel->SetTheme(name);
        lookAndFeelHandler->SelectTheme(name);
        qInfo().noquote() << "Took the theme" << value << "chosen in another instance";
    }
    else if (key == QLatin1String(LANGUAGE_KEY) && name != lookAndFeel->GetCurrentLocale())
    {
        const std::list<std::string> locales = lookAndFeel->GetLocales();
        if (std::find(locales.begin(), locales.end(), name) == locales.end())
            return;
        lookAndFeel->SetLocale(name);
        lookAndFeelHandler->SelectLocale(name);
        qInfo().noquote() << "Took the language" << value << "chosen in another instance";
    }
}

void MainWindow::BuildMenus()
{
    // A macOS-style application menu, quit last; the adapter below gives it
    // its shortcuts.
    fileMenu = menuBar()->addMenu(QString());
    fileMenu->setObjectName(QStringLiteral("menuMacOSMenu"));
    preferencesAction = fileMenu->addAction(QString());
    preferencesAction->setObjectName(QStringLiteral("action_Preferences"));
    connect(preferencesAction, &QAction::triggered, this,
            [this] { ShowStatus(tr("The player's settings live in its menus.")); });
    fileMenu->addSeparator();
    hideAction = fileMenu->addAction(QString());
    hideAction->setObjectName(QStringLiteral("action_Hide"));
    hideOthersAction = fileMenu->addAction(QString());
    hideOthersAction->setObjectName(QStringLiteral("action_Hide_Others"));
    fileMenu->addSeparator();
    deleteAllAction = fileMenu->addAction(QString(), this, &MainWindow::DeleteAllFiles);
    deleteAllAction->setObjectName(QStringLiteral("DeleteAllAction"));
    fileMenu->addSeparator();
    quitAction = fileMenu->addAction(QString(), qApp, &QCoreApplication::quit);
    quitAction->setObjectName(QStringLiteral("QuitAction"));

    playbackMenu = menuBar()->addMenu(QString());
    shuffleAction = playbackMenu->addAction(QString());
    shuffleAction->setCheckable(true);
    shuffleAction->setChecked(settings->GetBool(SHUFFLE_KEY, false));
    connect(shuffleAction, &QAction::toggled, this, [this](bool on) { settings->SetBool(SHUFFLE_KEY, on); });

    viewMenu = menuBar()->addMenu(QString());
    languageMenu = viewMenu->addMenu(QString());
    languageMenu->setObjectName(QStringLiteral("LanguageMenu"));
    themeMenu = viewMenu->addMenu(QString());
    themeMenu->setObjectName(QStringLiteral("ThemeMenu"));

    toolsMenu = menuBar()->addMenu(QString());
    autoUpdateAction = toolsMenu->addAction(QString());
    autoUpdateAction->setCheckable(true);
    autoUpdateAction->setChecked(settings->GetBool(AUTO_UPDATE_KEY, true));
    connect(autoUpdateAction, &QAction::toggled, this,
            [this](bool on) { settings->SetBool(AUTO_UPDATE_KEY, on); });
    helperAction = toolsMenu->addAction(QString());
    helperAction->setObjectName(QStringLiteral("RunHelperAction"));
    connect(helperAction, &QAction::triggered, this, [this] { RunHelper(); });
    askAgainAction = toolsMenu->addAction(QString(), this, &MainWindow::AskAgainForEverything);
    askAgainAction->setObjectName(QStringLiteral("AskAgainAction"));
    toolsMenu->addSeparator();
    restartAction = toolsMenu->addAction(QString());
    restartAction->setObjectName(QStringLiteral("RestartAction"));
    connect(restartAction, &QAction::triggered, this,
            []
            {
                const auto* app = static_cast<Kavrel::App::Application*>(QCoreApplication::instance());
                Kavrel::App::RestartApplication(true, app->GetCustomizationManager()->GetApplicationIcon(),
                                                QString());
            });

    codecsMenu = new CodecsMenu(settings, this);
    menuBar()->addMenu(codecsMenu);

    windowMenu = menuBar()->addMenu(QString());
    windowMenu->setObjectName(QStringLiteral("menuWindow"));
    minimizeAction = windowMenu->addAction(QString());
    minimizeAction->setObjectName(QStringLiteral("actionMinimize"));
    zoomAction = windowMenu->addAction(QString());
    zoomAction->setObjectName(QStringLiteral("actionZoom"));
    windowMenu->addSeparator();
    frontAction = windowMenu->addAction(QString());
    frontAction->setObjectName(QStringLiteral("actionBring_all_to_Front"));

    // Every web link is named by its key; the library knows the address for
    // this product and the current language.
    helpMenu = menuBar()->addMenu(QString());
    const auto link = [this](Kavrel::URLKeys key)
    {
        QAction* action = helpMenu->addAction(QString());
        connect(action, &QAction::triggered, this,
                [key] {
                    static_cast<Kavrel::App::Application*>(QCoreApplication::instance())
                        ->GetLinksManager()
                        ->OpenUrl(key);
                });
        return action;
    };
    helpAction = link(Kavrel::HELP_URL_menu);
    helpAction->setShortcut(QKeySequence::HelpContents);
    faqAction = link(Kavrel::FAQ_URL_menu);
    helpMenu->addSeparator();
    homePageAction = link(Kavrel::HOMEPAGE_URL_menu);
    forumAction = link(Kavrel::FORUM_URL_menu);
    helpMenu->addSeparator();
    encodingAction = helpMenu->addAction(QString(), this, &MainWindow::ShowEncodingNote);

    helpMenu->addSeparator();
    aboutAction = helpMenu->addAction(
        QString(), this,
        [this] { Kavrel::App::AboutBoxDialog::ShowAbout(AboutVersionText(), AboutHomePage(), true, this); });
    aboutAction->setObjectName(QStringLiteral("AboutAction"));
    aboutAction->setMenuRole(QAction::AboutRole);

    // Minimise and zoom touch the player's own window only, never a dialog.
    new Kavrel::App::MacMenuActionHandler(menuBar(), [this](QWidget* window) { return window == this; });
}

std::unique_ptr<Kavrel::App::AlertBox> MainWindow::CreateEncodingNote()
{
    auto box = std::make_unique<Kavrel::App::AlertBox>(
        Kavrel::App::AlertBox::Information, QString(),
        tr("This player decodes in software. Hardware decoding comes with a later version."), QMessageBox::Ok,
        this);
    const QString address =
        QString::fromStdString(App()->GetUrl(Kavrel::INTELMEDIA_ENCODING_MORE_URL_settings));
    box->SetLearnMoreLink(QStringLiteral("<a href=\"%1\">%2</a>").arg(address, tr("Learn more")));
    return box;
}

void MainWindow::ShowEncodingNote() { CreateEncodingNote()->Exec(); }

std::unique_ptr<Kavrel::App::ConfirmationAlertBox> MainWindow::CreateDeleteConfirmation()
{
    auto box = std::make_unique<Kavrel::App::ConfirmationAlertBox>(
        settings, Kavrel::App::AlertBox::Question, QString(), tr("Delete all files from the playlist?"),
        QMessageBox::Yes | QMessageBox::No, this);
    box->setInformativeText(tr("The files themselves stay on the disk."));
    box->SetConfirmationId(QLatin1String(DELETE_ALL_CONFIRMATION));
    // A remembered "No" would make the command silently do nothing.
    box->SetRememberOnly(QMessageBox::Yes);
    return box;
}

void MainWindow::DeleteAllFiles()
{
    if (CreateDeleteConfirmation()->Exec() != QMessageBox::Yes)
        return;
    const int count = playlist->count();
    playlist->clear();
    ShowStatus(tr("%n file(s) deleted from the playlist.", "", count));
}

void MainWindow::AskAgainForEverything()
{
    const int count = Kavrel::App::ConfirmationAlertBox::ResetAll(*settings);
    ShowStatus(tr("%n question(s) will be asked again.", "", count));
}

QString MainWindow::AboutVersionText() const { return App()->GetFullApplicationName(); }

QString MainWindow::AboutHomePage() const
{
    return QString::fromStdString(App()->GetUrl(Kavrel::HOMEPAGE_URL_menuabout));
}

void MainWindow::BuildPlayer()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);

    // The theme draws the logo: its style sheet names the picture.
    auto* header = new QFrame(central);
    header->setObjectName(QStringLiteral("Header"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setSpacing(12);
    auto* logo = new QLabel(header);
    logo->setObjectName(QStringLiteral("Logo"));
    logo->setFixedSize(48, 48);
    headerLayout->addWidget(logo);
    // The panel answers pinch and rotate: what the fingers do shows below.
    auto* cover = new Kavrel::App::Gesture::Emitter(header);
    cover->setZoomEnabled(true);
    cover->setRotateEnabled(true);
    connect(cover, &Kavrel::App::Gesture::Emitter::zoom, this,
            [this](const Kavrel::App::Gesture::Zoom& zoom)
            {
                ShowStatus(tr("Pinch: %1% of the start")
                               .arg(zoom.startDistance > 0 ? qRound(100 * zoom.distance / zoom.startDistance)
                                                           : 100));
            });
    connect(cover, &Kavrel::App::Gesture::Emitter::rotate, this,
            [this](const Kavrel::App::Gesture::Rotate& rotate) {
                ShowStatus(
                    tr("Rotate: %1 degrees").arg(qRound((rotate.angle - rotate.startAngle) * 180 / M_PI)));
            });
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    nowPlaying = new QLabel(header);
    nowPlaying->setObjectName(QStringLiteral("NowPlaying"));
    texts->addWidget(nowPlaying);
    startInfo = new QLabel(header);
    startInfo->setObjectName(QStringLiteral("StartInfo"));
    texts->addWidget(startInfo);
    headerLayout->addLayout(texts, 1);
    layout->addWidget(header);
    track = QString::fromStdString(settings->GetString(LAST_TRACK_KEY, std::string()));

    playlist = new QListWidget(central);
    playlist->setObjectName(QStringLiteral("Playlist"));
    playlist->addItems({QStringLiteral("Morning Raga.flac"), QStringLiteral("Полночь в Москве.mp3"),
                        QStringLiteral("東京の夜.ogg"), QStringLiteral("Field Recording 07.wav")});
    // Long enough to scroll: on a touch screen a finger pans it, with no
    // code here (the application gives every scroll area a scroller).
    for (int session = 1; session <= 24; ++session)
        playlist->addItem(QStringLiteral("Studio Session %1.flac").arg(session, 2, 10, QLatin1Char('0')));
    playlist->setCurrentRow(0);
    layout->addWidget(playlist, 1);

    auto* controls = new QHBoxLayout;
    playButton = new QPushButton(central);
    playButton->setObjectName(QStringLiteral("PlayButton"));
    connect(playButton, &QPushButton::clicked, this, &MainWindow::PlaySelected);
    connect(playlist, &QListWidget::itemActivated, this, &MainWindow::PlaySelected);
    controls->addWidget(playButton);
    controls->addStretch();
    volumeLabel = new QLabel(central);
    volumeLabel->setObjectName(QStringLiteral("VolumeLabel"));
    controls->addWidget(volumeLabel);
    volume = new QSlider(Qt::Horizontal, central);
    volume->setObjectName(QStringLiteral("Volume"));
    volume->setRange(0, 100);
    volume->setValue(settings->GetInt(VOLUME_KEY, 80));
    volume->setMinimumWidth(160);
    connect(volume, &QSlider::valueChanged, this, [this](int value) { settings->SetInt(VOLUME_KEY, value); });
    controls->addWidget(volume);
    layout->addLayout(controls);

    setCentralWidget(central);
}

void MainWindow::Retranslate()
{
    fileMenu->setTitle(tr("&Player"));
    preferencesAction->setText(tr("&Preferences..."));
    hideAction->setText(tr("&Hide Sample Player"));
    hideOthersAction->setText(tr("Hide &Others"));
    deleteAllAction->setText(tr("&Delete All Files..."));
    quitAction->setText(tr("&Quit"));
    codecsMenu->Retranslate();
    windowMenu->setTitle(tr("&Window"));
    minimizeAction->setText(tr("&Minimize"));
    zoomAction->setText(tr("&Zoom"));
    frontAction->setText(tr("&Bring All to Front"));
    playbackMenu->setTitle(tr("&Playback"));
    shuffleAction->setText(tr("&Shuffle"));
    viewMenu->setTitle(tr("&View"));
    languageMenu->setTitle(tr("&Language"));
    themeMenu->setTitle(tr("&Theme"));
    toolsMenu->setTitle(tr("&Tools"));
    autoUpdateAction->setText(tr("Check for Updates &Automatically"));
    helperAction->setText(tr("Run &Helper"));
    askAgainAction->setText(tr("Ask Me Again for &Everything"));
    restartAction->setText(tr("&Restart"));
    helpMenu->setTitle(tr("&Help"));
    helpAction->setText(tr("&Online Help"));
    faqAction->setText(tr("&Frequently Asked Questions"));
    homePageAction->setText(tr("&Home Page"));
    forumAction->setText(tr("&Forum"));
    encodingAction->setText(tr("About &Hardware Decoding..."));
    aboutAction->setText(tr("&About %1...").arg(App()->ApplicationName()));

    //: A button: play the selected track.
    playButton->setText(tr("Play"));
    volumeLabel->setText(tr("Volume"));
    nowPlaying->setText(NowPlayingText());
    if (startInfoKnown)
        startInfo->setText(StartInfoText());
}

QString MainWindow::NowPlayingText() const
{
    if (playing)
        return tr("Playing: %1").arg(track);
    return track.isEmpty() ? tr("Nothing played yet") : tr("Last played: %1").arg(track);
}

QString MainWindow::StartInfoText() const
{
    using App = Kavrel::App::Application;
    QString launchText;
    switch (launch)
    {
    case App::FirstLaunch:
        launchText = tr("First start after installation");
        break;
    case App::UpdateLaunch:
        launchText = tr("First start after an update");
        break;
    case App::ReinstallLaunch:
        launchText = tr("First start after a reinstall");
        break;
    case App::RegularLaunch:
        launchText = tr("Regular start");
        break;
    }
    //: Follows the kind of start after a semicolon, hence the small letter.
    const QString unexpected = tr("the previous run ended unexpectedly");
    //: Follows the kind of start after a semicolon, hence the small letter.
    const QString proper = tr("the previous run ended properly");
    //: The kind of start, then how the previous run ended:
    //: "Regular start; the previous run ended properly".
    return tr("%1; %2").arg(launchText, lastRunCrashed ? unexpected : proper);
}

void MainWindow::changeEvent(QEvent* event)
{
    // Sent whenever the look-and-feel manager swaps the translations.
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QMainWindow::changeEvent(event);
}

void MainWindow::PlaySelected()
{
    const QListWidgetItem* item = playlist->currentItem();
    if (!item)
        return;
    settings->SetString(LAST_TRACK_KEY, item->text().toStdString());
    settings->SetInt64(PLAY_COUNT_KEY, settings->GetInt64(PLAY_COUNT_KEY, 0) + 1);
    track = item->text();
    playing = true;
    nowPlaying->setText(NowPlayingText());
}

void MainWindow::ShowStartInfo(Kavrel::App::Application::LaunchType launchType, bool previousRunCrashed)
{
    launch = launchType;
    lastRunCrashed = previousRunCrashed;
    startInfoKnown = true;
    startInfo->setText(StartInfoText());
}

void MainWindow::AddFiles(const QStringList& files)
{
    for (const QString& file : files)
        playlist->addItem(QFileInfo(file).fileName());
    if (!files.isEmpty())
        playlist->setCurrentRow(playlist->count() - 1);
}

void MainWindow::ShowStatus(const QString& message) { statusBar()->showMessage(message); }

void MainWindow::RunHelper(const QString& arguments)
{
    // One helper at a time: a new one replaces the last one's channel.
    helper = std::make_unique<FocusMaster>(winId());
    connect(helper.get(), &FocusMaster::MessageReceived, this,
            [this](const QString& message, const QString& answer)
            {
                ShowStatus(tr("The helper said \"%1\"; answered \"%2\"").arg(message, answer));
                Q_EMIT HelperMessage(message, answer);
            });
    connect(helper.get(), &FocusMaster::SlaveGone, this,
            [this]
            {
                ShowStatus(tr("The helper has closed"));
                Q_EMIT HelperClosed();
            });
    bool started = false;
    try
    {
        started =
            Kavrel::App::IPCManager::LaunchSlave(*helper, QStringLiteral("SampleHelper"), arguments, false);
    }
    catch (const Kavrel::Core::IOException&)
    {
        started = false; // no pipes could be made
    }
    ShowStatus(started ? tr("The helper is running") : tr("The helper could not be started"));
}
