#include <Kavrel/App/Application/CodecPolicyController.h>
#include <Kavrel/Media/CodecsMap.h>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/join.hpp>
#include <boost/algorithm/string/split.hpp>

namespace Kavrel::App
{

namespace
{
const std::string ORDER = "Order/";
const std::string DISABLED = "Disabled/";
const std::string EXCLUSIVE = "Exclusive/";

std::vector<std::string> Split(const std::string& text)
{
    std::vector<std::string> parts;
    boost::algorithm::split(parts, text, boost::is_any_of(", "), boost::token_compress_on);
    return parts;
}

void WriteIfChanged(ISettingsManager& settings, const std::string& key, const std::string& text)
{
    if (settings.GetString(key, std::string()) != text)
        settings.SetString(key, text);
}
} // namespace

const std::string CodecPolicyController::PREFIX_DECODER = "Decoders/";
const std::string CodecPolicyController::PREFIX_ENCODER = "Encoders/";

void CodecPolicyController::SaveToSettings(const boost::intrusive_ptr<Kavrel::Proc::IPolicyEx>& policy,
                                           const std::string& prefix, ISettingsManager& settings)
{
    for (const auto& [id, codec] : Kavrel::Conf::GetFFCodecsMap())
    {
        const std::string order = boost::algorithm::join(policy->GetOrder(codec), " ");
        const std::string disabled = boost::algorithm::join(policy->GetDisabled(codec), " ");
        const std::string exclusive = policy->GetExclusive(codec);
        WriteIfChanged(settings, prefix + ORDER + codec, order);
        WriteIfChanged(settings, prefix + DISABLED + codec, disabled);
        WriteIfChanged(settings, prefix + EXCLUSIVE + codec, exclusive);
    }
}

void CodecPolicyController::LoadFromSettings(const boost::intrusive_ptr<Kavrel::Proc::IPolicyEx>& policy,
                                             const std::string& prefix, const ISettingsManager& settings)
{
    for (const auto& [id, codec] : Kavrel::Conf::GetFFCodecsMap())
    {
        const std::string order = settings.GetString(prefix + ORDER + codec, std::string());
        const std::string disabled = settings.GetString(prefix + DISABLED + codec, std::string());
        const std::string exclusive = settings.GetString(prefix + EXCLUSIVE + codec, std::string());
        if (!order.empty())
            policy->SetOrder(codec, Split(order));
        if (!disabled.empty())
            for (const std::string& entry : Split(disabled))
                policy->SetDisabled(codec, entry, true);
        if (!exclusive.empty())
            policy->SetExclusive(codec, exclusive, true);
    }
}

} // namespace Kavrel::App
