#include "form_model.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kerma {
namespace {

Control Make(std::string name, ControlKind kind, std::string parent = "") {
    Control c;
    c.name = std::move(name);
    c.kind = kind;
    c.parent = std::move(parent);
    return c;
}

class FormModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        model.add(Make("Group", ControlKind::GroupBox));
        model.add(Make("Other", ControlKind::GroupBox));
        for (const char* name : {"ds01", "ds11", "ds21"}) {
            model.add(Make(name, ControlKind::RadioButton, "Group"));
        }
        model.add(Make("Elsewhere", ControlKind::RadioButton, "Other"));
        model.add(Make("avt1", ControlKind::CheckBox, "Group"));
        Control kod = Make("kod1", ControlKind::MaskEdit);
        kod.mask = "!999999;1; ";
        kod.maxLength = 6;
        model.add(kod);
        model.add(Make("DelayEdit", ControlKind::Edit));
        Control delay = Make("Delay", ControlKind::UpDown);
        delay.associate = "DelayEdit";
        delay.max = 254;
        model.add(delay);
    }

    // Records every event as "name:event".
    void Record(std::string_view name) {
        for (ControlEvent e :
             {ControlEvent::Change, ControlEvent::Click, ControlEvent::Enter, ControlEvent::Exit}) {
            model.on(name, e, [this, e](Control& c) {
                static const char* names[] = {"Change", "Click", "Enter", "Exit"};
                log.push_back(c.name + ":" + names[static_cast<int>(e)]);
            });
        }
    }

    FormModel model;
    std::vector<std::string> log;
};

TEST_F(FormModelTest, LookupIgnoresCaseAndRejectsDuplicateNames) {
    EXPECT_EQ(model.find("KOD1"), model.find("kod1"));
    EXPECT_NE(model.find("Kod1"), nullptr);
    EXPECT_EQ(model.find("kod2"), nullptr);
    EXPECT_THROW((void)model.at("nothing"), std::out_of_range);
    EXPECT_THROW(model.setText("nothing", "1"), std::out_of_range);
    EXPECT_THROW(model.add(Make("KOD1", ControlKind::Edit)), std::invalid_argument);
}

TEST_F(FormModelTest, MaskedEditKeepsItsFixedWidthWithBlanks) {
    struct Case {
        std::string set, expected;
    } cases[] = {{"", "      "}, {"12 3", "12 3  "}, {" 7", " 7    "}, {"1234567", "123456"}};
    for (const Case& c : cases) {
        model.setText("kod1", c.set);
        EXPECT_EQ(model.at("kod1").text, c.expected) << "set '" << c.set << "'";
    }
    EXPECT_EQ(model.add(Make("blank", ControlKind::MaskEdit)).text, "");  // no width, no padding
}

TEST_F(FormModelTest, ChangeRaisedOnlyWhenTheStoredTextDiffers) {
    Record("kod1");
    model.setText("kod1", "12");
    model.setText("kod1", "12    ");  // the same fixed-width text
    model.setText("kod1", "12");
    EXPECT_EQ(log, (std::vector<std::string>{"kod1:Change"}));
}

TEST_F(FormModelTest, RadioButtonsAreExclusiveWithinTheirParentOnly) {
    Record("ds01");
    Record("ds11");
    model.setChecked("Elsewhere", true);
    model.setChecked("ds21", true);
    model.click("ds01");
    EXPECT_TRUE(model.at("ds01").checked);
    EXPECT_FALSE(model.at("ds21").checked);
    EXPECT_TRUE(model.at("Elsewhere").checked);
    model.click("ds01");  // already checked: no second click
    model.setChecked("ds11", true);
    EXPECT_FALSE(model.at("ds01").checked);
    // Unchecking a radio button raises nothing, not even for the one unchecked by a sibling.
    EXPECT_EQ(log, (std::vector<std::string>{"ds01:Click", "ds11:Click"}));
}

TEST_F(FormModelTest, CheckBoxClickToggles) {
    Record("avt1");
    model.click("avt1");
    model.click("avt1");
    model.setChecked("avt1", false);  // unchanged: silent
    EXPECT_FALSE(model.at("avt1").checked);
    EXPECT_EQ(log, (std::vector<std::string>{"avt1:Click", "avt1:Click"}));
}

TEST_F(FormModelTest, UpDownAndEditFollowEachOther) {
    Record("DelayEdit");
    model.setPosition("Delay", 300);  // clamped to the range
    EXPECT_EQ(model.at("Delay").position, 254);
    EXPECT_EQ(model.at("DelayEdit").text, "254");
    model.setText("DelayEdit", "17");
    EXPECT_EQ(model.at("Delay").position, 17);
    for (const char* outside : {"255", "-3", "", "x"}) {
        model.setText("DelayEdit", outside);
        EXPECT_EQ(model.at("Delay").position, 17) << outside;
    }
    EXPECT_EQ(log.size(), 6u);
}

TEST_F(FormModelTest, ItemIndexOutsideTheListLeavesNoSelection) {
    Control border = Make("Border1", ControlKind::ComboBox);
    border.items = {"1", "2", "3"};
    model.add(border);
    Record("Border1");
    model.setItemIndex("Border1", 2);
    EXPECT_EQ(model.at("Border1").itemIndex, 2);
    model.setItemIndex("Border1", 3);
    EXPECT_EQ(model.at("Border1").itemIndex, -1);
    EXPECT_TRUE(log.empty());  // program sets raise nothing
    model.selectItem("Border1", 1);
    EXPECT_EQ(log, (std::vector<std::string>{"Border1:Change"}));
}

TEST_F(FormModelTest, EventBlockerSilencesEventsButNotObservers) {
    Record("kod1");
    int seen = 0;
    model.subscribe([&](const Control&, ControlProperty) { ++seen; });
    {
        FormModel::EventBlocker blocker(model);
        model.setText("kod1", "1");
        { FormModel::EventBlocker nested(model); }
        model.setText("kod1", "2");  // still blocked after the nested blocker ends
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(seen, 2);
    model.setText("kod1", "3");
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(FormModelTest, MoveFocusExitsThenEnters) {
    Record("kod1");
    Record("DelayEdit");
    model.moveFocus("kod1");
    model.moveFocus("DelayEdit");
    EXPECT_EQ(model.focus(), "DelayEdit");
    EXPECT_EQ(log, (std::vector<std::string>{"kod1:Enter", "kod1:Exit", "DelayEdit:Enter"}));
}

TEST_F(FormModelTest, RuleThatPutsFocusBackKeepsIt) {
    model.on("kod1", ControlEvent::Exit, [this](Control& c) { model.setFocus(c.name); });
    Record("DelayEdit");
    model.moveFocus("kod1");
    model.moveFocus("DelayEdit");
    EXPECT_EQ(model.focus(), "kod1");
    EXPECT_TRUE(log.empty());  // the new field was never entered
    model.exit("DelayEdit");   // leaving another field does not take the focus away
    EXPECT_EQ(model.focus(), "kod1");
}

TEST_F(FormModelTest, ObserversSeePropertiesAndMayUnsubscribeWhileNotified) {
    std::vector<ControlProperty> seen;
    int id = 0;
    id = model.subscribe([&](const Control&, ControlProperty p) {
        seen.push_back(p);
        model.unsubscribe(id);
    });
    int second = 0;
    model.subscribe([&](const Control&, ControlProperty) { ++second; });
    model.setVisible("kod1", false);
    model.setEnabled("kod1", false);
    EXPECT_EQ(seen, (std::vector<ControlProperty>{ControlProperty::Visible}));
    EXPECT_EQ(second, 2);
}

TEST_F(FormModelTest, HandlersRunInOrderAndSeeTheirOwnChanges) {
    // A range rule that resets the text runs again on its own reset, as the designed form does.
    std::vector<std::string> texts;
    model.on("DelayEdit", ControlEvent::Change, [&](Control& c) {
        texts.push_back(c.text);
        if (FieldNumber(c.text) > 254) model.setText("DelayEdit", "1");
    });
    model.on("DelayEdit", ControlEvent::Change,
             [&](Control& c) { texts.push_back("2nd " + c.text); });
    model.setText("DelayEdit", "255");
    EXPECT_EQ(texts, (std::vector<std::string>{"255", "1", "2nd 1", "2nd 1"}));
    EXPECT_EQ(model.at("Delay").position, 1);
}

TEST_F(FormModelTest, ChildrenAndActivePage) {
    EXPECT_EQ(model.children("group").size(), 4u);
    model.add(Make("Pages", ControlKind::PageControl));
    model.add(Make("TabA", ControlKind::TabSheet, "Pages"));
    model.setActivePage("pages", "taba");
    EXPECT_EQ(model.activePage("Pages"), "TabA");
}

TEST(FieldText, NumbersFromFieldTexts) {
    struct Case {
        const char* text;
        std::optional<long> value;
    } cases[] = {
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"12 3", 123},
        {" 7", 7},
        {"0  ", 0},
        {"-3", -3},
        {"1-2", std::nullopt},
        {"abc", std::nullopt},
        {"a1", std::nullopt},
        {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FieldValue(c.text), c.value) << "'" << c.text << "'";
        EXPECT_EQ(FieldIsEmpty(c.text),
                  !c.value.has_value() &&
                      std::string(c.text).find_first_of("0123456789") == std::string::npos)
            << c.text;
    }
    EXPECT_EQ(FieldNumber("  ", 5), 5);
}

TEST(FieldText, Utf8Counting) {
    EXPECT_EQ(Utf8Length("кухня"), 5u);
    EXPECT_EQ(Utf8Length("ab"), 2u);
    EXPECT_EQ(Utf8Left("комната  №1", 8), "комната ");
    EXPECT_EQ(Utf8Left("ab", 8), "ab");
}

}  // namespace
}  // namespace kerma
