// Codec policies as they come back from a settings store: whatever text the
// store holds under "<prefix>Order/<codec>", "<prefix>Disabled/<codec>" and
// "<prefix>Exclusive/<codec>", every entry loaded is a piece of the stored
// text without separators, and saving what was loaded and loading it again
// gives the same policy. (A separator at an end gives an empty entry, as
// CodecPolicyTest documents.)
#include "FuzzSupport.h"

#include <Kavrel/App/Application/CodecPolicyController.h>
#include <Kavrel/App/Application/ISettingsManager.h>
#include <Kavrel/Media/CodecsMap.h>

#include <algorithm>
#include <map>

namespace
{
using Kavrel::App::CodecPolicyController;

// A store of text values in memory: the controller only reads and writes text.
class TextStore : public Kavrel::App::ISettingsManager
{
public:
    std::map<std::string, std::string> values;

    void RegisterObserver(Kavrel::App::ISettingsManagerObserver*) override {}
    void UnregisterObserver(Kavrel::App::ISettingsManagerObserver*) override {}
    void SetString(const std::string& key, const std::string& value) override { values[key] = value; }
    std::string GetString(const std::string& key, const std::string& defaultValue) const override
    {
        const auto found = values.find(key);
        return found != values.end() ? found->second : defaultValue;
    }
    bool Contains(const std::string& key) const override { return values.count(key) != 0; }
    void Remove(const std::string& key) override { values.erase(key); }
    std::vector<std::string> GetKeys(const std::string&) const override { return {}; }
    // Not text: the controller never asks for these.
    void SetBool(const std::string&, bool) override { std::abort(); }
    void SetInt(const std::string&, int) override { std::abort(); }
    void SetByteArray(const std::string&, const std::vector<unsigned char>&) override { std::abort(); }
    void SetInt64(const std::string&, long long) override { std::abort(); }
    void SetDouble(const std::string&, double) override { std::abort(); }
    bool GetBool(const std::string&, bool) const override { std::abort(); }
    int GetInt(const std::string&, int) const override { std::abort(); }
    std::vector<unsigned char> GetByteArray(const std::string&, const std::vector<unsigned char>&) const override
    {
        std::abort();
    }
    long long GetInt64(const std::string&, long long) const override { std::abort(); }
    double GetDouble(const std::string&, double) const override { std::abort(); }
};

std::vector<std::string> codecs;

// A list of one empty entry is written as the empty text, which reads as no
// list at all: the stored format cannot tell the two apart.
std::vector<std::string> Written(const std::vector<std::string>& list)
{
    return list == std::vector<std::string>{std::string()} ? std::vector<std::string>{} : list;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    const auto& table = Kavrel::Conf::GetFFCodecsMap();
    codecs = {table.begin()->second, std::next(table.begin(), table.size() / 2)->second, table.rbegin()->second};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // Lines go to the keys in turn: order, disabled, exclusive of each codec,
    // first as decoders, then as encoders.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* const kinds[] = {"Order/", "Disabled/", "Exclusive/"};
    const std::string prefixes[] = {CodecPolicyController::PREFIX_DECODER, CodecPolicyController::PREFIX_ENCODER};
    TextStore stored;
    size_t start = 0;
    for (int line = 0; start <= text.size() && line < 18; ++line)
    {
        const size_t end = std::min(text.find('\n', start), text.size());
        stored.values[prefixes[line / 9] + kinds[line % 3] + codecs[(line / 3) % 3]] = text.substr(start, end - start);
        start = end + 1;
    }

    for (const std::string& prefix : prefixes)
    {
        const auto loaded = Kavrel::Proc::CreatePolicy();
        CodecPolicyController::LoadFromSettings(loaded, prefix, stored);
        TextStore saved;
        CodecPolicyController::SaveToSettings(loaded, prefix, saved);
        const auto again = Kavrel::Proc::CreatePolicy();
        CodecPolicyController::LoadFromSettings(again, prefix, saved);
        for (const std::string& codec : codecs)
        {
            const std::vector<std::string> order = loaded->GetOrder(codec);
            const std::vector<std::string> disabled = loaded->GetDisabled(codec);
            for (const std::vector<std::string>* entries : {&order, &disabled})
                for (const std::string& entry : *entries)
                    KAVREL_FUZZ_EXPECT(entry.find_first_of(", ") == std::string::npos &&
                                       text.find(entry) != std::string::npos);
            KAVREL_FUZZ_EXPECT(again->GetOrder(codec) == Written(order));
            KAVREL_FUZZ_EXPECT(again->GetDisabled(codec) == Written(disabled));
            KAVREL_FUZZ_EXPECT(again->GetExclusive(codec) == loaded->GetExclusive(codec));
        }
    }
    return 0;
}
