// kerma740-cli against kerma740-panel through a real pseudo-terminal: the same serial code the
// desktop program uses, on both ends of a line.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "config_file.h"
#include "process_util.h"

namespace kerma {
namespace {

using test::ReadAll;
using testing::PanelProcess;
using testing::RunProgram;
using testing::TempDir;

// A configuration with a different value in every cell, so a byte that goes astray shows.
ConfigBlocks Distinct(int version) {
    const int variant = version / 10;
    ConfigBlocks image{Block(FileSettingsCells(variant)), Block(FileCodesCells(variant))};
    for (size_t i = 0; i < image.settings.size(); ++i) image.settings[i] = (i * 13 + 1) & 0xFF;
    for (size_t i = 0; i < image.codes.size(); ++i) image.codes[i] = (i * 29 + 7) & 0xFF;
    image.settings[1] = version;
    return image;
}

class CliPanelTest : public ::testing::TestWithParam<int> {};

TEST_P(CliPanelTest, ProbeReadWriteRoundTrip) {
    const int version = GetParam();
    TempDir dir;
    const auto memory = dir.file("memory.cfg"), saved = dir.file("saved.cfg");
    ASSERT_TRUE(WriteConfigFile(memory, Distinct(version)).ok());
    PanelProcess panel(dir.file("com1"), {"--memory", memory, "--save", saved});
    ASSERT_TRUE(panel.ready());
    // Backups of its own: the versions run side by side, and a second read within one second
    // in a shared folder is kept as "_read-2.cfg".
    setenv("KERMA740_BACKUP_DIR", dir.file("backups").c_str(), 1);

    // A port above the ten the program offers, mapped to the panel as a USB adapter would be.
    setenv("KERMA740_COM11", dir.file("com1").c_str(), 1);
    auto probe = RunProgram(dir, "kerma740-cli", {"probe", "--port", "com 11"});
    auto keys = RunProgram(dir, "kerma740-cli", {"probe", "--port", "com 11", "--format=keys"});
    unsetenv("KERMA740_COM11");
    ASSERT_EQ(probe.status, 0) << probe.err;
    const std::string versionText = std::to_string(version / 10) + "." + std::to_string(version % 10);
    EXPECT_NE(probe.out.find("Тип прибора: 9\nВерсия ПО прибора: v " + versionText +
                             "\nТип системы: "),
              std::string::npos)
        << probe.out;
    ASSERT_EQ(keys.status, 0) << keys.err;
    EXPECT_EQ(keys.out, "type=9\nversion=" + std::to_string(version) + "\nversion_text=" +
                            versionText + "\nvariant=" + std::to_string(version / 10) + "\n");

    // The read names the file it wrote and the backup it kept.
    const auto readBack = dir.file("read.cfg");
    auto read = RunProgram(dir, "kerma740-cli",
                           {"read", "--port", dir.file("com1"), "--out", readBack, "--raw"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadAll(readBack), ReadAll(memory)) << "the kept cells 6, 7, 38, 39 too";
    EXPECT_NE(read.err.find("завершено\nКонфигурация записана в файл " + readBack +
                            "\nРезервная копия: "),
              std::string::npos)
        << read.err;
    EXPECT_NE(read.err.find("_read.cfg\n"), std::string::npos) << read.err;

    // Another configuration written, then read back: byte for byte the file that was written,
    // but for a block header that is no cell value: the panel keeps its own.
    auto changed = Distinct(version);
    for (auto& cell : changed.codes) cell = 255 - cell;
    changed.settings[100] = 0;
    changed.settings[0] = 123456;
    auto kept = changed;
    kept.settings[0] = Distinct(version).settings[0];
    const auto toWrite = dir.file("write.cfg"), again = dir.file("again.cfg");
    const auto expected = dir.file("expected.cfg");
    ASSERT_TRUE(WriteConfigFile(toWrite, changed).ok());
    ASSERT_TRUE(WriteConfigFile(expected, kept).ok());
    auto write =
        RunProgram(dir, "kerma740-cli", {"write", "--port", dir.file("com1"), toWrite, "--raw"});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(ReadAll(saved), ReadAll(expected));
    read = RunProgram(dir, "kerma740-cli",
                      {"read", "--port", dir.file("com1"), "--out", again, "--raw"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadAll(again), ReadAll(expected));
}

INSTANTIATE_TEST_SUITE_P(Variants, CliPanelTest, ::testing::Values(18, 33, 53),
                         [](const auto& info) { return "Version" + std::to_string(info.param); });

// Through the editor: a panel holding what the program saved reads back as that very file, and
// a file the program saved, written and read again, comes back identical.
class CliEditorTest : public ::testing::TestWithParam<int> {};

TEST_P(CliEditorTest, ProgramFilesSurviveWriteAndRead) {
    const std::string variant = std::to_string(GetParam());
    TempDir dir;
    const auto defaults = dir.file("defaults.cfg"), saved = dir.file("saved.cfg");
    ASSERT_EQ(RunProgram(dir, "kerma740-cli", {"defaults", "--variant", variant, "--out", defaults})
                  .status,
              0);
    PanelProcess panel(dir.file("com1"), {"--memory", defaults, "--save", saved});
    const auto first = dir.file("first.cfg");
    auto read =
        RunProgram(dir, "kerma740-cli", {"read", "--port", dir.file("com1"), "--out", first});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadAll(first), ReadAll(defaults));

    // A changed exit time, as an installer would save it, written and read back.
    auto parsed = ReadConfigFile(defaults);
    auto image = parsed.value();
    image.settings[GetParam() == 5 ? 24 : 8] = 30;
    const auto edited = dir.file("edited.cfg"), resaved = dir.file("resaved.cfg");
    ASSERT_TRUE(WriteConfigFile(edited, image).ok());
    ASSERT_EQ(RunProgram(dir, "kerma740-cli", {"resave", edited, resaved}).status, 0);
    auto write = RunProgram(dir, "kerma740-cli", {"write", "--port", dir.file("com1"), resaved});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_NE(write.err.find("завершена\nРезервная копия перед записью: "), std::string::npos)
        << write.err;
    EXPECT_NE(write.err.find("_before-write.cfg"), std::string::npos) << write.err;
    const auto again = dir.file("again.cfg");
    read = RunProgram(dir, "kerma740-cli", {"read", "--port", dir.file("com1"), "--out", again});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadAll(again), ReadAll(resaved));
    EXPECT_NE(ReadAll(again), ReadAll(defaults));
}

INSTANTIATE_TEST_SUITE_P(Variants, CliEditorTest, ::testing::Values(1, 3, 5),
                         [](const auto& info) { return "Variant" + std::to_string(info.param); });

// A file of another variant, a panel that refuses, and the faults of a line: what the client
// says, its exit status, whether the panel's memory changed, and whether the installer hears that
// the panel may hold new codes with old settings (with the backup of what it held before).
struct LineFaultCase {
    const char* name;
    int fileVersion;
    std::vector<std::string> panelArgs;
    int status;
    const char* said;  // a part of the error output; "" when any
    bool cut;          // "Запись не завершена" with the before-write backup
    bool changed;      // the panel took a block
};

// Bytes the client sends before the panel has the codes frame whole (layout 99, backup read
// first): handshake and verdict, the identification read, the backup's two reads, the command.
constexpr int kBytesToCodesCrc = 5 + 5 + 10 + 4 + 1027;

class CliLineFaultTest : public ::testing::TestWithParam<LineFaultCase> {};

TEST_P(CliLineFaultTest, WriteSaysWhatHappenedToThePanel) {
    const LineFaultCase& c = GetParam();
    TempDir dir;
    const auto memory = dir.file("memory.cfg"), saved = dir.file("saved.cfg"),
               file = dir.file("file.cfg");
    ASSERT_TRUE(WriteConfigFile(memory, Distinct(18)).ok());
    ConfigBlocks changed = Distinct(c.fileVersion);
    changed.settings[8] ^= 1;
    ASSERT_TRUE(WriteConfigFile(file, changed).ok());
    std::vector<std::string> args{"--memory", memory, "--save", saved};
    args.insert(args.end(), c.panelArgs.begin(), c.panelArgs.end());
    PanelProcess panel(dir.file("com1"), args);
    ASSERT_TRUE(panel.ready());
    auto write =
        RunProgram(dir, "kerma740-cli", {"write", "--port", dir.file("com1"), file, "--raw"});
    EXPECT_EQ(write.status, c.status) << write.err;
    EXPECT_NE(write.err.find(c.said), std::string::npos) << write.err;
    const bool cut = write.err.find("Запись не завершена: в приборе могут быть новые коды и "
                                    "старые настройки. Запишите конфигурацию ещё раз.") !=
                     std::string::npos;
    EXPECT_EQ(cut, c.cut) << write.err;
    if (c.cut) {
        EXPECT_NE(write.err.find("_before-write"), std::string::npos) << write.err;
    }
    EXPECT_EQ(std::filesystem::exists(saved), c.changed);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliLineFaultTest,
    ::testing::Values(
        LineFaultCase{"FileOfAnotherVariant", 33, {}, 1, "", false, false},
        LineFaultCase{"PanelRefuses", 18, {"--refuse-write"}, 1,
                      "Ошибка: Dallas CRC (прибор не принял блок)", true, false},
        LineFaultCase{"PowerLostAfterTheCodes", 18, {"--power-loss-after-codes"}, 1,
                      "Ошибка: Dallas CRC (прибор не ответил о записи блока)", true, true},
        LineFaultCase{"AdapterPulledAtTheStatus",
                      18,
                      {"--hang-up-after", std::to_string(kBytesToCodesCrc)},
                      1,
                      "пропал: адаптер отключён от компьютера.",
                      true,
                      true},
        LineFaultCase{"StrayEchoByte", 18, {"--stray-echo-after", "10"}, 1,
                      "Ошибка: Dallas CRC (эхо не совпало с переданным байтом)", false, false},
        LineFaultCase{"GarbledFrameWhoseCrcHolds", 18, {"--garble-write"}, 1,
                      "Ошибка: Dallas CRC (эхо не совпало с переданным байтом)", false, false},
        LineFaultCase{"LateStatus", 18, {"--status-delay", "600"}, 0,
                      "Запись конфигурации завершена", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliPanelFaultTest, BrokenFileIsRefusedBeforeTheLineIsTouched) {
    TempDir dir;
    const auto broken = dir.file("broken.cfg");
    {
        std::string text = "0\r\n18\r\n" + std::string("12\r\n") + "zz\r\n";
        FILE* f = std::fopen(broken.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // No panel at all: a file check that came after the port would fail differently.
    auto write = RunProgram(dir, "kerma740-cli", {"write", "--port", dir.file("nothing"), broken});
    EXPECT_EQ(write.status, 2);
    EXPECT_NE(write.err.find("Строка 4"), std::string::npos) << write.err;
}

// A panel that echoes but never gets ready is given up after seconds, not after 100 ready polls
// of 2.4 s each (four minutes). The bound only tells the two apart; the exact wait is measured
// on the virtual clock by the protocol tests.
TEST(CliPanelFaultTest, PanelThatNeverGetsReadyIsGivenUp) {
    TempDir dir;
    PanelProcess panel(dir.file("com1"), {"--not-ready"});
    ASSERT_TRUE(panel.ready());
    const auto start = std::chrono::steady_clock::now();
    const auto probe = RunProgram(dir, "kerma740-cli", {"probe", "--port", dir.file("com1")});
    EXPECT_EQ(probe.status, 1);
    EXPECT_NE(probe.err.find("Ошибка: Dallas CRC (прибор не сообщил о готовности)"),
              std::string::npos)
        << probe.err;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(90));
}

// The port named is the port asked for; usage and unusable input files exit with 2, a port or a
// panel that fails with 1; the usage asked for with --help is a run that succeeded.
TEST(CliPanelFaultTest, MessagesNameThePortAndStatusesFollowTheTable) {
    TempDir dir;
    auto probe = RunProgram(dir, "kerma740-cli", {"probe", "--port", dir.file("absent")});
    EXPECT_EQ(probe.status, 1);
    EXPECT_NE(
        probe.err.find("Порт " + dir.file("absent") + " занят другой программой или не доступен."),
        std::string::npos)
        << probe.err;
    setenv("KERMA740_COM11", dir.file("absent11").c_str(), 1);
    probe = RunProgram(dir, "kerma740-cli", {"probe", "--port", "com 11"});
    unsetenv("KERMA740_COM11");
    EXPECT_EQ(probe.status, 1);
    EXPECT_NE(probe.err.find("Порт COM11 занят"), std::string::npos) << probe.err;

    const std::vector<std::vector<std::string>> usage = {
        {},
        {"probe"},
        {"frobnicate", "--port", "com 1"},
        {"read", "--port", "com 1"},
        {"write", "--port", "com 1", dir.file("missing.cfg")},
        {"probe", "--port", "com 1", "--speed", "9600"},
    };
    for (const auto& args : usage) {
        const auto run = RunProgram(dir, "kerma740-cli", args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(run.err.empty());
    }
    const auto help = RunProgram(dir, "kerma740-cli", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Использование:"), std::string::npos) << help.out;
}

// The exclusive-open flag of a pseudo-terminal outlives the close; a port layer that does not clear
// it locks an ordinary user out of the second connect. Root is never refused, so this runs the
// panel and the client as "nobody".
TEST(CliPanelUserTest, OrdinaryUserConnectsTwice) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to an ordinary user";
    if (system("command -v setpriv >/dev/null 2>&1") != 0) GTEST_SKIP() << "setpriv missing";
    TempDir dir;
    std::filesystem::permissions(dir.file(""), std::filesystem::perms::all);
    // The build tree may sit where "nobody" cannot go (/root): run copies from the open folder.
    for (const char* program : {"kerma740-panel", "kerma740-cli"}) {
        std::filesystem::copy_file(testing::BinDir() + "/" + program, dir.file(program));
        std::filesystem::permissions(dir.file(program), std::filesystem::perms::all);
    }
    const std::string nobody = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    const std::string link = dir.file("com1");
    // timeout: the panel must not outlive a test that dies.
    const std::string panel = nobody + "timeout 120 " + dir.file("kerma740-panel") + " --link " +
                              link + " >/dev/null 2>&1 & echo $! > " + dir.file("pid");
    ASSERT_EQ(system(panel.c_str()), 0);
    for (int i = 0; i < 300 && !std::filesystem::exists(link); ++i) usleep(10000);
    const std::string probe =
        nobody + dir.file("kerma740-cli") + " probe --port " + link + " >/dev/null 2>&1";
    EXPECT_EQ(system(probe.c_str()), 0);
    EXPECT_EQ(system(probe.c_str()), 0) << "second connect refused";
    [[maybe_unused]] int killed = system(("kill $(cat " + dir.file("pid") + ")").c_str());
    for (int i = 0; i < 200 && std::filesystem::exists(link); ++i) usleep(10000);
}

}  // namespace
}  // namespace kerma
