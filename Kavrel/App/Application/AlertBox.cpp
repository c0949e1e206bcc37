#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/Util/StringConversions.h>
#include <Kavrel/Util/WidgetStyle.h>

#include "RunningApplication.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <vector>

namespace Kavrel::App
{

class KAVRELAPPLICATION_NO_EXPORT AlertBox::Private
{
public:
    // None until the first SetLearnMoreLink; the box owns it.
    QLabel* learnMoreLabel = nullptr;
};

AlertBox::AlertBox() : d(std::make_unique<Private>()) {}

AlertBox::~AlertBox() = default;

AlertBox::AlertBox(Level level, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons, QWidget* parent, Qt::WindowFlags flags)
    : QMessageBox(QMessageBox::NoIcon, title, text, buttons, parent, flags), d(std::make_unique<Private>())
{
    setIconPixmap(GetPixmapForLevel(level));
    if (const auto product = RunningCustomization("AlertBox"))
        setWindowIcon(QIcon(product->GetApplicationIcon()));
    if (!title.isEmpty())
        return;
    switch (level)
    {
    case Information:
        setWindowTitle(tr("Information"));
        break;
    case Error:
        setWindowTitle(tr("Error"));
        break;
    case Question:
        setWindowTitle(QString());
        SetWidth(300);
        break;
    default:
        setWindowTitle(QString());
        break;
    }
}

QMessageBox::StandardButton AlertBox::Exec(Level level, const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons, QWidget* parent,
                                           Qt::WindowFlags flags)
{
    AlertBox box(level, title, text, buttons, parent, flags);
    return box.Exec();
}

QMessageBox::StandardButton AlertBox::Exec()
{
    SetButtonsSubStyle();
    return static_cast<QMessageBox::StandardButton>(QDialog::exec());
}

void AlertBox::Show(bool modal)
{
    SetButtonsSubStyle();
    setModal(modal);
    show();
}

void AlertBox::SetLearnMoreLink(const QString& text)
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* buttonBox = findChild<QDialogButtonBox*>();
    if (!grid || !buttonBox)
        return;
    if (!d->learnMoreLabel)
    {
        d->learnMoreLabel = new QLabel;
        d->learnMoreLabel->setObjectName(QStringLiteral("learnMoreLabel"));
        d->learnMoreLabel->setOpenExternalLinks(true);
    }
    d->learnMoreLabel->setText(text);
    if (LayoutHolding(grid, d->learnMoreLabel))
        return; // placed by an earlier call: only the text changes

    const int index = grid->indexOf(buttonBox);
    if (index >= 0)
    {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QLayoutItem* item = grid->takeAt(index);
        auto* buttonRow = new QHBoxLayout;
        buttonRow->addWidget(d->learnMoreLabel);
        buttonRow->addStretch(0);
        buttonRow->addItem(item);
        grid->addLayout(buttonRow, row, column, rowSpan, columnSpan);
        return;
    }
    // The buttons already share a row with something else (a confirmation
    // box's check box): the label goes first in that row.
    if (auto* row = qobject_cast<QBoxLayout*>(LayoutHolding(grid, buttonBox)))
    {
        row->insertWidget(0, d->learnMoreLabel);
        return;
    }
    // Nowhere to show it: the box still owns it, hidden.
    d->learnMoreLabel->setParent(this);
    d->learnMoreLabel->hide();
}

QLayout* AlertBox::LayoutHolding(QLayout* layout, QWidget* widget)
{
    // Dialog layouts nest a level or two; the bound keeps a cycle harmless.
    constexpr int MAX_DEPTH = 8;
    std::vector<std::pair<QLayout*, int>> pending{{layout, 0}};
    while (!pending.empty())
    {
        const auto [current, depth] = pending.back();
        pending.pop_back();
        if (current->indexOf(widget) >= 0)
            return current;
        for (int i = 0; depth < MAX_DEPTH && i < current->count(); ++i)
            if (QLayout* inner = current->itemAt(i)->layout())
                pending.emplace_back(inner, depth + 1);
    }
    return nullptr;
}

void AlertBox::SetWidth(int width)
{
    if (width < 0)
        return;
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                  0, 1, grid->columnCount());
}

QPixmap AlertBox::GetPixmapForLevel(Level level)
{
    const char* path = nullptr;
    switch (level)
    {
    case Information:
        path = ":/MessageBox/info_icon.png";
        break;
    case Error:
        path = ":/MessageBox/error_icon.png";
        break;
    case Question:
        path = ":/MessageBox/question_icon.png";
        break;
    }
    QPixmap pixmap;
    if (path)
        pixmap.load(QLatin1String(path), "PNG");
    return pixmap;
}

void AlertBox::SetButtonsSubStyle()
{
    for (QAbstractButton* button : buttons())
    {
        const QMessageBox::StandardButton standard = standardButton(button);
        const QMessageBox::ButtonRole role = buttonRole(button);
        QString subStyle;
        if (standard == QMessageBox::Ok || role == QMessageBox::AcceptRole)
            subStyle = QStringLiteral("Ok");
        else if (standard == QMessageBox::Yes || role == QMessageBox::YesRole)
            subStyle = QStringLiteral("Yes");
        else if (standard == QMessageBox::Cancel || role == QMessageBox::RejectRole)
            subStyle = QStringLiteral("Cancel");
        if (!subStyle.isEmpty())
            Kavrel::Util::ApplyWidgetStyle(button, subStyle, SUB_STYLE_PROPERTY);
    }
}

} // namespace Kavrel::App

namespace
{
QString DriverMessage(const char* source, const Kavrel::URLKeys& key)
{
    const auto* app = Kavrel::App::RunningApplication("GPU driver message");
    const QString url = app ? Kavrel::Util::Utf8ToQString(app->GetUrl(key)) : QString();
    const QString linkStyle = qApp ? qApp->property("linkStyle").toString() : QString();
    return QCoreApplication::translate("SharedMessages", source).arg(url, linkStyle);
}
} // namespace

QString GetGPUUnsupportedDriverMessage(const Kavrel::URLKeys& key)
{
    return DriverMessage(
        QT_TRANSLATE_NOOP(
            "SharedMessages",
            "Unfortunately, the currently installed graphics card driver does not support "
            "NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration.<br><br>You can install an earlier "
            "version of the NVIDIA<sup>&reg;</sup> graphics card driver to enable CUDA&#8482; "
            "acceleration. To do that, simply download the installation package and follow the "
            "manufacturer's instructions to install the driver.<br><br><a href=\"%1\" "
            "style=\"%2\">Download Driver</a>"),
        key);
}

QString GetGPUNeedSetupDriverMessage(const Kavrel::URLKeys& key)
{
    return DriverMessage(
        QT_TRANSLATE_NOOP(
            "SharedMessages",
            "NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration has been disabled in "
            "NVIDIA<sup>&reg;</sup> Control Panel. To enable CUDA&#8482; acceleration for Kavrel "
            "Tarnwick, select <b>High-performance NVIDIA<sup>&reg;</sup> processor</b> as your "
            "preferred graphics processor in NVIDIA<sup>&reg;</sup> Control Panel.<br><br><a "
            "href=\"%1\" style=\"%2\">Detailed Instructions</a>"),
        key);
}
