#pragma once
// Runs the exchanges the editor's link starts one after another in the calling thread, when
// asked to: the headless tests drive a whole session with it, where the desktop program runs
// the same exchanges on TComThread.
#include <string>
#include <utility>
#include <vector>

#include "exchange.h"
#include "sync_link.h"

namespace kerma {

class InlineDriver final : public LinkDriver {
  public:
    InlineDriver(ByteChannel& channel, Clock& clock) : channel_(channel), clock_(clock) {}
    // Where each close of the port (a break of the link) is noted as "break", if anywhere.
    std::vector<std::string>* closes = nullptr;

    void setHost(LinkHost& host) { host_ = &host; }
    LinkState& state() override { return state_; }
    void start(LinkStep step) override { queue_.add(std::move(step)); }
    void stopCurrent() override { queue_.stop(); }
    void closePort() override {
        portOpen_ = false;
        if (closes != nullptr) closes->push_back("break");
    }
    void open() { portOpen_ = true; }
    [[nodiscard]] bool portOpen() const { return portOpen_; }

    // Runs every exchange started so far and those they start, to the end of the chain.
    void pump() {
        if (host_ != nullptr && !queue_.run(channel_, clock_, state_, *host_)) portOpen_ = false;
    }

  private:
    ByteChannel& channel_;
    Clock& clock_;
    LinkHost* host_ = nullptr;
    LinkState state_;
    ExchangeQueue queue_;
    bool portOpen_ = false;
};

}  // namespace kerma
