#pragma once

#include <QString>

namespace Kavrel::App
{

// The built-in check of the product's web links, run from the start
// sequence. Options: --test-help, --test-dump-urls, --test-open-urls,
// --test-custom-locales=<a,b>, --test-custom-delay=<ms>. Without them it
// only reads the command line.
void RunUrlTestFromCommandLine();

// Writes every link of every tested language to dumpPath; with open, also
// schedules each address to open, the first 10 s from now and then one
// every delay ms.
void RunUrlTest(const QString& dumpPath, bool open, int delay);

} // namespace Kavrel::App
