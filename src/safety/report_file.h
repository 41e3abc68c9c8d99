#pragma once
// Writing a configuration report: HTML as it is, a PDF as the Qt side renders it.
#include <string>

#include "result.h"

namespace kerma {

// Renders the HTML as a whole PDF document in memory (RenderPdfReport on the Qt side).
using PdfRenderer = Result<std::string> (*)(const std::string& html);

// Writes html to path: a name ending in ".pdf" gets the PDF document pdf renders, any other the
// HTML text. Written as every file is (ReplaceFileWhole): whole or not at all. Without a renderer
// (a build without Qt) a PDF is refused. madeFrom, when given, is the configuration file the
// report describes; a report never replaces it, however it is named.
[[nodiscard]] Result<void> WriteReport(const std::string& path, const std::string& html,
                                       PdfRenderer pdf, const std::string& madeFrom = {});

// Whether WriteReport makes a PDF of this name (it ends in ".pdf", in any case).
[[nodiscard]] bool IsPdfReportName(const std::string& path);

}  // namespace kerma
