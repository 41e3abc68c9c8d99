#pragma once
// The program's side of the line wired straight to a VirtualPanel, with virtual time, so whole
// exchanges (2 s handshake pauses, 2.4 s time-outs) run in microseconds.
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "byte_channel.h"
#include "virtual_panel.h"

namespace kerma {

// Milliseconds that pass only when someone waits.
class VirtualClock final : public Clock {
  public:
    void sleepMs(int ms) override { advance(ms); }
    void advance(int64_t ms) {
        if (ms > 0) now_ += ms;
    }
    int64_t nowMs() const { return now_; }

  private:
    std::atomic<int64_t> now_{0};
};

class InProcessChannel final : public ByteChannel {
  public:
    InProcessChannel(VirtualPanel& panel, VirtualClock& clock) : panel_(panel), clock_(clock) {}

    // Feeds every byte to the panel and queues what it sends back.
    bool write(const uint8_t* bytes, size_t count) override;
    // Hands over queued bytes at once; when fewer than count are queued, the port's whole
    // time-out passes on the virtual clock first.
    size_t read(uint8_t* bytes, size_t count) override;
    void purgeReceive() override;
    void purgeTransmit() override {}
    bool gone() const override { return gone_ || panel_.hungUp(); }

    // A port whose write calls fail: the panel sees nothing.
    void setWritesFail(bool fail) { writesFail_ = fail; }
    // A pulled USB adapter: every call fails, and the port says the device has gone.
    void setGone(bool gone) { gone_ = gone; }
    size_t pendingBytes() const;
    int readCalls() const { return readCalls_; }

  private:
    VirtualPanel& panel_;
    VirtualClock& clock_;
    mutable std::mutex mutex_;
    std::deque<uint8_t> pending_;
    // A byte the panel holds back (a late status), due at this time of the virtual clock.
    std::optional<uint8_t> held_;
    int64_t heldDueMs_ = 0;
    int64_t lastWriteMs_ = -1;
    std::atomic<bool> writesFail_{false};
    std::atomic<bool> gone_{false};
    std::atomic<int> readCalls_{0};
};

}  // namespace kerma
