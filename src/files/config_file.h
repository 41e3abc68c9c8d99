#pragma once
// Configuration files: one decimal number per line, CR LF, settings cells then codes cells.
// Line 1 is the firmware version byte and tells the variant, which fixes both counts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel_variant.h"
#include "result.h"

namespace kerma {


struct ConfigBlocks {
    Block settings;  // N cells
    Block codes;     // C cells
};

// A configuration file refused, with the line its text names.
struct FileFailure : Failure {
    int line = -1;  // 0-based line number the problem is on (-1: the file as a whole)
};

// Settings cells a file of this variant holds: 1024 for 1, 3, 5; 256 for 2 and 4.
[[nodiscard]] int FileSettingsCells(int variant);
// Codes cells: 1792 for variant 5, otherwise 1024.
[[nodiscard]] int FileCodesCells(int variant);

// The file of a variant made of a settings and a codes block: each cut or filled with 0 to the
// file's size, and cells 6, 7, 38 and 39 (the panel's own bookkeeping) as 0.
[[nodiscard]] ConfigBlocks FileOfVariant(int variant, Block settings, Block codes);

// Builds the text of a file. Cells 6, 7, 38 and 39 are written as 0 by the editor's save; this
// function writes what it is given.
[[nodiscard]] std::string FormatConfigFile(const ConfigBlocks& image);

// Reads and checks every line a load uses before handing anything back: line 0 (the block header,
// which a load never takes over) any integer, every other line an integer -1..255, enough lines
// for the variant of line 1. Lines end in CR LF, LF or CR; a UTF-8 byte-order mark is skipped;
// lines past the ones the variant needs are ignored.
[[nodiscard]] Result<ConfigBlocks, FileFailure> ParseConfigFile(std::string_view text);

// Line 1, the firmware version byte, when it is one: the file's variant can be named before the
// rest of the file is looked at.
[[nodiscard]] std::optional<int32_t> ConfigFileVersion(std::string_view text);

// The text of a configuration file, refused unread when it is far larger than any real one.
// Paths are UTF-8.
[[nodiscard]] Result<std::string> ReadConfigText(const std::string& path);

// Whole-file helpers. Writing replaces the file whole or not at all (ReplaceFileWhole).
[[nodiscard]] Result<ConfigBlocks, FileFailure> ReadConfigFile(const std::string& path);
[[nodiscard]] Result<void> WriteConfigFile(const std::string& path, const ConfigBlocks& image);

}  // namespace kerma
