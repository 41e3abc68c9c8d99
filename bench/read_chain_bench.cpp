// Reads a variant 5 panel (the largest blocks) through a pseudo-terminal and prints how the time
// compares with the time the bytes need on a 1200-baud line. Run with --paced for the 1200-baud
// panel (about half a minute); without it the panel answers at once and the figure is the cost
// of the program's own side of a whole read chain.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "serial_port.h"
#include "sync_link.h"

namespace {

std::string BinDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

pid_t StartPanel(const std::string& link, bool paced) {
    pid_t pid = fork();
    if (pid == 0) {
        std::string panel = BinDir() + "/kerma740-panel";
        std::vector<const char*> argv{panel.c_str(), "--link", link.c_str(), "--version", "53"};
        if (paced) {
            argv.push_back("--baud");
            argv.push_back("1200");
        }
        argv.push_back(nullptr);
        freopen("/dev/null", "w", stdout);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    for (int i = 0; i < 300 && !std::filesystem::exists(link); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pid;
}

// Bytes the panel puts on the line in one read chain: per block the echoed command frame, the
// ready byte, the data frame and the echoed verdict.
long PanelBytes(int32_t layout) {
    return (4 + 1 + kerma::CodesLength(layout) + 3 + 1) +
           (4 + 1 + kerma::SettingsLength(layout) + 3 + 1);
}

}  // namespace

int main(int argc, char** argv) {
    const bool paced = argc > 1 && std::strcmp(argv[1], "--paced") == 0;
    const std::string link = "/tmp/kerma740-bench-" + std::to_string(getpid());
    const pid_t panel = StartPanel(link, paced);
    setenv("KERMA740_COM1", link.c_str(), 1);
    kerma::SerialPort port;
    if (!port.open(1)) {
        std::fprintf(stderr, "cannot open the virtual panel at %s\n", link.c_str());
        kill(panel, SIGTERM);
        return 1;
    }
    kerma::LinkState state;
    state.layoutCode = kerma::Layout::Wide;
    kerma::SyncLink chain(port, kerma::SystemClock::instance(), state);
    const auto start = std::chrono::steady_clock::now();
    chain.run(kerma::LinkOperation::ReadCodes);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool ok = chain.verdict() == kerma::LinkResult::Read;
    port.close();
    kill(panel, SIGTERM);
    waitpid(panel, nullptr, 0);
    if (!ok) {
        std::fprintf(stderr, "read chain failed\n");
        return 1;
    }
    const long bytes = PanelBytes(state.layoutCode);
    const double wire = bytes * 10.0 / 1200.0;
    std::printf("read chain, variant 5 (%ld bytes from the panel)\n", bytes);
    if (paced) {
        std::printf("time %.2f s, wire-time bound %.2f s, ratio %.3f (target <= 1.05)\n", seconds,
                    wire, seconds / wire);
    } else {
        std::printf("unpaced time %.3f s (the same chain needs %.2f s on a 1200-baud line)\n",
                    seconds, wire);
    }
    return 0;
}
