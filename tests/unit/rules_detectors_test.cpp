#include "rules_fixture.h"

namespace kerma::test {
namespace {

const std::string kBorderWarning =
    "Внимание! При смене границ номеров разделов РПУ проверьте привязки извещателей к разделам "
    "для соответствующего РПУ!";
const std::string kRepeat =
    "Повтор системного номера РПДИ! Аналогичный номер есть на вкладке РПУ №";
const std::string kNumberRange =
    "Недопустимое значение! Системный номер РПДИ должен быть в интервале от 1 до 192 или 0";

std::string BindingNotice(int first, int last) {
    return "Недопустимое значение! Номер раздела должен быть в интервале от " +
           std::to_string(first) + " до " + std::to_string(last) + " или 0";
}

class Bindings : public RulesTest {
  protected:
    void SetUp() override { Variant(3); }
};

TEST_F(Bindings, AValueOutsideTheReceiversBordersIsReportedAndZeroed) {
    struct Case {
        const char* typed;
        bool rejected;
    };
    for (Case c : {Case{"9", true}, Case{"4", true}, Case{"0", false}, Case{"7", false},
                   Case{" 5", false}, Case{"8", false}}) {
        prompts.shown.clear();
        Type("RPD21", c.typed);
        if (c.rejected) {
            EXPECT_EQ(Shown(), std::vector<std::string>{BindingNotice(5, 8)}) << c.typed;
            EXPECT_EQ(Text("RPD21"), "0 ");
            EXPECT_EQ(m.focus(), "RPD21");
        } else {
            EXPECT_TRUE(Shown().empty()) << c.typed;
        }
    }
}

TEST_F(Bindings, LeavingOneFieldReportsEveryInvalidFieldOfItsReceiverInOnePass) {
    m.setText("RPD23", "12");
    m.setText("RPD25", "  ");
    m.setText("RPD31", "99");  // another receiver: not this pass
    Type("RPD21", "6");
    EXPECT_EQ(Shown(), (std::vector<std::string>{BindingNotice(5, 8), BindingNotice(5, 8)}));
    EXPECT_EQ(Text("RPD23"), "0 ");
    EXPECT_EQ(Text("RPD25"), "0 ");
    EXPECT_EQ(Text("RPD21"), "6 ");
    EXPECT_EQ(Text("RPD31"), "99");
    EXPECT_EQ(m.focus(), "RPD25");
}

TEST_F(Bindings, TheOneReceiverPanelTakesEveryPartition) {
    Variant(1);
    Type("RPD13", "17");
    EXPECT_EQ(Shown(),
              std::vector<std::string>{
                  "Недопустимое значение! Номер раздела должен быть в интервале от 0 до 16"});
    EXPECT_EQ(Text("RPD13"), "0 ");
    prompts.shown.clear();
    Type("RPD13", "16");
    Type("RPD14", "1");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(Bindings, TheFirstReceiverOfTheQnPanelIsNotChecked) {
    Variant(5);
    Type("RPD11", "77");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Text("RPD11"), "77");
}

struct BorderCase {
    std::vector<std::pair<int, int>> before;  // list n, item
    int changed;
    int chosen;
    int result;  // item index after the rule
};

class BorderRule : public RulesTest, public ::testing::WithParamInterface<BorderCase> {};

TEST_P(BorderRule, OnlyTheChangedListMovesAndStaysInTheList) {
    const BorderCase& c = GetParam();
    for (auto [n, item] : c.before) m.setItemIndex("Border" + std::to_string(n), item);
    m.selectItem("Border" + std::to_string(c.changed), c.chosen);
    EXPECT_EQ(m.at("Border" + std::to_string(c.changed)).itemIndex, c.result);
    EXPECT_EQ(Shown(), std::vector<std::string>{kBorderWarning});
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BorderRule,
    ::testing::Values(
        // Borders are partition numbers minus one; receiver 2 between 4 and 8.
        BorderCase{{{2, 3}, {4, 7}}, 3, 2, 4}, BorderCase{{{2, 3}, {4, 7}}, 3, 9, 7},
        BorderCase{{{2, 3}, {4, 7}}, 3, 5, 5}, BorderCase{{}, 1, 6, 3}, BorderCase{{}, 1, 2, 2},
        BorderCase{{}, 8, 3, 12}, BorderCase{{}, 4, 2, 4}, BorderCase{{}, 4, 10, 7},
        BorderCase{{}, 6, 12, 11},
        // Computed positions outside the list are clamped, never "no selection".
        BorderCase{{{2, 15}, {4, 15}}, 3, 10, 15}, BorderCase{{{1, 0}, {3, 0}}, 2, 5, 0}),
    [](const auto& info) {
        return "Border" + std::to_string(info.param.changed) + "Item" +
               std::to_string(info.param.chosen);
    });

TEST_F(Bindings, BindingsAreCheckedAgainstTheBordersOfTheMoment) {
    m.selectItem("Border4", 5);  // receiver 2 now 5..6
    prompts.shown.clear();
    m.setText("RPD22", "8");
    Type("RPD21", "5");
    EXPECT_EQ(Shown(), std::vector<std::string>{BindingNotice(5, 6)});
    EXPECT_EQ(Text("RPD22"), "0 ");
}

// Above the last and below the first are two findings: with crossed borders a value is both.
TEST_F(Bindings, CrossedBordersReportAValueTwice) {
    m.setItemIndex("Border3", 8);  // receiver 2: 9 .. 5
    m.setItemIndex("Border4", 4);
    Type("RPD21", "7");
    EXPECT_EQ(Shown(), (std::vector<std::string>{BindingNotice(9, 5), BindingNotice(9, 5)}));
    EXPECT_EQ(Text("RPD21"), "0 ");
    EXPECT_EQ(Text("RPD22"), "0 ");
}

class SystemNumbers : public RulesTest {
  protected:
    void SetUp() override { Variant(3); }
};

TEST_F(SystemNumbers, OnLeaveTheEditedFieldKeepsItsNumber) {
    m.setText("RPDI13", "5");
    Type("RPDI21", "5");
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "1. Он будет занулен."});
    EXPECT_EQ(Text("RPDI13"), "0  ");
    EXPECT_EQ(Text("RPDI21"), "5  ");
    EXPECT_EQ(Page(), "TabSheetSysNum");
    EXPECT_EQ(m.activePage("PageControl2"), "TabSheet3");
    EXPECT_EQ(m.focus(), "RPDI13");
    EXPECT_EQ(image.rpdiNumbers[2], 0);
    EXPECT_EQ(image.rpdiNumbers[48], 5);
}

TEST_F(SystemNumbers, BeforeAWriteTheLaterOfTwoFieldsLosesItsNumber) {
    m.setText("RPDI15", "77");
    m.setText("RPDI310", " 77");
    EXPECT_TRUE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{kRepeat + "3. Он будет занулен."});
    EXPECT_EQ(Text("RPDI15"), "77 ");
    EXPECT_EQ(Text("RPDI310"), "0  ");
    EXPECT_EQ(m.activePage("PageControl2"), "TabSheet5");
    EXPECT_EQ(image.rpdiNumbers[4], 77);
    EXPECT_EQ(image.rpdiNumbers[2 * 48 + 9], 0);
}

TEST_F(SystemNumbers, ANumberAbove192IsRejectedWhereItWasEntered) {
    Type("RPDI248", "200");
    EXPECT_EQ(Shown(), std::vector<std::string>{kNumberRange});
    EXPECT_EQ(Page(), "TabSheetSysNum");
    EXPECT_EQ(m.activePage("PageControl2"), "TabSheet4");
    EXPECT_EQ(Text("RPDI248"), "0  ");
    EXPECT_EQ(m.focus(), "RPDI248");
}

TEST_F(SystemNumbers, NoNumberAbove192IsEncodedEvenInAFieldNotLeft) {
    m.setText("RPDI330", "250");
    m.setText("RPDI17", "1 5");  // the first run of digits counts: 1
    m.setText("RPDI18", "");
    Type("RPDI11", "3");
    EXPECT_TRUE(Shown().empty());
    EXPECT_TRUE(ChecksBeforeSave(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{kNumberRange});
    EXPECT_EQ(Text("RPDI330"), "0  ");
    EXPECT_EQ(Text("RPDI18"), "0  ");
    EXPECT_EQ(m.activePage("PageControl2"), "TabSheet5");
    EXPECT_EQ(image.rpdiNumbers[0], 3);
    EXPECT_EQ(image.rpdiNumbers[6], 1);
    EXPECT_EQ(image.rpdiNumbers[2 * 48 + 29], 0);
}

TEST_F(SystemNumbers, TheCheckAfterDefaultsRefreshesTheNumbers) {
    image.rpdiNumbers.fill(9);
    m.setText("RPDI42", "192");
    CheckSystemNumbersBeforeEncoding(editor, image);
    EXPECT_EQ(image.rpdiNumbers[3 * 48 + 1], 192);
    EXPECT_EQ(image.rpdiNumbers[0], 0);
}

}  // namespace
}  // namespace kerma::test
