#include <Kavrel/App/Application/EmailDialog.h>
#include <Kavrel/App/Application/EmailWidget.h>

#include "ui_EmailDialog.h"

#include <QFile>
#include <QScreen>
#include <QStyle>

namespace Kavrel::App
{

namespace
{
const char STYLE_SHEET[] = ":/EmailDialog/EmailDialog.qss";
// Rules shared by the library's frameless dialogs, such as the close button.
const char COMMON_STYLE_SHEET[] = ":/Dialogs/CommonDialog.qss";

// An unreadable sheet reads as empty: the dialog is then plainer, not broken.
QByteArray ReadAll(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? file.readAll() : QByteArray();
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT EmailDialog::Private
{
public:
    Ui::EmailDialog ui;
};

EmailDialog::EmailDialog(QWidget* parent) : QDialog(parent), d(std::make_unique<Private>())
{
    d->ui.setupUi(this);
    connect(d->ui.disagreeButton, &QPushButton::clicked, d->ui.emailWidget,
            &EmailWidget::OnNoRegisterClicked);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setModal(true);

    // The common sheet comes last, so that its rules win on equal terms.
    setStyleSheet(QString::fromUtf8(ReadAll(STYLE_SHEET) + '\n' + ReadAll(COMMON_STYLE_SHEET)));
    style()->unpolish(this);
    style()->polish(this);
    adjustSize();

    const QScreen* screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

EmailDialog::~EmailDialog() = default;

void EmailDialog::changeEvent(QEvent* event)
{
    // The texts are not said again while the user is reading them.
    if (event->type() == QEvent::LanguageChange)
        return;
    QDialog::changeEvent(event);
}

} // namespace Kavrel::App
