#include "sync_link.h"

#include <algorithm>

namespace kerma {

void SyncLink::run(LinkOperation op, Block data) {
    terminated_ = false;
    pending_.emplace_back(op, std::move(data));
    while (!pending_.empty()) {
        auto [next, block] = std::move(pending_.front());
        pending_.pop_front();
        channel_.purgeReceive();
        channel_.purgeTransmit();
        ExchangeContext ctx{channel_, clock_, state_, *this, terminated_};
        RunExchange(next, block, ctx);
    }
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
    pending_.emplace_back(op, std::move(data));
}

}  // namespace kerma
