#pragma once

#include <boost/function.hpp>

namespace Kavrel::Core
{

/// Runs each delivery at once in the calling thread.
class SyncExecutePolicy
{
public:
    /// An empty function object throws boost::bad_function_call.
    /// Each call has run when Execute returns.
    static constexpr bool Synchronous = true;
    void Execute(const boost::function<void()>& call) const { call(); }
};

} // namespace Kavrel::Core
