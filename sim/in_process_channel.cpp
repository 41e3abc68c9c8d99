#include "in_process_channel.h"

#include <algorithm>

namespace kerma {

bool InProcessChannel::write(const uint8_t* bytes, size_t count) {
    if (writesFail_) return false;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < count; ++i) {
        // Everything the panel sends leaves at the moment it is asked, so the last write is the
        // last activity on the line.
        int64_t now = clock_.nowMs();
        if (lastWriteMs_ >= 0)
            panel_.lineQuiet(static_cast<int>(std::min<int64_t>(now - lastWriteMs_, 1 << 30)));
        lastWriteMs_ = now;
        std::vector<uint8_t> answer = panel_.receive(bytes[i]);
        pending_.insert(pending_.end(), answer.begin(), answer.end());
    }
    return true;
}

size_t InProcessChannel::read(uint8_t* bytes, size_t count) {
    ++readCalls_;
    std::lock_guard lock(mutex_);
    size_t taken = std::min(count, pending_.size());
    std::copy_n(pending_.begin(), taken, bytes);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
    if (taken < count)
        clock_.advance(kReadMsPerByte * static_cast<int64_t>(count) + kReadConstantMs);
    return taken;
}

void InProcessChannel::purgeReceive() {
    std::lock_guard lock(mutex_);
    pending_.clear();
}

size_t InProcessChannel::pendingBytes() const {
    std::lock_guard lock(mutex_);
    return pending_.size();
}

}  // namespace kerma
