#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <boost/function.hpp>

namespace Kavrel::App
{

using MainFunction = boost::function<int(int, char**)>;

/// Runs the product's main function with the command line re-read from the
/// system and handed on as UTF-8, whatever the arguments' encoding. The
/// argument array has exactly argc entries and no terminating null entry.
/// An empty function throws boost::bad_function_call.
KAVRELAPPLICATION_EXPORT int EntryWrapper(MainFunction mainFunction);

/// Turns on the toolkit's automatic device pixel ratio. Call it before the
/// application object exists.
KAVRELAPPLICATION_EXPORT void HighDpiFix();

} // namespace Kavrel::App
