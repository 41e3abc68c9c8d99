#include "sync_link.h"

#include <algorithm>

#include "keep_awake.h"

namespace kerma {

void ExchangeQueue::add(LinkOperation op, Block data) {
    if (running_ && terminated_) return;
    pending_.emplace_back(op, std::move(data));
}

void ExchangeQueue::run(ByteChannel& channel, Clock& clock, LinkState& state, LinkHost& host) {
    running_ = true;
    while (!pending_.empty()) {
        auto [op, data] = std::move(pending_.front());
        pending_.pop_front();
        terminated_ = false;
        channel.purgeReceive();
        channel.purgeTransmit();
        ExchangeContext ctx{channel, clock, state, host, terminated_};
        KeepAwake awake(op);
        RunExchange(op, data, ctx);
    }
    running_ = false;
}

void SyncLink::run(LinkOperation op, Block data) {
    queue_.add(op, std::move(data));
    queue_.run(channel_, clock_, state_, *this);
}

void SyncLink::outcome(int32_t code, int attempt) {
    outcomes_.push_back({code, attempt});
    if (onOutcome) onOutcome(code, attempt);
}

bool SyncLink::has(int32_t code) const {
    return std::any_of(outcomes_.begin(), outcomes_.end(),
                       [code](const Outcome& o) { return o.code == code; });
}

std::optional<int32_t> SyncLink::verdict() const {
    for (auto it = outcomes_.rbegin(); it != outcomes_.rend(); ++it) {
        if (it->code != LinkResult::Attempt && it->code != LinkResult::TimeOut) return it->code;
    }
    return std::nullopt;
}

void SyncLink::settingsRead(Block block, bool identify) {
    settings_ = std::move(block);
    if (!identify) return;
    identified_ = true;
    if (onIdentify) onIdentify(settings_);
}

void SyncLink::startExchange(LinkOperation op, Block data) {
    chained_.push_back(op);
    queue_.add(op, std::move(data));
}

bool SyncLink::chained(LinkOperation op) const {
    return std::find(chained_.begin(), chained_.end(), op) != chained_.end();
}

}  // namespace kerma
