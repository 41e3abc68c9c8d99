#include "exchange.h"

#include <array>
#include <optional>
#include <variant>

#include "crc8.h"
#include "panel_wire.h"

namespace kerma {
namespace {

using wire::kDataLead;
using wire::kReject;
using wire::kSync;
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

// An outcome for the program. A failure the exchange ran into just before the user's stop reaches
// the program after it: "Разорвать связь" has already said "Нет связи с прибором", and that is
// what stays.
void Report(ExchangeContext& ctx, LinkOutcome outcome) {
    const bool staleAfterStop =
        outcome.code == LinkResult::TimeOut || outcome.code == LinkResult::BlockFailed;
    ctx.tell([&ctx, outcome, staleAfterStop](LinkHost& host) {
        if (!(staleAfterStop && Stopped(ctx))) host.outcome(outcome);
    });
}

void Report(ExchangeContext& ctx, int32_t code, int attempt = 0) {
    Report(ctx, LinkOutcome{code, attempt, LinkCause::None});
}

// The device went away under the exchange (an adapter pulled out): nothing more can reach the
// panel on this connection, so the link is given up at once, never after tries or time-outs.
bool Gone(const ExchangeContext& ctx) {
    return ctx.channel.gone();
}

void Progress(ExchangeContext& ctx, LinkOperation op, size_t done, size_t total) {
    ctx.tell([=](LinkHost& host) {
        host.progress(op, static_cast<int>(done), static_cast<int>(total));
    });
}

ExchangeEnd Next(LinkStep step) {
    return ExchangeEnd{std::move(step), false};
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
        // The user broke the link and the port is closing under us, or the adapter is gone:
        // waiting out the retries would only put a time-out on the status bar.
        if (Stopped(ctx) || Gone(ctx)) return std::nullopt;
        if (attempt == kReadRetries) {
            Report(ctx, LinkResult::TimeOut);
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

// A write call the port refused, or a device gone: nothing more can reach the panel on this
// connection, so the link is given up as the user's own break would, instead of a frame error or
// a status left as it was.
ExchangeEnd PortFailed(ExchangeContext& ctx) {
    if (Stopped(ctx)) return {};  // the user's break closed the port and has said so
    Report(ctx, LinkResult::PortFailed);
    return ExchangeEnd{std::nullopt, true};
}

// How a block exchange or an upload ends on a failure: silently after the user's stop, as a lost
// port when the device has gone, otherwise as a block failure that names its cause.
ExchangeEnd Failed(ExchangeContext& ctx, LinkCause cause) {
    if (Stopped(ctx)) return {};
    if (Gone(ctx)) return PortFailed(ctx);
    Report(ctx, LinkOutcome{LinkResult::BlockFailed, 0, cause});
    return {};
}

// --- Handshake -------------------------------------------------------------------------------

struct HandshakeAnswer {
    std::array<uint8_t, 4> bytes{};
    size_t count = 0;
    [[nodiscard]] bool present() const {
        return bytes[0] == kSync || bytes[1] == kSync || count == bytes.size();
    }
};

// One attempt: request, echo, the panel's think time, the answer. nullopt when stopped or when the
// port has gone. echoSeen: some echo of a request ever came back.
std::optional<HandshakeAnswer> HandshakeAttempt(ExchangeContext& ctx, int attempt,
                                                bool& echoSeen) {
    static constexpr std::array<uint8_t, 4> kRequest{kSync, kSync, wire::kHandshake, wire::kHandshake};
    Report(ctx, LinkResult::Attempt, attempt);
    if (Stopped(ctx)) {
        Report(ctx, LinkResult::Stopped, attempt);
        return std::nullopt;
    }
    std::array<uint8_t, 4> echo{};
    ctx.channel.write(kRequest.data(), kRequest.size());
    if (ctx.channel.read(echo.data(), echo.size()) > 0) echoSeen = true;
    if (Stopped(ctx) || Gone(ctx)) return std::nullopt;
    ctx.clock.sleepMs(kHandshakeWaitMs);
    HandshakeAnswer answer;
    answer.count = ctx.channel.read(answer.bytes.data(), answer.bytes.size());
    if (answer.count > 0) ctx.state.lastByte = answer.bytes[answer.count - 1];
    if (Gone(ctx)) return std::nullopt;
    return answer;
}

// A panel may still be sending the rest of a frame the user cut short (a read is about 9 s of
// bytes at 1200 baud); the handshake would take those bytes for its answer. The line is drained
// until it has been quiet for one read's time-out, for at most the longest frame any layout
// sends. False when the exchange ends here.
bool AwaitQuietLine(ExchangeContext& ctx) {
    constexpr int kLongestFrame = CodesLength(Layout::Wide) + 3;
    uint8_t byte = 0;
    for (int drained = 0; drained < kLongestFrame && ctx.channel.read(&byte, 1) == 1; ++drained) {
        if (drained == 0) Report(ctx, LinkResult::LineBusy);
        if (Stopped(ctx)) return false;
    }
    return !Gone(ctx);
}

ExchangeEnd RunHandshake(ExchangeContext& ctx) {
    if (Stopped(ctx)) {
        Report(ctx, LinkResult::Stopped);
        return {};
    }
    if (!AwaitQuietLine(ctx)) return Gone(ctx) ? PortFailed(ctx) : ExchangeEnd{};
    std::optional<HandshakeAnswer> answer;
    bool echoSeen = false;
    for (int attempt = 1; attempt <= kHandshakeAttempts; ++attempt) {
        answer = HandshakeAttempt(ctx, attempt, echoSeen);
        if (!answer) return Gone(ctx) ? PortFailed(ctx) : ExchangeEnd{};
        if (answer->present()) break;
    }
    if (!answer->present()) {
        Report(ctx, LinkOutcome{LinkResult::NoAnswer, kHandshakeAttempts,
                                echoSeen ? LinkCause::EchoOnly : LinkCause::NoEcho});
        // Nobody is on the line: one read call for the echo instead of the 2.4 s retry rule,
        // which would only replace "no answer" on the status bar with a time-out.
        WriteByte(ctx, kReject);
        uint8_t echo = 0;
        ctx.channel.read(&echo, 1);
        return ExchangeEnd{std::nullopt, true};
    }
    const auto& a = answer->bytes;
    ctx.state.panelTypeCode = static_cast<int8_t>(a[2]);
    if (ctx.state.panelTypeCode != 9 && ctx.state.panelTypeCode != 10) {
        Report(ctx, LinkResult::WrongType);
        Verdict(ctx, kReject);
        return {};
    }
    if (a[3] != Crc8(std::span(a.data(), 3))) {
        Report(ctx, LinkResult::HandshakeCrc);
        Verdict(ctx, kReject);
        return {};
    }
    Verdict(ctx, wire::kOk);
    if (!ctx.state.firmwareReplaced) Report(ctx, LinkResult::Linked);
    return Next(Step(LinkOperation::ReadSettings));
}

ExchangeEnd RunUploadHandshake(ExchangeContext& ctx) {
    static constexpr std::array<uint8_t, 4> kRequest{kSync, kSync, wire::kUploadHandshake, wire::kHandshake};
    if (Stopped(ctx)) return {};
    for (uint8_t byte : kRequest) {
        WriteByte(ctx, byte);
        ReadByte(ctx);
        if (Stopped(ctx)) return {};
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
    const bool accepted = complete && a[0] == kSync && a[1] == kSync &&
                          static_cast<int8_t>(a[2]) == ctx.state.panelTypeCode &&
                          a[3] == Crc8(std::span(a.data(), 3));
    Verdict(ctx, accepted ? wire::kOk : kReject);
    if (accepted) ctx.tell([](LinkHost& host) { host.uploadReady(); });
    return Gone(ctx) ? PortFailed(ctx) : ExchangeEnd{};
}

// --- Firmware upload -------------------------------------------------------------------------

// The bytes of an upload its header announces; nullopt when the upload is shorter than that.
std::optional<size_t> UploadLength(const Block& upload) {
    if (upload.size() < wire::kFirmwareLengthByte + 2) return std::nullopt;
    const size_t size = wire::FirmwareUploadSize(upload);
    if (upload.size() < size) return std::nullopt;
    return size;
}

// The upload is over without the panel's yes: the dialog goes, and the replacement reports the
// failure.
void UploadEnded(ExchangeContext& ctx, bool accepted) {
    if (accepted) ctx.state.firmwareReplaced = true;
    ctx.tell([accepted](LinkHost& host) { host.uploadEnded(accepted); });
}

// False when a write call failed, the panel stopped echoing or the user stopped. A panel that
// missed a byte of its firmware cannot make use of the rest, and a time-out for every byte left
// would hold the progress dialog for hours.
bool SendUpload(const Block& upload, size_t total, ExchangeContext& ctx) {
    for (size_t i = 0; i < total; ++i) {
        if (!WriteByte(ctx, static_cast<uint8_t>(upload[i]))) return false;
        if (!TryReadByte(ctx) || Stopped(ctx)) return false;
        if ((i + 1) % kUploadPaceBytes == 0) {
            ctx.clock.sleepMs(kUploadPaceMs);
            Progress(ctx, LinkOperation::FirmwareUpload, i + 1, total);
        }
    }
    return true;
}

ExchangeEnd RunFirmwareUpload(const Block& upload, ExchangeContext& ctx) {
    const auto total = UploadLength(upload);
    if (!total) {
        // An upload shorter than its own header says: sending it would put bytes of nothing on
        // the line and leave the panel without firmware. Refuse before the first byte.
        UploadEnded(ctx, false);
        return {};
    }
    if (!SendUpload(upload, *total, ctx)) {
        if (!Stopped(ctx)) UploadEnded(ctx, false);
        return Gone(ctx) ? PortFailed(ctx) : ExchangeEnd{};
    }
    Progress(ctx, LinkOperation::FirmwareUpload, *total, *total);
    // Only a status that really arrived counts: after a time-out ReadByte hands back the last byte
    // seen, the echo of the upload's last byte, and a 0x00 there would pass a silent panel.
    const auto status = TryReadByte(ctx);
    UploadEnded(ctx, status == wire::kOk);
    return Gone(ctx) ? PortFailed(ctx) : ExchangeEnd{};
}

// --- Block operations ------------------------------------------------------------------------

int BlockLength(LinkOperation op, int32_t layoutCode) {
    const bool settings = op == LinkOperation::ReadSettings || op == LinkOperation::WriteSettings;
    return settings ? SettingsLength(layoutCode) : CodesLength(layoutCode);
}

// The ready poll: 0x00 is ready, any other byte asks for another poll. Silence is counted by
// what the waits cost, so a panel that answers after a few quiet seconds is still served.
// nullopt when the panel is ready; otherwise how the exchange ends.
std::optional<ExchangeEnd> AwaitReady(ExchangeContext& ctx) {
    int silentMs = 0;
    for (int poll = 0; poll < kReadyPolls && silentMs < kReadySilenceMs; ++poll) {
        ctx.clock.sleepMs(kReadyPollPauseMs);
        silentMs += kReadyPollPauseMs;
        // Only a byte that really arrived counts: after a time-out ReadByte hands back the last
        // byte seen, which may be a 0x00 echo and would pass a silent panel as ready.
        const auto got = TryReadByte(ctx);
        if (Stopped(ctx) || Gone(ctx)) return Failed(ctx, LinkCause::NotReady);
        if (got == wire::kOk) return std::nullopt;
        silentMs = got ? 0 : silentMs + SilentReadByteMs();
    }
    return Failed(ctx, LinkCause::NotReady);
}

// Command frame and ready poll. nullopt when the panel is ready; otherwise how the exchange ends.
std::optional<ExchangeEnd> BlockStart(LinkOperation op, ExchangeContext& ctx) {
    if (Stopped(ctx)) return ExchangeEnd{};
    std::array<uint8_t, 4> frame{kSync, static_cast<uint8_t>(ctx.state.layoutCode & 0xFF),
                                 static_cast<uint8_t>(op), 0};
    frame[3] = Crc8(std::span(frame.data(), 3));
    for (uint8_t byte : frame) {
        if (!WriteByte(ctx, byte)) return PortFailed(ctx);
        ReadByte(ctx);
        if (Gone(ctx)) return PortFailed(ctx);
    }
    if (Stopped(ctx)) return ExchangeEnd{};
    if (auto end = AwaitReady(ctx)) return end;
    if (Stopped(ctx)) return ExchangeEnd{};
    return std::nullopt;
}

void ReportBlockProgress(LinkOperation op, size_t done, size_t total, ExchangeContext& ctx) {
    if (done % kProgressStep == 0 || done == total) Progress(ctx, op, done, total);
}

// The panel's data frame is taken here byte by byte and handed on whole: a read chain's codes
// block travels on with the settings read that follows it, so both reach the program together. A
// panel that falls silent in the middle of the frame has lost it: streaming at 1200 baud it never
// pauses for the 2.4 s of a time-out, and reading on would cost 2.4 s for every missing byte.
ExchangeEnd RunBlockRead(const LinkStep& step, ExchangeContext& ctx) {
    const LinkOperation op = step.op;
    if (auto end = BlockStart(op, ctx)) return *end;
    std::vector<uint8_t> frame(static_cast<size_t>(BlockLength(op, ctx.state.layoutCode)) + 3);
    size_t got = 0;
    for (std::optional<uint8_t> byte; got < frame.size() && (byte = TryReadByte(ctx)); ++got) {
        if (Stopped(ctx)) break;
        frame[got] = *byte;
        ReportBlockProgress(op, got + 1, frame.size(), ctx);
    }
    if (Stopped(ctx)) return {};
    if (Gone(ctx)) return PortFailed(ctx);
    const bool whole = got == frame.size();
    if (!whole || frame.back() != Crc8(std::span(frame.data(), frame.size() - 1))) {
        auto end = Failed(ctx, whole ? LinkCause::BlockCrc : LinkCause::BrokeOff);
        Verdict(ctx, kReject);
        return end;
    }
    Verdict(ctx, wire::kOk);
    Block block(frame.begin() + 2, frame.end() - 1);
    if (op == LinkOperation::ReadCodes)
        return Next(LinkStep{LinkOperation::ReadSettings, {}, {}, std::move(block)});
    Block codes = step.codes;
    const bool identify = ctx.state.identifyPending;
    ctx.tell([&](LinkHost& host) {
        if (identify) {
            host.identified(std::move(block));
        } else {
            host.configurationRead(std::move(block), std::move(codes));
        }
    });
    return {};
}

// A data frame on its way to the panel, checked against its echo.
struct SentFrame {
    // An echo differed from its byte: the panel may have taken something else. The frame went
    // on to its end (the panel counts bytes) with a CRC that cannot match what the panel took,
    // so that it refuses the frame and keeps what it had.
    bool spoiled = false;
};

// The CRC byte that ends the frame: its own, or, after a wrong echo, the inverse of the CRC of
// the bytes the echo showed (what the panel most likely took).
uint8_t ClosingCrc(const std::vector<uint8_t>& frame, const std::vector<uint8_t>& echoes,
                   bool spoiled) {
    return spoiled ? static_cast<uint8_t>(~Crc8(echoes)) : Crc8(frame);
}

// Sends the data frame byte by byte, each echo compared with its byte. The value when the frame
// went out whole; otherwise how the exchange ends: a write call failed, the panel stopped
// echoing, the port went, or the user stopped it (the panel drops a frame that ends early: its
// CRC never arrives).
std::variant<SentFrame, ExchangeEnd> SendFrame(LinkOperation op, const Block& data, int length,
                                              ExchangeContext& ctx) {
    std::vector<uint8_t> frame{kDataLead, kDataLead};
    frame.reserve(static_cast<size_t>(length) + 2);
    for (int i = 0; i < length; ++i) frame.push_back(static_cast<uint8_t>(data[i]));
    std::vector<uint8_t> echoes;
    echoes.reserve(frame.size());
    const size_t total = frame.size() + 1;
    SentFrame sent;
    for (size_t i = 0; i < total; ++i) {
        const bool last = i + 1 == total;
        if (last && op == LinkOperation::WriteCodes) {
            // Told before the CRC goes out: a stop that comes after this call is a cut the user
            // hears of, one before it keeps the CRC off the line.
            ctx.tell([](LinkHost& host) { host.codesFrameSent(); });
            if (Stopped(ctx)) return ExchangeEnd{};
        }
        const uint8_t byte = last ? ClosingCrc(frame, echoes, sent.spoiled) : frame[i];
        if (!WriteByte(ctx, byte)) return PortFailed(ctx);
        const auto echo = TryReadByte(ctx);
        if (!echo || Stopped(ctx)) return Failed(ctx, LinkCause::BrokeOff);
        if (!last) {
            echoes.push_back(*echo);
            if (*echo != byte) sent.spoiled = true;
        }
        ReportBlockProgress(op, i + 1, total, ctx);
    }
    return sent;
}

// The settings block of a write travels with its codes block and goes out once the panel has
// taken that. The status is awaited like every byte the panel sends; one that did not come is
// never the last byte seen.
ExchangeEnd RunBlockWrite(const LinkStep& step, ExchangeContext& ctx) {
    const LinkOperation op = step.op;
    const int length = BlockLength(op, ctx.state.layoutCode);
    if (static_cast<int>(step.data.size()) < length) {
        // Never pad a configuration with bytes nobody chose: refuse before the command frame.
        Report(ctx, LinkResult::BlockFailed);
        return {};
    }
    if (auto end = BlockStart(op, ctx)) return *end;
    auto sent = SendFrame(op, step.data, length, ctx);
    if (auto* end = std::get_if<ExchangeEnd>(&sent)) return *end;
    const bool spoiled = std::get<SentFrame>(sent).spoiled;
    const auto status = TryReadByte(ctx);
    if (spoiled) {
        if (status && *status != wire::kOk && op == LinkOperation::WriteCodes && !Stopped(ctx))
            ctx.tell([](LinkHost& host) { host.codesFrameRefused(); });
        return Failed(ctx, LinkCause::EchoMismatch);
    }
    if (!status) return Failed(ctx, LinkCause::NoStatus);
    if (*status != wire::kOk) return Failed(ctx, LinkCause::Refused);
    if (op == LinkOperation::WriteCodes)
        return Next(LinkStep{LinkOperation::WriteSettings, step.settings, {}, {}});
    ctx.tell([](LinkHost& host) { host.configurationWritten(); });
    return {};
}

}  // namespace

uint8_t ReadByte(ExchangeContext& ctx) {
    const auto byte = TryReadByte(ctx);
    return byte ? *byte : ctx.state.lastByte.load();
}

ExchangeEnd RunExchange(const LinkStep& step, ExchangeContext& ctx) {
    switch (step.op) {
        case LinkOperation::Handshake:
            return RunHandshake(ctx);
        case LinkOperation::UploadHandshake:
            return RunUploadHandshake(ctx);
        case LinkOperation::FirmwareUpload:
            return RunFirmwareUpload(step.data, ctx);
        case LinkOperation::ReadSettings:
        case LinkOperation::ReadCodes:
            return RunBlockRead(step, ctx);
        case LinkOperation::WriteSettings:
        case LinkOperation::WriteCodes:
            return RunBlockWrite(step, ctx);
    }
    return {};
}

}  // namespace kerma
