// What a faulty or hostile panel puts on the line, fed into one exchange. Input: a byte choosing
// the operation and the flags, a byte choosing the layout and when the user stops, then the bytes
// the panel sends, handed to the reads in the order they come; after the last one the line is
// silent. With bit 7 of the first byte set, every read call first takes one byte of the stream
// that says how many bytes arrive in that call, so bytes can come late or in bursts.
// A find is a crash, a sanitizer report, an exchange that does not end, or one of these:
//  - a block handed to the program that is not exactly the payload of a frame whose CRC matches;
//  - bytes sent that are not the protocol's (a write frame other than the block's, more than the
//    firmware upload, a verdict other than 0x00 or 0xFF); a write frame whose echo differed must
//    end in the inverse of the CRC of the echoes;
//  - a write or an upload reported done that was not sent whole and confirmed by a 0x00 that
//    really arrived after the last byte, or a write reported done whose echo differed;
//  - a chain going on to a step that does not follow the one that ran.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "crc8.h"
#include "exchange.h"
#include "frames.h"

namespace {

using namespace kerma;
using Bytes = std::vector<uint8_t>;
using kerma::test::WithCrc;

constexpr LinkOperation kOperations[] = {
    LinkOperation::Handshake,    LinkOperation::UploadHandshake, LinkOperation::FirmwareUpload,
    LinkOperation::ReadSettings, LinkOperation::WriteSettings,   LinkOperation::ReadCodes,
    LinkOperation::WriteCodes,   LinkOperation::ReadCodes,
};
constexpr int32_t kLayouts[] = {Layout::Identify, Layout::QnmRegular, Layout::Wide, Layout::Small};
// Far more read calls than any exchange makes on any line: more means it never ends.
constexpr long kMaxReads = 2'000'000;

void Check(bool rule) {
    if (!rule) std::abort();
}

bool IsWrite(LinkOperation op) {
    return op == LinkOperation::WriteSettings || op == LinkOperation::WriteCodes;
}

bool IsSettings(LinkOperation op) {
    return op == LinkOperation::ReadSettings || op == LinkOperation::WriteSettings;
}

// The line as the program sees it: the panel's bytes from the input, and a log of both ways.
class HostilePanel final : public ByteChannel {
  public:
    HostilePanel(std::span<const uint8_t> stream, bool bursts, long stopAfterReads,
                 std::atomic<bool>& terminated)
        : stream_(stream), bursts_(bursts), stopAfter_(stopAfterReads), terminated_(terminated) {}

    bool write(const uint8_t* bytes, size_t count) override {
        sent.insert(sent.end(), bytes, bytes + count);
        receivedAtLastWrite = received.size();
        receivedAtWrite.insert(receivedAtWrite.end(), count, received.size());
        return true;
    }
    // The first byte that arrived after sent byte i: its echo.
    [[nodiscard]] std::optional<uint8_t> echoOf(size_t i) const {
        if (i >= receivedAtWrite.size() || receivedAtWrite[i] >= received.size()) return {};
        return received[receivedAtWrite[i]];
    }
    size_t read(uint8_t* bytes, size_t count) override {
        Check(++reads_ < kMaxReads);
        if (stopAfter_ > 0 && reads_ >= stopAfter_) terminated_ = true;
        size_t n = std::min(count, stream_.size() - at_);
        if (bursts_ && n > 0) n = std::min<size_t>(n, stream_[at_++] % (count + 1));
        n = std::min(n, stream_.size() - at_);
        std::copy_n(stream_.begin() + static_cast<ptrdiff_t>(at_), n, bytes);
        received.insert(received.end(), bytes, bytes + n);
        at_ += n;
        return n;
    }
    void purgeReceive() override {}
    void purgeTransmit() override {}

    Bytes sent, received;
    size_t receivedAtLastWrite = 0;
    std::vector<size_t> receivedAtWrite;  // received.size() when each sent byte went out

  private:
    std::span<const uint8_t> stream_;
    size_t at_ = 0;
    bool bursts_;
    long stopAfter_;
    long reads_ = 0;
    std::atomic<bool>& terminated_;
};

class NoWait final : public Clock {
  public:
    void sleepMs(int) override {}
};

// The program around the exchange, checking what it is handed.
class CheckingHost final : public LinkHost {
  public:
    CheckingHost(LinkOperation op, const Block& data, HostilePanel& line, LinkState& state)
        : op_(op), data_(data), line_(line), state_(state) {}

    void outcome(const LinkOutcome&) override {}
    void progress(LinkOperation op, int done, int total) override {
        Check(op == op_ && done > 0 && done <= total);
        if (op != LinkOperation::FirmwareUpload) return;
        const int percent = done * 100 / total;
        Check(percent >= lastPercent_ && percent <= 100);
        lastPercent_ = percent;
    }
    void identified(Block block) override {
        Check(op_ == LinkOperation::ReadSettings && state_.identifyPending);
        checkFrame(block);
    }
    void configurationRead(Block settings, Block) override {
        Check(op_ == LinkOperation::ReadSettings && !state_.identifyPending);
        checkFrame(settings);
    }
    void codesFrameSent() override {
        Check(op_ == LinkOperation::WriteCodes && line_.sent.size() == expectedBytes().size() - 1);
    }
    void codesFrameRefused() override {
        Check(op_ == LinkOperation::WriteCodes && sentWhole() && spoiled());
    }
    void configurationWritten() override {
        Check(op_ == LinkOperation::WriteSettings && sentWhole() && confirmed() && !spoiled());
    }
    void uploadReady() override {
        Check(op_ == LinkOperation::UploadHandshake);
        ready_ = true;
    }
    void uploadEnded(bool accepted) override {
        Check(op_ == LinkOperation::FirmwareUpload);
        if (accepted) Check(sentWhole() && confirmed());
    }

    // How the exchange ended: what follows it, and a lost line only where nobody answered.
    void checkEnd(const ExchangeEnd& end) const {
        if (end.lineLost) Check(op_ == LinkOperation::Handshake && !end.next);
        if (!end.next) return;
        switch (op_) {
            case LinkOperation::Handshake:
                Check(end.next->op == LinkOperation::ReadSettings);
                Check(state_.panelTypeCode == 9 || state_.panelTypeCode == 10);
                Check(!line_.sent.empty() && line_.sent.back() == 0x00);
                break;
            case LinkOperation::ReadCodes:
                Check(end.next->op == LinkOperation::ReadSettings);
                checkFrame(end.next->codes);
                break;
            case LinkOperation::WriteCodes:
                Check(end.next->op == LinkOperation::WriteSettings && sentWhole() && confirmed() &&
                      !spoiled());
                Check(end.next->data.size() == static_cast<size_t>(SettingsLength(state_.layoutCode)));
                break;
            default:
                Check(false);
        }
    }

    // What the exchange sent, checked once it has ended.
    void checkSent() const {
        const Bytes& sent = line_.sent;
        if (op_ == LinkOperation::Handshake) {
            static const Bytes request{0x55, 0x55, 0xAA, 0xAA};
            size_t at = 0;
            while (at + 4 <= sent.size() && std::equal(request.begin(), request.end(),
                                                       sent.begin() + static_cast<ptrdiff_t>(at)))
                at += 4;
            Check(at <= 40 && sent.size() - at <= 1);
            if (at < sent.size()) Check(sent.back() == 0x00 || sent.back() == 0xFF);
            return;
        }
        if (op_ == LinkOperation::UploadHandshake) {
            const Bytes request{0x55, 0x55, 0xA0, 0xAA};
            Check(
                std::equal(sent.begin(),
                           sent.begin() + static_cast<ptrdiff_t>(std::min<size_t>(4, sent.size())),
                           request.begin()));
            Check(sent.size() <= 5);
            if (sent.size() == 5) Check(sent[4] == 0x00 || sent[4] == 0xFF);
            if (ready_) Check(sent.size() == 5 && sent[4] == 0x00);
            return;
        }
        const Bytes expected = expectedBytes();
        if (op_ == LinkOperation::FirmwareUpload || IsWrite(op_)) {
            Check(sent.size() <= expected.size());
            Check(std::equal(sent.begin(), sent.end(), expected.begin()));
            return;
        }
        // A read: the command frame, then at most a verdict.
        Check(sent.size() <= expected.size() + 1);
        Check(std::equal(
            sent.begin(),
            sent.begin() + static_cast<ptrdiff_t>(std::min(sent.size(), expected.size())),
            expected.begin()));
        if (sent.size() > expected.size()) Check(sent.back() == 0x00 || sent.back() == 0xFF);
    }

  private:
    int length() const {
        return IsSettings(op_) ? SettingsLength(state_.layoutCode) : CodesLength(state_.layoutCode);
    }

    // Every byte an operation that sends a block or a firmware upload may send, in order.
    Bytes expectedBytes() const {
        if (op_ == LinkOperation::FirmwareUpload) {
            return Bytes(data_.begin(), data_.end());
        }
        Bytes bytes = WithCrc(
            {0x55, static_cast<uint8_t>(state_.layoutCode & 0xFF), static_cast<uint8_t>(op_)});
        if (!IsWrite(op_)) return bytes;
        const Bytes frame = dataFrame();
        const Bytes echoes = frameEchoes();
        bytes.insert(bytes.end(), frame.begin(), frame.end());
        bytes.push_back(spoiled() ? static_cast<uint8_t>(~Crc8(echoes)) : Crc8(frame));
        return bytes;
    }
    // A write's data frame without its CRC.
    Bytes dataFrame() const {
        Bytes frame{0xAA, 0xAA};
        for (int i = 0; i < length(); ++i) frame.push_back(static_cast<uint8_t>(data_[i]));
        return frame;
    }
    // The echoes of the data frame's bytes, as far as they came.
    Bytes frameEchoes() const {
        constexpr size_t kCommandBytes = 4;
        Bytes echoes;
        for (size_t i = 0; i < dataFrame().size(); ++i) {
            const auto echo = line_.echoOf(kCommandBytes + i);
            if (!echo) break;
            echoes.push_back(*echo);
        }
        return echoes;
    }
    bool spoiled() const {
        const Bytes frame = dataFrame();
        const Bytes echoes = frameEchoes();
        return !std::equal(echoes.begin(), echoes.end(), frame.begin());
    }
    bool sentWhole() const { return line_.sent == expectedBytes(); }
    // The panel's 0x00 arrived after the echo of the last byte sent.
    bool confirmed() const {
        return line_.received.size() >= line_.receivedAtLastWrite + 2 &&
               line_.received.back() == 0x00;
    }
    // The block is the payload of the frame the exchange read just before its verdict 0x00.
    void checkFrame(const Block& block) const {
        const size_t frameLength = static_cast<size_t>(length()) + 3;
        Check(block.size() + 3 == frameLength);
        Check(!line_.sent.empty() && line_.sent.back() == 0x00);
        const size_t end = line_.receivedAtLastWrite;
        Check(end >= frameLength);
        const auto frame = std::span(line_.received).subspan(end - frameLength, frameLength);
        Check(Crc8(frame.first(frameLength - 1)) == frame.back());
        for (size_t i = 0; i < block.size(); ++i) Check(block[i] == frame[i + 2]);
    }

    LinkOperation op_;
    const Block& data_;
    HostilePanel& line_;
    LinkState& state_;
    int lastPercent_ = 0;
    bool ready_ = false;  // the panel said yes to the upload handshake
};

// The block a write sends, or a small firmware upload (whose last byte is 0x00, like an echo of
// the panel's own verdict).
Block DataFor(LinkOperation op, int32_t layoutCode) {
    if (op == LinkOperation::FirmwareUpload) {
        Block upload{0x12, 0x34, 0x56, 53, 0x00, 41, 0x00};
        for (int i = 0; i < 40; ++i) upload.push_back((i * 37 + 11) & 0xFF);
        upload.push_back(0x00);
        return upload;
    }
    const int length = IsSettings(op) ? SettingsLength(layoutCode) : CodesLength(layoutCode);
    Block block(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) block[static_cast<size_t>(i)] = (i * 7 + 3) & 0xFF;
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const LinkOperation op = kOperations[data[0] & 7];
    LinkState state;
    state.layoutCode = kLayouts[data[1] & 3];
    state.identifyPending = (data[0] & 0x08) != 0;
    state.firmwareReplaced = (data[0] & 0x10) != 0;
    state.panelTypeCode = (data[0] & 0x40) ? 10 : 9;
    const long stopAfter = (data[0] & 0x20) ? (data[1] >> 2) * 16 + 1 : 0;
    const Block block = DataFor(op, state.layoutCode);

    std::atomic<bool> terminated{false};
    HostilePanel line(std::span(data + 2, size - 2), (data[0] & 0x80) != 0, stopAfter, terminated);
    NoWait clock;
    CheckingHost host(op, block, line, state);
    ExchangeContext ctx{line, clock, state, [&host](const HostCall& call) { call(host); },
                        terminated};
    Block settings;
    if (op == LinkOperation::WriteCodes)
        settings.assign(static_cast<size_t>(SettingsLength(state.layoutCode)), 0x5A);
    host.checkEnd(RunExchange(LinkStep{op, block, std::move(settings), {}}, ctx));
    host.checkSent();
    return 0;
}
