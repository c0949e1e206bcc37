#include "CodecsMenu.h"

#include <Kavrel/App/Application/CodecPolicyController.h>

#include <QAction>

using Kavrel::App::CodecPolicyController;

namespace
{
// Codec names as the codec table has them, and the player's two decoders.
const char* const CODECS[] = {"h264", "hevc", "vp9", "av1"};
const char HARDWARE[] = "hardware";
const char SOFTWARE[] = "software";

enum Choice
{
    PreferHardware,
    DisableHardware,
    SoftwareOnly
};
} // namespace

CodecsMenu::CodecsMenu(boost::shared_ptr<Kavrel::App::ISettingsManager> productStore, QWidget* parent)
    : QMenu(parent), store(std::move(productStore)), policy(Kavrel::Proc::CreatePolicy())
{
    setObjectName(QStringLiteral("CodecsMenu"));
    CodecPolicyController::LoadFromSettings(policy, CodecPolicyController::PREFIX_DECODER, *store);
    for (const char* codec : CODECS)
    {
        QMenu* menu = addMenu(QString::fromLatin1(codec).toUpper());
        for (const Choice choice : {PreferHardware, DisableHardware, SoftwareOnly})
        {
            QAction* action = menu->addAction(QString());
            action->setCheckable(true);
            action->setData(int(choice));
            const std::vector<std::string> order = policy->GetOrder(codec);
            action->setChecked(choice == PreferHardware    ? !order.empty() && order.front() == HARDWARE
                               : choice == DisableHardware ? policy->IsDisabled(codec, HARDWARE)
                                                           : policy->GetExclusive(codec) == SOFTWARE);
            connect(action, &QAction::toggled, this,
                    [this, codec, choice](bool on)
                    {
                        if (choice == PreferHardware)
                            policy->SetOrder(codec, on ? std::vector<std::string>{HARDWARE, SOFTWARE}
                                                       : std::vector<std::string>{SOFTWARE, HARDWARE});
                        else if (choice == DisableHardware)
                            policy->SetDisabled(codec, HARDWARE, on);
                        else
                            policy->SetExclusive(codec, SOFTWARE, on);
                        Save();
                    });
        }
    }
    Retranslate();
}

void CodecsMenu::Retranslate()
{
    setTitle(tr("&Codecs"));
    for (QAction* codec : actions())
        for (QAction* action : codec->menu()->actions())
        {
            switch (action->data().toInt())
            {
            case PreferHardware:
                action->setText(tr("Prefer Hardware Decoding"));
                break;
            case DisableHardware:
                action->setText(tr("Disable Hardware Decoding"));
                break;
            default:
                action->setText(tr("Decode in Software Only"));
                break;
            }
        }
}

// Only what changed reaches the store, and the status bar says what it was.
void CodecsMenu::Save()
{
    CodecPolicyController::SaveToSettings(policy, CodecPolicyController::PREFIX_DECODER, *store);
}
