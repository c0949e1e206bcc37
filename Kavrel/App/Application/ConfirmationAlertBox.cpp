#include <Kavrel/App/Application/ConfirmationAlertBox.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/Util/StringConversions.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>

#include <boost/format.hpp>
#include <boost/optional.hpp>

#include <algorithm>

namespace Kavrel::App
{

namespace
{
const char GROUP[] = "confirm";
const char DONT_CONFIRM[] = "dont_confirm";
const char ANSWER[] = "answer";
const char DONT_CONFIRM_SUFFIX[] = "_dont_confirm";

std::string Key(const std::string& id, const std::string& name)
{
    return (boost::format("%1%/%2%_%3%") % GROUP % id % name).str();
}
} // namespace

class KAVRELAPPLICATION_NO_EXPORT ConfirmationAlertBox::Private
{
public:
    boost::shared_ptr<ISettingsManager> settings;
    QString confirmationId;
    QCheckBox* dontConfirmCheckBox = nullptr;
    bool rememberOnReject = false;
    QMessageBox::StandardButtons rememberOnly;
    boost::optional<int> forceSaveAnswer;
};

ConfirmationAlertBox::ConfirmationAlertBox(boost::shared_ptr<ISettingsManager> settings,
                                           AlertBox::Level level, const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons, QWidget* parent,
                                           Qt::WindowFlags flags)
    : AlertBox(level, title, text, buttons, parent, flags), d(std::make_unique<Private>())
{
    d->settings = std::move(settings);
    d->dontConfirmCheckBox = new QCheckBox(this);
    d->dontConfirmCheckBox->setObjectName(QStringLiteral("dontConfirmCheckBox"));
    d->dontConfirmCheckBox->setText(tr("Don't show this again"));
    if (auto* buttonBox = findChild<QDialogButtonBox*>())
        buttonBox->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    PlaceCheckBox();
}

ConfirmationAlertBox::~ConfirmationAlertBox() = default;

void ConfirmationAlertBox::PlaceCheckBox()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* buttonBox = findChild<QDialogButtonBox*>();
    if (!grid || !buttonBox)
        return;
    // Not directly in the grid: the buttons already share a row with the
    // check box (or a learn-more link that came after it).
    const int index = grid->indexOf(buttonBox);
    if (index < 0)
        return;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    QLayoutItem* item = grid->takeAt(index);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(d->dontConfirmCheckBox);
    buttonRow->addItem(item);
    grid->addLayout(buttonRow, row, column, rowSpan, columnSpan);
}

void ConfirmationAlertBox::showEvent(QShowEvent* event)
{
    // QMessageBox rebuilds its grid whenever its icon, informative or
    // detailed text changes, which drops the row built in the constructor.
    PlaceCheckBox();
    AlertBox::showEvent(event);
}

void ConfirmationAlertBox::SetConfirmationId(const QString& id) { d->confirmationId = id; }

QString ConfirmationAlertBox::GetConfirmationId() const { return d->confirmationId; }

void ConfirmationAlertBox::SetConfirmationText(const QString& text) { d->dontConfirmCheckBox->setText(text); }

QString ConfirmationAlertBox::GetConfirmationText() const { return d->dontConfirmCheckBox->text(); }

void ConfirmationAlertBox::SetDontConfirm(bool checked) { d->dontConfirmCheckBox->setChecked(checked); }

bool ConfirmationAlertBox::IsDontConfirm() const { return d->dontConfirmCheckBox->isChecked(); }

void ConfirmationAlertBox::SetRememberOnReject(bool remember) { d->rememberOnReject = remember; }

bool ConfirmationAlertBox::RememberOnReject() const { return d->rememberOnReject; }

void ConfirmationAlertBox::SetRememberOnly(QMessageBox::StandardButtons buttons)
{
    d->rememberOnly = buttons;
}

QMessageBox::StandardButtons ConfirmationAlertBox::RememberOnly() const { return d->rememberOnly; }

void ConfirmationAlertBox::SetForceSaveAnswer(int answer) { d->forceSaveAnswer = answer; }

void ConfirmationAlertBox::Reset() { WriteDontConfirm(false); }

QMessageBox::StandardButton ConfirmationAlertBox::Exec()
{
    if (ReadDontConfirm())
        return static_cast<QMessageBox::StandardButton>(ReadAnswer());
    const QMessageBox::StandardButton answer = AlertBox::Exec();
    if (!d->dontConfirmCheckBox->isChecked())
        return answer;
    const auto* buttonBox = findChild<QDialogButtonBox*>();
    const QDialogButtonBox::ButtonRole role =
        buttonBox ? buttonBox->buttonRole(clickedButton()) : QDialogButtonBox::InvalidRole;
    if (!d->rememberOnReject && role == QDialogButtonBox::RejectRole)
        return answer;
    if (d->rememberOnly && !(d->rememberOnly & answer))
        return answer;
    WriteDontConfirm(true);
    WriteAnswer(answer);
    return answer;
}

std::string ConfirmationAlertBox::GetSettingKey(const std::string& name) const
{
    return Key(Kavrel::Util::QStringToUtf8(d->confirmationId), name);
}

// Without a store nothing is remembered: the box asks every time.
bool ConfirmationAlertBox::ReadDontConfirm() const
{
    return d->settings && d->settings->GetBool(GetSettingKey(DONT_CONFIRM), false);
}

int ConfirmationAlertBox::ReadAnswer() const
{
    return d->settings ? d->settings->GetInt(GetSettingKey(ANSWER), 0) : 0;
}

void ConfirmationAlertBox::WriteDontConfirm(bool value)
{
    if (d->settings)
        d->settings->SetBool(GetSettingKey(DONT_CONFIRM), value);
}

void ConfirmationAlertBox::WriteAnswer(int answer)
{
    if (d->settings)
        d->settings->SetInt(GetSettingKey(ANSWER), d->forceSaveAnswer.value_or(answer));
}

QStringList ConfirmationAlertBox::GetRememberedIds(const ISettingsManager& settings)
{
    const std::string suffix = DONT_CONFIRM_SUFFIX;
    QStringList ids;
    for (const std::string& key : settings.GetKeys(GROUP))
    {
        if (key.size() < suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string id = key.substr(0, key.size() - suffix.size());
        if (settings.GetBool(Key(id, DONT_CONFIRM), false))
            ids << Kavrel::Util::Utf8ToQString(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

int ConfirmationAlertBox::ResetAll(ISettingsManager& settings)
{
    const QStringList ids = GetRememberedIds(settings);
    for (const QString& id : ids)
        settings.SetBool(Key(Kavrel::Util::QStringToUtf8(id), DONT_CONFIRM), false);
    return ids.size();
}

} // namespace Kavrel::App
