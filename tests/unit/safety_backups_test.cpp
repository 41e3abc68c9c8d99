// Backups of panel configurations: names that sort as they were made, private to their owner,
// nothing overwritten or lost to a second backup in the same second, the longest written removed
// beyond the number kept, and a folder that cannot be written reported instead of thrown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "backups.h"
#include "factory_defaults.h"
#include "test_folder.h"

namespace kerma {
namespace {

namespace fs = std::filesystem;

struct Folder {
    test::TempDir dir{"kerma740-backups"};
    const fs::path& path = dir.path();
};

LocalTime At(int second, int minute = 3) {
    return {2026, 12, 8, 14, minute, second};
}

TEST(BackupsTest, NamesCarryTimeVersionAndKind) {
    EXPECT_EQ(BackupFileName(At(22), 18, BackupKind::Read), "2026-12-08_14-03-22_v1.8_read.cfg");
    EXPECT_EQ(BackupFileName(At(5), 125, BackupKind::BeforeWrite),
              "2026-12-08_14-03-05_v1.25_before-write.cfg");
    EXPECT_EQ(BackupFileName(At(0), 53, BackupKind::BeforeFirmware),
              "2026-12-08_14-03-00_v5.3_before-firmware.cfg");
}

TEST(BackupsTest, KeptFileIsTheConfigurationAndIsListed) {
    Folder folder;
    BackupStore store((folder.path / "new" / "backups").string());
    const ConfigBlocks image = FactoryConfiguration(1);
    const auto kept = store.keep(image, 18, BackupKind::Read, At(22));
    ASSERT_TRUE(kept.ok()) << kept.error();
    auto read = ReadConfigFile(*kept);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value().settings, image.settings);
    EXPECT_EQ(read.value().codes, image.codes);

#ifndef _WIN32
    // They hold the passwords: the folder made for them and each backup are the owner's only.
    EXPECT_EQ(fs::status(folder.path / "new" / "backups").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(*kept).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif

    const auto list = store.list();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].when, "2026-12-08 14:03:22");
    EXPECT_EQ(list[0].version, "1.8");
    EXPECT_EQ(list[0].kind, BackupKind::Read);
}

// Reads that end in the same second, also in programs running side by side, each keep their
// backup, whole.
TEST(BackupsTest, BackupsOfOneSecondAreAllKept) {
    Folder folder;
    const ConfigBlocks image = FactoryConfiguration(3);
    std::vector<Result<std::string>> kept(40, Result<std::string>(Fail("не записана")));
    std::vector<std::thread> programs;
    for (size_t first = 0; first < 4; ++first) {
        programs.emplace_back([&, first] {
            BackupStore store(folder.path.string());
            for (size_t i = first; i < kept.size(); i += 4)
                kept[i] = store.keep(image, 33, BackupKind::Read, At(1));
        });
    }
    for (auto& program : programs) program.join();
    std::set<std::string> names;
    for (const auto& k : kept) {
        ASSERT_TRUE(k.ok()) << k.error();
        names.insert(fs::path(*k).filename().string());
        EXPECT_TRUE(ReadConfigFile(*k).ok()) << *k;
    }
    EXPECT_EQ(names.size(), kept.size());
    EXPECT_TRUE(names.count("2026-12-08_14-03-01_v3.3_read-2.cfg"));
    EXPECT_EQ(BackupStore(folder.path.string()).list().size(), kept.size());
}

// Beyond the number kept, the backups written longest ago go, by the files' own times. With the
// clock set back (the backups there named and written "in the future") the one just made still
// stays. Files of other names are never touched.
TEST(BackupsTest, PruningKeepsTheBackupJustMadeWhateverTheClockSays) {
    Folder folder;
    BackupStore store(folder.path.string(), 3);
    const ConfigBlocks image = FactoryConfiguration(1);
    std::ofstream(folder.path / "notes.cfg") << "mine";
    std::ofstream(folder.path / "2026-12-08_14-03-00_v1.8_read-copy.cfg") << "mine";
    const auto future = fs::file_time_type::clock::now() + std::chrono::hours(24 * 365);
    for (int s = 1; s <= 3; ++s) {
        const auto k = store.keep(image, 18, BackupKind::BeforeWrite, At(s, 59));
        ASSERT_TRUE(k.ok()) << k.error();
        fs::last_write_time(*k, future + std::chrono::seconds(s));
    }
    const auto made = store.keep(image, 18, BackupKind::Read, At(0, 0));
    ASSERT_TRUE(made.ok()) << made.error();
    const auto list = store.list();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].path, *made);
    EXPECT_EQ(list[1].when, "2026-12-08 14:59:02");
    EXPECT_EQ(list[2].when, "2026-12-08 14:59:03");
    EXPECT_TRUE(fs::exists(folder.path / "notes.cfg"));
    EXPECT_TRUE(fs::exists(folder.path / "2026-12-08_14-03-00_v1.8_read-copy.cfg"));
}

TEST(BackupsTest, FolderThatCannotBeMadeIsReportedNotThrown) {
    Folder folder;
    std::ofstream(folder.path / "file") << "x";
    BackupStore blocked((folder.path / "file" / "backups").string());
    const auto kept = blocked.keep(FactoryConfiguration(1), 18, BackupKind::Read, At(1));
    ASSERT_FALSE(kept.ok());
    EXPECT_NE(kept.error(), "");
    EXPECT_TRUE(BackupStore("").keep(FactoryConfiguration(1), 18, BackupKind::Read, At(1)).error() != "");
}

// Blocks from the line become a file of their variant: its lengths, bytes, the kept cells at 0.
TEST(BackupsTest, BlocksBecomeAFileOfTheirVariant) {
    Block settings(1024, 7), codes(2048, 0x1FF);
    settings[1] = 53;
    const ConfigBlocks file = FileOfBlocks(settings, codes);
    EXPECT_EQ(file.settings.size(), 1024u);
    EXPECT_EQ(file.codes.size(), 1792u);
    EXPECT_EQ(file.codes[0], 0xFF);
    for (int cell : {6, 7, 38, 39}) EXPECT_EQ(file.settings[cell], 0) << cell;
    settings[1] = 41;
    EXPECT_EQ(FileOfBlocks(settings, codes).settings.size(), 256u);
}

TEST(BackupsTest, VariableChoosesTheFolder) {
    const char* set = std::getenv(kBackupFolderVariable);
    const std::string before = set != nullptr ? set : "";
    test::SetEnv(kBackupFolderVariable, "/tmp/kerma740-chosen");
    EXPECT_EQ(BackupFolder(), "/tmp/kerma740-chosen");
    test::UnsetEnv(kBackupFolderVariable);
    // Without it, the desktop program's data folder (nothing is written by asking).
    const std::string folder = BackupFolder();
    EXPECT_NE(folder.find("kerma740-config"), std::string::npos) << folder;
    EXPECT_EQ(fs::path(folder).filename(), "backups");
    if (!before.empty()) test::SetEnv(kBackupFolderVariable, before.c_str());
}

}  // namespace
}  // namespace kerma
