// A read chain, a write chain and a firmware upload with a variant 5 panel (the largest blocks)
// through a pseudo-terminal, each against the time its bytes need on a 1200-baud line. With
// --paced the panel sends at 1200 baud (about a minute in all); without it the panel answers at
// once and the figures are the cost of the program's own side. Usage:
//   bench_wire_time [--paced] [read] [write] [upload]      (all three when none is named)
// The bound counts the bytes the panel puts on the line (echoes, ready and status bytes, data
// frames) and, for the upload, the 5 ms pause after every 8th byte. The program's own bytes
// reach the virtual panel at once; on a real line each of them adds another byte time.
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "frames.h"
#include "process_util.h"
#include "serial_port.h"
#include "sync_link.h"

namespace {

using namespace kerma;

using kerma::test::Pattern;

constexpr double kByteSeconds = 10.0 / 1200.0;
constexpr int32_t kLayout = Layout::Wide;
constexpr int kFirmwareBody = 1024;

// Bytes the panel sends for one block: the echoed command frame, the ready byte, the frame (read)
// or the echo of every frame byte (write), and the echoed verdict (read) or the status (write).
long PanelBytes(int length) {
    return 4 + 1 + (length + 3) + 1;
}

long ChainBytes() {
    return PanelBytes(CodesLength(kLayout)) + PanelBytes(SettingsLength(kLayout));
}

Block SampleUpload() {
    Block upload = Pattern(kFirmwareBody + 7, 3);
    upload[3] = 53;
    upload[4] = kFirmwareBody >> 8;
    upload[5] = kFirmwareBody & 0xFF;
    return upload;
}

struct Run {
    double seconds = 0;
    bool ok = false;
};

Run Timed(const std::function<bool()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), ok};
}

class Bench {
  public:
    explicit Bench(SerialPort& port) : port_(port) {
        state_.layoutCode = kLayout;
        state_.panelTypeCode = 9;
    }

    Run read() {
        SyncLink chain(port_, SystemClock::instance(), state_);
        return Timed([&] {
            chain.run(LinkOperation::ReadCodes);
            return chain.verdict() == LinkResult::Read;
        });
    }
    Run write() {
        SyncLink chain(port_, SystemClock::instance(), state_);
        return Timed([&] {
            chain.run(WriteChain(Pattern(CodesLength(kLayout), 2), Pattern(SettingsLength(kLayout), 1)));
            return chain.verdict() == LinkResult::Written;
        });
    }
    // The upload handshake first, untimed: the upload itself is what the bound is about.
    Run upload() {
        SyncLink handshake(port_, SystemClock::instance(), state_);
        handshake.run(LinkOperation::UploadHandshake);
        if (!handshake.readyForUpload()) return {};
        SyncLink chain(port_, SystemClock::instance(), state_);
        return Timed([&] {
            chain.run(LinkStep{LinkOperation::FirmwareUpload, SampleUpload(), {}, {}});
            return chain.verdict() == LinkResult::FirmwareLoaded;
        });
    }

  private:
    SerialPort& port_;
    LinkState state_;
};

void Print(const char* what, const Run& run, double bound, bool paced) {
    if (!run.ok) {
        std::printf("%-7s failed\n", what);
    } else if (paced) {
        std::printf("%-7s %6.2f s, bound %6.2f s, ratio %.3f (target <= 1.05)\n", what, run.seconds,
                    bound, run.seconds / bound);
    } else {
        std::printf("%-7s %6.3f s unpaced (%.2f s on a 1200-baud line)\n", what, run.seconds,
                    bound);
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool paced = false;
    std::set<std::string> runs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paced") == 0) {
            paced = true;
        } else {
            runs.insert(argv[i]);
        }
    }
    if (runs.empty()) runs = {"read", "write", "upload"};
    // The program runs its exchanges at the lowest real-time priority where it may; so does this.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    const bool realTime = pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
    testing::TempDir dir;
    std::vector<std::string> args{"--version", "53"};
    if (paced) args.insert(args.end(), {"--baud", "1200"});
    testing::PanelProcess panel(dir.file("com1"), args);
    setenv("KERMA740_COM1", dir.file("com1").c_str(), 1);
    SerialPort port;
    if (!panel.ready() || !port.open(ComPortItem(1))) {
        std::fprintf(stderr, "cannot open the virtual panel at %s\n", dir.file("com1").c_str());
        return 1;
    }
    Bench bench(port);
    std::printf("variant 5 panel, %s; exchanges at %s priority\n", paced ? "1200 baud" : "unpaced",
                realTime ? "real-time" : "normal");
    bool ok = true;
    const double chainBound = static_cast<double>(ChainBytes()) * kByteSeconds;
    if (runs.count("read")) {
        const Run run = bench.read();
        Print("read", run, chainBound, paced);
        ok = ok && run.ok;
    }
    if (runs.count("write")) {
        const Run run = bench.write();
        Print("write", run, chainBound, paced);
        ok = ok && run.ok;
    }
    if (runs.count("upload")) {
        const long bytes = kFirmwareBody + 7;
        const double bound = static_cast<double>(bytes + 1) * kByteSeconds + (bytes / 8) * 0.005;
        const Run run = bench.upload();
        Print("upload", run, bound, paced);
        ok = ok && run.ok;
    }
    std::printf(
        "(read and write chains: %ld bytes from the panel; upload: %d bytes, each echoed)\n",
        ChainBytes(), kFirmwareBody + 7);
    port.close();
    return ok ? 0 : 1;
}
