#include <Kavrel/IO/IOException.h>

namespace Kavrel::Core
{

IOException::IOException(const std::string& what) : std::runtime_error(what) {}

// Defined here so that the type is one and the same in every module that
// throws or catches it.
IOException::~IOException() = default;

} // namespace Kavrel::Core
