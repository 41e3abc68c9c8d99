#pragma once
// Writing a file so that it is either the old file or the whole new one, never a part of it.
// Every file the programs write goes through here: configuration files, backups and reports.
#include <string>
#include <string_view>

#include "result.h"

namespace kerma {

// What a failed write says, for every kind of file: "Не удалось записать файл X: на диске нет
// места." `what` names the file ("файл", "отчёт в файл"); reason "" gives no reason.
[[nodiscard]] std::string CannotWriteText(std::string_view what, const std::string& path,
                                          std::string_view reason);

// Writes `bytes` to a fresh file beside the target, flushes it to disk and renames it over the
// target. A target the user may not write, or one marked read-only, is refused and left alone
// (also for an administrator, who could write it anyway), and so is one that is no plain file (a
// folder, a device, a pipe). The target keeps its permissions; a symbolic link keeps pointing at
// the file it names, which is the file replaced. path is UTF-8; `what` names the file in the
// message. A failure carries the message for the user and the system's reason where it names
// one; the target is then unchanged and nothing is left behind. Temporary files of ours that a
// killed write left in the folder more than an hour ago are removed.
[[nodiscard]] Result<void> ReplaceFileWhole(const std::string& path, std::string_view bytes,
                                            std::string_view what = "файл");

enum class NewFile {
    Written,
    NameTaken,  // something (of any kind) has the name already; nothing was written
};

// The same for a file that must be new (backups): whatever already has the name is never
// replaced, even when two programs write at once. The file is readable by its owner only.
[[nodiscard]] Result<NewFile> CreateFileWhole(const std::string& path, std::string_view bytes);

}  // namespace kerma
