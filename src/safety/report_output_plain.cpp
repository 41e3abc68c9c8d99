// Builds without Qt write reports as HTML only.
#include "report_file.h"

namespace kerma {

std::string WritePdfReport(const std::string&, const std::string&) {
    return "Отчёт в формате PDF в этой сборке программы недоступен; сохраните его как .html.";
}

}  // namespace kerma
