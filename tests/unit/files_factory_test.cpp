// The factory lists: every cell of every variant where the panel expects it, the passwords as
// password digits, and the virtual panel starting from them.
#include <gtest/gtest.h>

#include "factory_defaults.h"
#include "panel_memory.h"
#include "virtual_panel.h"

namespace kerma {
namespace {

struct CellCase {
    int variant;
    int cell;
    int value;
};

// Cells whose value the panel's firmware depends on; a shifted run shows up here.
TEST(FactoryImageTest, CellsThePanelReads) {
    const CellCase cases[] = {
        {1, 0, 170},   {1, 1, 18},    {1, 8, 45},     {1, 10, 255},  {1, 13, 255},   {1, 14, 0},
        {1, 29, 45},   {1, 31, 120},  {1, 32, 0},     {1, 36, 16},   {1, 43, 255},   {1, 63, 255},
        {1, 64, 0},    {1, 65, 255},  {1, 255, 255},  {1, 256, 0},   {1, 271, 0},    {1, 272, 255},
        {1, 768, 0},   {1, 959, 0},   {1, 960, 255},  {3, 32, 255},  {3, 37, 255},   {3, 39, 255},
        {3, 46, 120},  {3, 49, 255},  {3, 59, 255},   {3, 60, 0},    {3, 63, 0},     {3, 64, 255},
        {3, 511, 255}, {3, 704, 255}, {3, 1023, 255}, {5, 1, 53},    {5, 9, 0},      {5, 23, 1},
        {5, 34, 255},  {5, 54, 0},    {5, 56, 65},    {5, 57, 255},  {5, 256, 0x55}, {5, 257, 255},
        {5, 258, 0},   {5, 261, 1},   {5, 263, 1},    {5, 264, 0},   {5, 272, 255},  {5, 367, 255},
        {5, 387, 255}, {5, 512, 0},   {5, 607, 0},    {5, 608, 255}, {2, 1, 21},     {2, 8, 45},
        {2, 243, 255}, {2, 244, 0},   {2, 255, 0},    {4, 1, 41},    {4, 29, 45},    {4, 30, 0},
        {4, 31, 255},  {4, 255, 255},
    };
    for (const CellCase& c : cases) {
        EXPECT_EQ(FactoryConfiguration(c.variant).settings.at(c.cell), c.value)
            << "variant " << c.variant << " cell " << c.cell;
    }
}

TEST(FactoryImageTest, SizesAndCodesBlocks) {
    struct Case {
        int variant;
        size_t settings, codes;
        int codesValue;
    };
    for (Case c : {Case{1, 1024, 1024, 255}, Case{2, 256, 1024, 0}, Case{3, 1024, 1024, 255},
                   Case{4, 256, 1024, 255}, Case{5, 1024, 1792, 0}}) {
        const ConfigBlocks image = FactoryConfiguration(c.variant);
        ASSERT_EQ(image.settings.size(), c.settings) << c.variant;
        ASSERT_EQ(image.codes.size(), c.codes) << c.variant;
        for (int32_t cell : image.codes) ASSERT_EQ(cell, c.codesValue) << c.variant;
        for (int32_t cell : image.settings) ASSERT_TRUE(cell >= 0 && cell <= 255) << c.variant;
    }
    EXPECT_TRUE(FactoryConfiguration(0).settings.empty());
    EXPECT_TRUE(FactoryConfiguration(6).codes.empty());
}

// Passwords are password digits, never bare digits or text; the short ones end in empties.
TEST(FactoryImageTest, PasswordsAreDigitCells) {
    auto digits = [](const Block& cells, int first, int count) {
        std::string text;
        for (int i = first; i < first + count; ++i) {
            int cell = cells[static_cast<size_t>(i)];
            text += cell == 0xFF ? ' ' : static_cast<char>('0' + cell - 0x80);
            EXPECT_TRUE(cell == 0xFF || (cell >= 0x80 && cell <= 0x89)) << i;
        }
        return text;
    };
    for (int variant = 1; variant <= 5; ++variant) {
        EXPECT_EQ(digits(FactoryConfiguration(variant).settings, 2, 4), kFactoryEngineerPassword);
    }
    const std::string user = std::string(kFactoryUserPassword) + "   ";
    EXPECT_EQ(digits(FactoryConfiguration(1).settings, 40, 6), user);
    EXPECT_EQ(digits(FactoryConfiguration(3).settings, 40, 6), user);
    EXPECT_EQ(digits(FactoryConfiguration(5).settings, 384, 6), std::string(kFactoryAdminPassword) + "   ");
}

TEST(FactoryImageTest, SystemNumbersRunThroughAllReceivers) {
    const Block cells = FactoryConfiguration(3).settings;
    for (int i = 0; i < 192; ++i) ASSERT_EQ(cells[512 + static_cast<size_t>(i)], i + 1);
}

TEST(FactoryImageTest, SettingsCopyCarriesTheHeldVersion) {
    const Block copy = FactorySettingsCopy(2, 23);
    ASSERT_EQ(copy.size(), 1024u);
    EXPECT_EQ(copy[1], 23);
    EXPECT_EQ(copy[8], 45);
    EXPECT_EQ(copy[300], 0);  // beyond a 256-cell list
    EXPECT_EQ(FactoryCodesCopy().size(), 1792u);
    EXPECT_TRUE(FactorySettingsCopy(9, 18).empty());
}

TEST(FactoryImageTest, VirtualPanelStartsFromTheFactoryImage) {
    VirtualPanel panel(9, 33);
    ASSERT_TRUE(LoadFactoryPanelMemory(panel));
    EXPECT_EQ(panel.version(), 33);
    EXPECT_EQ(panel.settings()[0], 170);
    EXPECT_EQ(panel.settings()[703], 192);
    EXPECT_EQ(panel.codes()[0], 0xFF);

    VirtualPanel unknown(9, 5);
    EXPECT_FALSE(LoadFactoryPanelMemory(unknown));
    EXPECT_EQ(unknown.settings()[0], 0);
}

}  // namespace
}  // namespace kerma
