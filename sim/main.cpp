// kerma740-panel: a virtual Kerma-740 panel on a pseudo-terminal, for trying the program and for
// the end-to-end tests without a panel on the desk.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "panel_memory.h"
#include "panel_options.h"
#include "pty_server.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitBadOptions = 2;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

int Fail(const std::string& message, int status) {
    std::cerr << "kerma740-panel: " << message << std::endl;
    return status;
}

// Replaces an old link at path, but never a file that is not a link.
kerma::Result<void> MakeLink(const std::string& target, const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        return kerma::Fail(path + " exists and is not a symbolic link; not replacing it");
    }
    std::string temporary = path + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), path.c_str()) != 0) {
        std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return kerma::Fail(path + ": " + reason, reason);
    }
    return {};
}

// Only our own link goes: another panel may have taken the name over since.
void RemoveLink(const std::string& target, const std::string& path) {
    std::vector<char> buffer(4096);
    ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length > 0 && std::string(buffer.data(), length) == target) ::unlink(path.c_str());
}

sigset_t BlockStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &stops, &previous);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&previous, sig);
    return previous;
}

int Run(const kerma::PanelOptions& options) {
    kerma::VirtualPanel panel(static_cast<uint8_t>(options.type),
                              static_cast<uint8_t>(options.version));
    panel.faults() = options.faults;
    if (!options.memoryPath.empty()) {
        if (auto loaded = kerma::ReadPanelMemory(panel, options.memoryPath); !loaded) {
            return Fail(loaded.error(), kExitBadOptions);
        }
        if (options.versionGiven) panel.setVersion(static_cast<uint8_t>(options.version));
    } else {
        // A panel fresh from the factory: the factory configuration of its variant.
        kerma::LoadFactoryPanelMemory(panel);
    }
    sigset_t waitMask = BlockStopSignals();
    kerma::PtyServer server(panel, options.baud, options.savePath);
    if (auto opened = server.open(); !opened) return Fail(opened.error(), kExitFailure);
    const std::string& path = server.slavePath();
    if (!options.linkPath.empty()) {
        if (auto linked = MakeLink(path, options.linkPath); !linked) {
            return Fail(linked.error(), kExitFailure);
        }
    }
    std::cout << path << std::endl;
    int status = server.serve(g_stop, waitMask);
    if (!options.linkPath.empty()) RemoveLink(path, options.linkPath);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = kerma::ParsePanelOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) return Fail(parsed.error() + " (see --help)", kExitBadOptions);
    const auto& options = *parsed;
    if (options.help) {
        std::cout << kerma::PanelUsage();
        return 0;
    }
    return Run(options);
}
