#pragma once
// Writing a configuration report: HTML as it is, PDF through Qt's PDF writer.
#include <string>

namespace kerma {

// Writes html to path: a name ending in ".pdf" gets a PDF document, any other the HTML text.
// Returns "" on success, else the reason. A failed write leaves no half file behind.
[[nodiscard]] std::string WriteReport(const std::string& path, const std::string& html);

// The PDF step (A4, the pages as the HTML flows); a build without Qt says it cannot.
[[nodiscard]] std::string WritePdfReport(const std::string& path, const std::string& html);

}  // namespace kerma
