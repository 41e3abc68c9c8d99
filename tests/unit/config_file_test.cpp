// Configuration file text: what a well-formed file gives, and that every broken file is refused
// with the line named.
#include "config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kerma {
namespace {

std::string Lines(const std::vector<int>& cells, const char* end = "\r\n") {
    std::string text;
    for (int c : cells) text += std::to_string(c) + end;
    return text;
}

std::vector<int> FileCells(int version, int settings, int codes) {
    std::vector<int> cells(static_cast<size_t>(settings + codes), 7);
    cells[1] = version;
    return cells;
}

TEST(ConfigFileTest, CountsFollowTheVersionLine) {
    struct Case {
        int version, settings, codes;
    };
    for (Case c : {Case{18, 1024, 1024}, Case{33, 1024, 1024}, Case{53, 1024, 1792},
                   Case{21, 256, 1024}, Case{41, 256, 1024}}) {
        auto parsed = ParseConfigFile(Lines(FileCells(c.version, c.settings, c.codes)));
        ASSERT_TRUE(std::holds_alternative<ConfigImage>(parsed)) << c.version;
        const auto& image = std::get<ConfigImage>(parsed);
        EXPECT_EQ(image.settings.size(), static_cast<size_t>(c.settings));
        EXPECT_EQ(image.codes.size(), static_cast<size_t>(c.codes));
        EXPECT_EQ(image.settings[1], c.version);
    }
}

TEST(ConfigFileTest, FormatIsCrLfAndRoundTrips) {
    ConfigImage image{{-1, 18, 0, 255}, {1, 2}};
    EXPECT_EQ(FormatConfigFile(image), "-1\r\n18\r\n0\r\n255\r\n1\r\n2\r\n");
    auto cells = FileCells(18, 1024, 1024);
    cells[5] = -1;
    auto parsed = ParseConfigFile(Lines(cells));
    ASSERT_TRUE(std::holds_alternative<ConfigImage>(parsed));
    EXPECT_EQ(FormatConfigFile(std::get<ConfigImage>(parsed)), Lines(cells));
}

TEST(ConfigFileTest, LfOnlyLineEndsAreAccepted) {
    auto parsed = ParseConfigFile(Lines(FileCells(18, 1024, 1024), "\n"));
    EXPECT_TRUE(std::holds_alternative<ConfigImage>(parsed));
}

TEST(ConfigFileTest, BrokenFilesAreRefusedWithTheLine) {
    struct Case {
        const char* name;
        int line;
        std::string text;
    };
    auto cells = FileCells(18, 1024, 1024);
    std::string tooShort = Lines(std::vector<int>(cells.begin(), cells.end() - 1));
    std::string word = Lines(cells);
    word.replace(word.find("7\r\n"), 1, "x");  // line 0
    auto big = cells;
    big[300] = 256;
    auto small = cells;
    small[301] = -2;
    std::string blank = Lines(cells);
    blank.insert(blank.find("\r\n7\r\n", 10) + 2, "\r\n");
    std::string spaces = Lines(cells);
    spaces.replace(spaces.find("18"), 2, " 18");
    for (const Case& c :
         {Case{"too short", 2047, tooShort}, Case{"word", 0, word}, Case{"256", 300, Lines(big)},
          Case{"-2", 301, Lines(small)}, Case{"blank", 4, blank}, Case{"space", 1, spaces},
          Case{"empty", -1, ""}}) {
        auto parsed = ParseConfigFile(c.text);
        ASSERT_TRUE(std::holds_alternative<FileError>(parsed)) << c.name;
        EXPECT_EQ(std::get<FileError>(parsed).line, c.line) << c.name;
        EXPECT_FALSE(std::get<FileError>(parsed).message.empty());
    }
}

TEST(ConfigFileTest, WriteReplacesTheFileWhole) {
    const auto dir = std::filesystem::temp_directory_path() / "kerma_cfg_test";
    std::filesystem::create_directories(dir);
    const auto path = (dir / "a.cfg").string();
    ConfigImage image{std::vector<int32_t>(1024, 1), std::vector<int32_t>(1024, 2)};
    image.settings[1] = 18;
    ASSERT_EQ(WriteConfigFile(path, image), "");
    auto back = ReadConfigFile(path);
    ASSERT_TRUE(std::holds_alternative<ConfigImage>(back));
    EXPECT_EQ(std::get<ConfigImage>(back).codes, image.codes);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // A folder that does not exist: refused, nothing left behind.
    EXPECT_NE(WriteConfigFile((dir / "none" / "b.cfg").string(), image), "");
    std::filesystem::remove_all(dir);
}

TEST(ConfigFileTest, HugeFileIsRefusedUnread) {
    const auto path = (std::filesystem::temp_directory_path() / "kerma_huge.cfg").string();
    {
        std::ofstream out(path, std::ios::binary);
        std::string line(1000, '1');
        for (int i = 0; i < 3000; ++i) out << line << "\r\n";
    }
    auto parsed = ReadConfigFile(path);
    EXPECT_TRUE(std::holds_alternative<FileError>(parsed));
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kerma
