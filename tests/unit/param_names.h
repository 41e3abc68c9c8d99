#pragma once
// Readable names for the cases of parameterised tests: a case's text as a test name.
#include <cctype>
#include <string>

namespace kerma::testing {

// Letters and digits stay, a minus sign is spelt out, anything else becomes '_'; "" is "Empty".
inline std::string ParamName(const std::string& text) {
    if (text.empty()) return "Empty";
    std::string name;
    for (char ch : text) {
        if (std::isalnum(static_cast<unsigned char>(ch))) {
            name += ch;
        } else {
            name += ch == '-' ? "Minus" : "_";
        }
    }
    return name;
}

}  // namespace kerma::testing
