// The search in the firmware base and the upload taken from the file found.
#include "firmware_file.h"

#include <gtest/gtest.h>

#include "firmware_test_support.h"

namespace kerma {
namespace {

struct NameCase {
    int variant;
    int type;
    const char* first;
    const char* last;
    size_t count;
};

class FirmwareNames : public testing::TestWithParam<NameCase> {};

TEST_P(FirmwareNames, AreTriedFromTheTopNumberDownToZero) {
    const NameCase& c = GetParam();
    const auto names = FirmwareCandidates(c.variant, c.type);
    ASSERT_EQ(names.size(), c.count);
    EXPECT_EQ(names.front(), c.first);
    EXPECT_EQ(names.back(), c.last);
    // No leading zeros: the number after 10 is 9, not 09.
    if (c.count > 10) {
        EXPECT_EQ(names[names.size() - 10], FirmwareFileName(c.variant, c.type, 9));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Search, FirmwareNames,
    testing::Values(NameCase{1, 10, "740-QNMcv1_55.tsk", "740-QNMcv1_0.tsk", 56},
                    NameCase{1, 9, "740-QNMv1_55.tsk", "740-QNMv1_0.tsk", 56},
                    NameCase{2, 9, "740-QNv2_55.tsk", "740-QNv2_0.tsk", 56},
                    NameCase{3, 10, "740-QNMcv3_9.tsk", "740-QNMcv3_0.tsk", 10},
                    NameCase{4, 9, "740-QNv4_9.tsk", "740-QNv4_0.tsk", 10},
                    NameCase{5, 9, "740-QNv5_9.tsk", "740-QNv5_0.tsk", 10}),
    [](const auto& info) {
        return "Variant" + std::to_string(info.param.variant) + "Type" +
               std::to_string(info.param.type);
    });

struct FileCase {
    const char* name;
    Bytes bytes;
    int variant;
    FirmwareFit fit;
    size_t uploadSize;
};

class FirmwareUpload : public testing::TestWithParam<FileCase> {};

TEST_P(FirmwareUpload, TakesExactlyTheBytesTheHeaderCounts) {
    const FileCase& c = GetParam();
    const auto check = CheckFirmwareUpload(c.bytes, c.variant);
    EXPECT_EQ(check.fit, c.fit);
    ASSERT_EQ(check.upload.size(), c.uploadSize);
    for (size_t i = 0; i < check.upload.size(); ++i) ASSERT_EQ(check.upload[i], c.bytes[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FirmwareUpload,
    testing::Values(
        FileCase{"Length0x0100Gives263", MakeFirmware(18, 0x0100), 1, FirmwareFit::Usable, 263},
        FileCase{"BytesAfterTheUploadStayHome", MakeFirmware(33, 0x0100, 50), 3,
                 FirmwareFit::Usable, 263},
        FileCase{"BigEndianLength", MakeFirmware(53, 0x0203), 5, FirmwareFit::Usable, 0x0203 + 7},
        FileCase{"HighVersionBytes", MakeFirmware(125, 8), 1, FirmwareFit::Usable, 15},
        FileCase{"EmptyBody", MakeFirmware(18, 0), 1, FirmwareFit::Usable, 7},
        FileCase{"OtherMajor", MakeFirmware(52, 16), 1, FirmwareFit::OtherVariant, 0},
        FileCase{"OtherMajorEvenWhenShort", {1, 2, 3, 52}, 1, FirmwareFit::OtherVariant, 0},
        FileCase{"OneByteShort", CutFirmware(MakeFirmware(18, 0x0100), 1), 1, FirmwareFit::Damaged,
                 0},
        FileCase{"HeaderCutAfterTheLength", {1, 2, 3, 18, 0, 0}, 1, FirmwareFit::Damaged, 0},
        FileCase{"NoVersionByte", {1, 2, 3}, 1, FirmwareFit::Damaged, 0},
        FileCase{"EmptyFile", {}, 1, FirmwareFit::Damaged, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindFirmware, TakesTheHighestNumberOfTheVariantAndPassesOverOtherVariants) {
    FirmwareBase base;
    base.put("740-QNMcv1_55.tsk", MakeFirmware(33, 16));  // variant 3 under a variant 1 name
    base.put("740-QNMcv1_54.tsk", MakeFirmware(17, 24));
    base.put("740-QNMcv1_53.tsk", MakeFirmware(18, 32));
    base.put("740-QNMv1_55.tsk", MakeFirmware(18, 40));  // type 9 file: not for this panel
    const auto choice = FindFirmware(1, 10, base.folder());
    ASSERT_TRUE(choice.ok()) << choice.error();
    EXPECT_EQ(choice->fileName, "740-QNMcv1_54.tsk");
    EXPECT_EQ(choice->upload.size(), 31u);
    EXPECT_EQ(choice->upload[3], 17);
}

TEST(FindFirmware, SearchesOnlyTheTenNumbersOfVariantFive) {
    FirmwareBase base;
    base.put("740-QNv5_10.tsk", MakeFirmware(53, 16));
    EXPECT_EQ(FindFirmware(5, 9, base.folder()).error(), kNoFirmwareMessage);
    base.put("740-QNv5_0.tsk", MakeFirmware(53, 16));
    EXPECT_EQ(FindFirmware(5, 9, base.folder())->fileName, "740-QNv5_0.tsk");
}

TEST(FindFirmware, NoFileAndOnlyOtherVariantsGiveTheSameMessage) {
    FirmwareBase base;
    EXPECT_EQ(FindFirmware(3, 9, base.folder()).error(), kNoFirmwareMessage);
    base.put("740-QNMv3_9.tsk", MakeFirmware(18, 16));
    base.put("740-QNMv3_2.tsk", MakeFirmware(52, 16));
    const auto choice = FindFirmware(3, 9, base.folder());
    ASSERT_FALSE(choice.ok());
    EXPECT_EQ(choice.error(), kNoFirmwareMessage);
    EXPECT_EQ(choice.failure().reason, "");
}

TEST(FindFirmware, MissingFolderAndAFolderUnderAFileNameAreNoFiles) {
    FirmwareBase base;
    std::filesystem::create_directory(base.folder() / "740-QNMv1_55.tsk");
    EXPECT_EQ(FindFirmware(1, 9, base.folder()).error(), kNoFirmwareMessage);
    EXPECT_EQ(FindFirmware(1, 9, base.folder() / "absent").error(), kNoFirmwareMessage);
}

// A truncated file of the variant stops the search with its name: falling back to an older file
// would load another firmware than the base says is current.
TEST(FindFirmware, DamagedFileOfTheVariantIsRefusedByName) {
    FirmwareBase base;
    Bytes cut = MakeFirmware(18, 0x0100);
    cut.resize(200);
    base.put("740-QNMv1_55.tsk", cut);
    base.put("740-QNMv1_54.tsk", MakeFirmware(18, 16));
    base.put("740-QNMv1_53.tsk", {0xE1, 0xE2});
    auto choice = FindFirmware(1, 9, base.folder());
    ASSERT_FALSE(choice.ok());
    EXPECT_EQ(choice.failure().reason, "");
    EXPECT_NE(choice.error().find("740-QNMv1_55.tsk"), std::string::npos);
    EXPECT_EQ(choice.error(),
              "Файл прошивки 740-QNMv1_55.tsk поврежден: в нем меньше байт, чем указано в "
              "заголовке. Обновите базу прошивок с сервера Volmar");
    std::filesystem::remove(base.folder() / "740-QNMv1_55.tsk");
    std::filesystem::remove(base.folder() / "740-QNMv1_54.tsk");
    choice = FindFirmware(1, 9, base.folder());
    EXPECT_EQ(choice.error(),
              "Файл прошивки 740-QNMv1_53.tsk поврежден: в нем нет заголовка. Обновите базу "
              "прошивок с сервера Volmar");
}

}  // namespace
}  // namespace kerma
