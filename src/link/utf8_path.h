#pragma once
// File names travel through the program as UTF-8 strings (from the file dialogs, the command line
// and the messages). A narrow string handed to a stream or the C runtime on Windows is read in the
// ANSI code page, so a folder with Cyrillic letters would not open: every file name becomes a
// path here, through the char8_t form that both systems read as UTF-8.
#include <filesystem>
#include <string>
#include <string_view>

namespace kerma {

[[nodiscard]] inline std::filesystem::path Utf8Path(std::string_view text) {
    std::u8string utf8(text.size(), u8'\0');
    for (size_t i = 0; i < text.size(); ++i) utf8[i] = static_cast<char8_t>(text[i]);
    return std::filesystem::path(utf8);
}

// The other way, for messages and for handing a path on as a string.
[[nodiscard]] inline std::string Utf8Text(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// A text the system gives as UTF-16 (Windows: the registry, the wide environment and command
// line), as UTF-8; a path converts it the same way on every system.
[[nodiscard]] inline std::string Utf8Text(const wchar_t* text) {
    return text != nullptr ? Utf8Text(std::filesystem::path(text)) : std::string();
}

}  // namespace kerma
