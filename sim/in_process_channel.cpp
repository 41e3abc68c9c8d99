#include "in_process_channel.h"

#include <algorithm>

namespace kerma {

bool InProcessChannel::write(const uint8_t* bytes, size_t count) {
    if (writesFail_ || gone()) return false;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count; ++i) {
        // Everything the panel sends leaves at the moment it is asked, so the last write is the
        // last activity on the line.
        int64_t now = clock_.nowMs();
        if (lastWriteMs_ >= 0)
            panel_.lineQuiet(static_cast<int>(std::min<int64_t>(now - lastWriteMs_, 1 << 30)));
        lastWriteMs_ = now;
        std::vector<uint8_t> answer = panel_.receive(bytes[i]);
        if (panel_.holdLastMs() > 0 && !answer.empty()) {
            held_ = answer.back();
            heldDueMs_ = now + panel_.holdLastMs();
            answer.pop_back();
        }
        pending_.insert(pending_.end(), answer.begin(), answer.end());
    }
    return true;
}

size_t InProcessChannel::read(uint8_t* bytes, size_t count) {
    ++readCalls_;
    if (gone()) return 0;
    std::lock_guard lock(mutex_);
    const auto take = [&](size_t at) {
        if (held_ && heldDueMs_ <= clock_.nowMs()) {
            pending_.push_back(*held_);
            held_.reset();
        }
        const size_t n = std::min(count - at, pending_.size());
        std::copy_n(pending_.begin(), n, bytes + at);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        return at + n;
    };
    size_t taken = take(0);
    if (taken < count) {
        // A held byte that comes due while the call waits arrives within it.
        clock_.advance(kReadMsPerByte * static_cast<int64_t>(count) + kReadConstantMs);
        taken = take(taken);
    }
    return taken;
}

void InProcessChannel::purgeReceive() {
    std::lock_guard lock(mutex_);
    pending_.clear();
    held_.reset();
}

size_t InProcessChannel::pendingBytes() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

}  // namespace kerma
