// How long the serial port waits before it gives up, on the platform it runs on: one read call
// of 1 and of 8 bytes, and ReadByte with its retries. Run it against a silent panel, e.g.
//   kerma740-panel --silent --link /tmp/com1 &  KERMA740_COM1=/tmp/com1 bench_serial_timeouts
// or, in a Windows build under Wine, with com1 of the prefix pointing at that link.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "serial_port.h"
#include "sync_link.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Prints the least, the median and the largest of `runs` timings of `call`.
void Report(const char* what, int runs, const std::function<void()>& call) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        call();
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-34s min %7.1f  median %7.1f  max %7.1f ms  (%d runs)\n", what, times.front(),
                times[times.size() / 2], times.back(), runs);
}

}  // namespace

int main(int argc, char** argv) {
    const int number = argc > 1 ? std::atoi(argv[1]) : 1;
    kerma::SerialPort port;
    if (auto opened = port.open(kerma::ComPortItem(number)); !opened) {
        std::fprintf(stderr, "%s\n", opened.error().c_str());
        return 1;
    }
    uint8_t buffer[8] = {};
    Report("read call, 1 byte, nothing comes", 10, [&] { (void)port.read(buffer, 1); });
    Report("read call, 8 bytes, nothing comes", 3, [&] { (void)port.read(buffer, 8); });
    Report("write call, 1 byte", 10, [&] { (void)port.write(buffer, 1); });

    kerma::LinkState state;
    kerma::SyncLink host(port, kerma::SystemClock::instance(), state);
    const std::atomic<bool> terminated{false};
    kerma::ExchangeContext ctx{port, kerma::SystemClock::instance(), state,
                               [&host](const kerma::HostCall& call) { call(host); }, terminated};
    Report("ReadByte until the time-out", 3, [&] { (void)kerma::ReadByte(ctx); });
    return 0;
}
