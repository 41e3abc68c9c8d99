#pragma once
// Writing a configuration report: HTML as it is, PDF through Qt's PDF writer.
#include <optional>
#include <string>

namespace kerma {

// Writes html to path: a name ending in ".pdf" gets a PDF document, any other the HTML text.
// Written as every file is (ReplaceFileWhole): whole or not at all. madeFrom, when given, is the
// configuration file the report describes; a report never replaces it, however it is named.
// Returns "" on success, else the message with the reason. A PDF needs what RenderPdfReport needs.
[[nodiscard]] std::string WriteReport(const std::string& path, const std::string& html,
                                      const std::string& madeFrom = {});

// The whole PDF document (A4, the pages as the HTML flows) in memory; nullopt in a build without
// Qt, which cannot make one. With Qt a QGuiApplication must exist: the text layout takes its
// fonts from it. The program has its QApplication; the client makes one for a PDF only.
[[nodiscard]] std::optional<std::string> RenderPdfReport(const std::string& html);

// Whether WriteReport makes a PDF of this name (it ends in ".pdf", in any case).
[[nodiscard]] bool IsPdfReportName(const std::string& path);

}  // namespace kerma
