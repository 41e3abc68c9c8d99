// Configuration file text: what a well-formed file gives, and that every broken file is refused
// with the line named.
#include "config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "test_folder.h"
#include "utf8_path.h"

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
        ASSERT_TRUE(parsed.ok()) << c.version;
        const auto& image = parsed.value();
        EXPECT_EQ(image.settings.size(), static_cast<size_t>(c.settings));
        EXPECT_EQ(image.codes.size(), static_cast<size_t>(c.codes));
        EXPECT_EQ(image.settings[1], c.version);
    }
}

TEST(ConfigFileTest, FormatIsCrLfAndRoundTrips) {
    ConfigBlocks image{{-1, 18, 0, 255}, {1, 2}};
    EXPECT_EQ(FormatConfigFile(image), "-1\r\n18\r\n0\r\n255\r\n1\r\n2\r\n");
    auto cells = FileCells(18, 1024, 1024);
    cells[5] = -1;
    auto parsed = ParseConfigFile(Lines(cells));
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(FormatConfigFile(parsed.value()), Lines(cells));
}

TEST(ConfigFileTest, LfOnlyLineEndsAreAccepted) {
    auto parsed = ParseConfigFile(Lines(FileCells(18, 1024, 1024), "\n"));
    EXPECT_TRUE(parsed.ok());
}

// What the editor writes loads whatever an editor or a copy did to the text around it: a
// byte-order mark, CR-only line ends, blank or foreign lines after the ones a load uses, and any
// number as the block header on line 0, which a load never takes over.
TEST(ConfigFileTest, TextAroundTheCellsIsForgiven) {
    auto cells = FileCells(53, 1024, 1792);
    cells[0] = 123456;
    const std::string lines = Lines(cells);
    const auto expected = ParseConfigFile(Lines(FileCells(53, 1024, 1792)));
    ASSERT_TRUE(expected.ok());
    for (const std::string& text :
         {lines + "\r\n\r\n", lines + "  \r\n", lines + "конец файла\r\nx\r\n",
          lines + std::string("\0\1\2", 3), "\xEF\xBB\xBF" + lines, Lines(cells, "\r")}) {
        auto parsed = ParseConfigFile(text);
        ASSERT_TRUE(parsed.ok()) << parsed.error();
        const auto& image = parsed.value();
        EXPECT_EQ(image.settings[0], 123456);
        EXPECT_EQ(image.codes, expected.value().codes);
        EXPECT_EQ(ConfigFileVersion(text), 53);
    }
    for (int header : {-2147483647 - 1, -40, 256, 2147483647}) {
        cells[0] = header;
        EXPECT_TRUE(ParseConfigFile(Lines(cells)).ok()) << header;
    }
}

// A refusal says what is wrong in words, never quotes bytes that are no text, and never calls a
// file of some content empty.
TEST(ConfigFileTest, RefusalsNameWhatIsWrong) {
    struct Case {
        const char* name;
        std::string text;
        const char* said;
    };
    const std::string good = Lines(FileCells(18, 1024, 1024));
    std::string cyrillic = good;
    cyrillic.replace(cyrillic.find("7\r\n"), 1, "абвгдеёжзийклмнопрстуфх");
    const Case cases[] = {
        {"empty", "", "Файл пуст."},
        {"blank lines only", "\r\n  \r\n\r\n", "Файл пуст."},
        {"NUL in a line", std::string("0\r\n1\08\r\n", 8) + good, "Строка 2: нулевой байт"},
        {"binary, no line end",
         std::string("\x7F"
                     "ELF\x02\x01\x01\0\0",
                     9),
         "нулевой байт"},
        {"another code page", "0\r\n\xC2\xE5\xF0\r\n", "Строка 2: нечитаемые символы"},
        {"no UTF-8 lead byte", "0\r\n\xF8\x80\x80\r\n", "Строка 2: нечитаемые символы"},
        {"control characters", "0\r\n\x1B[2J\r\n", "Строка 2: нечитаемые символы"},
        {"UTF-16",
         "\xFF\xFE"
         "0\0\r\0\n\0",
         "UTF-16"},
        {"one line", "17\r\n", "нет строки 2"},
        {"header too big", "99999999999\r\n" + good.substr(good.find('\n') + 1),
         "Строка 1: 99999999999 слишком большое число"},
        {"number of 900 digits", "0\r\n" + std::string(900, '9') + "\r\n",
         "Строка 2: 99999999999999999999 слишком большое число"},
        {"blank lines then short", good.substr(0, good.size() - 3) + "\r\n\r\n",
         "В файле 2047 строк, нужно 2048."},
        {"long word", cyrillic, "Строка 1: \"абвгдеёжзийклмнопрст\" не число"},
    };
    for (const Case& c : cases) {
        auto parsed = ParseConfigFile(c.text);
        ASSERT_TRUE(!parsed.ok()) << c.name;
        const std::string& message = parsed.error();
        EXPECT_NE(message.find(c.said), std::string::npos) << c.name << ": " << message;
        EXPECT_EQ(message.find("пуст") == std::string::npos, std::string(c.said) != "Файл пуст.")
            << c.name << ": " << message;
    }
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
        ASSERT_TRUE(!parsed.ok()) << c.name;
        EXPECT_EQ(parsed.failure().line, c.line) << c.name;
        EXPECT_FALSE(parsed.error().empty());
    }
}

TEST(ConfigFileTest, WriteReplacesTheFileWhole) {
    const test::TempDir dir("kerma_cfg");
    const auto path = dir.file("a.cfg");
    ConfigBlocks image{std::vector<int32_t>(1024, 1), std::vector<int32_t>(1024, 2)};
    image.settings[1] = 18;
    ASSERT_TRUE(WriteConfigFile(path, image).ok());
    auto back = ReadConfigFile(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value().codes, image.codes);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // A folder that does not exist: refused, nothing left behind.
    EXPECT_FALSE(WriteConfigFile(dir.file("none/b.cfg"), image).ok());
}

class ConfigFileWriteTest : public ::testing::Test {
  protected:
    test::TempDir dir_{"kerma_cfg_write"};
    ConfigBlocks image_{std::vector<int32_t>(1024, 1), std::vector<int32_t>(1024, 2)};
    void SetUp() override { image_.settings[1] = 18; }
    std::string file(const char* name) const { return dir_.file(name); }
};

// A folder whose name is not ASCII, as Windows users have them under their profile.
TEST_F(ConfigFileWriteTest, CyrillicFolderNames) {
    const std::string folder = file("") + "Конфигурации";
    std::filesystem::create_directory(Utf8Path(folder));
    const std::string target = folder + "/объект №1.cfg";
    ASSERT_TRUE(WriteConfigFile(target, image_).ok());
    auto back = ReadConfigFile(target);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value().settings, image_.settings);
}

TEST(ConfigFileTest, HugeFileIsRefusedUnread) {
    const test::TempDir dir("kerma_huge");
    const auto path = dir.file("huge.cfg");
    {
        std::ofstream out(path, std::ios::binary);
        std::string line(1000, '1');
        for (int i = 0; i < 3000; ++i) out << line << "\r\n";
    }
    auto parsed = ReadConfigFile(path);
    EXPECT_TRUE(!parsed.ok());
}

}  // namespace
}  // namespace kerma
