#pragma once

#include <QString>

class MainWindow;
class QTextStream;

namespace Kavrel::App
{
class ILookAndFeelManager;
}

// Renders the main window and each dialog the sample shows (the about box,
// an alert box, a confirmation box and the e-mail sign-up) to PNG files,
// once per installed language: <folder>/<locale>/<name>.png. Returns
// whether every file was written.
bool RenderGallery(MainWindow& window, Kavrel::App::ILookAndFeelManager& lookAndFeel, const QString& folder,
                   QTextStream& out);
