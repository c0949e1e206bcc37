#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <boost/function.hpp>

namespace Kavrel::Util
{

/// Runs `onEnter` at once when `callOnEnter` is set, and `onExit` when the
/// guard goes out of scope, whichever way the scope is left.
class KAVRELUTIL_EXPORT ScopedFunctionCall
{
public:
    ScopedFunctionCall(boost::function<void()> onEnter, boost::function<void()> onExit, bool callOnEnter);
    ~ScopedFunctionCall();

    ScopedFunctionCall(const ScopedFunctionCall&) = delete;
    ScopedFunctionCall& operator=(const ScopedFunctionCall&) = delete;

private:
    boost::function<void()> onExit;
};

} // namespace Kavrel::Util
