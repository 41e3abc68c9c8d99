#include "config_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "link_types.h"
#include "system_error_text.h"

namespace kerma {
namespace {

// A real file has 1280 to 2816 lines of at most four characters; anything far beyond is not a
// configuration file and is refused before it is read into memory.
constexpr std::uintmax_t kMaxFileBytes = 1 << 20;
constexpr int kVersionLine = 1;

std::string LineError(int line, const std::string& what) {
    return "Ошибка чтения файла конфигурации. Строка " + std::to_string(line + 1) + ": " + what;
}

// Splits on LF, dropping one CR before it. A last line without an end counts as a line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::variant<int32_t, std::string> ParseCell(std::string_view line) {
    int32_t value = 0;
    const char* first = line.data();
    const char* last = line.data() + line.size();
    if (line.empty()) return std::string("пустая строка");
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) {
        std::string why = "\"";
        why.append(line.substr(0, 20));
        why.append("\" не число");
        return why;
    }
    if (value < -1 || value > 255) return std::to_string(value) + " вне диапазона -1..255";
    return value;
}

}  // namespace

int FileSettingsCells(int variant) {
    return (variant == 2 || variant == 4) ? 256 : 1024;
}
int FileCodesCells(int variant) {
    return variant == 5 ? 1792 : 1024;
}

std::string FormatConfigFile(const ConfigImage& image) {
    std::string text;
    text.reserve((image.settings.size() + image.codes.size()) * 5);
    for (const auto* cells : {&image.settings, &image.codes}) {
        for (int32_t cell : *cells) {
            text += std::to_string(cell);
            text += "\r\n";
        }
    }
    return text;
}

std::variant<ConfigImage, FileError> ParseConfigFile(std::string_view text) {
    const auto lines = SplitLines(text);
    if (lines.size() <= kVersionLine)
        return FileError{-1, "Ошибка чтения файла конфигурации. Файл пуст или слишком короткий."};
    std::vector<int32_t> cells;
    cells.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        auto cell = ParseCell(lines[i]);
        if (auto* why = std::get_if<std::string>(&cell))
            return FileError{static_cast<int>(i), LineError(static_cast<int>(i), *why)};
        cells.push_back(std::get<int32_t>(cell));
    }
    const int variant = VariantOfVersion(cells[kVersionLine]);
    const size_t n = static_cast<size_t>(FileSettingsCells(variant));
    const size_t c = static_cast<size_t>(FileCodesCells(variant));
    if (cells.size() < n + c) {
        return FileError{static_cast<int>(cells.size()),
                         "Ошибка чтения файла конфигурации. В файле " +
                             std::to_string(cells.size()) + " строк, нужно " +
                             std::to_string(n + c) + "."};
    }
    ConfigImage image;
    image.settings.assign(cells.begin(), cells.begin() + static_cast<std::ptrdiff_t>(n));
    image.codes.assign(cells.begin() + static_cast<std::ptrdiff_t>(n),
                       cells.begin() + static_cast<std::ptrdiff_t>(n + c));
    return image;
}

std::variant<std::string, FileError> ReadConfigText(const std::string& path) {
    const std::string cannotOpen =
        "Ошибка чтения файла конфигурации. Не удалось открыть файл " + path + ".";
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return FileError{-1, cannotOpen};
    if (size > kMaxFileBytes)
        return FileError{-1, "Ошибка чтения файла конфигурации. Файл слишком велик."};
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileError{-1, cannotOpen};
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return FileError{-1, cannotOpen};
    return buffer.str();
}

std::variant<ConfigImage, FileError> ReadConfigFile(const std::string& path) {
    auto text = ReadConfigText(path);
    if (auto* error = std::get_if<FileError>(&text)) return *error;
    return ParseConfigFile(std::get<std::string>(text));
}

std::string WriteConfigFile(const std::string& path, const ConfigImage& image) {
    const std::string text = FormatConfigFile(image);
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return "Не удалось записать файл " + path + ".";
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        return "Не удалось записать файл " + path + ": " + SystemErrorText(ec);
    }
    return {};
}

}  // namespace kerma
