// The codes block: codes, Touch Memory keys and object numbers per variant.
#include "codes_image.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

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
using testing::SettingsOf;

Block Record(const Block& cells, int first) {
    return Block(cells.begin() + first, cells.begin() + first + 8);
}

// An editor of the variant with the given counts and every code and key slot empty.
ImageEditor& Open(ImageEditor& e, int version, int codes, int keys = 0) {
    int codeCell = version == kV5 ? codes + 1 : codes;
    e.read(SettingsOf(version, {{23, codeCell}, {9, keys}}));
    return e;
}

TEST(CodesImage, FourDigitCodeWithAuthoritiesOneAndTen) {
    ImageEditor e;
    Open(e, kV1, 1);
    e.model().setText("kod1", "1234");
    e.model().setChecked(CodeBoxName(1, 1), true);
    e.model().setChecked(CodeBoxName(1, 10), true);
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Record(out, 0), (Block{0x81, 0x82, 0x83, 0x84, 0xFF, 0xFF, 0x01, 0x02}));
}

TEST(CodesImage, BlanksInsideACodeAreSkipped) {
    ImageEditor e;
    Open(e, kV1, 2);
    e.model().setText("kod2", " 1 2 3");
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Record(out, 8), (Block{0x81, 0x82, 0x83, 0xFF, 0xFF, 0xFF, 0, 0}));
}

TEST(CodesImage, OneDigitCodeIsPaddedOnlyInVariantFive) {
    Block codes(kCodesCells, 0xFF);
    codes[0] = 0x87;
    codes[6] = 0x21;
    codes[7] = 0x80;
    ImageEditor v1, v5;
    v1.read(SettingsOf(kV1, {{23, 1}}), codes);
    v5.read(SettingsOf(kV5, {{23, 2}}), codes);
    EXPECT_EQ(v1.model().at("kod1").text, "7     ");
    EXPECT_EQ(v5.model().at("kod1").text, "     7");
    EXPECT_TRUE(v1.model().at(CodeBoxName(1, 6)).checked);
    EXPECT_TRUE(v1.model().at(CodeBoxName(1, 16)).checked);
    // Variant 5 keeps no authorities over partitions 1..8.
    EXPECT_EQ(Record(EncodeCodesImage(v5.editor, v5.image), 0),
              (Block{0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x80}));
    EXPECT_EQ(Record(EncodeCodesImage(v1.editor, v1.image), 0), Record(codes, 0));
}

TEST(CodesImage, ACodeDigitZeroStoredByThePanelIsKept) {
    Block codes(kCodesCells, 0xFF);
    codes[0] = 0x80, codes[1] = 0x85, codes[2] = 0x80, codes[3] = 0x81;
    codes[6] = codes[7] = 0;
    ImageEditor e;
    e.read(SettingsOf(kV1, {{23, 1}}), codes);
    EXPECT_EQ(e.model().at("kod1").text, "0501  ");
    EXPECT_EQ(Record(EncodeCodesImage(e.editor, e.image), 0),
              (Block{0x80, 0x85, 0x80, 0x81, 0xFF, 0xFF, 0, 0}));
}

TEST(CodesImage, RecordsBeyondTheCountAreWrittenAsNotInUse) {
    ImageEditor e;
    Open(e, kV1, 3);
    EXPECT_FALSE(e.model().at("kod4").enabled);
    e.model().setText("kod4", "55");  // text left in a field out of use
    e.model().setText("kod3", "66");
    e.model().setChecked(CodeBoxName(3, 2), true);
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Record(out, 24), (Block{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(Record(out, 16), (Block{0x86, 0x86, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0}));
}

TEST(CodesImage, DecodingEmptiesAndDisablesFieldsBeyondTheCount) {
    Block codes(kCodesCells, 0xFF);
    codes[8] = 0x82;
    codes[14] = 0x01;
    ImageEditor e;
    e.read(SettingsOf(kV1, {{23, 1}}), codes);
    EXPECT_TRUE(e.model().at("kod1").enabled);
    EXPECT_FALSE(e.model().at("kod2").enabled);
    EXPECT_EQ(e.model().at("kod2").text, "      ");
    EXPECT_FALSE(e.model().at(CodeBoxName(2, 1)).checked);
    EXPECT_FALSE(e.model().at(CodeBoxName(2, 1)).enabled);
    EXPECT_EQ(e.model().at("KOD").position, 1);
}

TEST(CodesImage, KeyByteOrderAndRoundTrip) {
    ImageEditor e;
    Open(e, kV1, 0, 1);
    e.model().setText("Key1", "0123456789AB");
    e.model().setChecked(KeyBoxName(1, 16), true);
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Record(out, 256), (Block{0xAB, 0x89, 0x67, 0x45, 0x23, 0x01, 0, 0x80}));
    e.read(SettingsOf(kV1, {{9, 1}}), out);
    EXPECT_EQ(e.model().at("Key1").text, "0123456789AB");
    EXPECT_TRUE(e.model().at(KeyBoxName(1, 16)).checked);
}

TEST(CodesImage, KeyIdentifiersHoldingFFSurviveAReadAndAWrite) {
    Block codes(kCodesCells, 0xFF);
    Block key = {0x01, 0xFF, 0x22, 0xFF, 0xFF, 0x10, 0x03, 0x00};
    std::copy(key.begin(), key.end(), codes.begin() + 256);
    ImageEditor e;
    e.read(SettingsOf(kV1, {{9, 2}}), codes);
    EXPECT_EQ(e.model().at("Key1").text, "10FFFF22FF01");
    EXPECT_EQ(e.model().at("Key2").text, "");  // cell 0 of 0xFF: an empty slot
    EXPECT_EQ(Record(EncodeCodesImage(e.editor, e.image), 256), key);
}

TEST(CodesImage, ShortKeyTextCountsAsLeadingZeros) {
    ImageEditor e;
    Open(e, kV1, 0, 1);
    e.model().setText("Key1", "ABCDE");
    e.model().setChecked(KeyBoxName(1, 1), true);
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Record(out, 256), (Block{0xDE, 0xBC, 0x0A, 0, 0, 0, 1, 0}));
}

TEST(CodesImage, VariantThreeKeepsKeys65To96AndItsTail) {
    Block codes(kCodesCells, 0xFF);
    for (int i = 768; i < 1024; ++i) codes[i] = i & 0x7F;
    ImageEditor e;
    e.read(SettingsOf(kV3, {{9, 70}}), codes);
    EXPECT_EQ(e.state().keyCount, 70);
    e.model().setText("Key66", "111111111111");  // slot 66 is no part of variant 3's block
    Block out = EncodeCodesImage(e.editor, e.image);
    for (int i = 768; i < 1024; ++i) ASSERT_EQ(out[i], codes[i]) << "cell " << i;
}

TEST(CodesImage, KeyCountShowsTheKeySubPages) {
    struct Case {
        int keys;
        bool second, third;
    };
    for (Case c : {Case{40, true, false}, Case{64, true, false}, Case{65, true, true},
                   Case{10, false, false}}) {
        ImageEditor e;
        Open(e, kV1, 0, c.keys);
        EXPECT_EQ(e.model().at("TM3264").visible, c.second) << c.keys;
        EXPECT_EQ(e.model().at("TM6496").visible, c.third) << c.keys;
    }
}

TEST(CodesImage, VariantFiveObject999OfReceiverFourRow24Loop8) {
    ImageEditor e;
    Open(e, kV5, 0);
    e.model().setText(ObjectName(4, 24, 8), "999");
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(out[1790], 0xE7);
    EXPECT_EQ(out[1791], 0x03);
}

struct ObjectCase {
    int version, low, high;
    const char* before;  // the field's text before decoding
    const char* shown;
};

class ObjectDecoding : public ::testing::TestWithParam<ObjectCase> {};

TEST_P(ObjectDecoding, ReceiverOneRowOneLoopOne) {
    const ObjectCase& c = GetParam();
    Block codes(kCodesCells, 0);
    codes[256] = c.low;
    codes[257] = c.high;
    ImageEditor e;
    e.model().setText("Object11", c.before);
    e.read(SettingsOf(c.version, {{23, 1}}), codes);
    EXPECT_EQ(e.model().at("Object11").text, c.shown);
}

INSTANTIATE_TEST_SUITE_P(Variants, ObjectDecoding,
                         ::testing::Values(ObjectCase{kV2, 0x05, 0xFF, "12", "0  "},
                                           ObjectCase{kV2, 0x05, 0x30, "12", "5  "},
                                           ObjectCase{kV2, 0xE7, 0x03, "12", "999"},
                                           ObjectCase{kV5, 0x05, 0xFF, "12", "12 "},
                                           ObjectCase{kV5, 0xFF, 0xFF, "12", "0  "},
                                           ObjectCase{kV5, 0x2A, 0xF0, "12", "42 "}),
                         [](const auto& info) {
                             char name[40];
                             std::snprintf(name, sizeof name, "Version%dLow%02XHigh%02X",
                                           info.param.version, info.param.low, info.param.high);
                             return std::string(name);
                         });

TEST(CodesImage, VariantFiveDecodingRefreshesTheObjectAssignments) {
    Block codes(kCodesCells, 0);
    codes[256 + 384 * 3 + 16 * 23 + 14] = 48;  // receiver 4, row 24, loop 8
    ImageEditor e;
    e.read(SettingsOf(kV5, {{23, 1}}), codes);
    EXPECT_EQ(e.image.objectAssignments[767], 48);
    EXPECT_EQ(e.write()[606], 152);
}

// --- the object rule at the end of a four-receiver QN decoding -----------------------------

const std::string kObjectRange =
    "Недопустимое значение! Номер объекта должен быть в интервале от 0 до 999";
const std::string kObjectRepeat = "Повтор номера объекта в РПД №";

int ObjectCell(int receiver, int row, int loop) {
    return 256 + 384 * (receiver - 1) + 16 * (row - 1) + 2 * (loop - 1);
}

// Object numbers: {receiver, row, loop, number}; every other loop holds no object.
Block ObjectsBlock(std::initializer_list<std::array<int, 4>> objects) {
    Block codes(kCodesCells, 0xFF);
    for (auto [r, t, s, number] : objects) {
        codes[ObjectCell(r, t, s)] = number & 0xFF;
        codes[ObjectCell(r, t, s) + 1] = number >> 8;
    }
    return codes;
}

TEST(ObjectRuleAfterDecoding, AFieldLeftEmptyByTheBlockBecomesZeroWithItsNotice) {
    Block codes = ObjectsBlock({});
    codes[ObjectCell(2, 3, 4)] = 0x05;  // high cell 0xFF: the field keeps its empty text
    ImageEditor e;
    e.image.objectAssignments[192 + 16 + 3] = 27;  // from an earlier configuration
    e.read(SettingsOf(kV5, {{23, 1}}), codes);
    EXPECT_EQ(e.prompts.shown, std::vector<std::string>{kObjectRange});
    EXPECT_EQ(e.model().at(ObjectName(2, 3, 4)).text, "0  ");
    EXPECT_EQ(e.image.objectAssignments[192 + 16 + 3], 0);
    EXPECT_EQ(e.model().focus(), ObjectName(2, 3, 4));
    EXPECT_EQ(e.model().activePage("PageControl"), "TabSheetName");
    EXPECT_EQ(e.model().activePage("PageControlRPY4"), "TabSheet_QN_RPY2");
}

// A repeat between two other transmitters is reported; Object11 keeps its number, and a load
// marks no loop as changed.
TEST(ObjectRuleAfterDecoding, ARepeatElsewhereLeavesObject11AndTheMarksAlone) {
    ImageEditor e;
    e.read(SettingsOf(kV5, {{23, 1}, {272, 0}, {273, 0x10}}),
           ObjectsBlock({{1, 1, 1, 4}, {1, 2, 5, 30}, {1, 3, 1, 30}}));
    EXPECT_EQ(e.prompts.shown, std::vector<std::string>{kObjectRepeat + "3"});
    EXPECT_EQ(e.model().at("Object11").text, "4  ");
    EXPECT_EQ(e.image.objectCarry.lastObjectValue, 4);
    EXPECT_EQ(e.image.objectCarry.lastObjectTag, 0);
    Block out = e.write();
    EXPECT_EQ(out[272], 0);
    EXPECT_EQ(out[273], 0x10);
    EXPECT_EQ(out[274], 0);
}

// Object11 in a repeat loses its number, whatever field was entered before the load.
TEST(ObjectRuleAfterDecoding, Object11InARepeatBecomesZero) {
    ImageEditor e;
    e.image.objectCarry.objectValueOnEntry = 37;
    e.read(SettingsOf(kV5, {{23, 1}}), ObjectsBlock({{1, 1, 1, 9}, {1, 5, 2, 9}}));
    EXPECT_EQ(e.prompts.shown, std::vector<std::string>{kObjectRepeat + "5"});
    EXPECT_EQ(e.model().at("Object11").text, "0  ");
    EXPECT_EQ(e.image.objectAssignments[0], 0);
    EXPECT_EQ(e.image.objectAssignments[4 * 8 + 1], 9);
    EXPECT_EQ(e.model().focus(), "Object11");
    EXPECT_EQ(e.write()[272], 0);
}

TEST(CodesImage, VariantTwoObjectsAndTail) {
    Block codes(kCodesCells, 0);
    for (int i = 640; i < 1024; ++i) codes[i] = 0x5C;
    ImageEditor e;
    e.read(SettingsOf(kV2, {{23, 0}}), codes);
    e.model().setText(ObjectName(1, 24, 8), "300");
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(out[256 + 16 * 23 + 14], 44);
    EXPECT_EQ(out[256 + 16 * 23 + 15], 1);
    for (int i = 640; i < 1024; ++i) ASSERT_EQ(out[i], 0x5C);
}

TEST(CodesImage, VariantFourSendsTheHeldBlockBack) {
    Block codes(kCodesCells);
    for (int i = 0; i < kCodesCells; ++i) codes[i] = (i * 7) & 0xFF;
    ImageEditor e;
    e.read(SettingsOf(kV4), codes);
    EXPECT_EQ(EncodeCodesImage(e.editor, e.image), codes);
}

TEST(CodesImage, AfterAFirmwareReplacementVariantFiveSendsTheFactoryCodes) {
    ImageEditor e;
    Open(e, kV5, 1);
    e.model().setText("kod1", "123");
    e.image.factoryCodesCopy = Block(kQnCodesCells, 0);
    e.state().defaultsAfterReplace = true;
    Block out = EncodeCodesImage(e.editor, e.image);
    EXPECT_EQ(Block(out.begin(), out.begin() + kQnCodesCells), Block(kQnCodesCells, 0));
    EXPECT_TRUE(e.state().defaultsAfterReplace);  // the settings encoding clears it
}

}  // namespace
}  // namespace kerma
