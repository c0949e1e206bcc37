#pragma once

#include <Kavrel/App/Application/ISettingsManager.h>

#include <QMainWindow>

#include <boost/shared_ptr.hpp>

class QAction;
class QMenu;
class QPlainTextEdit;

// One page of notes, kept in the product store as it is typed.
class NotesWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit NotesWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> store);

    QMenu* LanguageMenu() const { return languageMenu; }
    QMenu* ThemeMenu() const { return themeMenu; }
    // Asks whether to clear the page (Yes / No), as the Clear entry does.
    void AskToClear();

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    boost::shared_ptr<Kavrel::App::ISettingsManager> store;
    QPlainTextEdit* page;
    QMenu* notesMenu;
    QAction* clearAction;
    QMenu* languageMenu;
    QMenu* themeMenu;
};
