#pragma once
// Firmware files of the local base: their names, the search for the file of a variant, and the
// upload taken from it. No Qt: the window layer only shows the messages.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "exchange.h"
#include "result.h"

namespace kerma {

inline constexpr const char* kNoFirmwareMessage =
    "В базе нет прошивки данной конфигурации. Обновите базу прошивок с сервера Volmar";

// "740-QNMv1_55.tsk", "740-QNcv5_0.tsk": the family prefix, "cv" for a panel of type 10 and "v"
// otherwise, the variant and the file number.
[[nodiscard]] std::string FirmwareFileName(int variant, int panelTypeCode, int fileNumber);

// The highest file number the search starts from.
[[nodiscard]] int TopFirmwareNumber(int variant);

// The names in the order they are tried, highest number first.
[[nodiscard]] std::vector<std::string> FirmwareCandidates(int variant, int panelTypeCode);

// "Base" under the working directory.
[[nodiscard]] std::filesystem::path FirmwareFolder();

// What one file's bytes are worth for a variant.
enum class FirmwareFit {
    Usable,        // this variant's firmware, whole
    OtherVariant,  // the version byte names another variant
    Damaged,       // too short for its header, or shorter than its header says
};

struct FirmwareUploadCheck {
    FirmwareFit fit = FirmwareFit::Damaged;
    Block upload;  // Usable: the N + 7 bytes to send, one element per byte
};

[[nodiscard]] FirmwareUploadCheck CheckFirmwareUpload(std::span<const uint8_t> bytes, int variant);

// The file the search found, ready to send.
struct FirmwareChoice {
    std::string fileName;
    Block upload;
};

// Tries the candidates from the top number down. A file of another variant is passed over; the
// first file of this variant is the one, and if it is damaged nothing is sent: the failure names
// it.
[[nodiscard]] Result<FirmwareChoice> FindFirmware(int variant, int panelTypeCode,
                                                  const std::filesystem::path& folder);

}  // namespace kerma
