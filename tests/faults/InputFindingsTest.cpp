// Inputs from outside that the fuzz targets (fuzz/) found mishandled, kept
// as cases of the normal suite. See docs/reliability.md.
#include "TestEnvironment.h"

#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/MigrateSettingsFromQt4ToQt5.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/NativeSettingsPath.h>

#include <QCoreApplication>
#include <QSettings>

namespace
{
// The product's branch, written with the content, after a migration with the lists.
std::unique_ptr<const QSettings> Migrated(const std::string& product, const std::string& content,
                                          std::vector<std::string> convert, std::vector<std::string> remove)
{
    const QString branch = Kavrel::Util::NativeSettingsPath(
        QString::fromStdString("HKEY_CURRENT_USER\\Software\\Kavrel\\" + product));
    Kavrel::Test::WriteFile(branch.toStdString(), content);
    Kavrel::App::MigrateProductSettingsFromQt4ToQt5(product, convert, remove);
    return std::make_unique<const QSettings>(branch, QSettings::IniFormat);
}

// fuzz/migration.cpp: a damaged branch holding a value without a name
// ("=" on a line), and that empty name among those to delete, deleted every
// value of the branch.
TEST(MigrationOfADamagedBranch, deletesNoValueForAnEmptyName)
{
    const auto after = Migrated("Damaged", "[General]\n=x\nKeep=1\nGone=2\n[Sub]\nKeep=3\n", {}, {"", "Gone"});
    EXPECT_EQ(after->value("Keep").toString(), "1");
    EXPECT_EQ(after->value("Sub/Keep").toString(), "3");
    EXPECT_FALSE(after->contains("Gone"));
}

// fuzz/migration.cpp: deleting the last value of a group dropped the group,
// the next group moved into its place in the walk and was skipped, its
// values left undeleted.
TEST(MigrationOfADamagedBranch, deletesInEveryGroupWhenOneEmpties)
{
    const auto after = Migrated("Groups", "[A]\nGone=1\n[B]\nGone=2\nKeep=3\n[C]\nGone=4\n", {}, {"Gone"});
    for (const char* gone : {"A/Gone", "B/Gone", "C/Gone"})
        EXPECT_FALSE(after->contains(gone)) << gone;
    EXPECT_EQ(after->value("B/Keep").toString(), "3");
}

// fuzz/migration.cpp: a damaged file's section "[]" is a group without a
// name; listed as a sub-key, it opened the key it is in again, and the walk
// went through that key once more at every level: values converted twice
// came out as U+FFFD.
TEST(MigrationOfADamagedBranch, convertsEachValueOnceBesideAGroupWithoutAName)
{
    const auto after =
        Migrated("Unnamed", "[General]\nPreferredBrowser=\\xc3\\xa9\n[]\nOne=1\n[Keep]\nPreferredBrowser=\\xc2\\xa9\n", {}, {});
    EXPECT_EQ(after->value("PreferredBrowser").toString(), QString::fromUtf8("\xc3\xa9"));
    EXPECT_EQ(after->value("Keep/PreferredBrowser").toString(), QString::fromUtf8("\xc2\xa9"));
}

// fuzz/migration.cpp: deleting a value took the sub-key of the same name
// with it, as QSettings removes a group with its key; the registry keeps
// values and sub-keys apart.
TEST(MigrationOfADamagedBranch, deletesAValueButNotTheSubKeyOfItsName)
{
    const auto after = Migrated("Named", "[General]\nA=1\n[A]\nB=\\xd0\\xb6\nC=2\n", {"B"}, {"A"});
    EXPECT_FALSE(after->contains("A"));
    EXPECT_EQ(after->value("A/B").toString(), QString::fromUtf8("\xd0\xb6"));
    EXPECT_EQ(after->value("A/C").toString(), "2");
}

// fuzz/settings_values.cpp and fuzz/crash_tracker.cpp: a damaged file's key
// with a doubled slash or one at an end, or without a name, was listed, but
// QSettings reaches keys only without them: it could not be read or
// removed, and a crash record under such a key was reported at every start.
// Such keys are left out now.
class DamagedKeys : public ::testing::Test
{
protected:
    int argc = 1;
    char name[16] = "InputFindings";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

TEST_F(DamagedKeys, thatAStoreListsReadBack)
{
    const std::string file = Kavrel::Test::WriteFile(Kavrel::Test::IsolatedRoot() + "/damaged-keys.ini",
                                                     "[confirm]\n\\\\Delete_dont_confirm=true\n/Top=true\n"
                                                     "Fine_dont_confirm=true\n[General]\nend\\=true\n=240\n");
    const Kavrel::App::SettingsManager store(QString::fromStdString(file), QSettings::IniFormat);
    EXPECT_EQ(store.GetKeys(""), std::vector<std::string>{"confirm/Fine_dont_confirm"});
    EXPECT_TRUE(store.GetBool("confirm/Fine_dont_confirm", false));
}

// fuzz/settings_values.cpp: a value that reads as nothing ("@Invalid()")
// made Contains say the key was not there, while QSettings lists it.
TEST_F(DamagedKeys, holdingNoValueAreThereAndReadAsTheDefault)
{
    const std::string file =
        Kavrel::Test::WriteFile(Kavrel::Test::IsolatedRoot() + "/invalid-value.ini", "[General]\nv=@Invalid()\n");
    const Kavrel::App::SettingsManager store(QString::fromStdString(file), QSettings::IniFormat);
    EXPECT_EQ(store.GetInt("v", 7), 7);
    EXPECT_TRUE(store.Contains("v"));
    EXPECT_FALSE(store.Contains("w"));
}

// fuzz/settings_values.cpp (CI's short run): Qt decodes "@Variant(...)"
// with stream operators that trust the lengths inside; the line below made
// QtGui allocate 2^64-1 bytes and crash while the file was read. A value
// that would read as a variant, however spelled, reads as its text; the
// other forms read as before.
TEST_F(DamagedKeys, valuesSpellingAVariantReadAsTheirText)
{
    const std::string found = "found=@Variant(\\0\\0\\0\\x\xb7" "f\\0\\0\\0\\x18QVariantMap)\n";
    const std::string file = Kavrel::Test::WriteFile(
        Kavrel::Test::IsolatedRoot() + "/variants.ini",
        "[General]\n" + found +
            "escaped=\\x40Variant(\\0\\0\\0\\x18)\nquoted=\"@Variant(\\0)\"\nlist=a, @Variant(\\0)\n"
            "bytes=@ByteArray(\\0\\x1)\nat=@home\nmail=me@example.com\n");
    const QSettings read(QString::fromStdString(file), Kavrel::Util::CheckedSettingsFormat(QSettings::IniFormat));
    for (const char* key : {"found", "escaped", "quoted"})
        EXPECT_TRUE(read.value(QLatin1String(key)).toString().startsWith(QLatin1String("@Variant("))) << key;
    EXPECT_TRUE(read.value(QStringLiteral("list")).toStringList().value(1).startsWith(QLatin1String("@Variant(")));
    EXPECT_EQ(read.value(QStringLiteral("bytes")).toByteArray(), QByteArray("\0\x01", 2));
    EXPECT_EQ(read.value(QStringLiteral("at")).toString(), QStringLiteral("@home"));
    EXPECT_EQ(read.value(QStringLiteral("mail")).toString(), QStringLiteral("me@example.com"));
}

TEST_F(DamagedKeys, leaveNoCrashRecordToReportAgain)
{
    Kavrel::Test::WriteFile(Kavrel::App::CrashTracker::TrackerFilePath().toStdString(), "[l]\n/194303=true\n");
    Kavrel::App::CrashTracker().HasUnreportedCrash();
    EXPECT_FALSE(Kavrel::App::CrashTracker().HasUnreportedCrash());
}

} // namespace
