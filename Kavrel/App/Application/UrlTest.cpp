#include "UrlTest.h"
#include "RunningApplication.h"

#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/ICustomizationManager.h>
#include <Kavrel/App/Application/ILookAndFeelManager.h>
#include <Kavrel/Util/LambdaQt4.h>
#include <Kavrel/Util/ScopedFunctionCall.h>
#include <Kavrel/Util/StringConversions.h>

#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <glog/logging.h>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <list>
#include <vector>

namespace Kavrel::App
{

namespace
{
// Process-wide: the languages asked for and when the next address opens.
std::list<std::string> requestedLocales;
// Wide enough that no delay overflows it; each timer gets at most INT_MAX.
long long openCounter = 10000;

const Qt::WindowFlags TEST_BOX_FLAGS = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;

// The requested languages the product offers (all it offers when none were
// asked for), with en_US, de_DE and ru_RU moved to the front in that order.
std::vector<std::string> LocalesToTest(const std::list<std::string>& offered)
{
    std::vector<std::string> locales;
    if (requestedLocales.empty())
        locales.assign(offered.begin(), offered.end());
    else
        for (const std::string& locale : requestedLocales)
            if (std::find(offered.begin(), offered.end(), locale) != offered.end())
                locales.push_back(locale);
    auto front = locales.begin();
    for (const char* first : {"en_US", "de_DE", "ru_RU"})
    {
        const auto found = std::find(front, locales.end(), first);
        if (found != locales.end())
        {
            std::rotate(front, found, found + 1);
            ++front;
        }
    }
    return locales;
}
} // namespace

void RunUrlTestFromCommandLine()
{
    const QCommandLineOption help(QStringLiteral("test-help"), QStringLiteral("Show help for test options"));
    const QCommandLineOption dump(QStringLiteral("test-dump-urls"),
                                  QStringLiteral("Write URLs to dump file"));
    const QCommandLineOption open(QStringLiteral("test-open-urls"), QStringLiteral("Open URLs in browser"));
    const QCommandLineOption locales(
        QStringLiteral("test-custom-locales"), QStringLiteral("Set locales: en_US,ru_RU"),
        QStringLiteral("locales"),
        QStringLiteral("en_US,de_DE,ru_RU,es_ES,fr_FR,it_IT,ja_JP,nl_NL,pl_PL,pt_BR,tr_TR"));
    const QCommandLineOption delay(QStringLiteral("test-custom-delay"),
                                   QStringLiteral("Set open delay in ms"), QStringLiteral("delay"),
                                   QStringLiteral("1000"));
    const QList<QCommandLineOption> options{help, dump, open, locales, delay};
    QCommandLineParser parser;
    for (const QCommandLineOption& option : options)
        parser.addOption(option);
    parser.parse(QCoreApplication::arguments()); // the product's own options are none of ours

    // Adjacent commas count as one; an empty value is one empty name, which
    // no product offers, so nothing is tested.
    requestedLocales.clear();
    boost::algorithm::split(requestedLocales, parser.value(locales).toStdString(), boost::is_any_of(","),
                            boost::token_compress_on);

    if (parser.isSet(help))
    {
        QString text;
        for (const QCommandLineOption& option : options)
            text += QStringLiteral("--") + option.names().first() + QLatin1Char(' ') + option.description() +
                    QLatin1Char('\n');
        // Also on standard output, where a headless run can read it.
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
        AlertBox::Exec(AlertBox::Information, QString(), text, QMessageBox::Ok, nullptr, TEST_BOX_FLAGS);
    }
    if (parser.isSet(dump) || parser.isSet(open))
    {
        const auto product = RunningCustomization("The link test");
        if (!product)
            return;
        const QString path = QStandardPaths::writableLocation(QStandardPaths::DataLocation) +
                             QLatin1Char('/') + Kavrel::Util::Utf8ToQString(product->GetProductName()) +
                             QStringLiteral("-url-dump.csv");
        RunUrlTest(path, parser.isSet(open), parser.value(delay).toInt(nullptr, 10));
    }
}

void RunUrlTest(const QString& dumpPath, bool open, int delay)
{
    Application* running = RunningApplication("The link test");
    if (!running)
        return;
    Application& app = *running;
    const auto lookAndFeel = app.GetLookAndFeel();
    const auto product = app.GetCustomizationManager();
    if (!lookAndFeel || !product)
    {
        LOG(WARNING) << "The link test needs the product's look and feel and customisation; skipped";
        return;
    }
    QDir().mkpath(QFileInfo(dumpPath).absolutePath());
    QFile file(dumpPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    {
        AlertBox::Exec(AlertBox::Error, QStringLiteral("Config test error"),
                       QStringLiteral("Can't open file to dump: ") + dumpPath, QMessageBox::Ok, nullptr,
                       TEST_BOX_FLAGS);
        return;
    }

    // Whatever happens, the interface language ends as it began.
    const std::string original = lookAndFeel->GetCurrentLocale();
    const Kavrel::Util::ScopedFunctionCall restore(
        {},
        [&]
        {
            lookAndFeel->SetLocale(original);
            product->SetLocale(original);
        },
        false);

    std::vector<std::pair<std::string, std::string>> records;
    for (const std::string& locale : LocalesToTest(lookAndFeel->GetLocales()))
    {
        lookAndFeel->SetLocale(locale);
        product->SetLocale(locale);
        QByteArray lines;
        for (const auto& [key, name] : URLKeyNames)
        {
            records.emplace_back(name, app.GetUrl(key));
            lines += QByteArray::fromStdString(locale + ";" + name + ";" + records.back().second + ";\n");
        }
        file.write(lines);
    }
    file.flush();

    if (!open)
        return;
    for (const auto& record : records)
    {
        const QString address = Kavrel::Util::Utf8ToQString(record.second);
        auto* opener = new Kavrel::Util::LambdaQt4(
            [address](QObject*) { QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode)); }, &app);
        const int after = static_cast<int>(std::min<long long>(openCounter, INT_MAX));
        // Kept on the object so that the schedule can be read back.
        opener->setProperty("openAfterMs", after);
        QTimer::singleShot(after, opener, SLOT(execute()));
        // A negative delay would run the schedule backwards into the past.
        openCounter = std::min<long long>(openCounter + std::max(delay, 0), INT_MAX);
    }
}

} // namespace Kavrel::App
