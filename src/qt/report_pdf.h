#pragma once
// The configuration report as a PDF document, laid out by Qt's text layout.
#include <string>

#include "result.h"

namespace kerma {

// The whole document (A4, the pages as the HTML flows) in memory. A QGuiApplication must exist:
// the text layout takes its fonts from it. The program has its QApplication; the client makes
// one for a PDF only.
[[nodiscard]] Result<std::string> RenderPdfReport(const std::string& html);

}  // namespace kerma
