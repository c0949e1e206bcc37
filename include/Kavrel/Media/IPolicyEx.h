#pragma once

#include <Kavrel/Core/RefCountImpl.h>
#include <Kavrel/Media/KavrelMediaExport.h>

#include <boost/intrusive_ptr.hpp>

#include <string>
#include <vector>

namespace Kavrel::Proc
{

/// The media engine's choice of implementations per codec: an ordered list
/// of preferred entries, a set of disabled entries, and at most one
/// exclusive entry. Entry names are the engine's; this interface only keeps
/// them.
class IPolicyEx : public Kavrel::RefCountImpl
{
public:
    virtual void SetDisabled(const std::string& codec, const std::string& entry, bool disabled) = 0;
    /// true makes the entry the codec's only one; false clears it when it is.
    virtual void SetExclusive(const std::string& codec, const std::string& entry, bool exclusive) = 0;
    virtual void SetOrder(const std::string& codec, const std::vector<std::string>& order) = 0;
    virtual std::vector<std::string> GetOrder(const std::string& codec) const = 0;
    /// In the order the entries were disabled.
    virtual std::vector<std::string> GetDisabled(const std::string& codec) const = 0;
    /// Empty when the codec has none.
    virtual std::string GetExclusive(const std::string& codec) const = 0;
    virtual bool IsDisabled(const std::string& codec, const std::string& entry) const = 0;
    /// Forgets everything about the codec.
    virtual void Reset(const std::string& codec) = 0;
};

using PolicyPtr = boost::intrusive_ptr<IPolicyEx>;

/// A policy kept in memory, safe for use from several threads.
KAVRELMEDIA_EXPORT PolicyPtr CreatePolicy();

} // namespace Kavrel::Proc
