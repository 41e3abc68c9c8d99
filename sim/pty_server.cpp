#include "pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <optional>
#include <vector>

#include "panel_memory.h"

namespace kerma {
namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

constexpr int64_t kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int64_t kNsPerSecond = 1'000'000'000;
constexpr size_t kReadChunk = 512;
constexpr size_t kWriteChunk = 4096;

Failure SystemError(const char* what) {
    std::string reason = std::strerror(errno);
    return Fail(std::string(what) + ": " + reason, reason);
}

// Byte times counted from the start of a burst, so rounding never adds up over a long frame.
// A byte reaches the far end only when its stop bit has: one byte time after the line was free
// for it, even the echo of a single byte.
class Pacer {
  public:
    explicit Pacer(int baud) : baud_(baud) {}
    bool paced() const { return baud_ > 0; }
    SteadyClock::time_point due() const { return after(count_ + 1); }
    // A byte joins the queue: after a quiet spell a new burst starts now.
    void queued(SteadyClock::time_point now) {
        if (paced() && after(count_) < now) {
            start_ = now;
            count_ = 0;
        }
    }
    void sent() { ++count_; }

  private:
    SteadyClock::time_point after(int64_t bytes) const {
        return start_ + nanoseconds(bytes * kBitsPerByte * kNsPerSecond / baud_);
    }

    int baud_;
    SteadyClock::time_point start_{};
    int64_t count_ = 0;
};

// Nanoseconds, not milliseconds: rounding every byte time of 8.33 ms up to 9 would add 8 % to
// every echo at 1200 baud.
int64_t NanosecondsUntil(SteadyClock::time_point t, SteadyClock::time_point now) {
    return t <= now ? 0 : std::chrono::duration_cast<nanoseconds>(t - now).count();
}

int QuietMs(SteadyClock::time_point since, SteadyClock::time_point now) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - since).count();
    return static_cast<int>(std::min<int64_t>(ms, 1 << 30));
}

struct Line {
    std::deque<uint8_t> queue;
    Pacer pacer;
    SteadyClock::time_point lastActivity = SteadyClock::now();
    // A byte the panel holds back (a late status), and when it goes on the line.
    std::optional<uint8_t> held;
    SteadyClock::time_point heldUntil{};
};

void Queue(Line& line, std::vector<uint8_t> answer, int holdLastMs, SteadyClock::time_point now) {
    if (answer.empty()) return;
    if (holdLastMs > 0) {
        line.held = answer.back();
        line.heldUntil = now + std::chrono::milliseconds(holdLastMs);
        answer.pop_back();
    }
    line.pacer.queued(now);
    line.queue.insert(line.queue.end(), answer.begin(), answer.end());
}

// The held byte joins the queue once its time has come.
void ReleaseHeld(Line& line, SteadyClock::time_point now) {
    if (!line.held || now < line.heldUntil) return;
    line.pacer.queued(now);
    line.queue.push_back(*line.held);
    line.held.reset();
}

}  // namespace

PtyServer::PtyServer(VirtualPanel& panel, int baud, std::string savePath)
    : panel_(panel), baud_(baud), savePath_(std::move(savePath)) {}

PtyServer::~PtyServer() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

Result<void> PtyServer::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return SystemError("posix_openpt");
    if (::grantpt(master_) != 0) return SystemError("grantpt");
    if (::unlockpt(master_) != 0) return SystemError("unlockpt");
    const char* name = ::ptsname(master_);
    if (name == nullptr) return SystemError("ptsname");
    slavePath_ = name;
    // Our own slave descriptor keeps the terminal alive while the client closes and reopens it
    // (otherwise the master reads EIO); raw mode keeps the tty layer from echoing or translating.
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) return SystemError(slavePath_.c_str());
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) return SystemError("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B1200);
    ::cfsetospeed(&tio, B1200);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) return SystemError("tcsetattr");
    int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        return SystemError("fcntl");
    }
    return {};
}

namespace {

// Feeds what arrived to the panel; false when the terminal failed.
bool TakeInput(int master, VirtualPanel& panel, Line& line, const std::string& savePath) {
    uint8_t buffer[kReadChunk];
    ssize_t got = ::read(master, buffer, sizeof buffer);
    if (got < 0) return errno == EAGAIN || errno == EINTR;
    for (ssize_t i = 0; i < got; ++i) {
        auto now = SteadyClock::now();
        panel.lineQuiet(QuietMs(line.lastActivity, now));
        line.lastActivity = now;
        int writesBefore = panel.acceptedWrites();
        std::vector<uint8_t> answer = panel.receive(buffer[i]);
        // Saved before the status byte leaves, so whoever sees the status finds the file.
        if (!savePath.empty() && panel.acceptedWrites() != writesBefore) {
            if (auto saved = SavePanelMemory(panel, savePath); !saved) {
                std::cerr << "kerma740-panel: " << saved.error() << std::endl;
            }
        }
        if (panel.hungUp()) return true;
        Queue(line, std::move(answer), panel.holdLastMs(), now);
    }
    return true;
}

// How long the loop may sleep before something is due: the next paced byte or a held one.
timespec* WaitFor(const Line& line, SteadyClock::time_point now, timespec& wait, bool& sendNow) {
    sendNow = false;
    int64_t ns = -1;
    if (!line.queue.empty()) {
        ns = line.pacer.paced() ? NanosecondsUntil(line.pacer.due(), now) : 0;
        sendNow = ns == 0;
    }
    if (line.held) {
        const int64_t heldNs = NanosecondsUntil(line.heldUntil, now);
        ns = ns < 0 ? heldNs : std::min(ns, heldNs);
    }
    if (ns < 0 || sendNow) return nullptr;
    wait.tv_sec = static_cast<time_t>(ns / kNsPerSecond);
    wait.tv_nsec = static_cast<long>(ns % kNsPerSecond);
    return &wait;
}

bool SendOutput(int master, Line& line) {
    uint8_t buffer[kWriteChunk];
    size_t count = line.pacer.paced() ? 1 : std::min(line.queue.size(), sizeof buffer);
    std::copy_n(line.queue.begin(), count, buffer);
    ssize_t put = ::write(master, buffer, count);
    if (put < 0) return errno == EAGAIN || errno == EINTR;
    line.queue.erase(line.queue.begin(), line.queue.begin() + put);
    for (ssize_t i = 0; i < put; ++i) line.pacer.sent();
    line.lastActivity = SteadyClock::now();
    return true;
}

}  // namespace

int PtyServer::serve(const volatile std::sig_atomic_t& stop, const sigset_t& waitMask) {
    Line line{{}, Pacer(baud_), SteadyClock::now(), std::nullopt, {}};
    while (stop == 0) {
        auto now = SteadyClock::now();
        ReleaseHeld(line, now);
        pollfd fd{master_, POLLIN, 0};
        timespec wait{};
        bool sendNow = false;
        timespec* timeout = WaitFor(line, now, wait, sendNow);
        if (sendNow) fd.events |= POLLOUT;
        int ready = ::ppoll(&fd, 1, timeout, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::cerr << "kerma740-panel: " << SystemError("ppoll").text << std::endl;
            return 1;
        }
        bool ok = true;
        if (fd.revents & POLLIN) ok = TakeInput(master_, panel_, line, savePath_);
        if (panel_.hungUp()) return hangUp();
        if (ok && (fd.revents & POLLOUT) && !line.queue.empty()) ok = SendOutput(master_, line);
        if (!ok || (fd.revents & (POLLERR | POLLNVAL))) {
            std::cerr << "kerma740-panel: " << SystemError(slavePath_.c_str()).text << std::endl;
            return 1;
        }
    }
    return 0;
}

int PtyServer::hangUp() {
    ::close(master_);
    ::close(slave_);
    master_ = slave_ = -1;
    std::cerr << "kerma740-panel: line dropped after " << panel_.received().size() << " bytes"
              << std::endl;
    return 0;
}

}  // namespace kerma
