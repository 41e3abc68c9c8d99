// The virtual panel taking a firmware upload: the new variant's memory and version afterwards.
#include <gtest/gtest.h>

#include "crc8.h"
#include "factory_defaults.h"
#include "firmware_test_support.h"
#include "link_types.h"
#include "panel_feed.h"
#include "virtual_panel.h"

namespace kerma {
namespace {

using test::Feed;

// Upload handshake accepted, then the firmware; what the panel says after the firmware's echo.
Bytes Upload(VirtualPanel& panel, const Bytes& firmware) {
    Feed(panel, {0x55, 0x55, 0xA0, 0xAA});
    Feed(panel, {0x00});
    const Bytes out = Feed(panel, firmware);
    return Bytes(out.begin() + static_cast<ptrdiff_t>(std::min(out.size(), firmware.size())),
                 out.end());
}

void Dirty(VirtualPanel& panel) {
    const uint8_t version = panel.version();
    std::fill(panel.settings().begin(), panel.settings().end(), 0x77);
    std::fill(panel.codes().begin(), panel.codes().end(), 0x77);
    panel.setVersion(version);
}

// The memory holds exactly the variant's factory list with the new version byte, zeros after it.
void ExpectFactoryMemory(const VirtualPanel& panel, int variant, uint8_t version) {
    const ConfigBlocks factory = FactoryConfiguration(variant);
    ASSERT_FALSE(factory.settings.empty());
    for (size_t i = 0; i < panel.settings().size(); ++i) {
        int want = i < factory.settings.size() ? (factory.settings[i] & 0xFF) : 0;
        if (i == kVersionCell) want = version;
        ASSERT_EQ(panel.settings()[i], want) << "settings cell " << i;
    }
    for (size_t i = 0; i < panel.codes().size(); ++i) {
        const int want = i < factory.codes.size() ? (factory.codes[i] & 0xFF) : 0;
        ASSERT_EQ(panel.codes()[i], want) << "codes cell " << i;
    }
}

struct InstallCase {
    const char* name;
    uint8_t oldVersion;
    uint8_t newVersion;
    int newVariant;
};

class FirmwareInstall : public testing::TestWithParam<InstallCase> {};

TEST_P(FirmwareInstall, AcceptedUploadBringsTheNewVariantsFactoryMemory) {
    const InstallCase& c = GetParam();
    VirtualPanel panel(10, c.oldVersion);
    Dirty(panel);
    EXPECT_EQ(Upload(panel, MakeFirmware(c.newVersion, 40)), (Bytes{0x00}));
    EXPECT_EQ(panel.version(), c.newVersion);
    EXPECT_EQ(panel.acceptedUploads(), 1);
    ExpectFactoryMemory(panel, c.newVariant, c.newVersion);
    // The next handshake is the same hardware's; the identification read shows the new firmware.
    const Bytes answer = Feed(panel, {0x55, 0x55, 0xAA, 0xAA});
    EXPECT_EQ(Bytes(answer.begin() + 4, answer.end()), (Bytes{0x55, 0x55, 0x0A, 0xB8}));
    Feed(panel, {0x00});
    Bytes command{0x55, 0x55, 0x91};
    command.push_back(Crc8(command));
    const Bytes out = Feed(panel, command);
    ASSERT_GE(out.size(), 9u);
    EXPECT_EQ(out[4], 0x00);          // ready
    EXPECT_EQ(out[8], c.newVersion);  // after the echo and ready: AA AA, cell 0, cell 1
}

INSTANTIATE_TEST_SUITE_P(Panel, FirmwareInstall,
                         testing::Values(InstallCase{"QnmToQn", 18, 53, 5},
                                         InstallCase{"QnToQnm", 53, 18, 1},
                                         InstallCase{"OneToThree", 17, 33, 3},
                                         InstallCase{"ToReducedQn", 18, 21, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    bool refuseFault;
    uint8_t newVersion;
};

class FirmwareRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(FirmwareRefusal, RefusedUploadLeavesFirmwareAndMemory) {
    const RefusalCase& c = GetParam();
    VirtualPanel panel(9, 18);
    Dirty(panel);
    panel.faults().refuseUpload = c.refuseFault;
    EXPECT_EQ(Upload(panel, MakeFirmware(c.newVersion, 24)), (Bytes{0x01}));
    EXPECT_EQ(panel.version(), 18);
    EXPECT_EQ(panel.acceptedUploads(), 0);
    EXPECT_EQ(panel.settings()[0], 0x77);
    EXPECT_EQ(panel.codes().back(), 0x77);
}

INSTANTIATE_TEST_SUITE_P(Panel, FirmwareRefusal,
                         testing::Values(RefusalCase{"Fault", true, 53},
                                         RefusalCase{"VersionOfNoVariant", false, 7},
                                         RefusalCase{"VersionZero", false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Until the header's count of bytes has arrived the panel only echoes; the verdict comes after
// exactly N + 7 bytes.
TEST(FirmwareUploadLength, VerdictComesAfterTheCountedBytesOnly) {
    VirtualPanel panel(9, 18);
    const Bytes firmware = MakeFirmware(33, 0x0100);
    Feed(panel, {0x55, 0x55, 0xA0, 0xAA});
    Feed(panel, {0x00});
    EXPECT_EQ(Feed(panel, Bytes(firmware.begin(), firmware.end() - 1)).size(), firmware.size() - 1);
    EXPECT_EQ(panel.version(), 18);
    EXPECT_EQ(Feed(panel, {firmware.back()}), (Bytes{firmware.back(), 0x00}));
    EXPECT_EQ(panel.lastUpload().size(), 263u);
}

}  // namespace
}  // namespace kerma
