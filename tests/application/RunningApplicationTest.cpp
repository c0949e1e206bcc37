// Regression: the dialogs and the default-locale lookup cast
// QCoreApplication::instance() to the application object unchecked, so under
// a plain QApplication they read a QApplication as something it is not. Each
// now takes its fallback and says so once, however often it is used.
#include "LogCapture.h"

#include <Kavrel/App/Application/AboutBoxDialog.h>
#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/LookAndFeelManager.h>

#include <QApplication>
#include <QIcon>

namespace
{
TEST(RunningApplication, underAPlainQApplicationEachPartTakesItsFallbackAndSaysSoOnce)
{
    ASSERT_TRUE(qobject_cast<QApplication*>(QCoreApplication::instance()));
    using Kavrel::App::AlertBox;
    Kavrel::App::LookAndFeelManager manager(Kavrel::Test::IsolatedRoot(), "theme.json", {});
    const std::pair<const char*, std::function<void()>> parts[] = {
        {"AlertBox",
         []
         {
             AlertBox box(AlertBox::Question, QStringLiteral("Title"), QStringLiteral("Text"));
             EXPECT_TRUE(box.windowIcon().isNull());
         }},
        {"AboutBoxDialog", [] { Kavrel::App::AboutBoxDialog about(QStringLiteral("1.0"), QString(), true); }},
        {"LookAndFeelManager::GetDefaultLocale", [&] { EXPECT_EQ(manager.GetDefaultLocale(), "unknown"); }},
    };
    for (const auto& [who, use] : parts)
    {
        Kavrel::Test::LogCapture log;
        use();
        use();
        EXPECT_EQ(log.CountMentioning(who), 1) << who;
    }
}
} // namespace
