#pragma once

namespace Kavrel::App
{

// The product's interface language and theme. The application object holds
// the product's manager and hands it out to whoever needs it.
class ILookAndFeelManager
{
public:
    virtual ~ILookAndFeelManager() = default;
};

} // namespace Kavrel::App
