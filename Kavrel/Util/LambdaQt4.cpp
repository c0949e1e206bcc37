#include <Kavrel/Util/LambdaQt4.h>

namespace Kavrel::Util
{

LambdaQt4::LambdaQt4(boost::function<void(QObject*)> stored, QObject* parent)
    : QObject(parent), function(std::move(stored))
{
}

void LambdaQt4::execute()
{
    if (function)
        function(this);
}

} // namespace Kavrel::Util
