#pragma once
// Runs exchange chains to their end in the calling thread: the command-line client and the
// protocol tests use it. The desktop program runs the same exchanges on TComThread instead.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exchange.h"

namespace kerma {

// Exchanges run one after another in the calling thread: the one started and every exchange it
// chains. Each starts on a purged line with its own stop flag, as each worker thread does, and a
// stopped exchange chains nothing, as on the worker.
class ExchangeQueue {
  public:
    void add(LinkStep step);
    // Stops the running exchange at its next check point.
    void stop() { terminated_ = true; }
    // False when the line was lost (nobody answered, the port failed): nothing more was run.
    bool run(ByteChannel& channel, Clock& clock, LinkState& state, LinkHost& host);

  private:
    std::atomic<bool> terminated_{false};
    bool running_ = false;
    std::deque<LinkStep> pending_;
};

// The client's and the protocol tests' side of an exchange chain: it keeps what the panel said.
class SyncLink final : public LinkHost {
  public:
    SyncLink(ByteChannel& channel, Clock& clock, LinkState& state)
        : channel_(channel), clock_(clock), state_(state) {}

    // Runs the step and every exchange the chain runs after it.
    void run(LinkStep step);
    void run(LinkOperation op) { run(Step(op)); }
    // Stops the chain at its next check point (the terminate flag of the running exchange).
    void stop() { queue_.stop(); }

    [[nodiscard]] const std::vector<LinkOutcome>& outcomes() const { return outcomes_; }
    [[nodiscard]] bool has(int32_t code) const;
    // The last outcome that ends a chain or reports a failure (not attempts, time-outs or a busy
    // line). A read or a write that ends whole counts as Read or Written, an upload as
    // FirmwareLoaded or BlockFailed.
    [[nodiscard]] std::optional<LinkOutcome> last() const;
    [[nodiscard]] std::optional<int32_t> verdict() const;

    [[nodiscard]] const Block& codes() const { return codes_; }
    [[nodiscard]] const Block& settings() const { return settings_; }
    [[nodiscard]] bool identified() const { return identified_; }
    [[nodiscard]] bool linkLost() const { return linkLost_; }
    // Progress of the firmware upload in percent, as the upload dialog shows it.
    [[nodiscard]] const std::vector<int>& uploadProgress() const { return progress_; }
    // The panel said yes to the upload handshake.
    [[nodiscard]] bool readyForUpload() const { return readyForUpload_; }
    // The firmware upload ended with the panel's yes: the link is to be made anew.
    [[nodiscard]] bool reconnected() const { return reconnected_; }
    // A write ended once its codes frame was on the line and before the panel took the settings
    // block: the panel may hold new codes with old settings.
    [[nodiscard]] bool writeCut() const { return codesOnLine_; }

    // Hook for the identification read while identifyPending is set (defaults to keeping it).
    std::function<void(const Block&)> onIdentify;
    std::function<void(const LinkOutcome&)> onOutcome;

    // LinkHost
    void outcome(const LinkOutcome& outcome) override;
    void progress(LinkOperation op, int done, int total) override;
    void identified(Block settings) override;
    void configurationRead(Block settings, Block codes) override;
    void codesFrameSent() override { codesOnLine_ = true; }
    void codesFrameRefused() override { codesOnLine_ = false; }
    void configurationWritten() override;
    void uploadReady() override { readyForUpload_ = true; }
    void uploadEnded(bool accepted) override;

  private:
    ByteChannel& channel_;
    Clock& clock_;
    LinkState& state_;
    ExchangeQueue queue_;
    std::vector<LinkOutcome> outcomes_;
    std::vector<int> progress_;
    Block codes_, settings_;
    bool identified_ = false;
    bool linkLost_ = false;
    bool readyForUpload_ = false;
    bool reconnected_ = false;
    bool codesOnLine_ = false;
};

}  // namespace kerma
