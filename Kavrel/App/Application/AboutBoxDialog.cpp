#include <Kavrel/App/Application/AboutBoxDialog.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/Util/StringConversions.h>

#include "RunningApplication.h"
#include "ui_AboutBoxDialog.h"

#include <QClipboard>
#include <QDate>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

using Kavrel::Util::Utf8ToQString;

namespace Kavrel::App
{

namespace
{
const char MAILTO[] = "mailto:";

QString Link(const QString& address, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(address.toHtmlEscaped(), text.toHtmlEscaped());
}

boost::shared_ptr<ICustomizationManager> Customization() { return RunningCustomization("AboutBoxDialog"); }

QString SupportEmail()
{
    const auto product = Customization();
    return product ? Utf8ToQString(product->GetSupportEmail()) : QString();
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT AboutBoxDialog::Private
{
public:
    Ui::AboutBoxDialog ui;
    QString homePageUrl;
    QString versionText;
    bool companyCopyright = false;
    bool ready = false;
};

AboutBoxDialog::AboutBoxDialog(const QString& applicationVersionText, const QString& homePageUrl,
                               bool companyCopyright, QWidget* parent)
    : QDialog(parent), d(std::make_unique<Private>())
{
    d->ui.setupUi(this);
    setWindowFlags(Qt::Popup);
    d->versionText = applicationVersionText;
    d->homePageUrl = homePageUrl;
    d->companyCopyright = companyCopyright;
    ShowTexts();
    d->ready = true;
    connect(d->ui.mailToLabel, &QLabel::linkActivated, this, &AboutBoxDialog::openEmailClient);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

AboutBoxDialog::~AboutBoxDialog() = default;

void AboutBoxDialog::ShowAbout(const QString& applicationVersionText, const QString& homePageUrl,
                               bool companyCopyright, QWidget* parent)
{
    auto* dialog = new AboutBoxDialog(applicationVersionText, homePageUrl, companyCopyright, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

void AboutBoxDialog::ShowTexts()
{
    Ui::AboutBoxDialog& ui = d->ui;
    ui.applicationVersionLabel->setText(d->versionText);
    ui.homePageLabel->setText(Link(d->homePageUrl, tr("Visit homepage")));

    Application* app = RunningApplication("AboutBoxDialog");
    const auto product = Customization();
    ui.customURL->hide();
    const QString caption = product ? Utf8ToQString(product->GetCustomAboutCaption()) : QString();
    if (!caption.isEmpty())
    {
        const QString address = Utf8ToQString(app->GetUrl(CUSTOM_ABOUT_URL));
        if (!address.isEmpty())
        {
            ui.customURL->setText(Link(address, caption));
            ui.customURL->show();
        }
    }

    // The copyright holder is the organisation; a build that must not name
    // it asks for neither line.
    ui.copyrightLabel->setVisible(d->companyCopyright);
    ui.rightsLabel->setVisible(d->companyCopyright);
    if (d->companyCopyright)
    {
        const QString organisation = product ? Utf8ToQString(product->GetOrganizationName()) : QString();
        ui.copyrightLabel->setText(
            tr("Copyright © %1 %2").arg(QString::number(QDate::currentDate().year()), organisation));
    }

    const auto lookAndFeel = app ? app->GetLookAndFeel() : nullptr;
    const QString locale = lookAndFeel ? Utf8ToQString(lookAndFeel->GetCurrentLocale()) : QString();
    ui.topPlaceHolder->setStyleSheet(QStringLiteral("background-image: url(") +
                                     QStringLiteral(":/About/about_%1.png").arg(locale) +
                                     QStringLiteral(");"));

    const QString email = SupportEmail();
    ui.mailToLabel->setText(Link(email, QString(email).remove(QLatin1String(MAILTO))));
    ui.mailToLabel->adjustSize();
}

void AboutBoxDialog::showEvent(QShowEvent* event)
{
    d->ui.homePageLabel->adjustSize();
    QDialog::showEvent(event);
}

void AboutBoxDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The form's own texts come back in the new language; the rest is ours
    // to say again, the picture included.
    if (event->type() == QEvent::LanguageChange && d->ready)
    {
        d->ui.retranslateUi(this);
        ShowTexts();
    }
}

void AboutBoxDialog::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint point = d->ui.bottomPlaceHolder->mapFromGlobal(event->globalPos());
    // A hidden label keeps a stale geometry: only the links on screen count.
    for (const QLabel* link : {d->ui.homePageLabel, d->ui.mailToLabel, d->ui.customURL})
        if (link->isVisible() && link->geometry().contains(point))
            return;
    close();
}

void AboutBoxDialog::openEmailClient(const QString& link)
{
    if (!link.contains(QLatin1String(MAILTO)) && QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode)))
        return;
    QGuiApplication::clipboard()->setText(SupportEmail().remove(QLatin1String(MAILTO)),
                                          QClipboard::Clipboard);
    // After the click is done, or the tooltip would vanish with it.
    QTimer::singleShot(0, this, &AboutBoxDialog::setMailToLabelText);
}

void AboutBoxDialog::setMailToLabelText()
{
    QToolTip::showText(d->ui.mailToLabel->mapToGlobal(QPoint(0, 0)),
                       tr("Email address has been copied to the clipboard"));
}

} // namespace Kavrel::App
