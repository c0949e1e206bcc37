#include "Gallery.h"
#include "MainWindow.h"

#include <Kavrel/App/Application/AboutBoxDialog.h>
#include <Kavrel/App/Application/ConfirmationAlertBox.h>
#include <Kavrel/App/Application/EmailDialog.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <QWidget>

#include <list>
#include <string>

namespace
{
// Lets a shown widget lay itself out and paint, and saves it.
bool Save(QWidget& widget, const QDir& folder, const QString& name, QTextStream& out)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QString file = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = widget.grab().save(file, "PNG");
    out << (saved ? "Gallery: " : "Could not save ") << file << '\n';
    return saved;
}
} // namespace

bool RenderGallery(MainWindow& window, Kavrel::App::ILookAndFeelManager& lookAndFeel, const QString& folder,
                   QTextStream& out)
{
    const std::string startLocale = lookAndFeel.GetCurrentLocale();
    std::list<std::string> locales = lookAndFeel.GetLocales();
    locales.sort();
    bool saved = true;
    for (const std::string& locale : locales)
    {
        // Windows hear the language change through their event queues.
        lookAndFeel.SetLocale(locale);
        QCoreApplication::processEvents();
        const QDir dir(QDir(folder).filePath(QString::fromStdString(locale)));
        if (!QDir().mkpath(dir.path()))
        {
            out << "Could not create " << dir.path() << '\n';
            return false;
        }
        saved &= Save(window, dir, QStringLiteral("main-window"), out);
        Kavrel::App::AboutBoxDialog about(window.AboutVersionText(), window.AboutHomePage(), true, &window);
        about.show();
        saved &= Save(about, dir, QStringLiteral("about-box"), out);
        about.close();
        // Show() rather than show(): it gives the buttons their sub-styles.
        const auto alert = window.CreateEncodingNote();
        alert->Show(false);
        saved &= Save(*alert, dir, QStringLiteral("alert-box"), out);
        alert->hide();
        const auto confirmation = window.CreateDeleteConfirmation();
        confirmation->Show(false);
        saved &= Save(*confirmation, dir, QStringLiteral("confirmation-box"), out);
        confirmation->hide();
        Kavrel::App::EmailDialog signUp(&window);
        signUp.show();
        saved &= Save(signUp, dir, QStringLiteral("sign-up"), out);
        signUp.hide();
    }
    lookAndFeel.SetLocale(startLocale);
    QCoreApplication::processEvents();
    out.flush();
    return saved;
}
