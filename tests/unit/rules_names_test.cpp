#include "rules_fixture.h"
#include "variant_layout.h"

namespace kerma::test {
namespace {

using NameRules = RulesTest;

TEST_F(NameRules, TheOwnNameEditComesWithTheLastItemAndKeepsItsText) {
    EXPECT_FALSE(m.at("OwnName5").visible);
    m.selectItem("NameRzd5", kOwnNameItem);
    EXPECT_TRUE(m.at("OwnName5").visible);
    EXPECT_TRUE(m.at("LabelSimb5").visible);
    EXPECT_FALSE(m.at("OwnName4").visible);
    m.setText("OwnName5", "склад 7");
    m.selectItem("NameRzd5", 27);
    EXPECT_FALSE(m.at("OwnName5").visible);
    EXPECT_FALSE(m.at("LabelSimb5").visible);
    m.selectItem("NameRzd5", kOwnNameItem);
    EXPECT_EQ(Text("OwnName5"), "склад 7");
}

TEST_F(NameRules, AnOwnNameIsCutToEightCharacters) {
    Type("OwnName2", "кладовка1");
    EXPECT_EQ(Shown(), std::vector<std::string>{
                           "Внимание, название превышающее 8 символов будет сокращена до 8!!!"});
    EXPECT_EQ(Text("OwnName2"), "кладовка");
    EXPECT_EQ(m.focus(), "OwnName2");
    prompts.shown.clear();
    Type("OwnName2", "12345678");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Text("OwnName2"), "12345678");
}

TEST_F(NameRules, ARowResetTouchesItsEightFieldsOnly) {
    Variant(5);
    for (int r = 1; r <= 4; ++r) {
        for (int t = 1; t <= 24; ++t) {
            for (int s = 1; s <= 8; ++s) m.setText(ObjectName(r, t, s), "5");
        }
    }
    rules->lastObjectValue = 44;
    image.objectAssignments[192 + 5 * 8 + 2] = 31;
    m.click("ButtonRPY2RPD6");  // the row "РПД 30:"
    for (int r = 1; r <= 4; ++r) {
        for (int t = 1; t <= 24; ++t) {
            for (int s = 1; s <= 8; ++s) {
                std::string field = ObjectName(r, t, s);
                EXPECT_EQ(Text(field), r == 2 && t == 6 ? "0  " : "5  ") << field;
            }
        }
    }
    EXPECT_EQ(rules->lastObjectValue, 0);
    // A write right after the reset sends what the page shows, marked as changed.
    EXPECT_EQ(image.objectAssignments[192 + 5 * 8 + 2], 0);
    EXPECT_EQ(image.qnDetectorBlock[24 + 5], 1 << 2);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(NameRules, TheGeneralResetClearsHiddenReceiversToo) {
    Variant(2);
    ApplyVariantLayout(editor, 2, 0, false);
    ASSERT_FALSE(m.at("TabSheet_QN_RPY4").visible);
    m.setText("Object324R4", "17");
    image.objectAssignments.fill(3);
    m.click("BitBtn2");
    for (int r = 1; r <= 4; ++r) {
        for (int t = 1; t <= 24; ++t) {
            for (int s = 1; s <= 8; ++s) ASSERT_EQ(Text(ObjectName(r, t, s)), "0  ");
        }
    }
    for (int block : image.qnDetectorBlock) EXPECT_EQ(block, 255);
    for (int object : image.objectAssignments) EXPECT_EQ(object, 0);
    EXPECT_TRUE(Shown().empty());
}

}  // namespace
}  // namespace kerma::test
