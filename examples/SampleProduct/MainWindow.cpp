#include "MainWindow.h"

#include <Kavrel/App/Application/Application.h>

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>

namespace
{
const char VOLUME_KEY[] = "Player/Volume";
const char SHUFFLE_KEY[] = "Player/Shuffle";
const char LAST_TRACK_KEY[] = "Player/LastTrack";
const char PLAY_COUNT_KEY[] = "Player/PlayCount";
const char AUTO_UPDATE_KEY[] = "autoUpdate";
} // namespace

MainWindow::MainWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> productSettings, QWidget* parent)
    : QMainWindow(parent), settings(std::move(productSettings))
{
    setObjectName(QStringLiteral("SampleMainWindow"));
    auto* app = static_cast<Kavrel::App::Application*>(QCoreApplication::instance());
    setWindowTitle(app->GetFullApplicationName());
    resize(640, 420);
    BuildMenus();
    BuildPlayer();
}

void MainWindow::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* quit = file->addAction(tr("&Quit"), qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setObjectName(QStringLiteral("QuitAction"));

    QMenu* playback = menuBar()->addMenu(tr("&Playback"));
    QAction* shuffle = playback->addAction(tr("&Shuffle"));
    shuffle->setCheckable(true);
    shuffle->setChecked(settings->GetBool(SHUFFLE_KEY, false));
    connect(shuffle, &QAction::toggled, this, [this](bool on) { settings->SetBool(SHUFFLE_KEY, on); });

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    QAction* updates = tools->addAction(tr("Check for Updates &Automatically"));
    updates->setCheckable(true);
    updates->setChecked(settings->GetBool(AUTO_UPDATE_KEY, true));
    connect(updates, &QAction::toggled, this, [this](bool on) { settings->SetBool(AUTO_UPDATE_KEY, on); });
}

void MainWindow::BuildPlayer()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    startInfo = new QLabel(central);
    startInfo->setObjectName(QStringLiteral("StartInfo"));
    layout->addWidget(startInfo);

    nowPlaying = new QLabel(central);
    nowPlaying->setObjectName(QStringLiteral("NowPlaying"));
    const QString lastTrack = QString::fromStdString(settings->GetString(LAST_TRACK_KEY, std::string()));
    nowPlaying->setText(lastTrack.isEmpty() ? tr("Nothing played yet")
                                            : tr("Last played: %1").arg(lastTrack));
    layout->addWidget(nowPlaying);

    playlist = new QListWidget(central);
    playlist->setObjectName(QStringLiteral("Playlist"));
    playlist->addItems({QStringLiteral("Morning Raga.flac"), QStringLiteral("Полночь в Москве.mp3"),
                        QStringLiteral("東京の夜.ogg"), QStringLiteral("Field Recording 07.wav")});
    playlist->setCurrentRow(0);
    layout->addWidget(playlist, 1);

    auto* controls = new QHBoxLayout;
    playButton = new QPushButton(tr("Play"), central);
    playButton->setObjectName(QStringLiteral("PlayButton"));
    connect(playButton, &QPushButton::clicked, this, &MainWindow::PlaySelected);
    connect(playlist, &QListWidget::itemActivated, this, &MainWindow::PlaySelected);
    controls->addWidget(playButton);
    controls->addStretch();
    controls->addWidget(new QLabel(tr("Volume"), central));
    volume = new QSlider(Qt::Horizontal, central);
    volume->setObjectName(QStringLiteral("Volume"));
    volume->setRange(0, 100);
    volume->setValue(settings->GetInt(VOLUME_KEY, 80));
    connect(volume, &QSlider::valueChanged, this, [this](int value) { settings->SetInt(VOLUME_KEY, value); });
    controls->addWidget(volume);
    layout->addLayout(controls);

    setCentralWidget(central);
    statusBar()->showMessage(tr("Ready"));
}

void MainWindow::PlaySelected()
{
    const QListWidgetItem* item = playlist->currentItem();
    if (!item)
        return;
    settings->SetString(LAST_TRACK_KEY, item->text().toStdString());
    settings->SetInt64(PLAY_COUNT_KEY, settings->GetInt64(PLAY_COUNT_KEY, 0) + 1);
    nowPlaying->setText(tr("Playing: %1").arg(item->text()));
}

void MainWindow::ShowStartInfo(Kavrel::App::Application::LaunchType launchType, bool previousRunCrashed)
{
    using App = Kavrel::App::Application;
    QString launch;
    switch (launchType)
    {
    case App::FirstLaunch:
        launch = tr("First start after installation");
        break;
    case App::UpdateLaunch:
        launch = tr("First start after an update");
        break;
    case App::ReinstallLaunch:
        launch = tr("First start after a reinstall");
        break;
    case App::RegularLaunch:
        launch = tr("Regular start");
        break;
    }
    const QString crash = previousRunCrashed ? tr("the previous run ended unexpectedly")
                                             : tr("the previous run ended properly");
    startInfo->setText(tr("%1; %2").arg(launch, crash));
}

void MainWindow::AddFiles(const QStringList& files)
{
    for (const QString& file : files)
        playlist->addItem(QFileInfo(file).fileName());
    if (!files.isEmpty())
        playlist->setCurrentRow(playlist->count() - 1);
}

void MainWindow::ShowStatus(const QString& message) { statusBar()->showMessage(message); }
