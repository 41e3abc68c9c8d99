#include "report_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "file_replace.h"
#include "utf8_path.h"

namespace kerma {
namespace {

constexpr std::string_view kReportFile = "отчёт в файл";

// By the file itself, not its name: a link, a second hard link or another spelling of the path
// is still the configuration file.
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(Utf8Path(a), Utf8Path(b), ec) && !ec;
}

// A PDF cut short (the writer stopped half-way) lacks the end-of-file mark of its last line.
bool IsWholePdf(std::string_view pdf) {
    while (!pdf.empty() && (pdf.back() == '\n' || pdf.back() == '\r')) pdf.remove_suffix(1);
    return pdf.starts_with("%PDF-") && pdf.ends_with("%%EOF");
}

}  // namespace

bool IsPdfReportName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".pdf";
}

Result<void> WriteReport(const std::string& path, const std::string& html, PdfRenderer pdf,
                         const std::string& madeFrom) {
    if (!madeFrom.empty() && SameFile(path, madeFrom))
        return Fail(
            CannotWriteText(kReportFile, path, "это файл конфигурации, по которому он составлен"));
    if (!IsPdfReportName(path)) return ReplaceFileWhole(path, html, kReportFile);
    if (pdf == nullptr)
        return Fail("Отчёт в формате PDF в этой сборке программы недоступен; сохраните его как .html.");
    const auto document = pdf(html);
    if (!document) return document.failure();
    if (!IsWholePdf(*document))
        return Fail(CannotWriteText(kReportFile, path, "документ PDF не сформирован"));
    return ReplaceFileWhole(path, *document, kReportFile);
}

}  // namespace kerma
