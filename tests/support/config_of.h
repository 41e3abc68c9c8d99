#pragma once
// A configuration file as a test compares it.
#include <string>

#include "config_file.h"

namespace kerma::test {

// The configuration in the file; an empty one where the file does not read, so a comparison
// fails and shows what was there instead.
inline ConfigBlocks ConfigOf(const std::string& path) {
    auto parsed = ReadConfigFile(path);
    return parsed ? *parsed : ConfigBlocks{};
}

}  // namespace kerma::test
