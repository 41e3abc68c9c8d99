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
// chains. Each starts on a purged line with its own stop flag, as each worker thread does, and an
// exchange chained by a stopped one is dropped, as the worker drops it.
class ExchangeQueue {
  public:
    void add(LinkOperation op, Block data);
    // Stops the running exchange at its next check point.
    void stop() { terminated_ = true; }
    void run(ByteChannel& channel, Clock& clock, LinkState& state, LinkHost& host);

  private:
    std::atomic<bool> terminated_{false};
    bool running_ = false;
    std::deque<std::pair<LinkOperation, Block>> pending_;
};

class SyncLink final : public LinkHost {
  public:
    SyncLink(ByteChannel& channel, Clock& clock, LinkState& state)
        : channel_(channel), clock_(clock), state_(state) {}

    // Runs op and every exchange the chain starts after it.
    void run(LinkOperation op, Block data = {});

    // The settings image a WriteCodes hands on to WriteSettings.
    void setSettingsToWrite(Block block) { settingsToWrite_ = std::move(block); }
    // Stops the chain at its next check point (the terminate flag of the running exchange).
    void stop() { queue_.stop(); }

    struct Outcome {
        int32_t code;
        int attempt;
    };
    [[nodiscard]] const std::vector<Outcome>& outcomes() const { return outcomes_; }
    [[nodiscard]] bool has(int32_t code) const;
    // The last outcome that ends a chain or reports a failure (not attempts or time-outs).
    [[nodiscard]] std::optional<int32_t> verdict() const;

    [[nodiscard]] const Block& codes() const { return codes_; }
    [[nodiscard]] const Block& settings() const { return settings_; }
    [[nodiscard]] bool identified() const { return identified_; }
    [[nodiscard]] bool linkLostCalled() const { return linkLost_; }
    [[nodiscard]] const std::vector<int>& progressSeen() const { return progress_; }

    // Hook for the identification read while identifyPending is set (defaults to keeping it).
    std::function<void(const Block&)> onIdentify;
    std::function<void(int32_t, int)> onOutcome;

    // LinkHost
    void outcome(int32_t code, int attempt) override;
    void progress(int percent) override { progress_.push_back(percent); }
    void linkLost() override { linkLost_ = true; }
    void codesRead(Block block) override { codes_ = std::move(block); }
    void settingsRead(Block block, bool identify) override;
    void readFinished() override {}
    void writeFinished() override {}
    Block buildSettingsImage() override { return settingsToWrite_; }
    void startExchange(LinkOperation op, Block data) override;
    void uploadFinished() override {}
    void reconnect() override { reconnected_ = true; }
    [[nodiscard]] bool reconnected() const { return reconnected_; }
    // Some exchange of a chain started op (a WriteSettings: the panel took the codes block).
    [[nodiscard]] bool chained(LinkOperation op) const;

  private:
    ByteChannel& channel_;
    Clock& clock_;
    LinkState& state_;
    ExchangeQueue queue_;
    std::vector<Outcome> outcomes_;
    std::vector<int> progress_;
    Block codes_, settings_, settingsToWrite_;
    bool identified_ = false;
    bool linkLost_ = false;
    bool reconnected_ = false;
    std::vector<LinkOperation> chained_;
};

}  // namespace kerma
