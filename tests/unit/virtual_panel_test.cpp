#include "virtual_panel.h"

#include <gtest/gtest.h>

#include <vector>

#include "crc8.h"
#include "firmware_test_support.h"
#include "frames.h"
#include "in_process_channel.h"
#include "panel_feed.h"

namespace kerma {
namespace {

using test::Feed;
using test::WithCrc;

const Bytes kHandshake{0x55, 0x55, 0xAA, 0xAA};
const Bytes kUploadHandshake{0x55, 0x55, 0xA0, 0xAA};

Bytes Command(uint8_t layout, uint8_t op) {
    return WithCrc({0x55, layout, op});
}

Bytes DataFrame(const Bytes& payload) {
    Bytes frame{0xAA, 0xAA};
    frame.insert(frame.end(), payload.begin(), payload.end());
    return WithCrc(frame);
}

// What the panel should send: the echo of the request, then its answer.
Bytes Then(Bytes echo, const Bytes& answer) {
    echo.insert(echo.end(), answer.begin(), answer.end());
    return echo;
}

struct HandshakeCase {
    const char* name;
    uint8_t type;
    PanelFaults faults;
    Bytes request;
    Bytes answer;
};

class HandshakeTest : public testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeTest, EchoesTheRequestThenAnswersWithTypeAndCrc) {
    const HandshakeCase& c = GetParam();
    VirtualPanel panel(c.type);
    panel.faults() = c.faults;
    EXPECT_EQ(Feed(panel, c.request), Then(c.request, c.answer));
    // The verdict is echoed and nothing more.
    EXPECT_EQ(Feed(panel, {0x00}), Bytes{0x00});
}

PanelFaults Override(uint8_t type) {
    PanelFaults f;
    f.typeOverride = type;
    return f;
}

PanelFaults BadCrc() {
    PanelFaults f;
    f.badCrc = true;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Panel, HandshakeTest,
    testing::Values(
        HandshakeCase{"Type9", 9, {}, kHandshake, WithCrc({0x55, 0x55, 0x09})},
        HandshakeCase{"Type10", 10, {}, kHandshake, {0x55, 0x55, 0x0A, 0xB8}},
        HandshakeCase{"UploadRequest", 10, {}, kUploadHandshake, {0x55, 0x55, 0x0A, 0xB8}},
        HandshakeCase{"ForeignType", 9, Override(11), kHandshake, WithCrc({0x55, 0x55, 11})},
        HandshakeCase{"BadCrc", 10, BadCrc(), kHandshake, {0x55, 0x55, 0x0A, 0x47}},
        // Garbage and a broken request in front must not hide the real request.
        HandshakeCase{"AfterGarbage",
                      9,
                      {},
                      {0x13, 0xAA, 0x55, 0x55, 0x55, 0xAA, 0xAA},
                      WithCrc({0x55, 0x55, 0x09})},
        HandshakeCase{"AfterBadCommand",
                      9,
                      {},
                      {0x55, 0x63, 0x91, 0x00, 0x55, 0x55, 0xAA, 0xAA},
                      WithCrc({0x55, 0x55, 0x09})}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadCase {
    const char* name;
    uint8_t layout;
    uint8_t op;
    size_t length;
};

class BlockReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(BlockReadTest, SendsReadyThenTheBlockSizedByTheLayoutByte) {
    const ReadCase& c = GetParam();
    VirtualPanel panel(9, 18);
    auto& memory = c.op == 0x91 ? panel.settings() : panel.codes();
    for (size_t i = 2; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i * 7);
    Bytes command = Command(c.layout, c.op);
    Bytes payload(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(c.length));
    Bytes expected = Then(command, {0x00});
    expected = Then(expected, DataFrame(payload));
    EXPECT_EQ(Feed(panel, command), expected);
    EXPECT_EQ(Feed(panel, {0x00}), Bytes{0x00});
}

INSTANTIATE_TEST_SUITE_P(
    Panel, BlockReadTest,
    testing::Values(
        ReadCase{"SettingsRegular", 99, 0x91, 1024}, ReadCase{"CodesRegular", 99, 0x93, 1024},
        ReadCase{"SettingsWide", 0x66, 0x91, 1024}, ReadCase{"CodesWide", 0x66, 0x93, 1792},
        // Layout byte 0x55 looks like a handshake until the third byte.
        ReadCase{"SettingsIdentify", 85, 0x91, 768}, ReadCase{"CodesLargest", 0xFF, 0x93, 8192},
        ReadCase{"SettingsSmall", 3, 0x91, 256}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualPanel, ReadBlockCarriesTheVersionByte) {
    VirtualPanel panel(9, 31);
    Bytes out = Feed(panel, Command(99, 0x91));
    ASSERT_GT(out.size(), 8u);
    EXPECT_EQ(out[4 + 1 + 2 + 1], 31);  // echo, ready, AA AA, cell 0, cell 1
}

struct WriteCase {
    const char* name;
    bool corruptCrc;
    bool refuse;
    uint8_t status;
};

class BlockWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(BlockWriteTest, StoresOnlyAGoodFrameAndSaysSo) {
    const WriteCase& c = GetParam();
    VirtualPanel panel(9, 18);
    panel.faults().refuseWrite = c.refuse;
    Bytes payload(1792);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i % 251);
    Bytes frame = DataFrame(payload);
    if (c.corruptCrc) frame.back() ^= 0x01;
    Bytes command = Command(0x66, 0x94);

    EXPECT_EQ(Feed(panel, command), Then(command, {0x00}));
    EXPECT_EQ(Feed(panel, frame), Then(frame, {c.status}));

    bool stored = c.status == 0x00;
    Bytes head(panel.codes().begin(), panel.codes().begin() + 1792);
    EXPECT_EQ(head, stored ? payload : Bytes(1792, 0));
    EXPECT_EQ(panel.acceptedWrites(), stored ? 1 : 0);
    // Back at rest: the next request is answered.
    EXPECT_EQ(Feed(panel, kHandshake).size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(Panel, BlockWriteTest,
                         testing::Values(WriteCase{"Good", false, false, 0x00},
                                         WriteCase{"BadCrc", true, false, 0x01},
                                         WriteCase{"Refused", false, true, 0x01}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualPanel, SettingsWriteKeepsTheFirmwareVersion) {
    VirtualPanel panel(9, 18);
    Bytes payload(256, 0x44);
    Feed(panel, Command(3, 0x92));
    EXPECT_EQ(Feed(panel, DataFrame(payload)).back(), 0x00);
    EXPECT_EQ(panel.version(), 18);
    EXPECT_EQ(panel.settings()[0], 0x44);
    EXPECT_EQ(panel.settings()[2], 0x44);
    EXPECT_EQ(panel.settings()[256], 0x00);
}

TEST(VirtualPanel, CommandWithWrongCrcIsOnlyEchoed) {
    VirtualPanel panel;
    Bytes command = Command(99, 0x91);
    command.back() ^= 0x80;
    EXPECT_EQ(Feed(panel, command), command);
    // A good command right behind it is served.
    EXPECT_GT(Feed(panel, Command(99, 0x91)).size(), 1000u);
}

TEST(VirtualPanel, HalfWriteFrameIsDroppedAfterAPause) {
    VirtualPanel panel;
    Feed(panel, Command(99, 0x94));
    Bytes half = DataFrame(Bytes(1024, 0x55));
    half.resize(500);
    Feed(panel, half);
    // Without the pause the request would vanish into the data frame.
    panel.lineQuiet(VirtualPanel::kResyncPauseMs);
    EXPECT_EQ(Feed(panel, kHandshake), Then(kHandshake, WithCrc({0x55, 0x55, 0x09})));
    EXPECT_EQ(panel.acceptedWrites(), 0);
}

TEST(VirtualPanel, ShortPauseKeepsTheFrame) {
    VirtualPanel panel;
    Feed(panel, Command(3, 0x92));
    Bytes frame = DataFrame(Bytes(256, 0x12));
    Feed(panel, Bytes(frame.begin(), frame.begin() + 100));
    panel.lineQuiet(VirtualPanel::kResyncPauseMs - 1);
    EXPECT_EQ(Feed(panel, Bytes(frame.begin() + 100, frame.end())).back(), 0x00);
    EXPECT_EQ(panel.acceptedWrites(), 1);
}

TEST(VirtualPanel, NewCommandInsteadOfWriteDataIsServed) {
    VirtualPanel panel;
    Feed(panel, Command(99, 0x94));  // the program gave up waiting and asks again
    Bytes out = Feed(panel, Command(99, 0x91));
    EXPECT_EQ(out.size(), 4u + 1 + 1027);
}

TEST(VirtualPanel, FrameAfterAReadInPlaceOfTheVerdictIsServed) {
    VirtualPanel panel;
    Feed(panel, Command(3, 0x91));
    EXPECT_EQ(Feed(panel, kHandshake).size(), 8u);
}

TEST(VirtualPanel, DroppedByteIsMissingFromEveryDataFrame) {
    VirtualPanel panel;
    panel.faults().dropByte = 2;
    panel.settings()[0] = 0x77;
    for (int round = 0; round < 2; ++round) {
        Bytes out = Feed(panel, Command(3, 0x91));
        ASSERT_EQ(out.size(), 4u + 1 + 258);
        EXPECT_EQ(out[5], 0xAA);
        EXPECT_EQ(out[6], 0xAA);
        EXPECT_EQ(out[7], 18);  // cell 1 (the version) where cell 0 was
        Feed(panel, {0x00});
    }
}

TEST(VirtualPanel, NotReadyPanelOnlyEchoesCommands) {
    VirtualPanel panel;
    panel.faults().notReady = true;
    Bytes command = Command(99, 0x92);
    EXPECT_EQ(Feed(panel, command), command);
    // Not waiting for data either.
    EXPECT_EQ(Feed(panel, kHandshake).size(), 8u);
}

TEST(VirtualPanel, SilentPanelSendsNothingButRecordsWhatArrived) {
    VirtualPanel panel;
    panel.faults().silent = true;
    EXPECT_TRUE(Feed(panel, kHandshake).empty());
    EXPECT_EQ(panel.received(), kHandshake);
    EXPECT_TRUE(panel.sent().empty());
}

struct UploadCase {
    const char* name;
    uint8_t verdict;
    bool refuse;
    Bytes status;  // after the firmware's echo
    uint8_t versionAfter;
};

class UploadTest : public testing::TestWithParam<UploadCase> {};

TEST_P(UploadTest, TakesTheFirmwareOnlyAfterAnAcceptedUploadHandshake) {
    const UploadCase& c = GetParam();
    VirtualPanel panel(9, 18);
    panel.faults().refuseUpload = c.refuse;
    Feed(panel, kUploadHandshake);
    Feed(panel, {c.verdict});
    Bytes firmware = MakeFirmware(31, 0x0100);
    ASSERT_EQ(firmware.size(), 263u);
    Bytes out = Feed(panel, firmware);
    ASSERT_GE(out.size(), firmware.size());
    EXPECT_EQ(Bytes(out.begin() + 263, out.end()), c.status);
    EXPECT_EQ(panel.version(), c.versionAfter);
}

INSTANTIATE_TEST_SUITE_P(Panel, UploadTest,
                         testing::Values(UploadCase{"Accepted", 0x00, false, {0x00}, 31},
                                         UploadCase{"Refused", 0x00, true, {0x01}, 18},
                                         UploadCase{"HandshakeRejected", 0xFF, false, {}, 18}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualPanel, PlainHandshakeDoesNotOpenAnUpload) {
    VirtualPanel panel(9, 18);
    Feed(panel, kHandshake);
    Feed(panel, {0x00});
    Feed(panel, MakeFirmware(31, 16));
    EXPECT_EQ(panel.version(), 18);
    EXPECT_EQ(panel.acceptedUploads(), 0);
}

struct Line {
    VirtualPanel panel;
    VirtualClock clock;
    InProcessChannel channel{panel, clock};
};

TEST(InProcessChannel, ShortReadCostsThePortTimeOut) {
    Line line;
    auto& [panel, clock, channel] = line;
    ASSERT_TRUE(channel.write(kHandshake.data(), kHandshake.size()));
    uint8_t buffer[8] = {};
    EXPECT_EQ(channel.read(buffer, 4), 4u);  // echo
    EXPECT_EQ(clock.nowMs(), 0);
    EXPECT_EQ(channel.read(buffer, 8), 4u);  // answer, then nothing
    EXPECT_EQ(clock.nowMs(), 8 * 100 + 10);
    EXPECT_EQ(channel.read(buffer, 1), 0u);
    EXPECT_EQ(clock.nowMs(), 810 + 110);
}

TEST(InProcessChannel, PurgeDropsQueuedBytesAndFailedWritesReachNoPanel) {
    Line line;
    auto& [panel, clock, channel] = line;
    channel.write(kHandshake.data(), kHandshake.size());
    channel.purgeReceive();
    EXPECT_EQ(channel.pendingBytes(), 0u);
    channel.setWritesFail(true);
    uint8_t verdict = 0x00;
    EXPECT_FALSE(channel.write(&verdict, 1));
    EXPECT_EQ(panel.received().size(), 4u);
}

TEST(InProcessChannel, VirtualPausesReachThePanel) {
    Line line;
    auto& [panel, clock, channel] = line;
    Bytes command = Command(99, 0x94);
    channel.write(command.data(), command.size());
    channel.write(Bytes{0xAA, 0xAA}.data(), 2);
    clock.sleepMs(VirtualPanel::kResyncPauseMs);
    channel.purgeReceive();
    channel.write(kHandshake.data(), kHandshake.size());
    EXPECT_EQ(channel.pendingBytes(), 8u);
}

}  // namespace
}  // namespace kerma
