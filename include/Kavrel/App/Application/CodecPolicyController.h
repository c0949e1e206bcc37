#pragma once

#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/Media/IPolicyEx.h>

#include <string>

namespace Kavrel::App
{

/// Saves a media policy into a settings store and loads it back, per codec
/// of the codec table: "<prefix>Order/<codec>" and "<prefix>Disabled/<codec>"
/// hold the entries joined by single spaces, "<prefix>Exclusive/<codec>" the
/// exclusive entry. Only what changed is written; loading never enables an
/// entry or clears an exclusive one, and leaves alone what the store does
/// not mention.
class KAVRELAPPLICATION_EXPORT CodecPolicyController
{
public:
    static const std::string PREFIX_DECODER; ///< "Decoders/"
    static const std::string PREFIX_ENCODER; ///< "Encoders/"

    static void SaveToSettings(const boost::intrusive_ptr<Kavrel::Proc::IPolicyEx>& policy,
                               const std::string& prefix, ISettingsManager& settings);
    /// The stored lists may be cut at commas as well as spaces; runs of
    /// either count as one.
    static void LoadFromSettings(const boost::intrusive_ptr<Kavrel::Proc::IPolicyEx>& policy,
                                 const std::string& prefix, const ISettingsManager& settings);
};

} // namespace Kavrel::App
