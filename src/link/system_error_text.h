#pragma once
// The reason the operating system gave for a failed file or port operation, in the program's
// Russian: the system's own text is in the system's language ("Is a directory").
#include <string>
#include <system_error>

namespace kerma {

[[nodiscard]] std::string SystemErrorText(const std::error_code& error);

}  // namespace kerma
