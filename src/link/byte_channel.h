#pragma once
#include <cstddef>
#include <cstdint>

namespace kerma {

// The port's read time-outs in milliseconds, for the real port and for the virtual line alike:
// a read gives up after kReadMsPerByte per requested byte + kReadConstantMs, or after
// kReadIntervalMs without a byte.
inline constexpr int kReadMsPerByte = 100;
inline constexpr int kReadConstantMs = 10;
inline constexpr int kReadIntervalMs = 1000;

// The serial line as the exchange protocol sees it. A real port (termios or Win32) implements it,
// and so does the in-process virtual panel the tests use.
class ByteChannel {
  public:
    virtual ~ByteChannel() = default;

    // One write call. True when the system accepted the call (the count is not examined).
    virtual bool write(const uint8_t* bytes, size_t count) = 0;

    // One read call under the port's time-outs: total 100 ms per requested byte + 10 ms, and at
    // most 1000 ms between two bytes. Returns the number of bytes that arrived (0 on time-out).
    virtual size_t read(uint8_t* bytes, size_t count) = 0;

    // Drop anything pending. Thread start purges both directions and aborts pending calls;
    // thread end clears the receive then the transmit buffer.
    virtual void purgeReceive() = 0;
    virtual void purgeTransmit() = 0;

    // The device has gone (a USB adapter pulled out): a read or write failed in a way no retry
    // mends. A read that only timed out, or a port we closed ourselves, is not gone.
    [[nodiscard]] virtual bool gone() const { return false; }
};

// Waiting, injectable so tests run the 2 s handshake pauses in no time.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleepMs(int ms) = 0;
};

// The wall clock.
class SystemClock final : public Clock {
  public:
    void sleepMs(int ms) override;
    static SystemClock& instance();
};

}  // namespace kerma
