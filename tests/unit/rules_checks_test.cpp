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
    for (Case c : {Case{1, "PasswordEdit"}, Case{2, "PasswordEdit"}, Case{3, "PasswordEdit"},
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

TEST_F(WriteAndSave, AShortKeyIsAskedAboutAgainBeforeAWrite) {
    Variant(3);
    m.setPosition("KEY", 40);
    m.setText("Key35", "ABC");
    m.setChecked(KeyBoxName(35, 1), true);
    Answer({true});
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(m.focus(), "Key35");
    EXPECT_EQ(m.activePage("PageControl1"), "TM3264");
    EXPECT_EQ(Page(), "TabSheetKey");
    Answer({false});
    EXPECT_TRUE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Text("Key35"), "000000000ABC");
}

TEST_F(WriteAndSave, BindingsOutsideChangedBordersRefuseTheWrite) {
    Variant(3);
    m.setText("RPD32", "10");
    m.selectItem("Border6", 8);  // receiver 3 now 9..9
    prompts.shown.clear();
    m.setActivePage("PageControl", "TabSheetRazdel");
    EXPECT_FALSE(ChecksBeforeWrite(editor, image));
    EXPECT_EQ(Shown(), std::vector<std::string>{
                           "Недопустимое значение! Номер раздела должен быть в интервале от 9 до 9 "
                           "или 0"});
    EXPECT_EQ(Text("RPD32"), "0 ");
    EXPECT_EQ(Page(), "TabSheetPriv");
    EXPECT_EQ(m.activePage("PageControlRPU"), "RPU3");
    prompts.shown.clear();
    EXPECT_TRUE(ChecksBeforeWrite(editor, image));
    EXPECT_TRUE(Shown().empty());
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
