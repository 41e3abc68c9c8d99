#pragma once
// Automatic backups of panel configurations: every configuration read from a panel, and what a
// panel held before a write or a firmware replacement, kept as configuration files in one folder
// per user. A backup is a help, never a condition: whoever keeps one goes on when it fails.
#include <filesystem>
#include <string>
#include <vector>

#include "config_file.h"
#include "exchange.h"
#include "result.h"

namespace kerma {

// Overrides the folder (tests, installers who keep backups on a share).
inline constexpr const char* kBackupFolderVariable = "KERMA740_BACKUP_DIR";
// Backups beyond this many are removed, the longest written first.
inline constexpr int kBackupsKept = 500;

enum class BackupKind {
    Read,            // read from the panel
    BeforeWrite,     // what the panel held before a write
    BeforeFirmware,  // what the panel held before a firmware replacement
};

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
[[nodiscard]] LocalTime LocalTimeNow();
// "2026-12-08 14:03:22"
[[nodiscard]] std::string FormatLocalTime(const LocalTime& t);

// The folder of the user's backups: the variable above when set, else DefaultBackupFolder().
[[nodiscard]] std::string BackupFolder();
// The application data folder of the desktop program + "backups" ("" where none is known).
[[nodiscard]] std::string DefaultBackupFolder();

// "2026-12-08_14-03-22_v1.8_read.cfg"
[[nodiscard]] std::string BackupFileName(const LocalTime& when, int versionByte, BackupKind kind);

// Blocks as they are on the line as a configuration file of their variant (the version byte in
// cell 1 tells it): N settings and C codes cells, the cells a file keeps at 0 set so.
[[nodiscard]] ConfigBlocks FileOfBlocks(const Block& settings, const Block& codes);

struct BackupEntry {
    std::string fileName;
    std::string path;
    std::string when;     // "2026-12-08 14:03:22"
    std::string version;  // "1.8"
    BackupKind kind = BackupKind::Read;
    std::filesystem::file_time_type written{};  // when the file was written (its own time)
};

// "считана из прибора", "перед записью в прибор", "перед сменой прошивки"
[[nodiscard]] std::string BackupKindText(BackupKind kind);

class BackupStore {
  public:
    explicit BackupStore(std::string folder, int keep = kBackupsKept);

    // Writes the image as a new backup, readable by its owner only, in a folder only its owner
    // may open (made so when it is made). Nothing is ever overwritten: a name already taken gets
    // "-2", "-3", ... Then the backups beyond the number kept are removed, the longest written
    // first, never the one just written. Hands back the path of the file written, or why none was.
    Result<std::string> keep(const ConfigBlocks& image, int versionByte, BackupKind kind,
                             const LocalTime& when);
    // The backups in the folder in the order they were written; files of other names are not
    // ours and not listed.
    [[nodiscard]] std::vector<BackupEntry> list() const;
    [[nodiscard]] const std::string& folder() const { return folder_; }

  private:
    void prune(const std::string& justWritten) const;

    std::string folder_;
    int keep_;
};

}  // namespace kerma
