// Builds without Qt write reports as HTML only.
#include "report_file.h"

namespace kerma {

Result<std::string> RenderPdfReport(const std::string&) {
    return Fail("Отчёт в формате PDF в этой сборке программы недоступен; сохраните его как .html.");
}

}  // namespace kerma
