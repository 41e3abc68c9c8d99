#include "rules_fixture.h"

namespace kerma::test {
namespace {

const std::string kEngineer =
    "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!";

class WriteAndSave : public RulesTest {};

// The panel was left with new codes and old settings when the settings block failed to build.
TEST_F(WriteAndSave, AShortEngineerPasswordRefusesBeforeAnythingIsBuilt) {
    struct Case {
        int variant;
        const char* field;
    };
    // The one-receiver QN panel shows PanelQN over PasswordEdit: the cursor goes where the user
    // can type.
    for (Case c : {Case{1, "PasswordEdit"}, Case{2, "paswrd1"}, Case{3, "PasswordEdit"},
                   Case{5, "paswrd1"}}) {
        for (bool write : {true, false}) {
            Variant(c.variant);
            m.setPosition("KOD", 1);
            m.setText("kod1", "5");  // a code without authority: not even asked about
            m.setText(c.field, "123");
            m.setActivePage("PageControl", "TabSheetKod");
            m.setFocus("avt1");
            prompts.shown.clear();
            bool go = write ? ChecksBeforeWrite(editor, image) : ChecksBeforeSave(editor, image);
            EXPECT_FALSE(go) << c.variant;
            EXPECT_EQ(Shown(), std::vector<std::string>{kEngineer}) << c.variant;
            EXPECT_EQ(m.focus(), c.field);
            EXPECT_EQ(Page(), "TabSheetRazdel");
        }
    }
}

TEST_F(WriteAndSave, TheListChecksRunOnlyBeforeAWrite) {
    Variant(1);
    m.setPosition("KOD", 2);
    m.setText("kod2", "77");
    EXPECT_TRUE(ChecksBeforeSave(editor, image));
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Код без полномочий|Удалить?"});
}

TEST_F(WriteAndSave, ARefusedKeyListStopsBeforeTheCodes) {
    Variant(3);
    m.setPosition("KEY", 1);
    m.setText("Key1", "00000000000F");
    m.setPosition("KOD", 1);
    m.setText("kod1", "77");
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Идентификатор без полномочий|Удалить?"});
}

// A short key was asked about when its field was left; the write goes on and sends it with
// leading zeros, as the "No" answer would have made it.
TEST_F(WriteAndSave, AShortKeyIsNotAskedAboutAgainBeforeAWrite) {
    Variant(3);
    m.setPosition("KEY", 40);
    m.setText("Key35", "ABC");
    m.setChecked(KeyBoxName(35, 1), true);
    EXPECT_TRUE(ChecksBeforeWrite(editor, image));
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Text("Key35"), "ABC");
}

const std::string kOutsideHead =
    "Номера разделов в привязках извещателей выходят за границы разделов своего РПУ:";
const std::string kOutsideTail =
    "\n\nКонфигурация не записана. Исправьте привязки или границы номеров разделов РПУ.";

// One message names every binding outside its receiver's borders; no binding is changed, so
// the user can choose between the binding and the borders.
TEST_F(WriteAndSave, BindingsOutsideTheBordersAreNamedInOneMessageAndKept) {
    Variant(3);
    const char* outside[] = {"RPD32", "RPD33", "RPD34", "RPD39", "RPD448"};
    for (const char* field : outside) m.setText(field, "10");
    m.setItemIndex("Border6", 8);  // receiver 3 now 9..9
    m.setText("RPD21", "  ");      // goes out as 0: not named
    m.setActivePage("PageControl", "TabSheetRazdel");
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{kOutsideHead +
                                                "\nРПУ №3 (разделы 9-9): РПДИ 2-4, 9"
                                                "\nРПУ №4 (разделы 13-16): РПДИ 48" +
                                                kOutsideTail});
    for (const char* field : outside) EXPECT_EQ(Text(field), "10") << field;
    EXPECT_EQ(Text("RPD21"), "  ");
    EXPECT_EQ(m.focus(), "RPD32");
    EXPECT_EQ(Page(), "TabSheetPriv");
    EXPECT_EQ(m.activePage("PageControlRPU"), "RPU3");

    m.setItemIndex("Border6", 9);
    m.setText("RPD448", "0");
    prompts.shown.clear();
    EXPECT_TRUE(ChecksBeforeWrite(editor, image));
    EXPECT_TRUE(Shown().empty());
}

// The four-receiver factory lists leave the borders unselected: one message, not one per
// detector, and every binding stays.
TEST_F(WriteAndSave, UnselectedBordersGiveOneMessageAndKeepEveryBinding) {
    Variant(3);
    for (int r = 1; r <= 4; ++r) {
        m.setItemIndex("Border" + std::to_string(2 * r - 1), -1);
        m.setItemIndex("Border" + std::to_string(2 * r), -1);
        for (int d = 1; d <= 48; ++d) m.setText(BindingName(r, d), std::to_string(r * 4));
    }
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    std::string lines;
    for (int r = 1; r <= 4; ++r) {
        lines += "\nРПУ №" + std::to_string(r) + " (границы не выбраны): РПДИ 1-48";
    }
    EXPECT_EQ(Shown(), std::vector<std::string>{kOutsideHead + lines + kOutsideTail});
    EXPECT_EQ(Text(BindingName(4, 48)), "16");
    EXPECT_EQ(m.focus(), "RPD11");
}

TEST_F(WriteAndSave, TheOneReceiverPanelNamesBindingsAboveSixteen) {
    Variant(1);
    m.setText("RPD17", "17");
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{kOutsideHead + "\nРПУ (разделы 1-16): РПДИ 7" +
                                                kOutsideTail});
    EXPECT_EQ(Text("RPD17"), "17");
}

TEST_F(WriteAndSave, TheQnPanelPrunesItsCodesBeforeAWriteAndASave) {
    for (bool write : {true, false}) {
        Variant(5);
        m.setPosition("KOD", 3);
        m.setText("kod1", "9");
        m.setText("kod2", "9");
        m.setText("kod3", "");
        EXPECT_TRUE(write ? ChecksBeforeWrite(editor, image) : ChecksBeforeSave(editor, image));
        EXPECT_EQ(Shown(), std::vector<std::string>{"Поторяющийся Код в позиции №2 будет удален!"});
        EXPECT_EQ(editor.state().codeCount, 1);
    }
}

TEST_F(WriteAndSave, NothingIsAskedOfAConsistentConfiguration) {
    for (int variant : {1, 2, 3, 4, 5}) {
        Variant(variant);
        EXPECT_TRUE(ChecksBeforeWrite(editor, image)) << variant;
        EXPECT_TRUE(ChecksBeforeSave(editor, image)) << variant;
        EXPECT_TRUE(Shown().empty()) << variant;
    }
}

}  // namespace
}  // namespace kerma::test
