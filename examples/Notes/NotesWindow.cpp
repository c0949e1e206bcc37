#include "NotesWindow.h"

#include <Kavrel/App/Application/AlertBox.h>

#include <QEvent>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace
{
const char PAGE_KEY[] = "Notes/Page";
}

NotesWindow::NotesWindow(boost::shared_ptr<Kavrel::App::ISettingsManager> notesStore)
    : store(std::move(notesStore)), page(new QPlainTextEdit(this))
{
    page->setPlainText(QString::fromStdString(store->GetString(PAGE_KEY, std::string())));
    connect(page, &QPlainTextEdit::textChanged, this,
            [this] { store->SetString(PAGE_KEY, page->toPlainText().toStdString()); });
    setCentralWidget(page);
    notesMenu = menuBar()->addMenu(QString());
    clearAction = notesMenu->addAction(QString(), this, &NotesWindow::AskToClear);
    languageMenu = menuBar()->addMenu(QString());
    themeMenu = menuBar()->addMenu(QString());
    resize(480, 320);
    Retranslate();
}

void NotesWindow::AskToClear()
{
    // Yes and No are Qt's own texts: its translations, shipped with the
    // product's languages, say them in the user's language.
    if (Kavrel::App::AlertBox::Exec(Kavrel::App::AlertBox::Question, tr("Clear the page"),
                                    tr("Clear every note on this page?"), QMessageBox::Yes | QMessageBox::No,
                                    this, Qt::Dialog) == QMessageBox::Yes)
        page->clear();
}

void NotesWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QMainWindow::changeEvent(event);
}

void NotesWindow::Retranslate()
{
    setWindowTitle(tr("Notes"));
    notesMenu->setTitle(tr("&Notes"));
    clearAction->setText(tr("&Clear..."));
    languageMenu->setTitle(tr("&Language"));
    themeMenu->setTitle(tr("&Theme"));
    page->setPlaceholderText(tr("Write here."));
}
