// Inputs from outside that the fuzz targets (fuzz/) found mishandled, kept
// as cases of the normal suite. See docs/reliability.md.
#include "TestEnvironment.h"

#include <Kavrel/App/Application/CodecPolicyController.h>
#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Media/CodecsMap.h>

#include <QSettings>

namespace
{
using Strings = std::vector<std::string>;

// fuzz/codec_policy.cpp: a stored list with a separator at an end gave the
// policy an entry without a name.
struct StoredList
{
    const char* text;
    Strings entries;
};

class CodecListsFromTheStore : public ::testing::TestWithParam<StoredList>
{
};

TEST_P(CodecListsFromTheStore, giveNoEntryWithoutAName)
{
    const std::string codec = Kavrel::Conf::GetFFCodecsMap().begin()->second;
    Kavrel::App::SettingsManager store(
        QString::fromStdString(Kavrel::Test::IsolatedRoot() + "/codecs.ini"), QSettings::IniFormat);
    const std::string prefix = Kavrel::App::CodecPolicyController::PREFIX_DECODER;
    store.SetString(prefix + "Order/" + codec, GetParam().text);
    store.SetString(prefix + "Disabled/" + codec, GetParam().text);
    const auto policy = Kavrel::Proc::CreatePolicy();
    Kavrel::App::CodecPolicyController::LoadFromSettings(policy, prefix, store);
    EXPECT_EQ(policy->GetOrder(codec), GetParam().entries);
    EXPECT_EQ(policy->GetDisabled(codec), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Fuzzing, CodecListsFromTheStore,
                         ::testing::Values(StoredList{" a b", {"a", "b"}}, StoredList{"a b ", {"a", "b"}},
                                           StoredList{",a, ,b,", {"a", "b"}}, StoredList{" , ", {}}));

} // namespace
