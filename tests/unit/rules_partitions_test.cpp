#include "param_names.h"
#include "rules_fixture.h"

namespace kerma::test {
namespace {

using PartitionRules = RulesTest;

TEST_F(PartitionRules, FireClearsAndLocksItsOwnColumnAndKeepsTheFlagsOfTheOthers) {
    m.click("krs1");
    m.click("tix5");
    m.click("krs3");
    m.click("ds03");
    EXPECT_FALSE(m.at("krs3").checked);
    EXPECT_FALSE(m.at("krs3").enabled);
    EXPECT_FALSE(m.at("tix3").enabled);
    // Losing other partitions' 24-hour and silent flags on a click elsewhere was the fault.
    EXPECT_TRUE(m.at("krs1").checked);
    EXPECT_TRUE(m.at("tix5").checked);
    EXPECT_TRUE(m.at("krs1").enabled);

    m.click("ds13");
    EXPECT_TRUE(m.at("krs3").enabled);
    EXPECT_TRUE(m.at("tix3").enabled);
    EXPECT_FALSE(m.at("krs3").checked);
}

TEST_F(PartitionRules, TypesSetByAProgramLockEveryFireColumn) {
    m.setChecked("ds07", true);
    m.setChecked("ds016", true);
    for (int p = 1; p <= 16; ++p) {
        bool fire = p == 7 || p == 16;
        EXPECT_EQ(m.at("krs" + std::to_string(p)).enabled, !fire) << p;
        EXPECT_EQ(m.at("tix" + std::to_string(p)).enabled, !fire) << p;
    }
}

struct DurationCase {
    const char* edit;
    const char* upDown;
    const char* typed;
    std::vector<std::string> shown;
    const char* text;  // after the rule
    int position;
};

class DurationRange : public RulesTest, public ::testing::WithParamInterface<DurationCase> {};

TEST_P(DurationRange, OutOfRangeBecomesOneWithTheRangeMessage) {
    const DurationCase& c = GetParam();
    m.setPosition(c.upDown, 17);
    prompts.shown.clear();
    m.setText(c.edit, c.typed);
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(Text(c.edit), c.text);
    EXPECT_EQ(m.at(c.upDown).position, c.position);
}

const std::string kRange = "Диапазон возможных значений от 0 до 254";

INSTANTIATE_TEST_SUITE_P(
    Fields, DurationRange,
    ::testing::Values(
        DurationCase{"DelayEdit", "Delay", "255", {kRange}, "1", 1},
        DurationCase{"DelayEdit", "Delay", "254", {}, "254", 254},
        DurationCase{"DelayEditVxod", "DelayVxod", "0", {}, "0", 0},
        DurationCase{"EditTimesound", "Timesound", "-3", {kRange}, "1", 1},
        DurationCase{"EditTimeLCD", "TimeLCD", "1000", {kRange}, "1", 1},
        DurationCase{"EditSoundExt", "TimesoundExt", "", {}, "", 17},
        DurationCase{"SoundEdit", "SoundUpDown", "99", {}, "99", 99},
        DurationCase{"LCDEdit", "LCDUpDown", "x5", {"'x5' не является целым числом"}, "x5", 17}),
    [](const auto& info) {
        return std::string(info.param.edit) + "_" + testing::ParamName(info.param.typed);
    });

TEST_F(PartitionRules, ALeftEmptyOrUnreadableDurationShowsTheValueInUseAgain) {
    m.setPosition("Delay", 45);
    Type("DelayEdit", "");
    EXPECT_EQ(Text("DelayEdit"), "45");
    Type("DelayEdit", "4a");
    EXPECT_EQ(Text("DelayEdit"), "45");
    EXPECT_EQ(m.at("Delay").position, 45);
}

TEST_F(PartitionRules, DurationEditsFollowTheirModes) {
    struct Step {
        const char* radio;
        const char* edit;
        bool enabled;
    };
    const Step steps[] = {
        {"Keysound3", "EditTimesound", false}, {"keysound2", "EditTimesound", true},
        {"Keysound3", "EditTimesound", false}, {"Keysound1", "EditTimesound", true},
        {"LCD_key2", "EditTimeLCD", true},     {"LCD_key3", "EditTimeLCD", false},
        {"LCD_key1", "EditTimeLCD", false},    {"SoundButton3", "SoundEdit", false},
        {"SoundButton2", "SoundEdit", true},   {"LCDButton1", "LCDEdit", true},
        {"LCDButton3", "LCDEdit", false},      {"LCDButton2", "LCDEdit", true},
    };
    for (const Step& step : steps) {
        m.click(step.radio);
        EXPECT_EQ(m.at(step.edit).enabled, step.enabled) << step.radio;
    }
    EXPECT_TRUE(m.at("Timesound").enabled);
}

}  // namespace
}  // namespace kerma::test
