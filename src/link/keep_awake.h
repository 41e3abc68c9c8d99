#pragma once
// Keeps Windows from sleeping while the panel is being written or its firmware replaced: sleep
// in the middle of an upload leaves the panel without working firmware. The thread that holds
// it asks; the computer may sleep again once it is gone. Does nothing on other systems.
#include "link_types.h"

namespace kerma {

class KeepAwake {
  public:
    explicit KeepAwake(LinkOperation op);
    ~KeepAwake();
    KeepAwake(const KeepAwake&) = delete;
    KeepAwake& operator=(const KeepAwake&) = delete;

    // Writes and the upload; a read may be cut and done again.
    static bool Needed(LinkOperation op);

  private:
    bool held_ = false;
};

}  // namespace kerma
