#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

class QObject;
class QValidator;

namespace Kavrel::Util
{

/// A validator, owned by `parent`, whose acceptable input is one well-formed
/// e-mail address: a plus address, sub-domains, long or internationalised
/// top-level domains and quoted local parts are all accepted; an address
/// pasted with spaces around it is trimmed. Text that can still become an
/// address (such as "name@") is intermediate.
KAVRELUTIL_EXPORT QValidator* GetEmailValidator(QObject* parent);

} // namespace Kavrel::Util
