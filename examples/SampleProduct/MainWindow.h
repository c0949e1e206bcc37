#pragma once

#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ISettingsManager.h>

#include <QMainWindow>

#include <boost/shared_ptr.hpp>

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

// The sample product's player window. Its controls keep their state in the
// product settings store; the store's observer reports changes below.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> productSettings,
                        QWidget* parent = nullptr);

    // Shows how this start relates to the last install and the last run.
    void ShowStartInfo(Kavrel::App::Application::LaunchType launchType, bool previousRunCrashed);

    // Adds files named on the command line (any language) to the playlist.
    void AddFiles(const QStringList& files);

public Q_SLOTS:
    void ShowStatus(const QString& message);

private:
    void BuildMenus();
    void BuildPlayer();
    void PlaySelected();

    boost::shared_ptr<Kavrel::App::ISettingsManager> settings;
    QListWidget* playlist = nullptr;
    QPushButton* playButton = nullptr;
    QSlider* volume = nullptr;
    QLabel* nowPlaying = nullptr;
    QLabel* startInfo = nullptr;
};
