#pragma once
// Waiting for a condition, never for a fixed time.
#include <chrono>
#include <functional>
#include <thread>

namespace kerma::test {

// Polls until done() holds, serving no events; false after limitMs.
inline bool WaitFor(const std::function<bool()>& done, long limitMs = 10000) {
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(limitMs))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace kerma::test
