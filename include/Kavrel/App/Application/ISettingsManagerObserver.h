#pragma once

#include <boost/optional.hpp>

#include <string>
#include <vector>

namespace Kavrel::App
{

/// Hears every value a settings store really changed, with the previous value
/// (empty when the key had none). Called synchronously in the setter's thread.
class ISettingsManagerObserver
{
public:
    virtual void OnBoolChanged(const std::string& key, bool value, const boost::optional<bool>& previous) = 0;
    virtual void OnIntChanged(const std::string& key, int value, const boost::optional<int>& previous) = 0;
    virtual void OnStringChanged(const std::string& key, const std::string& value,
                                 const boost::optional<std::string>& previous) = 0;
    virtual void OnByteArrayChanged(const std::string& key, const std::vector<unsigned char>& value,
                                    const boost::optional<std::vector<unsigned char>>& previous) = 0;
    virtual void OnInt64Changed(const std::string& key, long long value,
                                const boost::optional<long long>& previous) = 0;
    virtual void OnDoubleChanged(const std::string& key, double value,
                                 const boost::optional<double>& previous) = 0;

    virtual ~ISettingsManagerObserver() = default;
};

} // namespace Kavrel::App
