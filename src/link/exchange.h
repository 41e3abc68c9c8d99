#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_channel.h"
#include "link_types.h"

namespace kerma {

using Block = std::vector<int32_t>;  // one element per block byte, 0..255

// Link state shared by the UI thread and the exchange thread. The main window owns it.
struct LinkState {
    std::atomic<int32_t> layoutCode{0};
    std::atomic<int32_t> panelTypeCode{0};
    std::atomic<bool> identifyPending{false};
    std::atomic<bool> uploadReady{false};
    std::atomic<bool> uploadSucceeded{false};
    std::atomic<bool> firmwareReplaced{false};
    // ReadByte's receive cell: a time-out hands back the last byte that arrived on any read.
    std::atomic<uint8_t> lastByte{0};
};

// What an exchange asks of the program around it. In the desktop program every call runs in the
// UI thread and the worker waits for it to return; the command-line client runs them inline.
class LinkHost {
  public:
    virtual ~LinkHost() = default;
    virtual void outcome(int32_t code, int attempt) = 0;
    virtual void progress(int percent) = 0;
    // Bytes of the current block frame moved so far (reads and writes; every 32 bytes and at the
    // end), for the status bar's progress of a chain.
    virtual void blockProgress(LinkOperation /*op*/, int /*done*/, int /*total*/) {}
    // Handshake found no panel: stop the current exchange and close the port.
    virtual void linkLost() = 0;
    // A codes block arrived: keep it until the settings block follows.
    virtual void codesRead(Block block) = 0;
    // A settings block arrived. identify tells whether it is the identification read.
    virtual void settingsRead(Block block, bool identify) = 0;
    // End of a read or write chain: the read and write buttons (and for a write the pages) again.
    virtual void readFinished() = 0;
    virtual void writeFinished() = 0;
    // Codes block written: the settings block to send next.
    virtual Block buildSettingsImage() = 0;
    // The next link of the chain, started as the exchange's last act.
    virtual void startExchange(LinkOperation op, Block data) = 0;
    // Upload over: hide the flash dialog and give the editor back.
    virtual void uploadFinished() = 0;
    // Upload accepted: mark identification, reopen the port and handshake again.
    virtual void reconnect() = 0;
};

struct ExchangeContext {
    ByteChannel& channel;
    Clock& clock;
    LinkState& state;
    LinkHost& host;
    const std::atomic<bool>& terminated;
};

// The handshake's tries before it gives up ("Нет ответа от прибора").
inline constexpr int kHandshakeAttempts = 10;
// The status line of handshake try n.
[[nodiscard]] std::string AttemptText(int attempt);

// Runs one operation to its end. data is the block to send (writes, firmware upload).
void RunExchange(LinkOperation op, const Block& data, ExchangeContext& ctx);

// One byte under the retry rule: 20 retries 5 ms apart, then outcome 6 and the last byte seen.
uint8_t ReadByte(ExchangeContext& ctx);

}  // namespace kerma
