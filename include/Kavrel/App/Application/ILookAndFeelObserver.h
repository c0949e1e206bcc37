#pragma once

#include <string>

namespace Kavrel::App
{

/// Hears each change of interface language or theme, synchronously.
class ILookAndFeelObserver
{
public:
    virtual ~ILookAndFeelObserver() = default;
    virtual void OnLocaleChanged(const std::string& locale) = 0;
    virtual void OnThemeChanged(const std::string& theme) = 0;
};

} // namespace Kavrel::App
