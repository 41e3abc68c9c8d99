// Time from starting the program to its main window shown: the process is started anew each
// time (loading the libraries, the platform plugin and the fonts included) and does what the
// program's main() does, then tells the bench when the window is exposed and painted. The first
// start is the coldest. Run it under Xvfb, or with QT_QPA_PLATFORM=offscreen.
// Usage: bench_cold_start [STARTS] (default 10).
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "main_form.h"

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The program's start, up to the first painted main window; writes the moment to fd.
int ShowMainWindow(int argc, char** argv, int fd) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("kerma740-config");
    QApplication::setApplicationDisplayName("Kerma-740");
    auto runner = kerma::LinkRunner::Create();
    if (!runner) {
        std::fprintf(stderr, "%s\n", runner.error().c_str());
        return 1;
    }
    kerma::TMainForm form{std::move(*runner)};
    form.show();
    while (form.windowHandle() == nullptr || !form.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QApplication::processEvents();  // the first paint
    const std::string shown = std::to_string(NowNs());
    return ::write(fd, shown.c_str(), shown.size()) > 0 ? 0 : 1;
}

// Milliseconds from fork to the window shown; negative when the child failed.
double OneStart(const char* self) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;
    const int64_t start = NowNs();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        ::execl(self, self, "--child", fd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char buffer[32] = {};
    const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return static_cast<double>(std::atoll(buffer) - start) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        int childArgc = 1;
        return ShowMainWindow(childArgc, argv, std::atoi(argv[2]));
    }
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<double> ms;
    for (int i = 0; i < starts; ++i) {
        const double t = OneStart(self.c_str());
        if (t < 0) {
            std::fprintf(stderr, "start %d failed\n", i + 1);
            return 1;
        }
        ms.push_back(t);
    }
    std::printf("start to main window shown (ms), %d starts, platform %s:\n", starts,
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "default");
    std::printf("  first %.1f", ms.front());
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf(", median %.1f, min %.1f, max %.1f\n", sorted[sorted.size() / 2], sorted.front(),
                sorted.back());
    return 0;
}
