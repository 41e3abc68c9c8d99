// Random images of every variant: decoding and encoding again gives back every cell no field
// covers unchanged, and a second round changes nothing (the covered cells are already in the form
// the codecs write).
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "codes_image.h"
#include "image_test_support.h"
#include "state_dump.h"

namespace kerma {
namespace {

using testing::ImageEditor;

struct Variant {
    int number, settingsCells;
    int codesCovered;  // codes cells 0 .. codesCovered - 1 are built from fields
};

constexpr Variant kVariants[] = {
    {1, 1024, 1024}, {2, 256, 640}, {3, 1024, 768}, {4, 256, 0}, {5, 1024, 1792}};

void AddRange(std::set<int>& cells, int first, int last) {
    for (int i = first; i <= last; ++i) cells.insert(i);
}

// Settings cells a variant builds from its fields (own-name cells only for own names).
std::set<int> CoveredSettings(int variant, const Block& in) {
    std::set<int> c = {1};
    if (variant == 4) return c;
    AddRange(c, 2, 5);
    if (variant == 2) {
        c.insert(23);
        return c;
    }
    if (variant == 5) {
        for (int i : {9, 22, 23, 30, 31, 32, 33, 35}) c.insert(i);
        AddRange(c, 256, 264);
        AddRange(c, 272, 367);
        AddRange(c, 384, 389);
        AddRange(c, 512, 607);
        return c;
    }
    AddRange(c, 8, 23);
    AddRange(c, 27, 37);
    AddRange(c, 40, 45);
    for (int i : {47, 48, 60, 63}) c.insert(i);
    AddRange(c, 64, variant == 3 ? 255 : 111);
    AddRange(c, 256, 271);
    for (int p = 0; p < 16; ++p) {
        if ((in[256 + p] & 0xFF) == 63) AddRange(c, 272 + 8 * p, 279 + 8 * p);
    }
    if (variant == 3) {
        c.insert(46);
        AddRange(c, 49, 56);
        AddRange(c, 512, 703);
    }
    return c;
}

// Bytes as the panel holds them, weighted towards the values the layouts give meaning to.
int RandomCell(std::mt19937& rng) {
    static const int kTypical[] = {0, 1, 2, 0x3F, 0x55, 0x5A, 0x80, 0x81, 0x89, 0xFF, 16, 17, 63};
    std::uniform_int_distribution<int> pick(0, 3);
    if (pick(rng) == 0) return kTypical[rng() % std::size(kTypical)];
    return static_cast<int>(rng() & 0xFF);
}

Block RandomSettings(std::mt19937& rng, const Variant& v) {
    Block cells(kSettingsCells, 0);
    for (int i = 0; i < v.settingsCells; ++i) cells[i] = RandomCell(rng);
    cells[1] = testing::kVersions[v.number];
    // The engineer password of variants 1..3 must be digits for an image to be built at all.
    for (int i = 2; i <= 5; ++i) cells[i] = 0x80 + static_cast<int>(rng() % 10);
    if (rng() % 2) cells[23] = static_cast<int>(rng() % 34);  // counts in range, often
    if (rng() % 2) cells[9] = static_cast<int>(rng() % 97);
    return cells;
}

Block RandomCodes(std::mt19937& rng) {
    Block cells(kCodesCells);
    for (int& cell : cells) cell = RandomCell(rng);
    return cells;
}

struct Round {
    Block settings, codes;
    std::string state;
};

Round DecodeAndEncode(const Variant& v, const Block& settings, const Block& codes) {
    ImageEditor e;
    e.read(settings, codes);
    Round round;
    round.state = DumpEditorState(e.editor, v.number);
    round.codes = EncodeCodesImage(e.editor, e.image);
    auto built = EncodeSettingsImage(e.editor, e.image);
    EXPECT_TRUE(built.ok()) << (built ? "" : built.error());
    if (built) round.settings = *built;
    return round;
}

#ifdef KERMA_IMAGE_WITH_RULES
constexpr int kTrials = 4;  // the rules make every decoding far slower
#else
constexpr int kTrials = 20;
#endif

class ImageRoundTrip : public ::testing::TestWithParam<Variant> {};

TEST_P(ImageRoundTrip, UncoveredCellsStayAndASecondRoundChangesNothing) {
    const Variant& v = GetParam();
    std::mt19937 rng(740 + v.number);
    for (int trial = 0; trial < kTrials; ++trial) {
        Block settings = RandomSettings(rng, v), codes = RandomCodes(rng);
        Round first = DecodeAndEncode(v, settings, codes);
        std::set<int> covered = CoveredSettings(v.number, settings);
        for (int i = 0; i < kSettingsCells; ++i) {
            if (covered.count(i) != 0) continue;
            ASSERT_EQ(first.settings[i], settings[i]) << "cell " << i;
        }
        for (int i = v.codesCovered; i < kCodesCells; ++i) {
            ASSERT_EQ(first.codes[i], codes[i]) << "codes cell " << i;
        }
        Round second = DecodeAndEncode(v, first.settings, first.codes);
        Round third = DecodeAndEncode(v, second.settings, second.codes);
        ASSERT_EQ(second.settings, first.settings) << "trial " << trial;
        ASSERT_EQ(second.codes, first.codes) << "trial " << trial;
        ASSERT_EQ(third.state, second.state) << "trial " << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, ImageRoundTrip, ::testing::ValuesIn(kVariants),
                         [](const auto& info) {
                             return "Variant" + std::to_string(info.param.number);
                         });

TEST(StateDump, ListsTheVariantsControlsInAStableOrder) {
    ImageEditor e;
    e.read(testing::SettingsOf(18, {{23, 1}, {22, 0x21}}));
    std::string dump = DumpEditorState(e.editor, 1);
    EXPECT_NE(dump.find("VersionByte=18\nCodeCount=1\nKeyCount=0\nPasswordEdit=1234\n"),
              std::string::npos);
    EXPECT_NE(dump.find("\nRele1Combo=1 Взят/Снят\nRele2Combo=2 Исполнительный\n"),
              std::string::npos);
    EXPECT_NE(dump.find("\nkod2=      \nkod2.enabled=0\n"), std::string::npos);
    EXPECT_NE(dump.find("\nds11=1\n"), std::string::npos);
    EXPECT_EQ(dump.find("paswrd1"), std::string::npos);
    EXPECT_EQ(dump, DumpEditorState(e.editor, 1));
}

}  // namespace
}  // namespace kerma
