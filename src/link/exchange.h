#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "byte_channel.h"
#include "link_types.h"

namespace kerma {

// Link state shared by the UI thread and the exchange thread. The main window owns it.
struct LinkState {
    std::atomic<int32_t> layoutCode{0};
    std::atomic<int32_t> panelTypeCode{0};
    std::atomic<bool> identifyPending{false};
    std::atomic<bool> firmwareReplaced{false};
    // ReadByte's receive cell: a time-out hands back the last byte that arrived on any read.
    std::atomic<uint8_t> lastByte{0};
};

// One exchange of a chain and the blocks it carries. A chain's blocks travel with it: a write
// is handed both of its blocks when it starts, and a read hands both of its blocks over at once.
struct LinkStep {
    LinkOperation op = LinkOperation::Handshake;
    Block data;      // what this exchange sends: a block, a firmware upload
    Block settings;  // a write's settings block, sent once the panel has taken the codes block
    Block codes;     // a read's codes block, handed over with the settings block that follows it
};

// An exchange that carries no block (a handshake, a read).
[[nodiscard]] inline LinkStep Step(LinkOperation op) {
    return LinkStep{op, {}, {}, {}};
}

// The write chain: the codes block first, then the settings block.
[[nodiscard]] inline LinkStep WriteChain(Block codes, Block settings) {
    return LinkStep{LinkOperation::WriteCodes, std::move(codes), std::move(settings), {}};
}

// What an exchange tells the program around it, step by step. The desktop program's editor, the
// command-line client and the tests each implement it once. In the desktop program every call
// runs in the UI thread while the worker waits for it to return.
class LinkHost {
  public:
    virtual ~LinkHost() = default;
    // The panel's result codes: status texts, attempts, failures and their causes.
    virtual void outcome(const LinkOutcome& outcome) = 0;
    // Bytes of the current block frame or firmware upload moved so far (frames every 32 bytes,
    // uploads every 8, and at the end).
    virtual void progress(LinkOperation op, int done, int total) = 0;
    // The settings block read right after the handshake, while identifyPending is set.
    virtual void identified(Block settings) = 0;
    // A read chain's two blocks, once the panel has sent the second.
    virtual void configurationRead(Block settings, Block codes) = 0;
    // A write chain. The codes frame is about to be whole on the line: from here on the panel may
    // take the new codes, and until it has taken the settings block too it may hold new codes
    // with old settings, whatever else the line says.
    virtual void codesFrameSent() = 0;
    // The panel refused a codes frame the exchange spoiled on purpose after a wrong echo: it
    // keeps the codes it had.
    virtual void codesFrameRefused() = 0;
    // The panel took the settings block: the write is whole.
    virtual void configurationWritten() = 0;
    // The panel said yes to the upload handshake: the firmware may follow. A no is not
    // told; the program's wait for the yes runs out.
    virtual void uploadReady() = 0;
    // The firmware upload is over; accepted: the panel took the firmware and runs it.
    virtual void uploadEnded(bool accepted) = 0;
};

// What runs the exchanges for a program: threads in the desktop program, the calling thread in the
// client and the tests. Each exchange of a chain starts on a purged line.
class LinkDriver {
  public:
    virtual ~LinkDriver() = default;
    virtual LinkState& state() = 0;
    virtual void start(LinkStep step) = 0;
    virtual void stopCurrent() = 0;
    virtual void closePort() = 0;
};

// How an exchange ended, for whoever runs the chain.
struct ExchangeEnd {
    std::optional<LinkStep> next;  // the chain goes on with this exchange
    // Nobody answered the handshake, or the port refused a write: the connection is over, and
    // the runner stops the chain and closes the port.
    bool lineLost = false;
};

// One call of an exchange to the program.
using HostCall = std::function<void(LinkHost&)>;

struct ExchangeContext {
    ByteChannel& channel;
    Clock& clock;
    LinkState& state;
    // Hands a call to the program: at once where the exchange runs in the program's thread,
    // through the UI thread (the worker waiting) where it runs on a worker.
    std::function<void(const HostCall&)> tell;
    const std::atomic<bool>& terminated;
};

// The handshake's tries before it gives up ("Нет ответа от прибора").
inline constexpr int kHandshakeAttempts = 10;
// The status line of handshake try n.
[[nodiscard]] std::string AttemptText(int attempt);

// Runs one exchange to its end.
ExchangeEnd RunExchange(const LinkStep& step, ExchangeContext& ctx);

// One byte under the retry rule: 20 retries 5 ms apart, then outcome 6 and the last byte seen.
uint8_t ReadByte(ExchangeContext& ctx);

}  // namespace kerma
