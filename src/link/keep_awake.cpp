#include "keep_awake.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kerma {

bool KeepAwake::Needed(LinkOperation op) {
    return op == LinkOperation::FirmwareUpload || op == LinkOperation::WriteSettings ||
           op == LinkOperation::WriteCodes;
}

#ifdef _WIN32
KeepAwake::KeepAwake(LinkOperation op) {
    if (Needed(op)) held_ = SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0;
}

KeepAwake::~KeepAwake() {
    if (held_) SetThreadExecutionState(ES_CONTINUOUS);
}
#else
KeepAwake::KeepAwake(LinkOperation) {}

KeepAwake::~KeepAwake() = default;
#endif

}  // namespace kerma
