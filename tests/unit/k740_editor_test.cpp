#include "k740_editor.h"

#include <gtest/gtest.h>

#include <set>

#include "k740_controls.h"
#include "scripted_prompts.h"
#include "variant_layout.h"

namespace kerma {
namespace {

class K740EditorTest : public ::testing::Test {
  protected:
    ScriptedPrompts prompts;
    K740Editor editor{prompts};
    FormModel& m = editor.model();

    bool Visible(const char* name) { return m.at(name).visible; }
};

TEST_F(K740EditorTest, EveryNamingFamilyIsFoundByItsBuiltName) {
    std::set<std::string> expected;
    auto want = [&](std::string name, ControlKind kind) {
        const Control* c = m.find(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(c->kind, kind) << name;
        expected.insert(name);
    };
    for (int p = 1; p <= 16; ++p) {
        for (const char* prefix : {"avt", "tix", "krs", "Iskl", "privrele1", "privrele2"}) {
            want(prefix + std::to_string(p), ControlKind::CheckBox);
        }
        for (const char* prefix : {"ds0", "ds1", "ds2"}) {
            want(prefix + std::to_string(p), ControlKind::RadioButton);
        }
        want("NameRzd" + std::to_string(p), ControlKind::ComboBox);
        want("OwnName" + std::to_string(p), ControlKind::Edit);
        want("LabelSimb" + std::to_string(p), ControlKind::Label);
    }
    for (int r = 1; r <= 4; ++r) {
        for (int d = 1; d <= 48; ++d) {
            want(BindingName(r, d), ControlKind::MaskEdit);
            want(SystemNumberName(r, d), ControlKind::MaskEdit);
        }
        for (int t = 1; t <= 24; ++t) {
            want(RowResetName(r, t), ControlKind::Button);
            for (int s = 1; s <= 8; ++s) want(ObjectName(r, t, s), ControlKind::MaskEdit);
        }
    }
    for (int n = 1; n <= 32; ++n) {
        want("kod" + std::to_string(n), ControlKind::MaskEdit);
        for (int p = 1; p <= 16; ++p) want(CodeBoxName(n, p), ControlKind::CheckBox);
    }
    for (int n = 1; n <= 96; ++n) {
        want("Key" + std::to_string(n), ControlKind::Edit);
        for (int p = 1; p <= 16; ++p) want(KeyBoxName(n, p), ControlKind::CheckBox);
    }
    for (int n = 1; n <= 8; ++n) want("Border" + std::to_string(n), ControlKind::ComboBox);
    // 6*16 + 3*16 + 3*16 + 2*192 + 96 + 768 + 32 + 512 + 96 + 1536 + 8
    EXPECT_EQ(expected.size(), 3624u);  // no two families collide on one name
}

TEST_F(K740EditorTest, AmbiguousConcatenationsNameTheIntendedControl) {
    struct Case {
        const char* name;
        int tag;
    } cases[] = {
        {"RPDI111", 11},      {"RPDI248", 96}, {"Object124R3", 2 * 192 + 23 * 8},
        {"Object824R4", 767}, {"object11", 0}, {"Object16R2", 192 + 40},
        {"RPDI411", 155},
    };
    for (const Case& c : cases) EXPECT_EQ(m.at(c.name).tag, c.tag) << c.name;
    EXPECT_EQ(CodeBoxName(1, 16), "q0116");
    EXPECT_EQ(KeyBoxName(96, 16), "qtm9616");
    EXPECT_EQ(m.at("Q3216").parent, "IdScroll");
    EXPECT_EQ(RowResetName(2, 6), "ButtonRPY2RPD6");
}

TEST_F(K740EditorTest, FreshEditorStartsAsDesigned) {
    const int borders[] = {0, 3, 4, 7, 8, 11, 12, 15};
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(m.at("Border" + std::to_string(n)).itemIndex, borders[n - 1]) << n;
        EXPECT_EQ(m.at("Border" + std::to_string(n)).tag, n);
    }
    for (int p = 1; p <= 16; ++p) {
        const Control& name = m.at("NameRzd" + std::to_string(p));
        EXPECT_EQ(name.items.at(name.itemIndex), "раздел");
        EXPECT_FALSE(Visible(("OwnName" + std::to_string(p)).c_str()));
        EXPECT_TRUE(m.at("ds2" + std::to_string(p)).checked);
    }
    EXPECT_EQ(m.at("NameRzd1").items.size(), 57u);
    EXPECT_EQ(m.at("NameRzd1").items[kOwnNameItem], "пользовательское название");
    EXPECT_EQ(m.at("RPD148").text, "0 ");
    EXPECT_EQ(m.at("RPDI448").text, "0  ");
    EXPECT_EQ(m.at("Object824").text, "0  ");
    EXPECT_EQ(m.at("Object824R2").text, "   ");
    EXPECT_FALSE(m.at("PageControl").enabled);
    for (const char* off : {"WriteButton", "ReadButton", "ConnectButton"}) {
        EXPECT_FALSE(m.at(off).enabled) << off;
    }
    EXPECT_EQ(m.activePage("PageControl"), "TabSheetRazdel");
    EXPECT_EQ(m.at("GSMkom").itemIndex, 0);
    EXPECT_EQ(m.at("kom781").itemIndex, 1);
    EXPECT_FALSE(Visible("PanelQN"));
    EXPECT_TRUE(m.at("K740tmpncp").checked);
    EXPECT_FALSE(m.at("K740tmptr").checked);
}

TEST_F(K740EditorTest, TypeRadiosOfOnePartitionExcludeOnlyEachOther) {
    m.click("ds05");
    EXPECT_TRUE(m.at("ds05").checked);
    EXPECT_FALSE(m.at("ds25").checked);
    EXPECT_TRUE(m.at("ds24").checked);
    m.click("Rpytmptr");
    EXPECT_FALSE(m.at("Rpytmpncp").checked);
    EXPECT_TRUE(m.at("K740tmpncp").checked);
}

TEST(K740EditorFamily, QnFamilyShowsPanelQn) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts, {.qnFamily = true});
    EXPECT_TRUE(editor.model().at("PanelQN").visible);
}

TEST_F(K740EditorTest, VersionGivesCaptionAndText) {
    struct Case {
        int v;
        const char* text;
    } cases[] = {{17, "1.7"}, {125, "1.25"}, {100, "1.0"}, {53, "5.3"}};
    for (const Case& c : cases) {
        editor.setVersion(c.v);
        EXPECT_EQ(editor.state().versionText, c.text);
        EXPECT_EQ(editor.state().deviceCaption, std::string("ППКОП Kerma-740 версия v ") + c.text);
    }
}

// Visibility of the controls the layout rules touch, after one layout.
struct LayoutCase {
    const char* label;
    int variant, minor;
    bool demo;
    std::vector<const char*> shown, hidden;
};

class VariantLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(VariantLayoutTest, ShowsAndHidesAsTheFirmwareHasThem) {
    const LayoutCase& c = GetParam();
    ScriptedPrompts prompts;
    K740Editor editor(prompts);
    ApplyVariantLayout(editor, c.variant, c.minor, c.demo);
    for (const char* name : c.shown) EXPECT_TRUE(editor.model().at(name).visible) << name;
    for (const char* name : c.hidden) EXPECT_FALSE(editor.model().at(name).visible) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VariantLayoutTest,
    ::testing::Values(
        LayoutCase{
            "v17",
            1,
            7,
            false,
            {"GSMkom", "TabSheetPriv", "TabSheetKey", "Iskl1"},
            {"GroupBox21", "TabSheetNameRzd", "kom781", "MemRazd", "ds21", "Label1520", "RPU2",
             "GroupBox26", "TabSheetSysNum", "GroupBox36", "TabSheetName", "PanelQN"}},
        LayoutCase{"v16", 1, 6, false, {}, {"GSMkom", "GroupBox21", "TabSheetNameRzd"}},
        LayoutCase{"v18",
                   1,
                   8,
                   false,
                   {"GSMkom", "GroupBox21", "TabSheetNameRzd"},
                   {"kom781", "MemRazd", "ds216", "Label1520"}},
        LayoutCase{"v19", 1, 9, false, {"kom781", "MemRazd", "ds216", "Label1520"}, {"GroupBox36"}},
        LayoutCase{
            "demo1",
            1,
            0,
            true,
            {"ds21", "Label1520", "GroupBox21", "GSMkom", "TabSheetNameRzd", "kom781", "MemRazd"},
            {"TabSheetSysNum", "GroupBox26"}},
        LayoutCase{"v31",
                   3,
                   1,
                   false,
                   {"GroupBox26", "RPU4", "TabSheetNameRzd"},
                   {"TabSheetSysNum", "kom781", "MemRazd", "GroupBox36", "ds21", "Label1520"}},
        LayoutCase{"v32", 3, 2, false, {"TabSheetSysNum"}, {"GroupBox36", "ds29"}},
        LayoutCase{"v33", 3, 3, false, {"GroupBox36", "ds29", "Label1520"}, {"kom781"}},
        LayoutCase{"v34", 3, 4, false, {"kom781", "MemRazd", "TabSheetSysNum"}, {}},
        LayoutCase{"demo3", 3, 0, true, {"TabSheetSysNum", "GroupBox36", "kom781"}, {}},
        LayoutCase{"v53",
                   5,
                   3,
                   false,
                   {"PanelQN", "TabSheetName", "TabSheet_QN_RPY4", "TabSheetKod"},
                   {"TabSheetPriv", "TabSheetKey", "TabSheetNameRzd", "GroupBox1", "GroupBox8",
                    "GroupBox7", "Status_izv", "TabSheetSysNum", "q0116", "q3216", "Label219",
                    "Label267"}},
        LayoutCase{"v21",
                   2,
                   1,
                   false,
                   {"PanelQN", "TabSheet_QN_RPY1"},
                   {"TabSheet_QN_RPY2", "TabSheet_QN_RPY4", "GroupBox36", "TabSheetKey"}},
        LayoutCase{"v41", 4, 1, false, {"TabSheetKey", "TabSheetPriv"}, {"TabSheetName"}}),
    [](const auto& info) { return std::string(info.param.label); });

// The layout code each variant's shaping hands back, and the demo's none.
TEST(VariantLayout, LayoutCodesAndTheVersionLabel) {
    ScriptedPrompts prompts;
    K740Editor v1(prompts), v3(prompts), v5(prompts), demo5(prompts);
    EXPECT_EQ(ApplyVariantLayout(v1, 1, 7, false), 99);
    EXPECT_EQ(ApplyVariantLayout(v3, 3, 1, false), 99);
    v5.setVersion(55);
    EXPECT_EQ(ApplyVariantLayout(v5, 5, 5, false), 102);
    EXPECT_EQ(ApplyVariantLayout(demo5, 5, 0, true), std::nullopt);
    EXPECT_EQ(v5.model().at("VersionLabel").caption, "Версия ПО прибора: 5.5");
    EXPECT_FALSE(v5.model().at("Razdel").enabled);
}

TEST(VariantLayout, EarlyFourReceiverFirmwareFixesTheBorders) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts);
    editor.model().setItemIndex("Border2", 9);
    ApplyVariantLayout(editor, 3, 1, false);
    EXPECT_EQ(editor.model().at("Border2").itemIndex, 3);
    EXPECT_FALSE(editor.model().at("Border2").enabled);
    K740Editor later(prompts);
    ApplyVariantLayout(later, 3, 3, false);
    EXPECT_TRUE(later.model().at("Border8").enabled);
}

TEST(VariantLayout, QnLayoutUnchecksTheHiddenCodeAuthorities) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts);
    editor.model().setChecked("q075", true);
    ApplyVariantLayout(editor, 5, 3, false);
    EXPECT_FALSE(editor.model().at("q075").checked);
}

}  // namespace
}  // namespace kerma
