// Builds without Qt write reports as HTML only.
#include "report_file.h"

namespace kerma {

std::optional<std::string> RenderPdfReport(const std::string&) {
    return std::nullopt;
}

}  // namespace kerma
