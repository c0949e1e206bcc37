#include <Kavrel/Media/IPolicyEx.h>

#include <algorithm>
#include <map>
#include <mutex>

namespace Kavrel::Proc
{

namespace
{
class MemoryPolicy final : public IPolicyEx
{
public:
    void SetDisabled(const std::string& codec, const std::string& entry, bool disabled) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string>& list = codecs[codec].disabled;
        const auto found = std::find(list.begin(), list.end(), entry);
        if (disabled && found == list.end())
            list.push_back(entry);
        else if (!disabled && found != list.end())
            list.erase(found);
    }

    void SetExclusive(const std::string& codec, const std::string& entry, bool exclusive) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string& current = codecs[codec].exclusive;
        if (exclusive)
            current = entry;
        else if (current == entry)
            current.clear();
    }

    void SetOrder(const std::string& codec, const std::vector<std::string>& order) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        codecs[codec].order = order;
    }

    std::vector<std::string> GetOrder(const std::string& codec) const override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = codecs.find(codec);
        return found != codecs.end() ? found->second.order : std::vector<std::string>();
    }

    std::vector<std::string> GetDisabled(const std::string& codec) const override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = codecs.find(codec);
        return found != codecs.end() ? found->second.disabled : std::vector<std::string>();
    }

    std::string GetExclusive(const std::string& codec) const override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const auto found = codecs.find(codec);
        return found != codecs.end() ? found->second.exclusive : std::string();
    }

    bool IsDisabled(const std::string& codec, const std::string& entry) const override
    {
        const std::vector<std::string> disabled = GetDisabled(codec);
        return std::find(disabled.begin(), disabled.end(), entry) != disabled.end();
    }

    void Reset(const std::string& codec) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        codecs.erase(codec);
    }

private:
    struct Choice
    {
        std::vector<std::string> order;
        std::vector<std::string> disabled;
        std::string exclusive;
    };
    mutable std::mutex mutex;
    std::map<std::string, Choice> codecs;
};
} // namespace

PolicyPtr CreatePolicy() { return new MemoryPolicy; }

} // namespace Kavrel::Proc
