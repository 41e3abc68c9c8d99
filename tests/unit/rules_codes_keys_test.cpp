#include "rules_fixture.h"

namespace kerma::test {
namespace {

class CodesAndKeys : public RulesTest {
  protected:
    void SetUp() override { Variant(3); }

    void Key(int n, const std::string& text, std::initializer_list<int> partitions) {
        m.setText("Key" + std::to_string(n), text);
        for (int p : partitions) m.setChecked(KeyBoxName(n, p), true);
    }
    void Code(int n, const std::string& text, std::initializer_list<int> partitions) {
        m.setText("kod" + std::to_string(n), text);
        for (int p : partitions) m.setChecked(CodeBoxName(n, p), true);
    }
    bool AnyBox(std::string (*box)(int, int), int n) {
        for (int p = 1; p <= 16; ++p) {
            if (m.at(box(n, p)).checked) return true;
        }
        return false;
    }
};

TEST_F(CodesAndKeys, KeyCountShowsTheKeyPagesInUse) {
    struct Case {
        int count;
        bool middle, last;
    };
    for (Case c : {Case{40, true, false}, Case{64, true, false}, Case{65, true, true},
                   Case{32, false, false}, Case{0, false, false}}) {
        m.setPosition("KEY", c.count);
        EXPECT_EQ(editor.state().keyCount, c.count);
        EXPECT_TRUE(m.at("TM0132").visible);
        EXPECT_EQ(m.at("TM3264").visible, c.middle) << c.count;
        EXPECT_EQ(m.at("TM6496").visible, c.last) << c.count;
    }
}

TEST_F(CodesAndKeys, EntriesBeyondTheCountAreEmptiedAndLocked) {
    m.setPosition("KOD", 5);
    Code(4, "123", {1, 16});
    Code(5, "45", {2});
    m.setText("NumKodEdit", "4");
    EXPECT_EQ(editor.state().codeCount, 4);
    EXPECT_EQ(Text("kod4"), "123   ");
    EXPECT_TRUE(m.at("kod4").enabled);
    EXPECT_EQ(Text("kod5"), "      ");
    EXPECT_FALSE(m.at("kod5").enabled);
    EXPECT_FALSE(AnyBox(CodeBoxName, 5));
    EXPECT_FALSE(m.at(CodeBoxName(5, 2)).enabled);
    m.setPosition("KOD", 5);
    EXPECT_TRUE(m.at(CodeBoxName(5, 2)).enabled);
    EXPECT_TRUE(AnyBox(CodeBoxName, 4));
}

TEST_F(CodesAndKeys, ACountTypedBeyondItsRangeShowsTheCountInUseOnLeave) {
    m.setPosition("KOD", 6);
    Type("NumKodEdit", "40");
    EXPECT_EQ(editor.state().codeCount, 6);
    EXPECT_EQ(Text("NumKodEdit"), "6");
}

TEST_F(CodesAndKeys, ZeroIsRefusedInACode) {
    m.setPosition("KOD", 1);
    m.setText("kod1", "102");
    EXPECT_EQ(Shown(), std::vector<std::string>{"0 не допустим!"});
    EXPECT_EQ(Text("kod1"), "12    ");
}

TEST_F(CodesAndKeys, AKeyTakesHexDigitsInCapitals) {
    m.setPosition("KEY", 1);
    m.setText("Key1", "ab@g1f");
    EXPECT_EQ(Text("Key1"), "AB1F");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(CodesAndKeys, AShortKeyIsPaddedWithZerosOrTypedAgain) {
    m.setPosition("KEY", 2);
    Answer({false});
    Type("Key1", "12ABC");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Введен идентификатор малой длины|Ввести заново?"});
    EXPECT_EQ(Text("Key1"), "000000012ABC");
    Answer({true});
    Type("Key2", "1");
    EXPECT_EQ(Text("Key2"), "1");
    EXPECT_EQ(m.focus(), "Key2");
    prompts.shown.clear();
    Type("Key2", "0123456789AB");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(CodesAndKeys, ARepeatedKeyRemovedOrKeptLetsTheListPass) {
    m.setPosition("KEY", 8);
    Key(3, "0000000000A1", {1});
    Key(7, "0000000000A1", {2});
    Answer({true});
    EXPECT_TRUE(CheckKeys(editor));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Удалить?|Повторяющийся Идентификатор!"});
    EXPECT_EQ(Text("Key7"), "");
    EXPECT_FALSE(AnyBox(KeyBoxName, 7));

    Key(7, "0000000000A1", {2});
    Answer({false});
    EXPECT_TRUE(CheckKeys(editor));
    EXPECT_EQ(Text("Key7"), "0000000000A1");
}

// Each earlier equal entry is asked about on its own, also after the entry was removed.
TEST_F(CodesAndKeys, ARepeatIsAskedAboutOnceForEveryEarlierEqualEntry) {
    const std::string kKeyRepeat = "Удалить?|Повторяющийся Идентификатор!";
    m.setPosition("KEY", 3);
    for (int n = 1; n <= 3; ++n) Key(n, "00000000BEEF", {n});
    Answer({true, true, false});
    EXPECT_TRUE(CheckKeys(editor));
    EXPECT_EQ(Shown(), (std::vector<std::string>{kKeyRepeat, kKeyRepeat, kKeyRepeat}));
    EXPECT_EQ(Text("Key2"), "");
    EXPECT_EQ(Text("Key3"), "");

    const std::string kCodeRepeat = "Удалить?|Повторяющийся Код!";
    m.setPosition("KOD", 3);
    for (int n = 1; n <= 3; ++n) Code(n, "468", {n});
    prompts.shown.clear();
    Answer({false, false, true});
    EXPECT_FALSE(CheckCodes(editor));
    EXPECT_EQ(Shown(), (std::vector<std::string>{kCodeRepeat, kCodeRepeat, kCodeRepeat}));
    EXPECT_EQ(Text("kod2"), "468   ");
    EXPECT_EQ(Text("kod3"), "      ");
}

struct AuthorityCase {
    bool key;          // keys or codes
    const char* text;  // the entry
    bool authority;    // a box checked
    bool yes;          // the answer
    const char* caption;
    const char* textAfter;
    bool boxAfter;
};

class Authority : public CodesAndKeys, public ::testing::WithParamInterface<AuthorityCase> {};

TEST_P(Authority, AnEntryAndItsAuthoritiesMustAgree) {
    const AuthorityCase& c = GetParam();
    m.setPosition("KEY", 3);
    m.setPosition("KOD", 3);
    std::string field = (c.key ? "Key" : "kod") + std::string("2");
    auto box = c.key ? KeyBoxName : CodeBoxName;
    m.setText(field, c.text);
    if (c.authority) m.setChecked(box(2, 3), true);
    Answer({c.yes});
    EXPECT_FALSE(c.key ? CheckKeys(editor) : CheckCodes(editor));
    EXPECT_EQ(Shown(), std::vector<std::string>{std::string(c.caption) + "|Удалить?"});
    EXPECT_EQ(Text(field), c.textAfter);
    EXPECT_EQ(m.at(box(2, 3)).checked, c.boxAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Authority,
    ::testing::Values(
        AuthorityCase{true, "00000000ABCD", false, true, "Идентификатор без полномочий", "", false},
        AuthorityCase{true, "00000000ABCD", false, false, "Идентификатор без полномочий",
                      "00000000ABCD", false},
        AuthorityCase{true, "", true, true, "Полномочия установлены, а идентификатор не введен", "",
                      false},
        AuthorityCase{false, "123", false, true, "Код без полномочий", "      ", false},
        AuthorityCase{false, "", true, false, "Полномочия установлены, а код не введен", "      ",
                      true},
        AuthorityCase{false, "", true, true, "Полномочия установлены, а код не введен", "      ",
                      false}),
    [](const auto& info) {
        const AuthorityCase& c = info.param;
        return std::string(c.key ? "Key" : "Code") + (*c.text ? "Entered" : "Empty") +
               (c.authority ? "WithAuthority" : "WithoutAuthority") + (c.yes ? "Yes" : "No");
    });

TEST_F(CodesAndKeys, TheKeyCheckStopsAtTheFirstDisagreement) {
    m.setPosition("KEY", 3);
    Key(1, "000000000001", {});
    Key(2, "000000000002", {});
    EXPECT_FALSE(CheckKeys(editor));
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(CodesAndKeys, TheCodeCheckWalksToTheEnd) {
    m.setPosition("KOD", 6);
    Code(1, "11", {});
    Code(2, "12", {1});
    Code(5, "12", {4});
    Code(6, "", {9});
    Answer({false, true, false});
    EXPECT_FALSE(CheckCodes(editor));
    EXPECT_EQ(Shown(), (std::vector<std::string>{
                           "Код без полномочий|Удалить?", "Удалить?|Повторяющийся Код!",
                           "Полномочия установлены, а код не введен|Удалить?"}));
    EXPECT_EQ(Text("kod5"), "      ");
    EXPECT_FALSE(AnyBox(CodeBoxName, 5));
}

TEST_F(CodesAndKeys, RepeatedCodesKeptWithAuthoritiesPass) {
    m.setPosition("KOD", 5);
    Code(2, "4455", {1});
    Code(5, "4455", {2});
    Answer({false});
    EXPECT_TRUE(CheckCodes(editor));
    Answer({true});
    EXPECT_FALSE(CheckCodes(editor));
    EXPECT_EQ(Text("kod5"), "      ");
}

TEST_F(CodesAndKeys, PruningEmptiesRepeatsAndTrimsTheCount) {
    Variant(5);
    m.setPosition("KOD", 6);
    Code(1, "777", {});
    Code(2, "777", {});
    Code(3, "31", {});
    Code(4, "777", {});
    m.setActivePage("PageControl", "TabSheetName");
    PruneCodes(editor);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Поторяющийся Код в позиции №2 будет удален!",
                                                 "Поторяющийся Код в позиции №4 будет удален!"}));
    EXPECT_EQ(Text("kod1"), "777   ");
    EXPECT_EQ(Text("kod2"), "      ");
    EXPECT_EQ(Text("kod4"), "      ");
    EXPECT_EQ(editor.state().codeCount, 3);
    EXPECT_EQ(Text("NumKodEdit"), "3");
    EXPECT_FALSE(m.at("kod4").enabled);
    EXPECT_EQ(Page(), "TabSheetRazdel");
}

}  // namespace
}  // namespace kerma::test
