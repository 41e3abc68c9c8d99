#include "rules_fixture.h"

namespace kerma::test {
namespace {

const std::string kRepeat = "Повтор номера объекта в РПД №";
const std::string kRange =
    "Недопустимое значение! Номер объекта должен быть в интервале от 0 до 999";

class ObjectRules : public RulesTest {
  protected:
    void SetUp() override {
        Variant(5);
        for (int r = 1; r <= 4; ++r) {
            for (int t = 1; t <= 24; ++t) {
                for (int s = 1; s <= 8; ++s) m.setText(ObjectName(r, t, s), "0");
            }
        }
    }
    // Loop s of row t of receiver r, as the tags count them.
    static int Loop(int r, int t, int s) { return (r - 1) * 192 + (t - 1) * 8 + (s - 1); }
};

TEST_F(ObjectRules, AnObjectBelongsToOneTransmitter) {
    Type(ObjectName(1, 1, 1), "7");
    m.setText(ObjectName(1, 2, 1), "3");
    Type(ObjectName(1, 2, 1), "7");
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "1"});
    EXPECT_EQ(Text(ObjectName(1, 2, 1)), "3  ");
    EXPECT_EQ(image.objectAssignments[Loop(1, 2, 1)], 3);
    EXPECT_EQ(m.focus(), ObjectName(1, 2, 1));
    EXPECT_EQ(Page(), "TabSheetName");
    EXPECT_EQ(m.activePage("PageControlRPY4"), "TabSheet_QN_RPY1");
}

TEST_F(ObjectRules, TheRepeatNamesTransmittersAcrossReceivers) {
    Type(ObjectName(2, 1, 4), "9");  // transmitter 25
    Type(ObjectName(3, 3, 1), "9");  // transmitter 51
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "25"});
    EXPECT_EQ(Text(ObjectName(3, 3, 1)), "0  ");
    EXPECT_EQ(m.activePage("PageControlRPY4"), "TabSheet_QN_RPY3");
}

TEST_F(ObjectRules, LoopsOfOneTransmitterMayShareAnObject) {
    Type(ObjectName(1, 1, 1), "7");
    Type(ObjectName(1, 1, 2), "7");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(image.objectAssignments[Loop(1, 1, 2)], 7);
}

TEST_F(ObjectRules, TheNextLoopOfTheSameTransmitterIsOfferedTheNumberJustEntered) {
    m.moveFocus(ObjectName(1, 4, 1));
    m.setText(ObjectName(1, 4, 1), "12");
    m.moveFocus(ObjectName(1, 4, 2));
    EXPECT_EQ(Text(ObjectName(1, 4, 2)), "12 ");
    m.moveFocus(ObjectName(1, 5, 1));  // another transmitter: nothing carried
    EXPECT_EQ(Text(ObjectName(1, 5, 1)), "0  ");
    EXPECT_EQ(rules->lastObjectValue, 12);
    EXPECT_EQ(rules->lastObjectTag, Loop(1, 4, 2));
    EXPECT_EQ(image.qnDetectorBlock[3], 0b11);
}

TEST_F(ObjectRules, ALoopLeftWithItsNumberIsNotMarkedChanged) {
    m.setText(ObjectName(1, 6, 3), "40");
    Type(ObjectName(1, 6, 3), "40");
    EXPECT_EQ(image.qnDetectorBlock[5], 0);
    Type(ObjectName(1, 6, 3), "41");
    EXPECT_EQ(image.qnDetectorBlock[5], 1 << 2);
}

TEST_F(ObjectRules, AnEmptyFieldBecomesZeroInTheFieldAndInTheAssignments) {
    Type(ObjectName(4, 24, 8), "5");
    m.setText(ObjectName(4, 24, 8), "");
    Type(ObjectName(1, 1, 1), "2");
    EXPECT_EQ(Shown(), std::vector<std::string>{kRange});
    EXPECT_EQ(Text(ObjectName(4, 24, 8)), "0  ");
    EXPECT_EQ(m.focus(), ObjectName(4, 24, 8));
    EXPECT_EQ(m.activePage("PageControlRPY4"), "TabSheet_QN_RPY4");
    EXPECT_EQ(image.objectAssignments[Loop(4, 24, 8)], 0);
}

TEST_F(ObjectRules, ARepeatBetweenOtherFieldsDoesNotUndoTheNumberJustEntered) {
    m.setText(ObjectName(1, 10, 1), "30");
    m.setText(ObjectName(1, 11, 1), "30");  // a repeat the panel came with
    Type(ObjectName(1, 1, 1), "8");
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "11"});
    EXPECT_EQ(Text(ObjectName(1, 1, 1)), "8  ");
    EXPECT_EQ(image.objectAssignments[Loop(1, 1, 1)], 8);
}

TEST_F(ObjectRules, ARepeatEnteredIntoAnEmptyFieldBecomesZeroNotAStaleNumber) {
    Type(ObjectName(1, 1, 1), "7");
    m.setText(ObjectName(1, 2, 1), "");
    Type(ObjectName(1, 2, 1), "7");
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "1"});
    EXPECT_EQ(Text(ObjectName(1, 2, 1)), "0  ");
    EXPECT_EQ(image.objectAssignments[Loop(1, 2, 1)], 0);
}

// The field gets back what it held on entry, even when another transmitter holds that number
// too: nothing the user had is lost, and that older repeat is reported as well.
TEST_F(ObjectRules, ARepeatGivesBackTheEntryValueEvenWhenItIsRepeatedItself) {
    m.setText(ObjectName(1, 1, 1), "8");
    m.setText(ObjectName(1, 10, 1), "30");
    m.setText(ObjectName(1, 11, 1), "30");
    Type(ObjectName(1, 11, 1), "8");
    EXPECT_EQ(Shown(), (std::vector<std::string>{kRepeat + "1", kRepeat + "10"}));
    EXPECT_EQ(Text(ObjectName(1, 11, 1)), "30 ");
    EXPECT_EQ(image.objectAssignments[Loop(1, 11, 1)], 30);
    EXPECT_EQ(image.qnDetectorBlock[10], 0);
}

// One run names each transmitter once, however many loops repeat, and one empty-field notice
// covers every empty field.
TEST_F(ObjectRules, ARunShowsEachNoticeOnce) {
    for (int s = 1; s <= 8; ++s) {
        m.setText(ObjectName(1, 5, s), "44");
        m.setText(ObjectName(1, 6, s), "44");
        m.setText(ObjectName(2, 1, s), "");
    }
    Type(ObjectName(1, 1, 1), "3");
    EXPECT_EQ(Shown(), (std::vector<std::string>{kRange, kRepeat + "6"}));
    for (int s = 1; s <= 8; ++s) EXPECT_EQ(Text(ObjectName(2, 1, s)), "0  ");
}

TEST_F(ObjectRules, TheOneReceiverQnPanelScansItsOwnReceiverOnly) {
    Variant(2);
    m.setText(ObjectName(2, 1, 1), "");
    Type(ObjectName(1, 1, 1), "4");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(image.objectAssignments[Loop(1, 1, 1)], 4);
}

}  // namespace
}  // namespace kerma::test
