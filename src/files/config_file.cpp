#include "config_file.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "file_replace.h"
#include "link_types.h"
#include "utf8_path.h"

namespace kerma {
namespace {

// A real file has 1280 to 2816 lines of at most four characters; anything far beyond is not a
// configuration file and is refused before it is read into memory.
constexpr std::uintmax_t kMaxFileBytes = 1 << 20;
constexpr size_t kHeaderLine = 0;
constexpr size_t kVersionLine = 1;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr size_t kQuotedChars = 20;

struct Range {
    int32_t low, high;
};
// The block header on line 0 is never taken over by a load, so any number is a valid header.
constexpr Range kAnyNumber{std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max()};
constexpr Range kCellRange{-1, 255};

std::string ReadError(const std::string& what) {
    return "Ошибка чтения файла конфигурации. " + what;
}

std::string LineError(size_t line, const std::string& what) {
    return ReadError("Строка " + std::to_string(line + 1) + ": " + what);
}

// "1 строка", "3 строки", "12 строк".
std::string LineCount(size_t n) {
    const size_t tens = n % 100, ones = n % 10;
    const char* word = (tens >= 11 && tens <= 14) ? "строк"
                       : ones == 1                ? "строка"
                       : (ones >= 2 && ones <= 4) ? "строки"
                                                  : "строк";
    return std::to_string(n) + " " + word;
}

bool IsUtf16(std::string_view text) {
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

// Splits on CR LF, LF or a lone CR (files from old Mac editors). A last line without an end
// counts as a line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        const bool crlf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
        start = end + (crlf ? 2 : 1);
    }
    return lines;
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Lines up to the last one that holds anything: blank lines at the end are no content.
size_t UsedLines(const std::vector<std::string_view>& lines) {
    size_t used = lines.size();
    while (used > 0 && IsBlankLine(lines[used - 1])) --used;
    return used;
}

// Length of the UTF-8 character starting at text[at], 0 when the bytes are not one.
size_t Utf8CharLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    if (lead < 0x80) {
        length = 1;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        length = 2;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4;
    }
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

// The start of a line as the user may see it quoted, or nullopt when it is no readable text
// (control characters, bytes of another code page): quoting it would only show garbage.
std::optional<std::string> Quotable(std::string_view line) {
    std::string shown;
    size_t chars = 0;
    for (size_t at = 0; at < line.size();) {
        const auto byte = static_cast<unsigned char>(line[at]);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return std::nullopt;
        const size_t length = Utf8CharLength(line, at);
        if (length == 0) return std::nullopt;
        if (chars++ < kQuotedChars) shown.append(line.substr(at, length));
        at += length;
    }
    return shown;
}

Result<int32_t> ParseCell(std::string_view line, Range range) {
    if (line.empty()) return Fail("пустая строка");
    if (line.find('\0') != std::string_view::npos)
        return Fail("нулевой байт, это не текстовый файл");
    int32_t value = 0;
    const char* last = line.data() + line.size();
    auto [ptr, ec] = std::from_chars(line.data(), last, value);
    if (ec == std::errc::result_out_of_range && ptr == last)
        return Fail(Quotable(line).value_or("") + " слишком большое число");
    if (ec != std::errc() || ptr != last) {
        const auto quoted = Quotable(line);
        if (!quoted) return Fail("нечитаемые символы, это не число");
        return Fail("\"" + *quoted + "\" не число");
    }
    if (value < range.low || value > range.high)
        return Fail(std::to_string(value) + " вне диапазона -1..255");
    return value;
}

FileFailure Refusal(int line, std::string text) {
    FileFailure failure;
    failure.text = std::move(text);
    failure.line = line;
    return failure;
}

FileFailure TooShort(size_t used, size_t needed) {
    if (needed <= kVersionLine + 1) {
        return Refusal(static_cast<int>(used),
                       ReadError("Файл слишком короткий: нет строки 2 с версией прошивки."));
    }
    return Refusal(static_cast<int>(used), ReadError("В файле " + LineCount(used) + ", нужно " +
                                                     std::to_string(needed) + "."));
}

size_t LinesOfVariant(int variant) {
    return static_cast<size_t>(FileSettingsCells(variant) + FileCodesCells(variant));
}

}  // namespace

int FileSettingsCells(int variant) {
    return DescribeVariant(variant).settingsCells;
}
int FileCodesCells(int variant) {
    return DescribeVariant(variant).codesCells;
}

ConfigBlocks FileOfVariant(int variant, Block settings, Block codes) {
    static constexpr int kFileZeroCells[] = {6, 7, 38, 39};
    settings.resize(static_cast<size_t>(FileSettingsCells(variant)), 0);
    codes.resize(static_cast<size_t>(FileCodesCells(variant)), 0);
    for (int cell : kFileZeroCells) settings[static_cast<size_t>(cell)] = 0;
    return ConfigBlocks{std::move(settings), std::move(codes)};
}

std::string FormatConfigFile(const ConfigBlocks& image) {
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

std::optional<int32_t> ConfigFileVersion(std::string_view text) {
    if (IsUtf16(text)) return std::nullopt;
    const auto lines = SplitLines(text);
    if (lines.size() <= kVersionLine) return std::nullopt;
    const auto cell = ParseCell(lines[kVersionLine], kCellRange);
    if (!cell) return std::nullopt;
    return *cell;
}

Result<ConfigBlocks, FileFailure> ParseConfigFile(std::string_view text) {
    if (IsUtf16(text)) {
        return Refusal(-1, ReadError("Файл в кодировке UTF-16; сохраните его как обычный "
                                     "текст (ANSI или UTF-8)."));
    }
    const auto lines = SplitLines(text);
    const size_t used = UsedLines(lines);
    if (used == 0) return Refusal(-1, ReadError("Файл пуст."));
    Block cells;
    size_t needed = kVersionLine + 1;
    for (size_t i = 0; i < needed; ++i) {
        if (i >= used) return TooShort(used, needed);
        const auto cell = ParseCell(lines[i], i == kHeaderLine ? kAnyNumber : kCellRange);
        if (!cell) return Refusal(static_cast<int>(i), LineError(i, cell.error()));
        cells.push_back(*cell);
        if (i == kVersionLine) {
            needed = LinesOfVariant(VariantOfVersion(cells.back()));
            cells.reserve(needed);
        }
    }
    const int variant = VariantOfVersion(cells[kVersionLine]);
    const auto n = static_cast<std::ptrdiff_t>(FileSettingsCells(variant));
    ConfigBlocks image;
    image.settings.assign(cells.begin(), cells.begin() + n);
    image.codes.assign(cells.begin() + n, cells.end());
    return image;
}

Result<std::string> ReadConfigText(const std::string& path) {
    const Failure cannotOpen = Fail(ReadError("Не удалось открыть файл " + path + "."));
    const std::filesystem::path file = Utf8Path(path);
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        return Fail(ReadError(path + " — это папка, а не файл."));
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return cannotOpen;
    if (size > kMaxFileBytes) return Fail(ReadError("Файл слишком велик."));
    std::ifstream in(file, std::ios::binary);
    if (!in) return cannotOpen;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return cannotOpen;
    return buffer.str();
}

Result<ConfigBlocks, FileFailure> ReadConfigFile(const std::string& path) {
    auto text = ReadConfigText(path);
    if (!text) return Refusal(-1, text.error());
    return ParseConfigFile(*text);
}

Result<void> WriteConfigFile(const std::string& path, const ConfigBlocks& image) {
    return ReplaceFileWhole(path, FormatConfigFile(image));
}

}  // namespace kerma
