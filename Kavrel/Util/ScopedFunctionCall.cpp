#include <Kavrel/Util/ScopedFunctionCall.h>

namespace Kavrel::Util
{

ScopedFunctionCall::ScopedFunctionCall(boost::function<void()> onEnter, boost::function<void()> exit,
                                       bool callOnEnter)
    : onExit(std::move(exit))
{
    if (callOnEnter && onEnter)
        onEnter();
}

ScopedFunctionCall::~ScopedFunctionCall()
{
    if (onExit)
        onExit();
}

} // namespace Kavrel::Util
