// The client's safety net against kerma740-panel over a real pseudo-terminal: a write checked by
// reading it back, a panel that stores a byte wrong caught with the cell and its field, the
// backups a read leaves, and the configuration report.
#include <gtest/gtest.h>

#include <filesystem>

#include "config_file.h"
#include "process_util.h"

namespace kerma {
namespace {

using testing::PanelProcess;
using testing::RunProgram;
using test::ReadAll;
using testing::TempDir;

struct Bench {
    TempDir dir;
    std::string backups = dir.file("backups");
    std::string defaults = dir.file("defaults.cfg");

    Bench() {
        setenv("KERMA740_BACKUP_DIR", backups.c_str(), 1);
        EXPECT_EQ(Cli({"defaults", "--variant", "1", "--out", defaults}).status, 0);
    }
    testing::RunResult Cli(std::vector<std::string> args) const {
        return RunProgram(dir, "kerma740-cli", std::move(args));
    }
};

TEST(CliSafetyTest, VerifiedWritePassesOnAGoodPanelAndNamesTheCellOnABadOne) {
    Bench b;
    PanelProcess good(b.dir.file("com1"), {});
    PanelProcess bad(b.dir.file("com2"), {"--corrupt-write"});
    ASSERT_TRUE(good.ready() && bad.ready());

    auto ok = b.Cli({"write", "--port", b.dir.file("com1"), b.defaults, "--verify"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_NE(ok.err.find("Конфигурация в приборе совпадает с записанной"), std::string::npos)
        << ok.err;
    // The factory engineer password is pointed out, and the write goes on.
    EXPECT_NE(ok.err.find("Внимание: заводской пароль инженера — смените его перед сдачей объекта."),
              std::string::npos)
        << ok.err;

    auto wrong = b.Cli({"write", "--port", b.dir.file("com2"), b.defaults, "--verify"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("Запись конфигурации завершена"), std::string::npos);
    EXPECT_NE(wrong.err.find("настройки, ячейка 8: записано 45, в приборе 46 (Время выхода)"),
              std::string::npos)
        << wrong.err;
    // Without --verify the same write is not checked.
    EXPECT_EQ(b.Cli({"write", "--port", b.dir.file("com2"), b.defaults}).status, 0);

    // Each check read is a read from a panel, and so kept.
    auto list = b.Cli({"backups"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.find("Резервные копии конфигураций: " + b.backups + "\n"), 0u) << list.out;
    size_t reads = 0;
    for (size_t at = 0; (at = list.out.find("v1.8  считана из прибора", at)) != std::string::npos;
         ++at)
        ++reads;
    EXPECT_EQ(reads, 2u) << list.out;
}

TEST(CliSafetyTest, ReadLeavesABackupEqualToTheFileItWrites) {
    Bench b;
    PanelProcess panel(b.dir.file("com1"), {"--memory", b.defaults});
    ASSERT_TRUE(panel.ready());
    EXPECT_EQ(b.Cli({"backups"}).out,
              "Резервные копии конфигураций: " + b.backups + "\nРезервных копий нет.\n");
    const auto out = b.dir.file("read.cfg");
    ASSERT_EQ(b.Cli({"read", "--port", b.dir.file("com1"), "--out", out}).status, 0);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(b.backups))
        kept.push_back(entry.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(kept[0].filename().string().find("_v1.8_read.cfg"), std::string::npos);
    EXPECT_EQ(ReadAll(kept[0].string()), ReadAll(out));
    EXPECT_NE(b.Cli({"backups"}).out.find(kept[0].filename().string()), std::string::npos);
}

TEST(CliSafetyTest, ReportIsWrittenAsHtmlOrPdf) {
    Bench b;
    const auto html = b.dir.file("report.html"), pdf = b.dir.file("report.pdf");
    auto made = b.Cli({"report", b.defaults, "--out", html});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string text = ReadAll(html);
    EXPECT_NE(text.find("<h1>Конфигурация ППКОП Kerma-740</h1>"), std::string::npos);
    EXPECT_NE(text.find("defaults.cfg"), std::string::npos);
    EXPECT_EQ(text.find("1234"), std::string::npos);
    ASSERT_EQ(b.Cli({"report", b.defaults, "--out", html, "--secrets"}).status, 0);
    EXPECT_NE(ReadAll(html).find("<td>1234 (заводской — смените)</td>"), std::string::npos);

    // The client's own application object for the PDF says nothing of the display it lacks.
    made = b.Cli({"report", b.defaults, "--out", pdf});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "Отчёт о конфигурации записан в файл " + pdf + "\n");
    EXPECT_EQ(ReadAll(pdf).rfind("%PDF", 0), 0u);

    EXPECT_EQ(b.Cli({"report", b.dir.file("missing.cfg"), "--out", html}).status, 2);
    EXPECT_EQ(b.Cli({"report", b.defaults}).status, 2);
    EXPECT_EQ(b.Cli({"report", b.defaults, "--out", b.dir.file("no/such/dir/r.html")}).status, 1);
}

}  // namespace
}  // namespace kerma
