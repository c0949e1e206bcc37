// Qt's messages in the log: filters, the handler before ours, and fatal ones.
#include "LogCapture.h"

#include <Kavrel/Util/QtLogHandler.h>

#include <QtDebug>

using Kavrel::Util::QtLogHandler;
using Lines = std::vector<std::string>;

namespace
{
// A handler of the product's own, to see what Qt gives back after Uninstall.
Lines ownHandlerMessages;
void OwnHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    ownHandlerMessages.push_back(message.toStdString());
}

bool RejectAll(const QString&) { return false; }

class UtilQtLogHandler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ownHandlerMessages.clear();
        original = qInstallMessageHandler(&OwnHandler);
    }
    void TearDown() override
    {
        handler.Uninstall();
        qInstallMessageHandler(original);
    }

    QtLogHandler& handler = QtLogHandler::GetInstance();
    Kavrel::Test::LogCapture log;
    QtMessageHandler original = nullptr;
};
} // namespace

TEST_F(UtilQtLogHandler, messagesReachTheLogThroughTheFiltersUntilUninstallRestoresThePreviousHandler)
{
    handler.AddFilter(&RejectAll);
    handler.Uninstall(); // drops the filter though the handler was not installed
    handler.Install();
    handler.Install(); // the second must not take itself for the previous handler
    EXPECT_TRUE(handler.IsInstalled());
    qDebug("debug");
    qInfo("info");
    qWarning("Предупреждение");
    qCritical("critical");
    EXPECT_EQ(log.Take(), (Lines{"INFO: debug", "INFO: info", "WARNING: Предупреждение", "ERROR: critical"}));
    // Each filter sees each message until one drops it; an empty filter is skipped.
    Lines seen;
    handler.AddFilter(
        [&seen](const QString& message)
        {
            seen.push_back(message.toStdString());
            return !message.contains("secret");
        });
    handler.AddFilter(QtLogHandler::Filter());
    handler.AddFilter([](const QString& message) { return !message.startsWith("noise"); });
    for (const char* message : {"public", "the secret", "noise here"})
        qWarning("%s", message);
    EXPECT_EQ(log.Take(), Lines{"WARNING: public"});
    EXPECT_EQ(seen, (Lines{"public", "the secret", "noise here"}));
    handler.AddFilter(&RejectAll);
    handler.Uninstall();
    EXPECT_FALSE(handler.IsInstalled());
    qWarning("to our own handler");
    EXPECT_EQ(ownHandlerMessages, Lines{"to our own handler"});
    handler.Install();
    qInfo("filters are gone");
    EXPECT_EQ(log.Take(), Lines{"INFO: filters are gone"});
    handler.Uninstall();
    EXPECT_EQ(qInstallMessageHandler(&OwnHandler), &OwnHandler);
}

using UtilQtLogHandlerDeathTest = UtilQtLogHandler;

TEST_F(UtilQtLogHandlerDeathTest, fatalIsLoggedAsAnErrorBeforeQtAbortsWhateverTheFilters)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Qt's own handler would print the bare text; the log line carries glog's
    // "E<date> <time> <thread> <file>:<line>]" prefix.
    EXPECT_DEATH(
        {
            qInstallMessageHandler(nullptr);
            QtLogHandler::GetInstance().Install();
            QtLogHandler::GetInstance().AddFilter(&RejectAll);
            qFatal("fatal %s", "marker");
        },
        "E[0-9]+ [^\n]*\\] fatal marker");
}
