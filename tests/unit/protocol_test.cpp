// The exchange protocol against the in-process virtual panel (virtual time) and against scripted
// lines for the answers no well-behaved panel gives.
#include <gtest/gtest.h>

#include <deque>
#include <numeric>

#include "crc8.h"
#include "frames.h"
#include "in_process_channel.h"
#include "sync_link.h"
#include "virtual_panel.h"

namespace kerma {
namespace {

using test::Pattern;

std::vector<int32_t> Codes(const SyncLink& link) {
    std::vector<int32_t> codes;
    for (const auto& o : link.outcomes()) codes.push_back(o.code);
    return codes;
}

std::vector<int32_t> WithoutProgress(std::vector<int32_t> codes) {
    std::erase_if(codes, [](int32_t c) { return c == LinkResult::Attempt; });
    return codes;
}

struct PanelLine {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel{panel, clock};
    LinkState state;
    SyncLink link{channel, clock, state};

    explicit PanelLine(uint8_t version = 18) : panel(9, version) {}

    void connect() {
        state.layoutCode = Layout::Identify;
        state.identifyPending = true;
        link.run(LinkOperation::Handshake);
    }
    // Connected and told yes to the upload handshake, with the panel's record of it cleared.
    bool readyForUpload() {
        connect();
        link.run(LinkOperation::UploadHandshake);
        panel.clearRecord();
        return link.readyForUpload();
    }
};

TEST(Crc8Test, CheckValues) {
    const std::string text = "123456789";
    EXPECT_EQ(Crc8(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())), 0xA1);
    const uint8_t prefix[] = {0x55, 0x55, 0x0A};
    EXPECT_EQ(Crc8(prefix), 0xB8);
    EXPECT_EQ(Crc8(std::span<const uint8_t>()), 0x00);
}

TEST(HandshakeTest, AcceptedPanelIsIdentifiedWithLayout85) {
    PanelLine line(33);
    line.connect();
    EXPECT_EQ(WithoutProgress(Codes(line.link)), (std::vector<int32_t>{LinkResult::Linked}));
    EXPECT_EQ(line.link.outcomes().front().attempt, 1);
    EXPECT_EQ(line.state.panelTypeCode, 9);
    ASSERT_TRUE(line.link.identified());
    EXPECT_EQ(line.link.settings().size(), 768u);  // layout 85: three pages of settings
    EXPECT_EQ(line.link.settings()[1], 33);
}

TEST(HandshakeTest, AnswerOnTenthAttemptIsAccepted) {
    PanelLine line;
    line.panel.faults().silent = true;
    line.link.onOutcome = [&](const LinkOutcome& o) {
        if (o.code == LinkResult::Attempt && o.attempt == 10) line.panel.faults().silent = false;
    };
    line.connect();
    std::vector<int> attempts;
    for (const auto& o : line.link.outcomes())
        if (o.code == LinkResult::Attempt) attempts.push_back(o.attempt);
    EXPECT_EQ(attempts, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(line.link.has(LinkResult::Linked));
    EXPECT_TRUE(line.link.identified());
}

TEST(HandshakeTest, SilentLineGivesNoAnswerAndClosesThePort) {
    PanelLine line;
    line.panel.faults().silent = true;
    line.connect();
    EXPECT_EQ(line.link.verdict(), LinkResult::NoAnswer);
    EXPECT_TRUE(line.link.linkLost());
    EXPECT_FALSE(line.link.identified());
    // "No answer" must stay the last word on the status bar, not a later time-out.
    EXPECT_EQ(line.link.outcomes().back().code, LinkResult::NoAnswer);
    // Ten attempts of 2 s wait plus the two 410 ms reads each: about 28 s of line time.
    EXPECT_GE(line.clock.nowMs(), 10 * 2000);
    EXPECT_LE(line.clock.nowMs(), 10 * 3000);
}

struct HandshakeFault {
    const char* name;
    std::function<void(PanelFaults&)> set;
    int32_t outcome;
};

class HandshakeFaultTest : public ::testing::TestWithParam<HandshakeFault> {};

TEST_P(HandshakeFaultTest, RefusedWithVerdictFF) {
    PanelLine line;
    GetParam().set(line.panel.faults());
    line.connect();
    EXPECT_EQ(line.link.verdict(), GetParam().outcome);
    EXPECT_FALSE(line.link.identified());
    EXPECT_EQ(line.panel.received().back(), 0xFF);  // the panel was told no
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HandshakeFaultTest,
    ::testing::Values(HandshakeFault{"Type11", [](PanelFaults& f) { f.typeOverride = 11; },
                                     LinkResult::WrongType},
                      HandshakeFault{"NegativeType", [](PanelFaults& f) { f.typeOverride = 0xF9; },
                                     LinkResult::WrongType},
                      HandshakeFault{"BadCrc", [](PanelFaults& f) { f.badCrc = true; },
                                     LinkResult::HandshakeCrc}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HandshakeTest, StoppedBeforeStartReportsNoLink) {
    PanelLine line;
    line.link.stop();
    // run() clears the flag for a new chain; stop from the first attempt's outcome instead.
    line.link.onOutcome = [&](const LinkOutcome& o) {
        const int32_t code = o.code;
        if (code == LinkResult::Attempt) line.link.stop();
    };
    line.connect();
    EXPECT_EQ(line.link.verdict(), LinkResult::Stopped);
    EXPECT_TRUE(line.panel.received().empty());
}

// A line that answers from a script: every write call is answered by the next scripted reply.
class ScriptedChannel final : public ByteChannel {
  public:
    std::deque<std::vector<uint8_t>> replies;
    std::vector<uint8_t> written;
    bool write(const uint8_t* bytes, size_t count) override {
        written.insert(written.end(), bytes, bytes + count);
        for (size_t i = 0; i < count; ++i) queue_.push_back(bytes[i]);  // echo
        if (!replies.empty()) {
            for (uint8_t b : replies.front()) queue_.push_back(b);
            replies.pop_front();
        }
        return true;
    }
    size_t read(uint8_t* bytes, size_t count) override {
        size_t n = 0;
        while (n < count && !queue_.empty()) {
            bytes[n++] = queue_.front();
            queue_.pop_front();
        }
        return n;
    }
    void purgeReceive() override {}
    void purgeTransmit() override {}

  private:
    std::deque<uint8_t> queue_;
};

TEST(HandshakeTest, FourByteAnswerWithOtherLeadBytesIsJudgedOnTypeAndCrc) {
    ScriptedChannel channel;
    std::vector<uint8_t> answer{0x12, 0x34, 10, 0};
    answer[3] = Crc8(std::span(answer.data(), 3));
    channel.replies = {answer, {}};
    VirtualClock clock;
    LinkState state;
    SyncLink link(channel, clock, state);
    // Stop the chain at the identification read: the script has no panel behind it.
    link.onOutcome = [&](const LinkOutcome& o) {
        const int32_t code = o.code;
        if (code == LinkResult::Linked) link.stop();
    };
    link.run(LinkOperation::Handshake);
    EXPECT_EQ(state.panelTypeCode, 10);
    EXPECT_TRUE(link.has(LinkResult::Linked));
}

TEST(BlockReadTest, DataFrameWithOtherLeadBytesButGoodCrcIsAccepted) {
    ScriptedChannel channel;
    VirtualClock clock;
    LinkState state;
    state.layoutCode = 0;  // 256-byte blocks
    std::vector<uint8_t> frame{0x00, 0x01};
    for (int i = 0; i < 256; ++i) frame.push_back(static_cast<uint8_t>(i));
    frame.push_back(Crc8(frame));
    // Command frame bytes 1..3 get nothing; the last one gets ready + data frame.
    std::vector<uint8_t> last{0x00};
    last.insert(last.end(), frame.begin(), frame.end());
    channel.replies = {{}, {}, {}, last};
    SyncLink link(channel, clock, state);
    link.run(LinkOperation::ReadSettings);
    EXPECT_TRUE(link.has(LinkResult::Read));
    ASSERT_EQ(link.settings().size(), 256u);
    EXPECT_EQ(link.settings()[255], 255);
}

struct VariantCase {
    int version;
    int32_t layout;
    size_t settings;
    size_t codes;
};

class ChainTest : public ::testing::TestWithParam<VariantCase> {};

TEST_P(ChainTest, ReadChainBringsBothBlocks) {
    const auto& c = GetParam();
    PanelLine line(static_cast<uint8_t>(c.version));
    auto settings = Pattern(c.settings, 3);
    settings[1] = c.version;
    const auto codes = Pattern(c.codes, 5);
    std::copy(settings.begin(), settings.end(), line.panel.settings().begin());
    std::copy(codes.begin(), codes.end(), line.panel.codes().begin());
    line.state.layoutCode = c.layout;
    line.link.run(LinkOperation::ReadCodes);
    EXPECT_EQ(WithoutProgress(Codes(line.link)), (std::vector<int32_t>{LinkResult::Read}));
    EXPECT_EQ(line.link.codes(), codes);
    EXPECT_EQ(line.link.settings(), settings);
}

TEST_P(ChainTest, WriteChainStoresBothBlocks) {
    const auto& c = GetParam();
    PanelLine line(static_cast<uint8_t>(c.version));
    auto settings = Pattern(c.settings, 11);
    settings[1] = c.version;
    const auto codes = Pattern(c.codes, 13);
    line.state.layoutCode = c.layout;
    line.link.run(WriteChain(codes, settings));
    EXPECT_EQ(WithoutProgress(Codes(line.link)), (std::vector<int32_t>{LinkResult::Written}));
    EXPECT_EQ(Block(line.panel.settings().begin(), line.panel.settings().begin() + c.settings),
              settings);
    EXPECT_EQ(Block(line.panel.codes().begin(), line.panel.codes().begin() + c.codes), codes);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ChainTest,
    ::testing::Values(VariantCase{18, 99, 1024, 1024}, VariantCase{33, 99, 1024, 1024},
                      VariantCase{53, 102, 1024, 1792}, VariantCase{21, 3, 256, 1024}),
    [](const auto& info) { return "Version" + std::to_string(info.param.version); });

TEST(BlockReadTest, Layout0x66SizesTheFramesOnTheLine) {
    PanelLine line;
    line.state.layoutCode = 0x66;
    line.link.run(LinkOperation::ReadCodes);
    // Per block: 4 echoed command bytes, ready byte, frame; the settings frame is 1027 bytes and
    // the codes frame 1795; plus the echo of each verdict.
    const size_t sent = line.panel.sent().size();
    EXPECT_EQ(sent, (4 + 1 + 1795 + 1) + (4 + 1 + 1027 + 1));
    EXPECT_EQ(line.link.codes().size(), 1792u);
    EXPECT_EQ(line.link.settings().size(), 1024u);
}

struct BlockFault {
    const char* name;
    std::function<void(PanelFaults&)> set;
    LinkOperation op;
};

class BlockFaultTest : public ::testing::TestWithParam<BlockFault> {};

TEST_P(BlockFaultTest, EndsWithOutcome4AndLeavesMemory) {
    PanelLine line;
    const auto before = line.panel.settings();
    const auto beforeCodes = line.panel.codes();
    GetParam().set(line.panel.faults());
    line.state.layoutCode = 99;
    line.link.run(LinkStep{GetParam().op, Pattern(1024, 2), Pattern(1024, 1), {}});
    EXPECT_EQ(line.link.verdict(), LinkResult::BlockFailed);
    EXPECT_FALSE(line.link.has(LinkResult::Read));
    EXPECT_FALSE(line.link.has(LinkResult::Written));
    EXPECT_EQ(line.panel.settings(), before);
    EXPECT_EQ(line.panel.codes(), beforeCodes);
    EXPECT_TRUE(line.link.codes().empty() || GetParam().op != LinkOperation::ReadCodes);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BlockFaultTest,
    ::testing::Values(BlockFault{"RefusedWrite", [](PanelFaults& f) { f.refuseWrite = true; },
                                 LinkOperation::WriteCodes},
                      BlockFault{"NeverReadyForWrite", [](PanelFaults& f) { f.notReady = true; },
                                 LinkOperation::WriteCodes},
                      BlockFault{"NeverReadyForRead", [](PanelFaults& f) { f.notReady = true; },
                                 LinkOperation::ReadCodes},
                      BlockFault{"BadFrameCrc", [](PanelFaults& f) { f.badCrc = true; },
                                 LinkOperation::ReadCodes},
                      BlockFault{"DroppedByte", [](PanelFaults& f) { f.dropByte = 100; },
                                 LinkOperation::ReadCodes},
                      BlockFault{"Silent", [](PanelFaults& f) { f.silent = true; },
                                 LinkOperation::ReadCodes}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BlockReadTest, RejectedFrameGetsVerdictFF) {
    PanelLine line;
    line.panel.faults().badCrc = true;
    line.state.layoutCode = 99;
    line.link.run(LinkOperation::ReadCodes);
    EXPECT_EQ(line.panel.received().back(), 0xFF);
}

// A panel that falls silent costs seconds, not one time-out per missing byte or per ready poll
// (100 polls of 2.4 s were four minutes).
TEST(BlockReadTest, PanelFallingSilentFailsWithinSeconds) {
    const struct {
        const char* name;
        std::function<void(PanelFaults&)> set;
        int64_t atLeastMs, belowMs;
    } cases[] = {
        {"mid-frame", [](PanelFaults& f) { f.dropByte = 10; }, 0, 10'000},
        {"never ready", [](PanelFaults& f) { f.notReady = true; }, 10'000, 15'000},
    };
    for (const auto& c : cases) {
        PanelLine line;
        c.set(line.panel.faults());
        line.state.layoutCode = 99;
        line.link.run(LinkOperation::ReadCodes);
        EXPECT_EQ(line.link.verdict(), LinkResult::BlockFailed) << c.name;
        EXPECT_GE(line.clock.nowMs(), c.atLeastMs) << c.name;
        EXPECT_LT(line.clock.nowMs(), c.belowMs) << c.name;
    }
}

TEST(BlockWriteTest, ShortBlockIsNeverSent) {
    PanelLine line;
    line.state.layoutCode = 99;
    line.link.run(LinkStep{LinkOperation::WriteCodes, Block(1000, 1), {}, {}});
    EXPECT_EQ(line.link.verdict(), LinkResult::BlockFailed);
    EXPECT_TRUE(line.panel.received().empty());
}

// The line between the exchange and the panel, made to fail the way a real port does: the user's
// "Разорвать связь" (the stop flag, then the port closing in the middle of a read call), or a
// port that starts refusing write calls (an adapter pulled out).
class FailingLine final : public ByteChannel {
  public:
    FailingLine(ByteChannel& line, std::atomic<bool>& stop) : line_(line), stop_(stop) {}
    int breakAtRead = -1;    // this read call (0-based) finds the port closed by the user
    int failFromWrite = -1;  // this write call (0-based) and every later one fail

    bool write(const uint8_t* bytes, size_t count) override {
        if (closed_ || (failFromWrite >= 0 && writes_++ >= failFromWrite)) return false;
        return line_.write(bytes, count);
    }
    size_t read(uint8_t* bytes, size_t count) override {
        if (breakAtRead >= 0 && reads_++ >= breakAtRead) {
            stop_ = true;
            closed_ = true;
        }
        return closed_ ? 0 : line_.read(bytes, count);
    }
    void purgeReceive() override { line_.purgeReceive(); }
    void purgeTransmit() override { line_.purgeTransmit(); }

  private:
    ByteChannel& line_;
    std::atomic<bool>& stop_;
    bool closed_ = false;
    int reads_ = 0;
    int writes_ = 0;
};

struct FailingRig {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel{panel, clock};
    std::atomic<bool> stop{false};
    FailingLine line{channel, stop};
    LinkState state;
    SyncLink host{line, clock, state};

    FailingRig() { state.layoutCode = 99; }
    bool lost = false;
    void run(LinkOperation op) {
        ExchangeContext ctx{line, clock, state, [this](const HostCall& call) { call(host); }, stop};
        lost = RunExchange(LinkStep{op, Pattern(1024, 4), Pattern(1024, 5), {}}, ctx).lineLost;
    }
};

// A break in the middle of a frame, read or written: the status bar keeps the break's own text.
TEST(StopTest, BreakingTheLinkMidFrameReportsNoTimeOut) {
    for (const auto op : {LinkOperation::ReadCodes, LinkOperation::WriteCodes}) {
        FailingRig rig;
        rig.line.breakAtRead = 300;
        rig.run(op);
        EXPECT_TRUE(rig.host.outcomes().empty()) << static_cast<int>(op);
        // One read call on the closed port, not the 21 of a time-out.
        EXPECT_LT(rig.clock.nowMs(), 1000) << static_cast<int>(op);
    }
}

// A port that refuses a write call has lost the panel: the link goes as "Разорвать связь" takes
// it, and no frame error is claimed for a frame the panel never saw end.
TEST(PortFailureTest, RefusedWriteCallBreaksTheLink) {
    const struct {
        LinkOperation op;
        int failFromWrite;
    } cases[] = {{LinkOperation::WriteCodes, 100},  // inside the data frame
                 {LinkOperation::WriteCodes, 2},    // inside the command frame
                 {LinkOperation::ReadSettings, 1}};
    for (const auto& c : cases) {
        FailingRig rig;
        rig.line.failFromWrite = c.failFromWrite;
        rig.run(c.op);
        EXPECT_EQ(rig.host.verdict(), LinkResult::PortFailed) << c.failFromWrite;
        EXPECT_FALSE(rig.host.has(LinkResult::BlockFailed)) << c.failFromWrite;
        EXPECT_TRUE(rig.lost) << c.failFromWrite;
    }
}

TEST(ReadByteTest, TimeOutReturnsLastByteAfterTwentyRetries) {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel(panel, clock);
    LinkState state;
    state.lastByte = 0x5A;
    SyncLink host(channel, clock, state);
    std::atomic<bool> terminated{false};
    ExchangeContext ctx{channel, clock, state, [&host](const HostCall& call) { call(host); },
                        terminated};
    EXPECT_EQ(ReadByte(ctx), 0x5A);
    EXPECT_EQ(channel.readCalls(), 21);
    EXPECT_EQ(clock.nowMs(), 21 * 110 + 20 * 5);
    ASSERT_EQ(host.outcomes().size(), 1u);
    EXPECT_EQ(host.outcomes()[0].code, LinkResult::TimeOut);
}

Block MakeUpload(size_t n) {
    Block firmware(n + 7, 0x11);
    firmware[3] = 35;
    firmware[4] = static_cast<int32_t>(n >> 8);
    firmware[5] = static_cast<int32_t>(n & 0xFF);
    return firmware;
}

TEST(FirmwareTest, UploadHandshakeThenUploadReplacesVersion) {
    PanelLine line;
    ASSERT_TRUE(line.readyForUpload());
    auto firmware = MakeUpload(256);  // bytes 4..5 = 0x01 0x00
    firmware.resize(400, 0x22);     // bytes past N + 7 stay home
    line.link.run(LinkStep{LinkOperation::FirmwareUpload, firmware, {}, {}});
    EXPECT_EQ(line.panel.received().size(), 263u);
    EXPECT_EQ(line.link.uploadProgress().back(), 100);
    EXPECT_TRUE(std::is_sorted(line.link.uploadProgress().begin(), line.link.uploadProgress().end()));
    EXPECT_EQ(line.link.verdict(), LinkResult::FirmwareLoaded);
    EXPECT_TRUE(line.state.firmwareReplaced);
    EXPECT_TRUE(line.link.reconnected());
    EXPECT_EQ(line.panel.version(), 35);
}

struct SilentUpload {
    const char* name;
    int silentAfter;  // upload bytes the panel takes before it falls silent
    size_t sent;      // bytes the program puts on the line before it gives up
};

class SilentUploadTest : public ::testing::TestWithParam<SilentUpload> {};

// A panel that dies during an upload, or takes the whole firmware and never says yes, has not taken
// it: the upload fails at the first time-out, whatever the last byte seen was.
TEST_P(SilentUploadTest, FailsAtTheFirstTimeOut) {
    PanelLine line;
    ASSERT_TRUE(line.readyForUpload());
    line.panel.faults().uploadSilentAfter = GetParam().silentAfter;
    auto firmware = MakeUpload(256);
    firmware.back() = 0x00;  // the echo of the last byte looks like a yes
    const int64_t start = line.clock.nowMs();
    line.link.run(LinkStep{LinkOperation::FirmwareUpload, firmware, {}, {}});
    EXPECT_EQ(line.panel.received().size(), GetParam().sent);
    EXPECT_EQ(line.link.verdict(), LinkResult::BlockFailed);
    EXPECT_FALSE(line.state.firmwareReplaced);
    EXPECT_FALSE(line.link.reconnected());
    EXPECT_EQ(line.panel.version(), 18);
    // One time-out, not one for every byte left: the firmware's own pacing is under a second.
    EXPECT_LT(line.clock.nowMs() - start, 4000);
}

INSTANTIATE_TEST_SUITE_P(Firmware, SilentUploadTest,
                         ::testing::Values(SilentUpload{"NoStatusAfterTheFirmware", 263, 263},
                                           SilentUpload{"SilentInTheMiddle", 100, 101},
                                           SilentUpload{"SilentFromTheFirstByte", 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A silent panel, or one answering as another type, is told no. The replacement waits 20 s for
// the upload handshake; a panel that is not there must be given up within that wait.
TEST(FirmwareTest, UnconfirmedUploadHandshakeIsRefusedWithinTheReadyWait) {
    for (const bool silent : {true, false}) {
        PanelLine line;
        line.state.panelTypeCode = silent ? 9 : 10;  // the panel answers 9
        line.panel.faults().silent = silent;
        line.link.run(LinkOperation::UploadHandshake);
        EXPECT_FALSE(line.link.readyForUpload()) << silent;
        EXPECT_EQ(line.panel.received().back(), 0xFF) << silent;
        EXPECT_LT(line.clock.nowMs(), 20'000) << silent;
    }
}

TEST(FirmwareTest, UploadShorterThanItsHeaderSaysIsNeverSent) {
    PanelLine line;
    auto firmware = MakeUpload(256);
    firmware.resize(200);
    line.link.run(LinkStep{LinkOperation::FirmwareUpload, firmware, {}, {}});
    EXPECT_TRUE(line.panel.received().empty());
    EXPECT_EQ(line.link.verdict(), LinkResult::BlockFailed);
    EXPECT_FALSE(line.state.firmwareReplaced);
    line.link.run(LinkStep{LinkOperation::FirmwareUpload, Block(5, 0), {}, {}});
    EXPECT_TRUE(line.panel.received().empty());
}

// The line from the panel goes dead after a number of bytes have come back.
class CutLine final : public ByteChannel {
  public:
    CutLine(ByteChannel& line, size_t cutAfter) : line_(line), left_(cutAfter) {}
    bool write(const uint8_t* bytes, size_t count) override { return line_.write(bytes, count); }
    size_t read(uint8_t* bytes, size_t count) override {
        const size_t got = line_.read(bytes, std::min(count, left_));
        left_ -= got;
        return got;
    }
    void purgeReceive() override { line_.purgeReceive(); }
    void purgeTransmit() override { line_.purgeTransmit(); }

  private:
    ByteChannel& line_;
    size_t left_;
};

// The adapter pulled during an upload. The echo of the firmware's last byte is 0x00, the very value
// of an accepting status: handed back by a time-out, it must not pass for the panel's verdict.
TEST(FirmwareTest, PanelFallingSilentIsNeverTakenForAnAcceptedUpload) {
    for (size_t echoes : {size_t{40}, size_t{263}}) {
        PanelLine line;
        ASSERT_TRUE(line.readyForUpload());
        auto firmware = MakeUpload(256);
        firmware.back() = 0x00;
        CutLine cut(line.channel, echoes);
        SyncLink upload(cut, line.clock, line.state);
        upload.run(LinkStep{LinkOperation::FirmwareUpload, firmware, {}, {}});
        EXPECT_EQ(upload.verdict(), LinkResult::BlockFailed) << echoes;
        EXPECT_FALSE(line.state.firmwareReplaced);
        EXPECT_FALSE(upload.reconnected());
        // It stops at the first byte without an echo instead of sending on into the void.
        EXPECT_EQ(line.panel.received().size(), std::min<size_t>(echoes + 1, 263)) << echoes;
    }
}

}  // namespace
}  // namespace kerma
