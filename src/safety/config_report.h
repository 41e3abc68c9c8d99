#pragma once
// A readable Russian document of a configuration, for the customer's file: the panel, its
// partitions, device parameters, bindings, codes, keys and objects as the editor shows them.
// Passwords, codes and key identifiers are masked unless asked for.
#include <string>
#include <string_view>

#include "k740_editor.h"

namespace kerma {

struct ReportOptions {
    bool secrets = false;  // show passwords, codes and key identifiers
    std::string source;    // where the configuration comes from (a file name); may be empty
    std::string date;      // when the report is made, as it is to be printed
};

// What stands for a password, a code or a key identifier the reader has not asked to see;
// nullptr for a field that holds no secret.
[[nodiscard]] const char* SecretMask(std::string_view controlName);

// The whole report as an HTML document (UTF-8) of the configuration the editor holds for the
// variant.
[[nodiscard]] std::string BuildConfigReport(const K740Editor& editor, int variant,
                                            const ReportOptions& options);

}  // namespace kerma
