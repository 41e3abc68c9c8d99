#include "sync_link.h"

#include <algorithm>

#include "keep_awake.h"

namespace kerma {

void ExchangeQueue::add(LinkStep step) {
    if (running_ && terminated_) return;
    pending_.push_back(std::move(step));
}

bool ExchangeQueue::run(ByteChannel& channel, Clock& clock, LinkState& state, LinkHost& host) {
    running_ = true;
    bool lost = false;
    while (!pending_.empty() && !lost) {
        LinkStep step = std::move(pending_.front());
        pending_.pop_front();
        terminated_ = false;
        channel.purgeReceive();
        channel.purgeTransmit();
        ExchangeContext ctx{channel, clock, state, [&host](const HostCall& call) { call(host); },
                            terminated_};
        ExchangeEnd end;
        {
            KeepAwake awake(step.op);
            end = RunExchange(step, ctx);
        }
        lost = end.lineLost;
        if (end.next && !terminated_) pending_.push_back(std::move(*end.next));
    }
    if (lost) pending_.clear();
    running_ = false;
    return !lost;
}

void SyncLink::run(LinkStep step) {
    queue_.add(std::move(step));
    if (!queue_.run(channel_, clock_, state_, *this)) linkLost_ = true;
}

void SyncLink::outcome(const LinkOutcome& outcome) {
    outcomes_.push_back(outcome);
    if (onOutcome) onOutcome(outcome);
}

void SyncLink::configurationWritten() {
    codesOnLine_ = false;
    outcome({LinkResult::Written});
}

void SyncLink::progress(LinkOperation op, int done, int total) {
    if (op == LinkOperation::FirmwareUpload && total > 0) progress_.push_back(done * 100 / total);
}

bool SyncLink::has(int32_t code) const {
    return std::any_of(outcomes_.begin(), outcomes_.end(),
                       [code](const LinkOutcome& o) { return o.code == code; });
}

std::optional<LinkOutcome> SyncLink::last() const {
    for (auto it = outcomes_.rbegin(); it != outcomes_.rend(); ++it) {
        if (it->code != LinkResult::Attempt && it->code != LinkResult::TimeOut &&
            it->code != LinkResult::LineBusy)
            return *it;
    }
    return std::nullopt;
}

std::optional<int32_t> SyncLink::verdict() const {
    const auto outcome = last();
    return outcome ? std::optional(outcome->code) : std::nullopt;
}

void SyncLink::identified(Block settings) {
    settings_ = std::move(settings);
    identified_ = true;
    if (onIdentify) onIdentify(settings_);
}

void SyncLink::configurationRead(Block settings, Block codes) {
    settings_ = std::move(settings);
    codes_ = std::move(codes);
    outcome({LinkResult::Read});
}

void SyncLink::uploadEnded(bool accepted) {
    outcome(accepted ? LinkOutcome{LinkResult::FirmwareLoaded}
                     : LinkOutcome{LinkResult::BlockFailed, 0, LinkCause::UploadRefused});
    reconnected_ = accepted;
}

}  // namespace kerma
