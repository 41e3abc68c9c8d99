#pragma once
// The in-process panel fed byte by byte, as the line would feed it.
#include <cstdint>
#include <vector>

#include "virtual_panel.h"

namespace kerma::test {

// Everything the panel answers to the bytes, in order.
inline std::vector<uint8_t> Feed(VirtualPanel& panel, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out;
    for (uint8_t b : bytes) {
        const std::vector<uint8_t> answer = panel.receive(b);
        out.insert(out.end(), answer.begin(), answer.end());
    }
    return out;
}

}  // namespace kerma::test
