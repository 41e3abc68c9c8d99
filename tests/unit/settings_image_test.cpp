// The settings block: exact cells of the cases that break, per variant.
#include "settings_image.h"

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "k740_controls.h"
#include "settings_fields.h"
#include "state_dump.h"

namespace kerma {
namespace {

using testing::CellValues;
using testing::FieldSays;
using testing::ImageEditor;
using testing::kV1;
using testing::kV2;
using testing::kV3;
using testing::kV4;
using testing::kV5;
using testing::kVersions;
using testing::SettingsOf;

TEST(SettingsImage, EngineerPasswordKeepsALeadingZero) {
    ImageEditor e;
    // The entry filter refuses a typed 0; a password the panel holds must still show whole.
    e.model().on("PasswordEdit", ControlEvent::Change,
                 [&](Control& field) { std::erase(field.text, '0'); });
    e.read(SettingsOf(kV1, {{2, 0x80}, {3, 0x81}, {4, 0x82}, {5, 0x83}}));
    EXPECT_EQ(e.model().at("PasswordEdit").text, "0123");
    Block out = e.write();
    EXPECT_EQ((Block{out[2], out[3], out[4], out[5]}), (Block{0x80, 0x81, 0x82, 0x83}));
}

TEST(SettingsImage, EngineerPasswordWithoutFourDigitsBuildsNoImage) {
    for (const char* text : {"12  ", "    ", " 123"}) {
        ImageEditor e;
        e.read(SettingsOf(kV1));
        e.model().setText("PasswordEdit", text);
        auto built = EncodeSettingsImage(e.editor, e.image);
        ASSERT_FALSE(built.ok()) << text;
        EXPECT_EQ(built.failure().reason, "");
        EXPECT_EQ(
            built.error(),
            "Недопустимое количество цифр! Количестово цифр в пароле инженера должно быть 4!");
    }
}

TEST(SettingsImage, UserPasswordOfThreeDigits) {
    ImageEditor e;
    e.read(SettingsOf(kV1));
    e.model().setText("PasswordEdit2", "123");
    Block out = e.write();
    EXPECT_EQ((Block(out.begin() + 40, out.begin() + 46)),
              (Block{0x81, 0x82, 0x83, 0xFF, 0xFF, 0xFF}));
    e.read(out);
    EXPECT_EQ(e.model().at("PasswordEdit2").text, "123   ");
}

// A settings block read, what its fields show, the user's edits, and the cells written after.
struct FieldCase {
    const char* name;
    int version;
    CellValues read;
    FieldSays shown;
    FieldSays edits;
    CellValues written;
};

class FieldsOfTheBlock : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldsOfTheBlock, ShowTheCellsAndWriteThemBack) {
    const FieldCase& c = GetParam();
    ImageEditor e;
    e.read(SettingsOf(c.version, c.read));
    for (const auto& [field, as] : c.shown) EXPECT_EQ(e.seen(field, as), as) << field;
    for (const auto& [field, to] : c.edits) e.set(field, to);
    const Block out = e.write();
    ASSERT_FALSE(out.empty());
    for (auto [cell, value] : c.written) EXPECT_EQ(out[cell], value) << "cell " << cell;
}

INSTANTIATE_TEST_SUITE_P(
    Block, FieldsOfTheBlock,
    ::testing::Values(
        FieldCase{"PartitionNineIsBitZeroOfTheSecondCell", kV1, {}, {}, {{"avt9", "checked"}},
                  {{18, 0}, {19, 1}}},
        // Partition 1: fire and emergency; partition 2: fire; partition 3: neither.
        FieldCase{"FirePlusEmergencyShowsEmergencyAndWritesOnlyIt",
                  kV1,
                  {{14, 0b011}, {47, 0b001}},
                  {{"ds21", "checked"},
                   {"ds01", "unchecked"},
                   {"ds02", "checked"},
                   {"ds13", "checked"},
                   {"ds23", "unchecked"}},
                  {},
                  {{14, 0b010}, {47, 0b001}}},
        // Cell 63 by variant: "Вкл." is item 0, "Выкл." item 1.
        FieldCase{"MemoryV1Cell0", kV1, {{63, 0}}, {{"MemRazd", "item 0"}}, {}, {{63, 0}}},
        FieldCase{"MemoryV3Cell0", kV3, {{63, 0}}, {{"MemRazd", "item 1"}}, {}, {{63, 0}}},
        FieldCase{"MemoryV1Cell7", kV1, {{63, 7}}, {{"MemRazd", "item 1"}}, {}, {{63, 0xFF}}},
        FieldCase{"MemoryV3Cell7", kV3, {{63, 7}}, {{"MemRazd", "item 0"}}, {}, {{63, 0xFF}}},
        // Partition 5 has its own name.
        FieldCase{"OwnNameThroughThePanelTable",
                  kV1,
                  {{256 + 4, 63}},
                  {{"OwnName5", "visible"}, {"OwnName4", "hidden"}},
                  {{"OwnName5", "text КУХНЯ 1"}},
                  {{260, 63}, {304, 0x4B}, {305, 0xA9}, {306, 0x58}, {307, 0x48}, {308, 0xB1},
                   {309, 0x20}, {310, 0x31}, {311, 0x20}}},
        FieldCase{"NameChoicesOutsideTheListLeaveNoSelection",
                  kV1,
                  {{256, 55}, {257, 56}, {258, 62}, {259, 200}},
                  {{"NameRzd1", "item 55"},
                   {"NameRzd2", "item -1"},
                   {"NameRzd3", "item -1"},
                   {"NameRzd4", "item -1"}},
                  {},
                  {{256, 55}, {257, -1}}},
        // Relay 2 mode 9 is not in the list.
        FieldCase{"RelayModeOutsideTheListStaysAByte", kV1, {{22, 0x93}},
                  {{"Rele1Combo", "item 3"}, {"Rele2Combo", "item -1"}}, {}, {{22, 0xF3}}},
        FieldCase{"RelayModesBothOutsideTheList", kV1, {{22, 0xAB}}, {}, {}, {{22, -1}}},
        FieldCase{"NotificationStatusBitsAndCell37",
                  kV1,
                  {{36, 0xF5}, {37, 9}},
                  {{"K740tmptr", "checked"}, {"Rpytmpncp", "checked"}, {"Rpdbloktr", "checked"}},
                  {},
                  {{36, 0x15}, {37, 0}}},
        FieldCase{"ModesAndDurations",
                  kV1,
                  {{30, 1}, {31, 77}, {32, 9}, {33, 200}, {34, 3}, {35, 4}, {60, 0}},
                  {{"Keysound3", "checked"},
                   {"EditTimesound", "disabled"},
                   {"LCD_key2", "checked"},
                   {"EditTimeLCD", "enabled"},
                   {"password2", "checked"}},
                  {},
                  {{30, 1}, {31, 77}, {32, 2}, {33, 200}, {34, 0xFF}, {35, 1}, {60, 0}}},
        FieldCase{"BindingText7Blank", kV1, {}, {}, {{"RPD13", "text 7 "}}, {{66, 7}}},
        FieldCase{"BindingTextBlank7", kV1, {}, {}, {{"RPD13", "text  7"}}, {{66, 7}}},
        FieldCase{"BindingText12", kV1, {}, {}, {{"RPD13", "text 12"}}, {{66, 12}}},
        FieldCase{"BindingTextBlanks", kV1, {}, {}, {{"RPD13", "text   "}}, {{66, 0}}},
        FieldCase{"BindingTextEmpty", kV1, {}, {}, {{"RPD13", "text "}}, {{66, 0}}},
        FieldCase{"BindingAbove16ShowsZero", kV1, {{64, 17}, {65, 16}},
                  {{"RPD11", "text 0 "}, {"RPD12", "text 16"}}, {}, {{64, 0}}},
        FieldCase{"VariantOneLeavesTheOtherReceiversAlone", kV1,
                  {{112, 3}, {49, 0xFF}, {512, 7}}, {}, {{"RPD21", "text 5"}, {"Border1", "item 2"}},
                  {{112, 3}, {49, 0xFF}, {512, 7}}},
        FieldCase{"BorderAbove15LeavesNoSelectionAndIsWrittenAsMinusOne", kV3,
                  {{49, 0xFF}, {50, 3}}, {{"Border1", "item -1"}, {"Border2", "item 3"}}, {},
                  {{49, -1}, {50, 3}}},
        FieldCase{"SystemNumbersOfReceiverFour", kV3, {{703, 192}, {255, 16}},
                  {{"RPDI448", "text 192"}, {"RPD448", "text 16"}}, {}, {{703, 192}, {255, 16}}},
        // Line speed, the pult's damage and the receivers' link in the QN layout.
        FieldCase{"QnLineSpeedUnset", kV5, {{23, 1}, {257, 0xFF}, {258, 2}, {261, 1}},
                  {{"SpeedLine", "item 0"}, {"DamagePult1", "checked"}, {"ConnectRPU2", "checked"}},
                  {}, {{257, 0xFF}, {258, 0}, {261, 1}, {256, 0x55}}},
        FieldCase{"QnLineSpeedSet", kV5, {{23, 1}, {257, 0x5A}, {258, 2}, {261, 1}},
                  {{"SpeedLine", "item 1"}, {"DamagePult1", "checked"}, {"ConnectRPU2", "checked"}},
                  {}, {{257, 0x5A}, {258, 0}, {261, 1}, {256, 0x55}}},
        FieldCase{"QnLineSpeedZero", kV5, {{23, 1}, {257, 0x00}, {258, 2}, {261, 1}},
                  {{"SpeedLine", "item 1"}, {"DamagePult1", "checked"}, {"ConnectRPU2", "checked"}},
                  {}, {{257, 0x5A}, {258, 0}, {261, 1}, {256, 0x55}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every regular row of the field table, set away from 0 all at once: each reaches its control,
// comes back in its cell, is named by a label and is listed in the field dump.
TEST(SettingsFields, EveryRegularRowReadsWritesAndIsListed) {
    for (int version : {kV1, kV3, kV5}) {
        const int variant = VariantOfVersion(version);
        SCOPED_TRACE(variant);
        CellValues cells;
        for (const SettingsField& row : SettingsFields()) {
            if (!row.in(variant) || row.kind == FieldKind::ByHand) continue;
            if (row.kind == FieldKind::PartitionSet) {
                cells.push_back({row.cell, 0x5A});
                cells.push_back({row.cell + 1, 0xA5});
            } else if (row.kind == FieldKind::StatusBit) {
                cells.push_back({row.cell, 1 << row.bit});
            } else {
                cells.push_back({row.cell, row.kind == FieldKind::OnOffList ? 0xFF
                                           : row.kind == FieldKind::Position ? 7
                                                                             : 1});
            }
        }
        Block in = SettingsOf(version, {});
        for (auto [cell, value] : cells) in[cell] |= value;
        ImageEditor e;
        e.read(in);
        const Block out = e.write();
        const auto names = VariantControlNames(variant);
        for (const SettingsField& row : SettingsFields()) {
            if (!row.in(variant)) continue;
            SCOPED_TRACE(row.controls[0]);
            const std::string first =
                row.perPartition ? std::string(row.controls[0]) + "1" : row.controls[0];
            EXPECT_FALSE(SettingsFieldLabel(first).empty());
            EXPECT_NE(std::find(names.begin(), names.end(), first), names.end());
            if (row.kind == FieldKind::ByHand) continue;
            EXPECT_EQ(out[row.cell], in[row.cell]);
            if (row.kind == FieldKind::PartitionSet) {
                EXPECT_EQ(out[row.cell + 1], in[row.cell + 1]);
            }
        }
    }
}

TEST(SettingsImage, OwnNameBytesNoTextMakesSurviveAReadAndAWrite) {
    ImageEditor e;
    Block in = SettingsOf(kV1, {{256, 63}});
    Block name = {0x80, 0x08, 0xC8, 0xF0, 0x17, 0x41, 0xFF, 0x20};
    std::copy(name.begin(), name.end(), in.begin() + 272);
    e.read(in);
    EXPECT_EQ(e.model().at("OwnName1").text, "?Ь??№A§ ");
    Block out = e.write();
    EXPECT_EQ((Block(out.begin() + 272, out.begin() + 280)), name);
    e.model().setText("OwnName1", "?Ь??№A§");
    out = e.write();
    EXPECT_EQ((Block(out.begin() + 272, out.begin() + 280)),
              (Block{'?', 0x08, '?', '?', 0x17, 0x41, 0xFF, 0x20}));
}

TEST(SettingsImage, CellsNoFieldCoversGoBackAsRead) {
    ImageEditor e;
    Block in = SettingsOf(kV1, {{0, 0xAA},
                                {6, 1},
                                {7, 2},
                                {24, 3},
                                {25, 4},
                                {26, 5},
                                {38, 6},
                                {39, 7},
                                {46, 8},
                                {49, 9},
                                {57, 10},
                                {61, 11},
                                {62, 12},
                                {112, 13},
                                {272, 14},
                                {450, 15},
                                {600, 16},
                                {1000, 17}});
    e.read(in);
    Block out = e.write();
    for (int cell : {0, 6, 7, 24, 25, 26, 38, 39, 46, 49, 57, 61, 62, 112, 272, 450, 600, 1000}) {
        EXPECT_EQ(out[cell], in[cell]) << "cell " << cell;
    }
}

// --- receiver section -----------------------------------------------------------------------

TEST(ReceiverSection, RepeatedSystemNumbersAreClearedWithOneNotice) {
    ImageEditor e;
    e.read(SettingsOf(kV3, {{512, 5}, {600, 5}, {650, 5}, {513, 0}, {514, 0}}));
    EXPECT_EQ(e.prompts.shown.size(), 1u);
    EXPECT_EQ(e.model().at("RPDI11").text, "5  ");
    Block out = e.write();
    EXPECT_EQ(out[512], 5);
    EXPECT_EQ(out[600], 0);
    EXPECT_EQ(out[650], 0);
}

// --- variants 2, 4 and 5 --------------------------------------------------------------------

TEST(SettingsImage, VariantTwoWritesOnlyItsCells) {
    ImageEditor e;
    Block in = SettingsOf(kV2, {{6, 1}, {7, 2}, {8, 45}, {9, 3}, {23, 4}, {30, 9}});
    e.read(in);
    EXPECT_EQ(e.state().codeCount, 4);
    EXPECT_EQ(e.state().keyCount, 3);
    // PanelQN covers PasswordEdit: the password the user sees and types is the one written.
    EXPECT_EQ(e.model().at("paswrd1").text, "1234");
    e.model().setText("paswrd1", "9876");
    e.model().setPosition("KOD", 2);
    e.state().codeCount = 2;
    Block out = e.write();
    Block expected = in;
    expected[2] = 0x89, expected[3] = 0x88, expected[4] = 0x87, expected[5] = 0x86;
    expected[23] = 2;
    EXPECT_EQ(out, expected);
}

TEST(SettingsImage, VariantFourWritesTheVersionCellOnly) {
    ImageEditor e;
    Block in = SettingsOf(kV4, {{8, 45}, {30, 2}});
    e.read(in);
    EXPECT_EQ(e.write(), in);
}

TEST(SettingsImage, DemoModeWritesTheVersionOfTheChosenVariant) {
    for (int variant : {1, 3, 5}) {
        ImageEditor e;
        e.state().demoMode = true;
        e.state().versionByte = 99;
        e.state().layoutVariant = variant;
        e.read(SettingsOf(17));
        EXPECT_EQ(e.state().versionByte, 99);
        EXPECT_EQ(e.write()[1], kVersions[variant]);
    }
}

TEST(QnSettings, ObjectTableFromTheAssignments) {
    ImageEditor e;
    e.read(SettingsOf(kV5, {{23, 1}, {540, 7}}));
    e.image.objectAssignments.fill(0);
    e.image.objectAssignments[8 + 0] = 5;  // receiver 1, detector 2, loop 1
    e.image.objectAssignments[8 + 2] = 5;  // loop 3
    e.image.objectAssignments[3 * 192 + 23 * 8 + 7] = 48;
    e.image.objectAssignments[100] = 100;  // beyond the table
    Block out = e.write();
    EXPECT_EQ(out[520], 34);
    EXPECT_EQ(out[521], 5);
    EXPECT_EQ(out[606], 152);
    EXPECT_EQ(out[607], 128);
    EXPECT_EQ(out[540], 0);  // cleared: no loop uses object 15
}

TEST(QnSettings, CountsPasswordsAndUnhandledCells) {
    ImageEditor e;
    Block in = SettingsOf(kV5, {{23, 4},
                                {700, 0x3C},
                                {56, 65},
                                {6, 9},
                                {384, 0x80},
                                {385, 0x85},
                                {386, 0x81},
                                {387, 0xFF},
                                {388, 0xFF},
                                {389, 0xFF}});
    Block codes(kCodesCells, 0xFF);
    codes[8] = 0x85;  // code 2 in use, codes 1 and 3 empty
    e.read(in, codes);
    EXPECT_EQ(e.state().codeCount, 3);
    EXPECT_EQ(e.model().at("paswrd2").text, "051   ");
    Block out = e.write();
    EXPECT_EQ(out[23], 4);
    EXPECT_EQ(out[9], 1);
    EXPECT_EQ(out[700], 0x3C);
    EXPECT_EQ(out[56], 65);
    EXPECT_EQ(out[6], 9);
    EXPECT_EQ((Block(out.begin() + 384, out.begin() + 390)),
              (Block(in.begin() + 384, in.begin() + 390)));
    e.model().setText("paswrd1", "");
    e.model().setText("paswrd2", "");
    out = e.write();
    EXPECT_EQ((Block(out.begin() + 2, out.begin() + 6)), Block(4, 0xFF));
    EXPECT_EQ((Block(out.begin() + 384, out.begin() + 390)), Block(6, 0xFF));
}

TEST(QnSettings, AfterAFirmwareReplacementTheFactorySettingsAreSentOnce) {
    ImageEditor e;
    e.read(SettingsOf(kV5, {{23, 1}}));
    e.image.factorySettings = Block(kSettingsCells, 0x11);
    e.state().defaultsAfterReplace = true;
    EXPECT_EQ(e.write(), Block(kSettingsCells, 0x11));
    EXPECT_FALSE(e.state().defaultsAfterReplace);
    EXPECT_EQ(e.write()[300], 0);
}

}  // namespace
}  // namespace kerma
