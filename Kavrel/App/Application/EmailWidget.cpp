#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/EmailWidget.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/Util/EmailValidator.h>
#include <Kavrel/Util/StringConversions.h>
#include <Kavrel/Util/WidgetStyle.h>

#include "ui_EmailWidget.h"

#include <QDialog>
#include <QGraphicsDropShadowEffect>
#include <QToolTip>

#include "RunningApplication.h"

namespace Kavrel::App
{

namespace
{
const char IS_REG_USER[] = "IsRegUser";
const char USER_EMAIL[] = "UserEmail";
const char IS_CONFIRMED[] = "isConfirmed";
const char STATE_PROPERTY[] = "state";

void AddShadow(QWidget* widget)
{
    auto* shadow = new QGraphicsDropShadowEffect(widget);
    shadow->setBlurRadius(1.0);
    shadow->setOffset(0, 1);
    widget->setGraphicsEffect(shadow);
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT EmailWidget::Private
{
public:
    Ui::EmailWidget ui;
    boost::shared_ptr<ISettingsManager> mailSettings;
};

EmailWidget::EmailWidget(QDialog* dialog) : QWidget(dialog), d(std::make_unique<Private>())
{
    Ui::EmailWidget& ui = d->ui;
    ui.setupUi(this);
    if (auto* app = RunningApplication("EmailWidget"))
        d->mailSettings = app->GetMailSettingsManager();

    ui.emailEdit->setInputMethodHints(Qt::ImhEmailCharactersOnly);
    ui.emailEdit->setValidator(Kavrel::Util::GetEmailValidator(this));
    connect(ui.noRegisterButton, &QPushButton::clicked, this, &EmailWidget::OnNoRegisterClicked);
    connect(ui.registerButton, &QPushButton::clicked, this, &EmailWidget::OnRegisterClicked);
    ui.recieveNewsCheckBox->hide();
    ui.noRegisterButton->setText(tr("Skip"));
    ui.captionLabel->setText(
        tr("Register now and you will be among the first to know about our special offers and sales."));
    AddShadow(ui.registerButton);
    AddShadow(ui.noRegisterButton);
}

EmailWidget::~EmailWidget() = default;

void EmailWidget::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    if (visible)
        d->ui.emailEdit->setFocus(Qt::OtherFocusReason);
}

void EmailWidget::Write(const char* key, const std::string& value)
{
    // Without any store the answer is lost, as with a store that cannot be written.
    if (d->mailSettings)
        d->mailSettings->SetString(key, value);
}

void EmailWidget::OnNoRegisterClicked()
{
    Write(IS_REG_USER, "2");
    if (auto* dialog = qobject_cast<QDialog*>(parentWidget()))
        dialog->reject();
}

void EmailWidget::OnRegisterClicked()
{
    if (!ValidateAndUpdateFields())
        return;
    Write(USER_EMAIL, Kavrel::Util::QStringToUtf8(d->ui.emailEdit->text()));
    Write(IS_CONFIRMED, d->ui.recieveNewsCheckBox->isChecked() ? "0" : "1");
    Write(IS_REG_USER, "1");
    if (auto* dialog = qobject_cast<QDialog*>(parentWidget()))
        dialog->accept();
}

bool EmailWidget::ValidateAndUpdateFields()
{
    QLineEdit* edit = d->ui.emailEdit;
    const bool valid = edit->hasAcceptableInput();
    if (!valid)
    {
        const QString message = tr("Please enter a valid email address");
        edit->setToolTip(message);
        QToolTip::showText(edit->mapToGlobal(QPoint(0, 0)), message);
    }
    Kavrel::Util::ApplyWidgetStyle(edit, valid ? QStringLiteral("valid") : QStringLiteral("invalid"),
                                   STATE_PROPERTY);
    return valid;
}

} // namespace Kavrel::App
