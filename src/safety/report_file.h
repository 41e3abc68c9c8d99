#pragma once
// Writing a configuration report: HTML as it is, PDF through Qt's PDF writer.
#include <string>

#include "result.h"

namespace kerma {

// Writes html to path: a name ending in ".pdf" gets a PDF document, any other the HTML text.
// Written as every file is (ReplaceFileWhole): whole or not at all. madeFrom, when given, is the
// configuration file the report describes; a report never replaces it, however it is named.
// A failure is the message with the reason.
[[nodiscard]] Result<void> WriteReport(const std::string& path, const std::string& html,
                                       const std::string& madeFrom = {});

// The whole PDF document (A4, the pages as the HTML flows) in memory; refused in a build without
// Qt, which cannot make one.
[[nodiscard]] Result<std::string> RenderPdfReport(const std::string& html);

}  // namespace kerma
