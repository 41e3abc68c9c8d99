#pragma once
// Which stored name bytes some text reads back from.
#include <cstdint>

#include "panel_chars.h"

namespace kerma::test {

// Whether TextOfPanelCode(code) is a text that encodes back, rather than the "?" of a byte no
// character encodes to.
inline bool PanelCodeHasText(uint8_t code) {
    return code < 0x80 || TextOfPanelCode(code) != "?";
}

}  // namespace kerma::test
