// Own partition names in the panel's display codes.
#include "panel_chars.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "panel_code_text.h"

namespace kerma {
namespace {

using Codes = std::array<uint8_t, 8>;
using test::PanelCodeHasText;

TEST(PanelChars, LookalikeLettersUseLatinCodesAndReadBackAsLatin) {
    Codes codes = EncodePanelName("КУХНЯ 1");
    EXPECT_EQ(codes, (Codes{0x4B, 0xA9, 0x58, 0x48, 0xB1, 0x20, 0x31, 0x20}));
    EXPECT_EQ(DecodePanelName(codes), "KУXHЯ 1 ");  // Latin K, X and H
}

TEST(PanelChars, ShortNameIsPaddedWithBlanks) {
    Codes codes = EncodePanelName("Зал");
    EXPECT_EQ(codes, (Codes{0xA4, 0x61, 0xBB, 0x20, 0x20, 0x20, 0x20, 0x20}));
    EXPECT_EQ(DecodePanelName(codes), "Зaл     ");
}

TEST(PanelChars, OnlyEightCharactersAreStored) {
    EXPECT_EQ(EncodePanelName("абвгдежзий"), EncodePanelName("абвгдежз"));
}

struct CharCase {
    const char* text;
    uint8_t code;
};

class PanelCharCode : public ::testing::TestWithParam<CharCase> {};

TEST_P(PanelCharCode, StoresTheDisplayCode) {
    EXPECT_EQ(EncodePanelName(GetParam().text)[0], GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PanelCharCode,
    ::testing::Values(CharCase{"Ь", 0x08}, CharCase{"№", 0x17}, CharCase{"Ё", 0xA2},
                      CharCase{"ё", 0xB5}, CharCase{"Д", 0xE0}, CharCase{"щ", 0xE6},
                      CharCase{"я", 0xC7}, CharCase{"т", 0xBF},
                      // unlisted characters of 0x80 and above: (code - 0xA8) mod 256
                      CharCase{"«", 0x03}, CharCase{"Ђ", 0xD8},
                      // outside Windows-1251, as the platform converts it
                      CharCase{"中", '?'}),
    [](const auto& info) {
        char name[16];
        std::snprintf(name, sizeof name, "Code%02X", static_cast<unsigned>(info.param.code));
        return std::string(name);
    });

TEST(PanelChars, SoftSignAndNumeroReadBackAsLetters) {
    EXPECT_EQ(TextOfPanelCode(0x08), "Ь");
    EXPECT_EQ(TextOfPanelCode(0x17), "№");
}

// Every stored byte that some text encodes to must read back as such a text, or a read followed
// by a write would change the panel's names.
TEST(PanelChars, EveryByteWithATextEncodesBackToItself) {
    for (int code = 0; code < 256; ++code) {
        auto byte = static_cast<uint8_t>(code);
        if (!PanelCodeHasText(byte)) continue;
        EXPECT_EQ(EncodePanelName(TextOfPanelCode(byte))[0], byte) << "byte " << code;
    }
}

TEST(PanelChars, BytesNoTextProducesAreExactlyTheUnreachableOnes) {
    std::vector<int> without;
    for (int code = 0; code < 256; ++code) {
        if (!PanelCodeHasText(static_cast<uint8_t>(code))) without.push_back(code);
    }
    std::vector<int> expected;
    for (int c = 0x80; c <= 0x9F; ++c) expected.push_back(c);
    for (int c = 0xC8; c <= 0xD7; ++c) expected.push_back(c);
    expected.push_back(0xF0);  // would be the unassigned 0x98
    EXPECT_EQ(without, expected);
    EXPECT_EQ(TextOfPanelCode(0x80), "?");
}

TEST(PanelChars, MalformedUtf8DoesNotReadPastTheText) {
    Codes codes = EncodePanelName(std::string("\xD0", 1));
    EXPECT_EQ(codes[0], '?');
    EXPECT_EQ(codes[1], 0x20);
}

}  // namespace
}  // namespace kerma
