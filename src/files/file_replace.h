#pragma once
// Replacing a file so that it is either the old file or the whole new one, never a part of it.
#include <string>
#include <string_view>

namespace kerma {

// Writes `bytes` to a fresh file beside the target, flushes it to disk and renames it over the
// target. A target the user may not write, or one marked read-only, is refused and left alone
// (also for an administrator, who could write it anyway). The target keeps its permissions; a
// symbolic link keeps pointing at the file it names, which is the file replaced. path is UTF-8.
// Returns "" on success, otherwise the message for the user; on failure the target is unchanged
// and nothing is left behind.
[[nodiscard]] std::string ReplaceFileWhole(const std::string& path, std::string_view bytes);

}  // namespace kerma
