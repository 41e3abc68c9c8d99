#include "exchange.h"

#include <array>
#include <optional>

#include "crc8.h"

namespace kerma {
namespace {

constexpr uint8_t kLead = 0x55;
constexpr uint8_t kDataLead = 0xAA;
constexpr uint8_t kAccept = 0x00;
constexpr uint8_t kReject = 0xFF;
constexpr int kHandshakeWaitMs = 2000;
constexpr int kUploadHandshakeWaitMs = 1000;
constexpr int kReadRetries = 20;
constexpr int kReadRetryPauseMs = 5;
constexpr int kReadyPolls = 100;
constexpr int kReadyPollPauseMs = 8;
// A panel that has not sent a single byte for this long after a command frame is not going to
// get ready: without the limit the poll would wait out 100 time-outs, about four minutes.
constexpr int kReadySilenceMs = 10000;
constexpr int kUploadPaceBytes = 8;
constexpr int kUploadPaceMs = 5;
constexpr size_t kProgressStep = 32;

bool Stopped(const ExchangeContext& ctx) {
    return ctx.terminated.load();
}

// What one ReadByte costs when nothing comes: every try waits out the port's one-byte time-out,
// with the retry pauses between them.
constexpr int SilentReadByteMs() {
    return (kReadRetries + 1) * (kReadMsPerByte + kReadConstantMs) +
           kReadRetries * kReadRetryPauseMs;
}

}  // namespace

std::string AttemptText(int attempt) {
    return "Установка связи с прибором...Попытка №" + std::to_string(attempt) + " из " +
           std::to_string(kHandshakeAttempts);
}

namespace {

// One byte under the retry rule; nullopt after the time-out (which is reported) or a stop.
std::optional<uint8_t> TryReadByte(ExchangeContext& ctx) {
    for (int attempt = 0;; ++attempt) {
        uint8_t byte = 0;
        if (ctx.channel.read(&byte, 1) == 1) {
            ctx.state.lastByte = byte;
            return byte;
        }
        // The user broke the link and the port is closing under us: waiting out the retries
        // would only put a time-out on the status bar over "Нет связи с прибором".
        if (Stopped(ctx)) return std::nullopt;
        if (attempt == kReadRetries) {
            ctx.host.outcome(LinkResult::TimeOut, 0);
            return std::nullopt;
        }
        ctx.clock.sleepMs(kReadRetryPauseMs);
    }
}

bool WriteByte(ExchangeContext& ctx, uint8_t byte) {
    return ctx.channel.write(&byte, 1);
}

void Verdict(ExchangeContext& ctx, uint8_t verdict) {
    WriteByte(ctx, verdict);
    ReadByte(ctx);
}

// A write call the port refused: nothing more can reach the panel on this connection, so the link
// is given up as the user's own break would, instead of a frame error or a status left as it was.
void PortFailed(ExchangeContext& ctx) {
    if (Stopped(ctx)) return;  // the user's break closed the port and has said so
    ctx.host.outcome(LinkResult::PortFailed, 0);
    ctx.host.linkLost();
}

// --- Handshake -------------------------------------------------------------------------------

struct HandshakeAnswer {
    std::array<uint8_t, 4> bytes{};
    size_t count = 0;
    [[nodiscard]] bool present() const {
        return bytes[0] == kLead || bytes[1] == kLead || count == bytes.size();
    }
};

// One attempt: request, echo, the panel's think time, the answer. nullopt when stopped.
std::optional<HandshakeAnswer> HandshakeAttempt(ExchangeContext& ctx, int attempt) {
    static constexpr std::array<uint8_t, 4> kRequest{kLead, kLead, 0xAA, 0xAA};
    ctx.host.outcome(LinkResult::Attempt, attempt);
    if (Stopped(ctx)) {
        ctx.host.outcome(LinkResult::Stopped, attempt);
        return std::nullopt;
    }
    std::array<uint8_t, 4> echo{};
    ctx.channel.write(kRequest.data(), kRequest.size());
    ctx.channel.read(echo.data(), echo.size());
    if (Stopped(ctx)) return std::nullopt;
    ctx.clock.sleepMs(kHandshakeWaitMs);
    HandshakeAnswer answer;
    answer.count = ctx.channel.read(answer.bytes.data(), answer.bytes.size());
    if (answer.count > 0) ctx.state.lastByte = answer.bytes[answer.count - 1];
    return answer;
}

void RunHandshake(ExchangeContext& ctx) {
    if (Stopped(ctx)) {
        ctx.host.outcome(LinkResult::Stopped, 0);
        return;
    }
    std::optional<HandshakeAnswer> answer;
    for (int attempt = 1; attempt <= kHandshakeAttempts; ++attempt) {
        answer = HandshakeAttempt(ctx, attempt);
        if (!answer) return;
        if (answer->present()) break;
    }
    if (!answer->present()) {
        ctx.host.outcome(LinkResult::NoAnswer, kHandshakeAttempts);
        // Nobody is on the line: one read call for the echo instead of the 2.4 s retry rule,
        // which would only replace "no answer" on the status bar with a time-out.
        WriteByte(ctx, kReject);
        uint8_t echo = 0;
        ctx.channel.read(&echo, 1);
        ctx.host.linkLost();
        return;
    }
    const auto& a = answer->bytes;
    ctx.state.panelTypeCode = static_cast<int8_t>(a[2]);
    if (ctx.state.panelTypeCode != 9 && ctx.state.panelTypeCode != 10) {
        ctx.host.outcome(LinkResult::WrongType, 0);
        Verdict(ctx, kReject);
        return;
    }
    if (a[3] != Crc8(std::span(a.data(), 3))) {
        ctx.host.outcome(LinkResult::HandshakeCrc, 0);
        Verdict(ctx, kReject);
        return;
    }
    Verdict(ctx, kAccept);
    if (!ctx.state.firmwareReplaced) ctx.host.outcome(LinkResult::Linked, 0);
    ctx.host.startExchange(LinkOperation::ReadSettings, {});
}

void RunUploadHandshake(ExchangeContext& ctx) {
    static constexpr std::array<uint8_t, 4> kRequest{kLead, kLead, 0xA0, 0xAA};
    if (Stopped(ctx)) return;
    for (uint8_t byte : kRequest) {
        WriteByte(ctx, byte);
        ReadByte(ctx);
        if (Stopped(ctx)) return;
    }
    ctx.clock.sleepMs(kUploadHandshakeWaitMs);
    std::array<uint8_t, 4> a{};
    // A missing byte is no answer, whatever ReadByte would hand back after its time-out, and the
    // rest of an answer that broke off will not come either.
    bool complete = true;
    for (auto& byte : a) {
        const auto got = TryReadByte(ctx);
        if (!got) {
            complete = false;
            break;
        }
        byte = *got;
    }
    const bool accepted = complete && a[0] == kLead && a[1] == kLead &&
                          static_cast<int8_t>(a[2]) == ctx.state.panelTypeCode &&
                          a[3] == Crc8(std::span(a.data(), 3));
    Verdict(ctx, accepted ? kAccept : kReject);
    if (accepted) ctx.state.uploadReady = true;
}

// --- Firmware upload -------------------------------------------------------------------------

// Bytes of an upload image: the length in bytes 4..5 (big-endian) plus the 7 bytes around it.
std::optional<size_t> UploadLength(const Block& image) {
    if (image.size() < 6) return std::nullopt;
    const size_t n = static_cast<size_t>(image[4] & 0xFF) * 256 + (image[5] & 0xFF);
    if (image.size() < n + 7) return std::nullopt;
    return n + 7;
}

// The upload is over without the panel's yes: the dialog goes, and the replacement reports the
// failure.
void UploadFailed(ExchangeContext& ctx) {
    ctx.host.uploadFinished();
    ctx.state.uploadSucceeded = false;
    ctx.host.outcome(LinkResult::BlockFailed, 0);
}

// False when a write call failed, the panel stopped echoing or the user stopped. A panel that
// missed a byte of its firmware cannot make use of the rest, and a time-out for every byte left
// would hold the progress dialog for hours.
bool SendImage(const Block& image, size_t total, ExchangeContext& ctx) {
    for (size_t i = 0; i < total; ++i) {
        if (!WriteByte(ctx, static_cast<uint8_t>(image[i]))) return false;
        if (!TryReadByte(ctx) || Stopped(ctx)) return false;
        if ((i + 1) % kUploadPaceBytes == 0) {
            ctx.clock.sleepMs(kUploadPaceMs);
            ctx.host.progress(static_cast<int>((i + 1) * 100 / total));
        }
    }
    return true;
}

void RunFirmwareUpload(const Block& image, ExchangeContext& ctx) {
    const auto total = UploadLength(image);
    if (!total) {
        // An image shorter than its own header says: sending it would put bytes of nothing on
        // the line and leave the panel without firmware. Refuse before the first byte.
        UploadFailed(ctx);
        return;
    }
    if (!SendImage(image, *total, ctx)) {
        if (!Stopped(ctx)) UploadFailed(ctx);
        return;
    }
    ctx.host.progress(100);
    // Only a status that really arrived counts: after a time-out ReadByte hands back the last byte
    // seen, the echo of the image's last byte, and a 0x00 there would pass a silent panel.
    const auto status = TryReadByte(ctx);
    if (status != kAccept) {
        UploadFailed(ctx);
        return;
    }
    ctx.host.uploadFinished();
    ctx.state.uploadSucceeded = true;
    ctx.state.firmwareReplaced = true;
    ctx.host.outcome(LinkResult::FirmwareLoaded, 0);
    ctx.host.reconnect();
}

// --- Block operations ------------------------------------------------------------------------

int BlockLength(LinkOperation op, int32_t layoutCode) {
    const bool settings = op == LinkOperation::ReadSettings || op == LinkOperation::WriteSettings;
    return settings ? SettingsLength(layoutCode) : CodesLength(layoutCode);
}

// The ready poll: 0x00 is ready, any other byte asks for another poll. Silence is counted by
// what the waits cost, so a panel that answers after a few quiet seconds is still served. False
// when the exchange ends here (reported unless stopped).
bool AwaitReady(ExchangeContext& ctx) {
    int silentMs = 0;
    for (int poll = 0; poll < kReadyPolls && silentMs < kReadySilenceMs; ++poll) {
        ctx.clock.sleepMs(kReadyPollPauseMs);
        silentMs += kReadyPollPauseMs;
        // Only a byte that really arrived counts: after a time-out ReadByte hands back the last
        // byte seen, which may be a 0x00 echo and would pass a silent panel as ready.
        const auto got = TryReadByte(ctx);
        if (Stopped(ctx)) return false;
        if (got == kAccept) return true;
        silentMs = got ? 0 : silentMs + SilentReadByteMs();
    }
    ctx.host.outcome(LinkResult::BlockFailed, 0);
    return false;
}

// Command frame and ready poll. False when the exchange ends here.
bool BlockStart(LinkOperation op, ExchangeContext& ctx) {
    if (Stopped(ctx)) return false;
    std::array<uint8_t, 4> frame{kLead, static_cast<uint8_t>(ctx.state.layoutCode & 0xFF),
                                 static_cast<uint8_t>(op), 0};
    frame[3] = Crc8(std::span(frame.data(), 3));
    for (uint8_t byte : frame) {
        if (!WriteByte(ctx, byte)) {
            PortFailed(ctx);
            return false;
        }
        ReadByte(ctx);
    }
    if (Stopped(ctx)) return false;
    if (!AwaitReady(ctx)) return false;
    return !Stopped(ctx);
}

// The panel's data frame; nullopt when the panel fell silent in the middle of it or the user
// stopped. A panel streaming at 1200 baud never pauses for the 2.4 s of a time-out, so the frame is
// lost there; reading on would cost another 2.4 s for every missing byte.
void ReportBlockProgress(LinkOperation op, size_t done, size_t total, ExchangeContext& ctx) {
    if (done % kProgressStep == 0 || done == total)
        ctx.host.blockProgress(op, static_cast<int>(done), static_cast<int>(total));
}

std::optional<std::vector<uint8_t>> ReceiveFrame(LinkOperation op, int length,
                                                 ExchangeContext& ctx) {
    std::vector<uint8_t> frame(static_cast<size_t>(length) + 3);
    for (size_t i = 0; i < frame.size(); ++i) {
        const auto got = TryReadByte(ctx);
        if (!got || Stopped(ctx)) return std::nullopt;
        frame[i] = *got;
        ReportBlockProgress(op, i + 1, frame.size(), ctx);
    }
    return frame;
}

void RunBlockRead(LinkOperation op, ExchangeContext& ctx) {
    const int length = BlockLength(op, ctx.state.layoutCode);
    if (!BlockStart(op, ctx)) return;
    const auto frame = ReceiveFrame(op, length, ctx);
    if (Stopped(ctx)) return;
    if (!frame || frame->back() != Crc8(std::span(frame->data(), frame->size() - 1))) {
        ctx.host.outcome(LinkResult::BlockFailed, 0);
        Verdict(ctx, kReject);
        return;
    }
    Verdict(ctx, kAccept);
    Block block(frame->begin() + 2, frame->end() - 1);
    if (op == LinkOperation::ReadCodes) {
        ctx.host.codesRead(std::move(block));
        ctx.host.startExchange(LinkOperation::ReadSettings, {});
        return;
    }
    const bool identify = ctx.state.identifyPending;
    if (!identify) {
        ctx.host.outcome(LinkResult::Read, 0);
        ctx.host.readFinished();
    }
    ctx.host.settingsRead(std::move(block), identify);
}

// Sends the data frame; false when the exchange ends here, reported: a write call failed, the
// panel stopped echoing, or the user stopped it (the panel drops a frame that ends early: its CRC
// never arrives).
bool SendFrame(LinkOperation op, const Block& data, int length, ExchangeContext& ctx) {
    std::vector<uint8_t> frame{kDataLead, kDataLead};
    frame.reserve(static_cast<size_t>(length) + 3);
    for (int i = 0; i < length; ++i) frame.push_back(static_cast<uint8_t>(data[i]));
    frame.push_back(Crc8(frame));
    for (size_t i = 0; i < frame.size(); ++i) {
        if (!WriteByte(ctx, frame[i])) {
            PortFailed(ctx);
            return false;
        }
        if (!TryReadByte(ctx) || Stopped(ctx)) {
            if (!Stopped(ctx)) ctx.host.outcome(LinkResult::BlockFailed, 0);
            return false;
        }
        ReportBlockProgress(op, i + 1, frame.size(), ctx);
    }
    return true;
}

void RunBlockWrite(LinkOperation op, const Block& data, ExchangeContext& ctx) {
    const int length = BlockLength(op, ctx.state.layoutCode);
    if (static_cast<int>(data.size()) < length) {
        // Never pad a configuration with bytes nobody chose: refuse before the command frame.
        ctx.host.outcome(LinkResult::BlockFailed, 0);
        return;
    }
    if (!BlockStart(op, ctx)) return;
    if (!SendFrame(op, data, length, ctx)) return;
    uint8_t status = 0xFF;
    if (ctx.channel.read(&status, 1) != 1 || status != kAccept) {
        ctx.host.outcome(LinkResult::BlockFailed, 0);
        return;
    }
    ctx.state.lastByte = status;
    if (op == LinkOperation::WriteCodes) {
        ctx.host.startExchange(LinkOperation::WriteSettings, ctx.host.buildSettingsImage());
        return;
    }
    ctx.host.outcome(LinkResult::Written, 0);
    ctx.host.writeFinished();
}

}  // namespace

uint8_t ReadByte(ExchangeContext& ctx) {
    const auto byte = TryReadByte(ctx);
    return byte ? *byte : ctx.state.lastByte.load();
}

void RunExchange(LinkOperation op, const Block& data, ExchangeContext& ctx) {
    switch (op) {
        case LinkOperation::Handshake:
            return RunHandshake(ctx);
        case LinkOperation::UploadHandshake:
            return RunUploadHandshake(ctx);
        case LinkOperation::FirmwareUpload:
            return RunFirmwareUpload(data, ctx);
        case LinkOperation::ReadSettings:
        case LinkOperation::ReadCodes:
            return RunBlockRead(op, ctx);
        case LinkOperation::WriteSettings:
        case LinkOperation::WriteCodes:
            return RunBlockWrite(op, data, ctx);
    }
}

}  // namespace kerma
