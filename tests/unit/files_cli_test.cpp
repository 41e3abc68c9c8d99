// kerma740-cli resave, diff and defaults: exit status, what they write and what they print.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_files.h"
#include "config_file.h"
#include "editor_files.h"
#include "scripted_prompts.h"

namespace kerma::cli {
namespace {

namespace fs = std::filesystem;

class FilesCliTest : public ::testing::Test {
  protected:
    fs::path dir_ = fs::temp_directory_path() /
                    ("kerma_cli_" +
                     std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::ostringstream out_, err_;
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const char* name) { return (dir_ / name).string(); }
    int run(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
            std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return command(args, out_, err_);
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(FilesCliTest, DefaultsOfEveryVariantResaveUnchanged) {
    for (int variant = 1; variant <= 5; ++variant) {
        const std::string a = path("a.cfg"), b = path("b.cfg");
        ASSERT_EQ(run(Defaults, {"--variant", std::to_string(variant), "--out", a}), 0)
            << variant << err_.str();
        auto parsed = ReadConfigFile(a);
        ASSERT_TRUE(std::holds_alternative<ConfigImage>(parsed)) << variant;
        EXPECT_EQ(std::get<ConfigImage>(parsed).codes.size(),
                  static_cast<size_t>(FileCodesCells(variant)));
        ASSERT_EQ(run(Resave, {a, b}), 0) << variant << err_.str();
        EXPECT_EQ(ReadAll(b), ReadAll(a)) << variant;
        EXPECT_EQ(run(Diff, {a, b}), 0) << variant;
        EXPECT_EQ(out_.str(), "");
    }
}

TEST_F(FilesCliTest, DiffNamesTheFieldWithBothValues) {
    ASSERT_EQ(run(Defaults, {"--variant", "1", "--out", path("a.cfg")}), 0);
    std::string text = ReadAll(path("a.cfg"));
    // Line 8 is the exit time: 45 becomes 30.
    size_t at = 0;
    for (int line = 0; line < 8; ++line) at = text.find("\r\n", at) + 2;
    ASSERT_EQ(text.substr(at, 4), "45\r\n");
    text.replace(at, 2, "30");
    std::ofstream(path("b.cfg"), std::ios::binary) << text;
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("b.cfg")}), 1);
    EXPECT_NE(out_.str().find("Delay: \"45\" | \"30\""), std::string::npos) << out_.str();

    // Files of different variants differ at least in their version.
    ASSERT_EQ(run(Defaults, {"--variant", "3", "--out", path("c.cfg")}), 0);
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("c.cfg")}), 1);
    EXPECT_NE(out_.str().find("VersionByte"), std::string::npos);
}

// Line 0 is the block header a load never takes over: every command reads such a file as the
// program does.
TEST_F(FilesCliTest, AnyHeaderNumberIsRead) {
    ASSERT_EQ(run(Defaults, {"--variant", "3", "--out", path("a.cfg")}), 0);
    std::string text = ReadAll(path("a.cfg"));
    text.replace(0, text.find("\r\n"), "123456");
    std::ofstream(path("b.cfg"), std::ios::binary) << text;
    EXPECT_EQ(run(Show, {path("b.cfg")}), 0) << err_.str();
    EXPECT_NE(out_.str().find("VersionByte=33"), std::string::npos);
    EXPECT_EQ(run(Resave, {path("b.cfg"), path("c.cfg")}), 0) << err_.str();
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("b.cfg")}), 0) << out_.str() << err_.str();
    EXPECT_TRUE(BlocksToWrite(path("b.cfg"), err_).has_value()) << err_.str();
}

// A variant 5 file with one code entered twice, as an older program version could leave it.
void WriteRepeatedCodes(const std::string& file) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts, EditorOptions{true, true});
    ImageState image;
    (void)StartDemo(editor, image, 5);
    editor.state().codeCount = 2;
    editor.model().setText("kod1", "1234");
    editor.model().setText("kod2", "1234");
    ASSERT_TRUE(SaveConfigurationTo(editor, image, 5, file));
}

// resave and a read from the panel save as the program's "Записать в файл" does: its checks run
// first and their notices reach the user.
TEST_F(FilesCliTest, SavesRunTheChecksOfTheProgram) {
    WriteRepeatedCodes(path("twice.cfg"));
    const char* pruned = "Поторяющийся Код в позиции №2 будет удален!";
    ASSERT_EQ(run(Resave, {path("twice.cfg"), path("once.cfg")}), 0) << err_.str();
    EXPECT_NE(err_.str().find(pruned), std::string::npos) << err_.str();
    ASSERT_EQ(run(Show, {path("once.cfg")}), 0);
    EXPECT_NE(out_.str().find("CodeCount=1\n"), std::string::npos) << out_.str();

    const auto blocks = std::get<ConfigImage>(ReadConfigFile(path("twice.cfg")));
    err_.str("");
    ASSERT_TRUE(SaveReadBlocks(blocks.settings, blocks.codes, path("read.cfg"), err_));
    EXPECT_NE(err_.str().find(pruned), std::string::npos) << err_.str();
    EXPECT_EQ(ReadAll(path("read.cfg")), ReadAll(path("once.cfg")));
}

TEST_F(FilesCliTest, BadArgumentsAndFiles) {
    struct Case {
        int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&);
        std::vector<std::string> args;
        int status;
    };
    std::ofstream(path("broken.cfg")) << "1\r\n18\r\nx\r\n";
    const Case cases[] = {
        {Defaults, {"--variant", "6", "--out", "x.cfg"}, 2},
        {Defaults, {"--variant", "1"}, 2},
        {Defaults, {"--out", "x.cfg", "--out", "y.cfg"}, 2},
        {Resave, {path("none.cfg"), path("out.cfg")}, 2},
        {Resave, {path("broken.cfg"), path("out.cfg")}, 2},
        {Resave, {path("broken.cfg")}, 2},
        {Diff, {path("broken.cfg"), path("none.cfg")}, 2},
        {Show, {path("none.cfg")}, 2},
        {Show, {dir_.string()}, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.command, c.args), c.status) << c.args[0];
        EXPECT_FALSE(err_.str().empty()) << c.args[0];
    }
    EXPECT_FALSE(fs::exists(path("out.cfg")));
    EXPECT_FALSE(fs::exists("x.cfg"));
}

}  // namespace
}  // namespace kerma::cli
