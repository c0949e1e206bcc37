// The yardstick for start-up time: a plain Qt program, none of our libraries
// linked, that shows a main window with the sample product's title and size
// and quits as soon as its event loop runs.
//
//   bare_startup             an empty main window
//   bare_startup --widgets   the same widgets as the sample product's window
//                            (menus, labels, playlist, button, slider, status
//                            bar), to tell the cost of the product's own user
//                            interface from the cost of the library
//   --peak                   prints the peak resident memory at the end
//
// Built a second time as bare_startup_logging, which also logs with glog as
// every product does: one INFO line into a log file in $HOME. It tells what
// the logging library alone costs a start from what our libraries cost.
#include "PeakMemory.h"

#ifdef KAVREL_BARE_WITH_LOGGING
#include <glog/logging.h>

#include <cstdlib>
#include <string>
#endif

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
void AddProductWidgets(QMainWindow& window)
{
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Quit"), qApp, &QCoreApplication::quit)->setShortcut(QKeySequence::Quit);
    QAction* shuffle =
        window.menuBar()->addMenu(QStringLiteral("&Playback"))->addAction(QStringLiteral("&Shuffle"));
    shuffle->setCheckable(true);
    QAction* updates = window.menuBar()
                           ->addMenu(QStringLiteral("&Tools"))
                           ->addAction(QStringLiteral("Check for Updates &Automatically"));
    updates->setCheckable(true);
    updates->setChecked(true);

    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral("Nothing played yet"), central));
    auto* playlist = new QListWidget(central);
    playlist->addItems({QStringLiteral("Morning Raga.flac"), QStringLiteral("Полночь в Москве.mp3"),
                        QStringLiteral("東京の夜.ogg"), QStringLiteral("Field Recording 07.wav")});
    playlist->setCurrentRow(0);
    layout->addWidget(playlist, 1);
    auto* controls = new QHBoxLayout;
    controls->addWidget(new QPushButton(QStringLiteral("Play"), central));
    controls->addStretch();
    controls->addWidget(new QLabel(QStringLiteral("Volume"), central));
    auto* volume = new QSlider(Qt::Horizontal, central);
    volume->setRange(0, 100);
    volume->setValue(80);
    controls->addWidget(volume);
    layout->addLayout(controls);
    window.setCentralWidget(central);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
}
} // namespace

int main(int argc, char** argv)
{
    const bool peak = AskedFor(argc, argv, "--peak");
#ifdef KAVREL_BARE_WITH_LOGGING
    const char* home = std::getenv("HOME");
    const std::string destination = std::string(home ? home : ".") + "/bare_startup.INFO.";
    google::InitGoogleLogging(argv[0]);
    google::SetLogDestination(google::GLOG_INFO, destination.c_str());
    LOG(INFO) << "Started";
#endif
    int status = 0;
    {
        QApplication application(argc, argv);
        QMainWindow window;
        window.setWindowTitle(QStringLiteral("Kavrel Sample Player 1.0 Free"));
        window.resize(640, 420);
        if (AskedFor(argc, argv, "--widgets"))
            AddProductWidgets(window);
        window.show();
        QTimer::singleShot(0, &application, &QCoreApplication::quit);
        status = application.exec();
    }
#ifdef KAVREL_BARE_WITH_LOGGING
    google::ShutdownGoogleLogging();
#endif
    if (peak)
        std::printf("peak_kb=%ld\n", PeakMemoryKb());
    return status;
}
