#pragma once

#include <Kavrel/App/Application/ILinksGenerator.h>
#include <Kavrel/App/Application/ILinksOpener.h>

namespace Kavrel::App
{

class ILinksManager : public virtual ILinksGenerator, public virtual ILinksOpener
{
};

} // namespace Kavrel::App
