#include "LogCapture.h"

#include <Kavrel/App/Application/MigrateSettingsFromQt4ToQt5.h>
#include <Kavrel/Util/SettingsRegistryStore.h>

#include <QFile>
#include <QSettings>

using Kavrel::App::MigrateProductSettingsFromQt4ToQt5;
using Kavrel::App::NeedMigrateProductSettingsFromQt4ToQt5;

namespace
{
// A value as the older generation left it: each UTF-8 byte of the text in a
// code unit of its own.
QString OldEncoding(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QString units;
    for (const char byte : bytes)
        units += QChar(static_cast<unsigned char>(byte));
    return units;
}

class Migration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int counter = 0;
        product = "Product" + std::to_string(++counter);
    }
    // The product's branch, where the older generation kept its values.
    QSettings Branch() const
    {
        return QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Kavrel/" +
                             QString::fromStdString(product) + ".conf",
                         QSettings::IniFormat);
    }
    void Put(const std::map<QString, QString>& values) const
    {
        QSettings branch = Branch();
        for (const auto& [key, value] : values)
            branch.setValue(key, value);
    }
    QString Get(const QString& key) const { return Branch().value(key, "<absent>").toString(); }

    std::string product;
    Kavrel::Test::LogCapture log;
};

TEST_F(Migration, deletesThenConvertsEveryListedValueOnceAtAnyDepth)
{
    const QString e = "é";
    Put({{"PreferredBrowser", OldEncoding("C:/Programme/Brauser.exe" + e)},
         {"Sub/Deeper/DateOfFirstStart", OldEncoding(e)},
         {"Sub/Title", OldEncoding("Ночь")},
         {"Title/Kept", OldEncoding(e)}, // a key named like a listed value
         {"Unlisted", OldEncoding(e)},
         {"Both", OldEncoding(e)},
         {"Gone1", "1"},
         {"Gone2", "2"},
         {"Gone3", "3"},
         {"Sub/Gone2", "deep"}});
    EXPECT_TRUE(NeedMigrateProductSettingsFromQt4ToQt5(product));

    std::vector<std::string> convert{"Title", "Both"}, remove{"Gone1", "Gone2", "Gone3", "Both"};
    MigrateProductSettingsFromQt4ToQt5(product, convert, remove);
    EXPECT_EQ(convert, (std::vector<std::string>{"Title", "Both", "PreferredBrowser", "DateOfFirstStart"}));
    EXPECT_EQ(Get("PreferredBrowser"), "C:/Programme/Brauser.exe" + e);
    EXPECT_EQ(Get("Sub/Deeper/DateOfFirstStart"), QString(QChar(0x00E9)));
    EXPECT_EQ(Get("Sub/Title"), "Ночь");
    EXPECT_EQ(Get("Title/Kept"), OldEncoding(e));
    EXPECT_EQ(Get("Unlisted"), OldEncoding(e));
    for (const char* gone : {"Both", "Gone1", "Gone2", "Gone3", "Sub/Gone2"})
        EXPECT_EQ(Get(QLatin1String(gone)), "<absent>") << gone;
    EXPECT_FALSE(NeedMigrateProductSettingsFromQt4ToQt5(product));

    // Once converted, nothing is done again, and the lists stay as they are.
    Put({{"PreferredBrowser", OldEncoding(e)}});
    std::vector<std::string> again{"Title"}, none;
    MigrateProductSettingsFromQt4ToQt5(product, again, none);
    EXPECT_EQ(again, std::vector<std::string>{"Title"});
    EXPECT_EQ(Get("PreferredBrowser"), OldEncoding(e));
}

// Names of 260 code units with their terminator, data of 520 bytes.
TEST_F(Migration, namesAndValuesPastTheRegistryLimitsAreLeftAlone)
{
    const QString e = "é";
    const QString name259 = QString(258, QLatin1Char('n')) + QLatin1Char('A');
    const QString name260 = QString(259, QLatin1Char('n')) + QLatin1Char('B');
    // 259 code units and a terminator are 520 bytes; one more unit is too many.
    Put({{"Values/Fits", OldEncoding(e) + QString(257, QLatin1Char('x'))},
         {"Values/TooLong", OldEncoding(e) + QString(258, QLatin1Char('x'))},
         {"Names/" + name259, OldEncoding(e)},
         {"Names/" + name260, OldEncoding(e)},
         {"Names/z", OldEncoding(e)}}); // sorts after the long name
    std::vector<std::string> convert{"Fits", "TooLong", name259.toStdString(), name260.toStdString(), "z"},
        none;
    MigrateProductSettingsFromQt4ToQt5(product, convert, none);
    EXPECT_EQ(Get("Values/Fits"), e + QString(257, QLatin1Char('x')));
    EXPECT_EQ(Get("Values/TooLong"), OldEncoding(e) + QString(258, QLatin1Char('x')));
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                         "ERROR: Errro RegQueryValueEx (key: TooLong value:  )"),
              1);
    EXPECT_EQ(Get("Names/" + name259), e);
    // The long name ends the walk of that key's values.
    EXPECT_EQ(Get("Names/" + name260), OldEncoding(e));
    EXPECT_EQ(Get("Names/z"), OldEncoding(e));
}

// A store that refuses to delete one name, as a protected registry value
// would.
class StubbornStore : public Kavrel::Util::SettingsRegistryStore
{
public:
    long DeleteValue(Key key, const std::u16string& name) override
    {
        return name == u"Stuck" ? ACCESS_DENIED : SettingsRegistryStore::DeleteValue(key, name);
    }
};

TEST_F(Migration, aValueThatCannotBeDeletedIsLoggedOnceAndTheWalkGoesOn)
{
    Put({{"A", "1"}, {"Stuck", "2"}, {"Z", "3"}, {"Sub/A", "4"}});
    StubbornStore store;
    Kavrel::Platform::RegistryStore* previous = Kavrel::Platform::SetRegistryStore(&store);
    std::vector<std::string> convert, remove{"A", "Stuck", "Z"};
    MigrateProductSettingsFromQt4ToQt5(product, convert, remove);
    Kavrel::Platform::SetRegistryStore(previous);
    EXPECT_EQ(Kavrel::Platform::GetRegistryStore(), previous) << "the replacement went";
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "ERROR: Errro RegDeleteKey (key: Stuck"), 1);
    for (const char* gone : {"A", "Z", "Sub/A"})
        EXPECT_EQ(Get(QLatin1String(gone)), "<absent>") << gone;
    EXPECT_EQ(Get("Stuck"), "2");
}

// A damaged file: what can be read keeps its value.
TEST_F(Migration, aDamagedFileKeepsEveryOtherValue)
{
    Put({{"Keep/One", "1"}});
    QFile file(Branch().fileName());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\n\x01\x02 garbage [[[ no equals\n=\n[General]\nKeep2=2\nPreferredBrowser=\\xc3\\xa9\n");
    file.close();
    std::vector<std::string> convert, none;
    MigrateProductSettingsFromQt4ToQt5(product, convert, none);
    EXPECT_EQ(Get("Keep/One"), "1");
    EXPECT_EQ(Get("Keep2"), "2");
    EXPECT_EQ(Get("PreferredBrowser"), "é");
    EXPECT_FALSE(NeedMigrateProductSettingsFromQt4ToQt5(product));
}
} // namespace
