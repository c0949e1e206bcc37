#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QObject>

#include <boost/function.hpp>

namespace Kavrel::Util
{

/// A QObject whose slot execute() runs a stored function with the object, so
/// that a function can be the target of an old-style SLOT() connection or a
/// single-shot timer.
class KAVRELUTIL_EXPORT LambdaQt4 : public QObject
{
    Q_OBJECT
public:
    LambdaQt4(boost::function<void(QObject*)> function, QObject* parent);

public Q_SLOTS:
    void execute();

private:
    boost::function<void(QObject*)> function;
};

} // namespace Kavrel::Util
