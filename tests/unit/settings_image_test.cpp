// The settings block: exact cells of the cases that break, per variant.
#include "settings_image.h"

#include <gtest/gtest.h>

#include "image_test_support.h"
#include "k740_controls.h"

namespace kerma {
namespace {

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
    Cells out = e.write();
    EXPECT_EQ((Cells{out[2], out[3], out[4], out[5]}), (Cells{0x80, 0x81, 0x82, 0x83}));
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
    Cells out = e.write();
    EXPECT_EQ((Cells(out.begin() + 40, out.begin() + 46)),
              (Cells{0x81, 0x82, 0x83, 0xFF, 0xFF, 0xFF}));
    e.read(out);
    EXPECT_EQ(e.model().at("PasswordEdit2").text, "123   ");
}

TEST(SettingsImage, PartitionNineIsBitZeroOfTheSecondCell) {
    ImageEditor e;
    e.read(SettingsOf(kV1));
    e.model().setChecked("avt9", true);
    Cells out = e.write();
    EXPECT_EQ(out[18], 0);
    EXPECT_EQ(out[19], 1);
}

TEST(SettingsImage, FirePlusEmergencyShowsEmergencyAndWritesOnlyIt) {
    ImageEditor e;
    // partition 1: fire and emergency; partition 2: fire; partition 3: neither
    e.read(SettingsOf(kV1, {{14, 0b011}, {47, 0b001}}));
    EXPECT_TRUE(e.model().at("ds21").checked);
    EXPECT_FALSE(e.model().at("ds01").checked);
    EXPECT_TRUE(e.model().at("ds02").checked);
    EXPECT_TRUE(e.model().at("ds13").checked);
    EXPECT_FALSE(e.model().at("ds23").checked);
    Cells out = e.write();
    EXPECT_EQ(out[14], 0b010);
    EXPECT_EQ(out[47], 0b001);
}

struct MemoryCase {
    int version, cell;
    int item;     // 0 "Вкл.", 1 "Выкл."
    int written;  // after a write without changes
};

class PartitionMemory : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(PartitionMemory, Cell63ByVariant) {
    const MemoryCase& c = GetParam();
    ImageEditor e;
    e.read(SettingsOf(c.version, {{63, c.cell}}));
    EXPECT_EQ(e.model().at("MemRazd").itemIndex, c.item);
    EXPECT_EQ(e.write()[63], c.written);
}

INSTANTIATE_TEST_SUITE_P(Variants, PartitionMemory,
                         ::testing::Values(MemoryCase{kV1, 0, 0, 0}, MemoryCase{kV3, 0, 1, 0},
                                           MemoryCase{kV1, 7, 1, 0xFF},
                                           MemoryCase{kV3, 7, 0, 0xFF}),
                         [](const auto& info) {
                             return "Version" + std::to_string(info.param.version) + "Cell" +
                                    std::to_string(info.param.cell) + "Item" +
                                    std::to_string(info.param.item);
                         });

TEST(SettingsImage, OwnNameThroughThePanelTable) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{256 + 4, 63}}));  // partition 5 has its own name
    EXPECT_TRUE(e.model().at("OwnName5").visible);
    EXPECT_FALSE(e.model().at("OwnName4").visible);
    e.model().setText("OwnName5", "КУХНЯ 1");
    Cells out = e.write();
    EXPECT_EQ(out[260], 63);
    EXPECT_EQ((Cells(out.begin() + 304, out.begin() + 312)),
              (Cells{0x4B, 0xA9, 0x58, 0x48, 0xB1, 0x20, 0x31, 0x20}));
}

TEST(SettingsImage, OwnNameBytesNoTextMakesSurviveAReadAndAWrite) {
    ImageEditor e;
    Cells in = SettingsOf(kV1, {{256, 63}});
    Cells name = {0x80, 0x08, 0xC8, 0xF0, 0x17, 0x41, 0xFF, 0x20};
    std::copy(name.begin(), name.end(), in.begin() + 272);
    e.read(in);
    EXPECT_EQ(e.model().at("OwnName1").text, "?Ь??№A§ ");
    Cells out = e.write();
    EXPECT_EQ((Cells(out.begin() + 272, out.begin() + 280)), name);
    e.model().setText("OwnName1", "?Ь??№A§");
    out = e.write();
    EXPECT_EQ((Cells(out.begin() + 272, out.begin() + 280)),
              (Cells{'?', 0x08, '?', '?', 0x17, 0x41, 0xFF, 0x20}));
}

TEST(SettingsImage, NameChoicesOutsideTheListLeaveNoSelection) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{256, 55}, {257, 56}, {258, 62}, {259, 200}}));
    EXPECT_EQ(e.model().at("NameRzd1").itemIndex, 55);
    for (const char* name : {"NameRzd2", "NameRzd3", "NameRzd4"}) {
        EXPECT_EQ(e.model().at(name).itemIndex, -1) << name;
    }
    Cells out = e.write();
    EXPECT_EQ(out[256], 55);
    EXPECT_EQ(out[257], -1);
}

TEST(SettingsImage, RelayModesWithOneListUnselectedStayAByte) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{22, 0x93}}));  // relay 2 mode 9 is not in the list
    EXPECT_EQ(e.model().at("Rele1Combo").itemIndex, 3);
    EXPECT_EQ(e.model().at("Rele2Combo").itemIndex, -1);
    EXPECT_EQ(e.write()[22], 0xF3);
    e.read(SettingsOf(kV1, {{22, 0xAB}}));
    EXPECT_EQ(e.write()[22], -1);
}

TEST(SettingsImage, NotificationStatusBitsAndCell37) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{36, 0xF5}, {37, 9}}));
    EXPECT_TRUE(e.model().at("K740tmptr").checked);
    EXPECT_TRUE(e.model().at("Rpytmpncp").checked);
    EXPECT_TRUE(e.model().at("Rpdbloktr").checked);
    Cells out = e.write();
    EXPECT_EQ(out[36], 0x15);
    EXPECT_EQ(out[37], 0);
}

TEST(SettingsImage, ModesAndDurations) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{30, 1}, {31, 77}, {32, 9}, {33, 200}, {34, 3}, {35, 4}, {60, 0}}));
    EXPECT_TRUE(e.model().at("Keysound3").checked);
    EXPECT_FALSE(e.model().at("EditTimesound").enabled);
    EXPECT_TRUE(e.model().at("LCD_key2").checked);
    EXPECT_TRUE(e.model().at("EditTimeLCD").enabled);
    EXPECT_TRUE(e.model().at("password2").checked);
    Cells out = e.write();
    EXPECT_EQ((Cells{out[30], out[31], out[32], out[33], out[34], out[35], out[60]}),
              (Cells{1, 77, 2, 200, 0xFF, 1, 0}));
}

TEST(SettingsImage, CellsNoFieldCoversGoBackAsRead) {
    ImageEditor e;
    Cells in = SettingsOf(kV1, {{0, 0xAA},
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
    Cells out = e.write();
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
    Cells out = e.write();
    EXPECT_EQ(out[512], 5);
    EXPECT_EQ(out[600], 0);
    EXPECT_EQ(out[650], 0);
}

TEST(ReceiverSection, BindingTexts) {
    struct Case {
        const char* text;
        int value;
    };
    for (Case c : {Case{"7 ", 7}, Case{" 7", 7}, Case{"12", 12}, Case{"  ", 0}, Case{"", 0}}) {
        ImageEditor e;
        e.read(SettingsOf(kV1));
        e.model().setText("RPD13", c.text);
        EXPECT_EQ(e.write()[66], c.value) << '"' << c.text << '"';
    }
}

TEST(ReceiverSection, BindingAbove16ShowsZero) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{64, 17}, {65, 16}}));
    EXPECT_EQ(e.model().at("RPD11").text, "0 ");
    EXPECT_EQ(e.model().at("RPD12").text, "16");
    EXPECT_EQ(e.write()[64], 0);
}

TEST(ReceiverSection, VariantOneLeavesTheOtherReceiversAlone) {
    ImageEditor e;
    e.read(SettingsOf(kV1, {{112, 3}, {49, 0xFF}, {512, 7}}));
    e.model().setText("RPD21", "5");
    e.model().setItemIndex("Border1", 2);
    Cells out = e.write();
    EXPECT_EQ(out[112], 3);
    EXPECT_EQ(out[49], 0xFF);
    EXPECT_EQ(out[512], 7);
}

TEST(ReceiverSection, BorderAbove15LeavesNoSelectionAndIsWrittenAsMinusOne) {
    ImageEditor e;
    e.read(SettingsOf(kV3, {{49, 0xFF}, {50, 3}}));
    EXPECT_EQ(e.model().at("Border1").itemIndex, -1);
    EXPECT_EQ(e.model().at("Border2").itemIndex, 3);
    Cells out = e.write();
    EXPECT_EQ(out[49], -1);
    EXPECT_EQ(out[50], 3);
}

TEST(ReceiverSection, SystemNumbersOfReceiverFour) {
    ImageEditor e;
    e.read(SettingsOf(kV3, {{703, 192}, {255, 16}}));
    EXPECT_EQ(e.model().at("RPDI448").text, "192");
    EXPECT_EQ(e.model().at("RPD448").text, "16");
    Cells out = e.write();
    EXPECT_EQ(out[703], 192);
    EXPECT_EQ(out[255], 16);
}

// --- variants 2, 4 and 5 --------------------------------------------------------------------

TEST(SettingsImage, VariantTwoWritesOnlyItsCells) {
    ImageEditor e;
    Cells in = SettingsOf(kV2, {{6, 1}, {7, 2}, {8, 45}, {9, 3}, {23, 4}, {30, 9}});
    e.read(in);
    EXPECT_EQ(e.state().codeCount, 4);
    EXPECT_EQ(e.state().keyCount, 3);
    // PanelQN covers PasswordEdit: the password the user sees and types is the one written.
    EXPECT_EQ(e.model().at("paswrd1").text, "1234");
    e.model().setText("paswrd1", "9876");
    e.model().setPosition("KOD", 2);
    e.state().codeCount = 2;
    Cells out = e.write();
    Cells expected = in;
    expected[2] = 0x89, expected[3] = 0x88, expected[4] = 0x87, expected[5] = 0x86;
    expected[23] = 2;
    EXPECT_EQ(out, expected);
}

TEST(SettingsImage, VariantFourWritesTheVersionCellOnly) {
    ImageEditor e;
    Cells in = SettingsOf(kV4, {{8, 45}, {30, 2}});
    e.read(in);
    EXPECT_EQ(e.write(), in);
}

TEST(SettingsImage, DemoModeWritesTheVersionOfTheChosenVariant) {
    for (int variant : {1, 3, 5}) {
        ImageEditor e;
        e.state().demoMode = true;
        e.state().versionByte = 99;
        e.image.demoVariant = variant;
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
    Cells out = e.write();
    EXPECT_EQ(out[520], 34);
    EXPECT_EQ(out[521], 5);
    EXPECT_EQ(out[606], 152);
    EXPECT_EQ(out[607], 128);
    EXPECT_EQ(out[540], 0);  // cleared: no loop uses object 15
}

TEST(QnSettings, LineSpeedAndStatusCells) {
    struct Case {
        int speed, item, written;
    };
    for (Case c : {Case{0xFF, 0, 0xFF}, Case{0x5A, 1, 0x5A}, Case{0x00, 1, 0x5A}}) {
        ImageEditor e;
        e.read(SettingsOf(kV5, {{23, 1}, {257, c.speed}, {258, 2}, {261, 1}}));
        EXPECT_EQ(e.model().at("SpeedLine").itemIndex, c.item);
        EXPECT_TRUE(e.model().at("DamagePult1").checked);
        EXPECT_TRUE(e.model().at("ConnectRPU2").checked);
        Cells out = e.write();
        EXPECT_EQ(out[257], c.written);
        EXPECT_EQ(out[258], 0);
        EXPECT_EQ(out[261], 1);
        EXPECT_EQ(out[256], 0x55);
    }
}

TEST(QnSettings, CountsPasswordsAndUnhandledCells) {
    ImageEditor e;
    Cells in = SettingsOf(kV5, {{23, 4},
                                {700, 0x3C},
                                {56, 65},
                                {6, 9},
                                {384, 0x80},
                                {385, 0x85},
                                {386, 0x81},
                                {387, 0xFF},
                                {388, 0xFF},
                                {389, 0xFF}});
    Cells codes(kCodesCells, 0xFF);
    codes[8] = 0x85;  // code 2 in use, codes 1 and 3 empty
    e.read(in, codes);
    EXPECT_EQ(e.state().codeCount, 3);
    EXPECT_EQ(e.model().at("paswrd2").text, "051   ");
    Cells out = e.write();
    EXPECT_EQ(out[23], 4);
    EXPECT_EQ(out[9], 1);
    EXPECT_EQ(out[700], 0x3C);
    EXPECT_EQ(out[56], 65);
    EXPECT_EQ(out[6], 9);
    EXPECT_EQ((Cells(out.begin() + 384, out.begin() + 390)),
              (Cells(in.begin() + 384, in.begin() + 390)));
    e.model().setText("paswrd1", "");
    e.model().setText("paswrd2", "");
    out = e.write();
    EXPECT_EQ((Cells(out.begin() + 2, out.begin() + 6)), Cells(4, 0xFF));
    EXPECT_EQ((Cells(out.begin() + 384, out.begin() + 390)), Cells(6, 0xFF));
}

TEST(QnSettings, AfterAFirmwareReplacementTheFactorySettingsAreSentOnce) {
    ImageEditor e;
    e.read(SettingsOf(kV5, {{23, 1}}));
    e.image.factorySettings = Cells(kSettingsCells, 0x11);
    e.state().defaultsAfterReplace = true;
    EXPECT_EQ(e.write(), Cells(kSettingsCells, 0x11));
    EXPECT_FALSE(e.state().defaultsAfterReplace);
    EXPECT_EQ(e.write()[300], 0);
}

}  // namespace
}  // namespace kerma
