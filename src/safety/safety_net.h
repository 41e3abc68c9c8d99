#pragma once
// The safety net of one editor window: backups of what the panel held, the check of a write by
// the read that follows it, and the question before the user's edits are lost. No widgets: the
// session calls it at the points of the link and of the editor's commands.
#include <functional>
#include <optional>
#include <string>

#include "backups.h"
#include "headless_editor.h"

namespace kerma {

inline constexpr const char* kUnsavedEditsQuestion =
    "Изменения не записаны в прибор и не сохранены в файл. Сохранить в файл?";
inline constexpr const char* kUnsavedEditsCaption = "Подтверждение";

class SafetyNet {
  public:
    SafetyNet(K740Editor& editor, CodecMemory& image);

    // Where backups go and when they are made; tests replace them.
    std::function<std::string()> folder = BackupFolder;
    std::function<LocalTime()> now = LocalTimeNow;

    // --- the panel behind the link -------------------------------------------------------
    // A connection begins or ends: nothing is known of the panel on the line.
    void connectionChanged();
    // A read has been decoded into the editor: its backup, and the check of a write before it.
    void configurationRead(const Block& settings, const Block& codes);
    // Both blocks of a write are built and about to go out: the backup of what the panel holds.
    void beforeWrite(const Block& settings, const Block& codes);
    // The panel accepted the write.
    void written();
    // Where the backup of what the panel held before the running write went ("" when none was
    // kept).
    [[nodiscard]] const std::string& beforeWriteBackup() const { return beforeWriteBackup_; }
    // The panel's configuration read before its firmware is replaced.
    void beforeFirmware(const Block& settings, const Block& codes);

    // --- the user's edits ------------------------------------------------------------------
    // The editor shows a configuration nobody has edited yet (read, file, defaults, written).
    void markClean();
    [[nodiscard]] bool hasUnsavedEdits() const;
    // Asks before the edits are lost. save runs "Записать в файл" and tells whether a file was
    // written. True: the command may go on.
    bool mayDropEdits(const std::function<bool()>& save);

  private:
    [[nodiscard]] Result<std::string> keep(const ConfigBlocks& image, int versionByte,
                                           BackupKind kind);
    void warnInStatus(const std::string& reason);
    // The backup just kept, on status panel 1's hint, so the installer knows where it is.
    void showKept(const Result<std::string>& kept, BackupKind kind);

    K740Editor& editor_;
    CodecMemory& image_;
    // What the panel holds as far as this connection knows, as a configuration file.
    std::optional<ConfigBlocks> panelHolds_;
    int panelVersion_ = 0;
    // The blocks of the running (or last) write, and those a following read is checked against.
    Block sentSettings_, sentCodes_;
    std::optional<std::pair<Block, Block>> toCheck_;
    std::string writeWarning_;
    std::string
        beforeWriteBackup_;  // a backup before the write failed: said when the write is done
    std::optional<FieldValues> clean_;
};

}  // namespace kerma
