#pragma once
// Runs the exchanges a host starts one after another in the calling thread, when asked to. The
// command-line client and the headless tests drive the editor's link with it; the desktop program
// runs the same exchanges on TComThread.
#include <deque>
#include <utility>

#include "editor_link.h"

namespace kerma {

class InlineDriver final : public LinkDriver {
  public:
    InlineDriver(ByteChannel& channel, Clock& clock) : channel_(channel), clock_(clock) {}

    void setHost(LinkHost& host) { host_ = &host; }
    LinkState& state() override { return state_; }
    void start(LinkOperation op, Block data) override {
        pending_.emplace_back(op, std::move(data));
    }
    void stopCurrent() override { terminated_ = true; }
    void closePort() override { portOpen_ = false; }
    void open() { portOpen_ = true; }
    [[nodiscard]] bool portOpen() const { return portOpen_; }

    // Runs every exchange started so far and those they start, to the end of the chain.
    void pump() {
        while (!pending_.empty() && host_ != nullptr) {
            auto [op, data] = std::move(pending_.front());
            pending_.pop_front();
            terminated_ = false;
            channel_.purgeReceive();
            channel_.purgeTransmit();
            ExchangeContext ctx{channel_, clock_, state_, *host_, terminated_};
            RunExchange(op, data, ctx);
        }
    }

  private:
    ByteChannel& channel_;
    Clock& clock_;
    LinkHost* host_ = nullptr;
    LinkState state_;
    std::atomic<bool> terminated_{false};
    std::deque<std::pair<LinkOperation, Block>> pending_;
    bool portOpen_ = false;
};

}  // namespace kerma
