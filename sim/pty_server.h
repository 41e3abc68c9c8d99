#pragma once
// Serves a VirtualPanel on the master side of a pseudo-terminal.
#include <csignal>
#include <string>

#include "result.h"
#include "virtual_panel.h"

namespace kerma {

class PtyServer {
  public:
    // baud 0: no pacing. savePath "": nothing saved.
    PtyServer(VirtualPanel& panel, int baud, std::string savePath);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pair; a failure says what failed, with the system's reason.
    [[nodiscard]] Result<void> open();
    const std::string& slavePath() const { return slavePath_; }

    // Runs until stop becomes non-zero. Signals are waited for with waitMask in force, so a
    // signal blocked outside the wait cannot slip in between the check and the wait.
    // Returns 0, or 1 after a failure of the terminal (reported on stderr).
    int serve(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask);

  private:
    // The line dropped as a pulled adapter drops it: the program's end sees a hang-up.
    int hangUp();

    VirtualPanel& panel_;
    int baud_;
    std::string savePath_;
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace kerma
