// kerma740-cli resave, diff and defaults: exit status, what they write and what they print; and
// the promises every kind of file the programs write keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "backups.h"
#include "cli_files.h"
#include "cli_safety.h"
#include "config_file.h"
#include "editor_files.h"
#include "editor_rules.h"
#include "factory_defaults.h"
#include "field_compare.h"
#include "k740_controls.h"
#include "scripted_prompts.h"
#include "test_files.h"
#include "test_folder.h"
#ifdef KERMA_TEST_PDF
#include "pdf_test_app.h"
#include "report_pdf.h"
#endif

#ifdef __linux__
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kerma::cli {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;

class FilesCliTest : public ::testing::Test {
  protected:
    test::TempDir folder_{"kerma_cli"};  // read-only files removed too, on Windows as well
    const fs::path& dir_ = folder_.path();
    std::ostringstream out_, err_;
    fs::path disk_;  // a small disk mounted for the test
    void TearDown() override {
#ifdef __linux__
        if (!disk_.empty()) ::umount2(disk_.c_str(), MNT_DETACH);
#endif
    }
    std::string path(const char* name) {
        return (dir_ / name).string();
    }
    int run(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
            std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return command(args, out_, err_);
    }
};

// A file of the variant's demo configuration, edited.
void WriteEdited(const std::string& file, int variant,
                 const std::function<void(K740Editor&)>& edit) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts, EditorOptions{variant == 2 || variant == 5, true});
    CodecMemory image;
    (void)StartDemo(editor, image, variant);
    edit(editor);
    ASSERT_TRUE(SaveConfigurationTo(editor, image, variant, file));
}

TEST_F(FilesCliTest, DefaultsOfEveryVariantResaveUnchanged) {
    for (int variant = 1; variant <= 5; ++variant) {
        const std::string a = path("a.cfg"), b = path("b.cfg");
        ASSERT_EQ(run(Defaults, {"--variant", std::to_string(variant), "--out", a}), 0)
            << variant << err_.str();
        auto parsed = ReadConfigFile(a);
        ASSERT_TRUE(parsed.ok()) << variant;
        EXPECT_EQ(parsed.value().codes.size(), static_cast<size_t>(FileCodesCells(variant)));
        ASSERT_EQ(run(Resave, {a, b}), 0) << variant << err_.str();
        EXPECT_EQ(ReadAll(b), ReadAll(a)) << variant;
        EXPECT_EQ(run(Diff, {a, b}), 0) << variant;
        EXPECT_EQ(out_.str(), "");
        // A factory engineer password is pointed out on one line; the expanders have none.
        EXPECT_EQ(run(Show, {a}), 0) << variant;
        const std::string said = err_.str();
        EXPECT_EQ(said.find("Внимание: заводск") == 0, variant != 4) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), variant != 4) << said;
    }
}

TEST_F(FilesCliTest, DiffNamesTheFieldsAsTheEditorDoes) {
    ASSERT_EQ(run(Defaults, {"--variant", "1", "--out", path("a.cfg")}), 0);
    std::string text = ReadAll(path("a.cfg"));
    // Line 8 is the exit time: 45 becomes 30.
    size_t at = 0;
    for (int line = 0; line < 8; ++line) at = text.find("\r\n", at) + 2;
    ASSERT_EQ(text.substr(at, 4), "45\r\n");
    text.replace(at, 2, "30");
    std::ofstream(path("b.cfg"), std::ios::binary) << text;
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("b.cfg")}), 1);
    EXPECT_EQ(out_.str(), "Время выхода: 45 → 30\n");

    // Files of different variants differ at least in their version.
    ASSERT_EQ(run(Defaults, {"--variant", "3", "--out", path("c.cfg")}), 0);
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("c.cfg")}), 1);
    EXPECT_NE(out_.str().find("Версия ПО прибора: 18 → 33\n"), std::string::npos) << out_.str();

    // The fields in the editor's words; passwords, codes and key identifiers as the report masks
    // them unless asked for; the flags the values set only where nothing else differs.
    WriteEdited(path("a.cfg"), 1, [](K740Editor&) {});
    WriteEdited(path("b.cfg"), 1, [](K740Editor& editor) {
        FormModel& m = editor.model();
        m.setText("PasswordEdit", "5678");
        m.click("avt1");
        m.click("ds05");
        ApplyKeyCount(m, editor.state(), 1);
        m.setText("Key1", "00000000ABCD");
        ApplyCodeCount(m, editor.state(), 1);
        m.setText("kod1", "4321");
        m.setChecked(CodeBoxName(1, 2), true);
    });
    struct Case {
        bool secrets;
        const char* line;  // a line of the output
    };
    const Case cases[] = {
        {false, "Пароль инженера: •••• → ••••\n"},
        {true, "Пароль инженера: 1234 → 5678\n"},
        {false, "Автовзятие, раздел 1: нет → да\n"},
        {false, "Тип раздела, раздел 5: охранный → пожарный\n"},
        {false, "Количество ключей ТМ: 0 → 1\n"},
        {false, "Ключ ТМ 1: — → ••••••••••••\n"},
        {true, "Ключ ТМ 1:  → 00000000ABCD\n"},
        {false, "Код 1: — → ••••••\n"},
        {true, " → 4321"},
        {false, "Полномочия кода 1, раздел 2: нет → да\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{path("a.cfg"), path("b.cfg")};
        if (c.secrets) args.insert(args.begin(), "--secrets");
        EXPECT_EQ(run(Diff, args), 1);
        EXPECT_NE(out_.str().find(c.line), std::string::npos) << c.line << out_.str();
        EXPECT_EQ(out_.str().find("5678") == std::string::npos, !c.secrets) << out_.str();
    }
    EXPECT_EQ(out_.str().find("доступно"), std::string::npos) << out_.str();
    EXPECT_EQ(run(Diff, {path("a.cfg"), path("b.cfg"), "--secret"}), 2);
    EXPECT_EQ(out_.str(), "");

    const FieldDifference flag{"tix5.enabled", "0", kNoValue};
    EXPECT_EQ(DifferenceLines({flag}, false),
              std::vector<std::string>{"Тихая тревога, раздел 5: недоступно → доступно"});
    EXPECT_EQ(DifferenceLines({{"avt1", "0", "1"}, flag}, false),
              std::vector<std::string>{"Автовзятие, раздел 1: нет → да"});
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

// resave and a read from the panel save as the program's "Записать в файл" does: its checks run
// first and their notices reach the user.
TEST_F(FilesCliTest, SavesRunTheChecksOfTheProgram) {
    // One code entered twice, as an older program version could leave it.
    WriteEdited(path("twice.cfg"), 5, [](K740Editor& editor) {
        editor.state().codeCount = 2;
        editor.model().setText("kod1", "1234");
        editor.model().setText("kod2", "1234");
    });
    const char* pruned = "Поторяющийся Код в позиции №2 будет удален!";
    ASSERT_EQ(run(Resave, {path("twice.cfg"), path("once.cfg")}), 0) << err_.str();
    EXPECT_NE(err_.str().find(pruned), std::string::npos) << err_.str();
    ASSERT_EQ(run(Show, {path("once.cfg")}), 0);
    EXPECT_NE(out_.str().find("CodeCount=1\n"), std::string::npos) << out_.str();

    const auto blocks = ReadConfigFile(path("twice.cfg")).value();
    err_.str("");
    ASSERT_TRUE(SaveReadBlocks(blocks.settings, blocks.codes, path("read.cfg"), err_));
    EXPECT_NE(err_.str().find(pruned), std::string::npos) << err_.str();
    EXPECT_EQ(ReadAll(path("read.cfg")), ReadAll(path("once.cfg")));
}

// The checks of a write never ask where nobody can answer: a key without authorities refuses
// the write, named by its number.
TEST_F(FilesCliTest, WriteChecksNameTheEntryInsteadOfAsking) {
    ScriptedPrompts prompts;
    K740Editor editor(prompts, EditorOptions{false, true});
    CodecMemory image;
    (void)StartDemo(editor, image, 1);
    ApplyKeyCount(editor.model(), editor.state(), 5);
    editor.model().setText("Key5", "00000000ABCD");
    for (int p = 1; p <= 16; ++p) editor.model().setChecked(KeyBoxName(5, p), false);
    ASSERT_TRUE(SaveConfigurationTo(editor, image, 1, path("key.cfg")));
    EXPECT_FALSE(BlocksToWrite(path("key.cfg"), err_).has_value());
    EXPECT_NE(err_.str().find("Ключ ТМ 5: идентификатор без полномочий."), std::string::npos)
        << err_.str();
    EXPECT_EQ(err_.str().find("Удалить?"), std::string::npos) << err_.str();
}

// How a file looks from outside: what the name is, the permissions and text of what it names.
struct Look {
    fs::file_type type;
    fs::perms perms;
    std::string text;
    bool operator==(const Look&) const = default;
};

Look LookAt(const fs::path& file) {
    std::error_code ec;
    const bool plain = fs::is_regular_file(file, ec);  // a pipe is never opened: it would block
    return {fs::symlink_status(file, ec).type(), fs::status(file, ec).permissions(),
            plain ? ReadAll(file.string()) : ""};
}

// A file that came out whole: a configuration that reads back, a report to its end.
bool Whole(const fs::path& file) {
    const std::string text = ReadAll(file.string());
    if (file.extension() == ".html") return text.ends_with("</html>\n");
    if (file.extension() == ".pdf") return text.starts_with("%PDF-") && text.ends_with("%%EOF\n");
    return ParseConfigFile(text).ok();
}

// A small disk, filled before the writes; only root may mount one.
bool MountSmallDisk(const fs::path& at) {
    fs::create_directories(at);
#ifdef __linux__
    return ::geteuid() == 0 && ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k") == 0;
#else
    return false;
#endif
}

void FillDisk(const fs::path& disk) {
    std::ofstream filler(disk / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())).flush()) {
    }
}

// The client's report command, with the PDF renderer where the build has Qt.
int ReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
#ifdef KERMA_TEST_PDF
    return Report(args, RenderPdfReport, out, err);
#else
    return Report(args, nullptr, out, err);
#endif
}

// Every kind of file the programs write keeps the promises of a save: a read-only file stays as
// it is (for root too), a private one stays private, a link is followed, a pipe is no file, the
// user's own X.tmp is never touched, a full disk leaves the old file and says why, and a report
// never replaces the configuration it describes. A backup never replaces anything: it takes the
// next name. Nothing of ours is ever left beside the file.
TEST_F(FilesCliTest, EveryKindOfFileKeepsTheWritingPromises) {
    const std::string input = path("in.cfg");
    ASSERT_EQ(run(Defaults, {"--variant", "1", "--out", input}), 0);
    const LocalTime second{2026, 12, 8, 14, 3, 1};
    const std::string backup = BackupFileName(second, 18, BackupKind::Read);
    // Each kind writes onto a path: nullopt when written, else what the user was told.
    using Said = std::optional<std::string>;
    const auto command = [&](auto cmd, std::vector<std::string> args) {
        if (run(cmd, std::move(args)) == kDone) return Said();
        EXPECT_EQ(err_.str().find("записан"), std::string::npos) << err_.str();
        return Said(err_.str());
    };
    const auto report = [&](const fs::path& t) {
#ifdef KERMA_TEST_PDF
        test::UsePdfApplication();
#endif
        return command(ReportCommand, {input, "--out", t.string()});
    };
    const std::pair<std::string, std::function<Said(const fs::path&)>> kinds[] = {
        {"x.cfg",
         [&](const fs::path& t) {
             return command(Resave, {input, t.string()});
         }},
        {backup,
         [&](const fs::path& t) {
             const auto kept = BackupStore(t.parent_path().string())
                                   .keep(FactoryConfiguration(1), 18, BackupKind::Read, second);
             return kept ? Said() : Said(kept.error());
         }},
        {"x.html", report},
        {"x.pdf", report},
    };
    constexpr auto kPrivate = fs::perms::owner_read | fs::perms::owner_write;
    const auto old = [](const fs::path& t, fs::perms perms) {
        std::ofstream(t, std::ios::binary) << "old";
        fs::permissions(t, perms);
    };
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> plant;  // what is there before
        const char* refusal;                         // what a refusal says; nullptr: written
    };
    std::vector<Row> rows = {
        {"read-only", [&](const fs::path& t) { old(t, fs::perms::owner_read); },
         "Нет доступа к файлу"},
        {"private", [&](const fs::path& t) { old(t, kPrivate); }, nullptr},
        // The user's X.tmp stays; what a killed write of ours left over an hour ago goes.
        {"own tmp",
         [&](const fs::path& t) {
             old(t, kPrivate);
             old(t.string() + ".tmp", kPrivate);
             const fs::path ours =
                 t.parent_path() / ("." + t.filename().string() + ".0123abcd.kerma-new");
             old(ours, kPrivate);
             fs::last_write_time(ours, fs::file_time_type::clock::now() - std::chrono::hours(2));
         },
         nullptr},
        // A report's own source under another name: a hard link is the same file.
        {"source", [&](const fs::path& t) { fs::create_hard_link(input, t); },
         "по которому он составлен"},
#ifndef _WIN32
        {"link",
         [&](const fs::path& t) {
             fs::create_directory(t.parent_path() / "real");
             old(t.parent_path() / "real" / t.filename(), kPrivate);
             fs::create_symlink(fs::path("real") / t.filename(), t);
         },
         nullptr},
        {"pipe", [](const fs::path& t) { ASSERT_EQ(::mkfifo(t.c_str(), 0644), 0); },
         "это не обычный файл"},
#endif
    };
    const bool fullDisk = MountSmallDisk(dir_ / "full");
    if (fullDisk) {
        disk_ = dir_ / "full";
        rows.push_back(
            {"full", [&](const fs::path& t) { old(t, kPrivate); }, "на диске нет места"});
    }
    for (const Row& row : rows) {
        const std::string name = row.name;
        std::vector<Look> before;
        for (size_t k = 0; k < std::size(kinds); ++k) {
            fs::create_directories(dir_ / name / std::to_string(k));
            row.plant(dir_ / name / std::to_string(k) / kinds[k].first);
            before.push_back(LookAt(dir_ / name / std::to_string(k) / kinds[k].first));
        }
        if (name == "full") FillDisk(disk_);
        for (size_t k = 0; k < std::size(kinds); ++k) {
            const auto& [file, write] = kinds[k];
            SCOPED_TRACE(name + ", " + file);
            const fs::path target = dir_ / name / std::to_string(k) / file;
            const Said said = write(target);
            const bool isBackup = file == backup;
            // A configuration resaved onto itself loses nothing: it was read whole first. A
            // backup takes the next name beside whatever is there, so only a full disk stops it.
            const bool refused = row.refusal != nullptr && (!isBackup || name == "full") &&
                                 !(file == "x.cfg" && name == "source");
            const Look after = LookAt(target);
            if (refused || isBackup) {
                EXPECT_EQ(after, before[k]);
            } else {
                EXPECT_EQ(after.type, before[k].type);
                EXPECT_EQ(after.perms, before[k].perms);
            }
            if (refused) {
                EXPECT_NE(said.value_or("").find(row.refusal), std::string::npos)
                    << said.value_or("written");
            } else {
                EXPECT_EQ(said, std::nullopt);
                fs::path written = target;
                if (isBackup) written.replace_filename(fs::path(backup).stem().string() + "-2.cfg");
                EXPECT_TRUE(Whole(written));
#ifndef _WIN32
                EXPECT_TRUE(!isBackup || LookAt(written).perms == kPrivate);
#endif
            }
            if (name == "own tmp") {
                EXPECT_EQ(ReadAll(target.string() + ".tmp"), "old");
            }
            for (const auto& entry : fs::directory_iterator(target.parent_path()))
                EXPECT_NE(entry.path().extension(), ".kerma-new") << entry.path();
        }
    }
    if (!fullDisk) GTEST_SKIP() << "a full disk needs a small one mounted, which only root may";
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
