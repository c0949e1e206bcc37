#include "TestApp.h"

#include <Kavrel/App/Application/CodecPolicyController.h>
#include <Kavrel/Media/CodecsMap.h>

#include <set>

using Kavrel::App::CodecPolicyController;
using Strings = std::vector<std::string>;

namespace
{
class CodecPolicy : public ::testing::Test
{
protected:
    CodecPolicy() : store(folder.filePath(QStringLiteral("codecs.ini")), QSettings::IniFormat)
    {
        store.RegisterObserver(&observer);
    }
    ~CodecPolicy() override { store.UnregisterObserver(&observer); }

    // Two real codec names, the first and the last in the table's order.
    static std::string First() { return Kavrel::Conf::GetFFCodecsMap().begin()->second; }
    static std::string Last() { return Kavrel::Conf::GetFFCodecsMap().rbegin()->second; }

    QTemporaryDir folder;
    Kavrel::App::SettingsManager store;
    Strings changes;
    Kavrel::Test::SettingsRecorder observer{"", changes};
    Kavrel::Proc::PolicyPtr policy = Kavrel::Proc::CreatePolicy();
};

TEST_F(CodecPolicy, savingWritesOnlyWhatChanged)
{
    policy->SetOrder(First(), {"a", "b"});
    CodecPolicyController::SaveToSettings(policy, CodecPolicyController::PREFIX_DECODER, store);
    EXPECT_EQ(changes, Strings{"String Decoders/Order/" + First() + "=a b"});

    changes.clear();
    CodecPolicyController::SaveToSettings(policy, CodecPolicyController::PREFIX_DECODER, store);
    EXPECT_TRUE(changes.empty());

    // A list that became empty is written empty; the others follow in order.
    policy->SetOrder(First(), {});
    policy->SetDisabled(Last(), "x", true);
    policy->SetDisabled(Last(), "y", true);
    policy->SetExclusive(Last(), "z", true);
    CodecPolicyController::SaveToSettings(policy, CodecPolicyController::PREFIX_DECODER, store);
    EXPECT_EQ(changes, (Strings{"String Decoders/Order/" + First() + "= was a b",
                                "String Decoders/Disabled/" + Last() + "=x y",
                                "String Decoders/Exclusive/" + Last() + "=z"}));
}

TEST_F(CodecPolicy, loadingSplitsAtCommasAndSpacesAndNeverUndoes)
{
    const std::string prefix = CodecPolicyController::PREFIX_ENCODER;
    store.SetString(prefix + "Order/" + First(), "a, b,c");
    store.SetString(prefix + "Disabled/" + First(), ",x  y");
    store.SetString(prefix + "Exclusive/" + First(), "e f");
    // What the store does not mention keeps the policy's own choice.
    policy->SetOrder(Last(), {"kept"});
    policy->SetDisabled(Last(), "off", true);
    policy->SetExclusive(Last(), "only", true);
    policy->SetDisabled(First(), "before", true);

    CodecPolicyController::LoadFromSettings(policy, prefix, store);
    EXPECT_EQ(policy->GetOrder(First()), (Strings{"a", "b", "c"}));
    EXPECT_EQ(policy->GetDisabled(First()), (Strings{"before", "", "x", "y"})); // a leading separator: ""
    EXPECT_EQ(policy->GetExclusive(First()), "e f");
    EXPECT_EQ(policy->GetOrder(Last()), Strings{"kept"});
    EXPECT_EQ(policy->GetDisabled(Last()), Strings{"off"});
    EXPECT_EQ(policy->GetExclusive(Last()), "only");

    // Saved under one prefix, loaded under the other: nothing crosses.
    auto other = Kavrel::Proc::CreatePolicy();
    CodecPolicyController::LoadFromSettings(other, CodecPolicyController::PREFIX_DECODER, store);
    EXPECT_TRUE(other->GetOrder(First()).empty());
}

TEST(CodecsMap, namesEveryCodecOnceInIdOrder)
{
    const auto& codecs = Kavrel::Conf::GetFFCodecsMap();
    std::set<std::string> names;
    for (const auto& [id, name] : codecs)
        EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_GT(codecs.size(), 100u);
    for (const char* known : {"h264", "aac", "mp3", "vp9", "flac"})
        EXPECT_TRUE(names.count(known)) << known;
    EXPECT_LT(codecs.begin()->first, codecs.rbegin()->first);
    EXPECT_EQ(codecs.at(AV_CODEC_ID_H264), "h264");
}
} // namespace
