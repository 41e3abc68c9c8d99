#pragma once
// Files as a test looks at them.
#include <fstream>
#include <sstream>
#include <string>

namespace kerma::test {

// The whole file, byte for byte; "" when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace kerma::test
