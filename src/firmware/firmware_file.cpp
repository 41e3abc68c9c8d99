#include "firmware_file.h"

#include <fstream>
#include <optional>
#include <system_error>

#include "link_types.h"
#include "panel_wire.h"

namespace kerma {
namespace {

constexpr int kTypeWithC = 10;  // panels of type 10 take the "cv" files

std::string DamagedMessage(const std::string& name, const char* why) {
    return "Файл прошивки " + name + " поврежден: " + why +
           ". Обновите базу прошивок с сервера Volmar";
}

// Nothing beyond the largest upload is ever sent, so nothing beyond it is read. nullopt: the file
// is not there to be read (missing, a folder, no right to read it).
std::optional<std::vector<uint8_t>> ReadFirmwareBytes(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<uint8_t> bytes(wire::kFirmwareMaxUpload);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

}  // namespace

std::string FirmwareFileName(int variant, int panelTypeCode, int fileNumber) {
    const char* prefix = DescribeVariant(variant).firmwarePrefix;
    const char* kind = panelTypeCode == kTypeWithC ? "cv" : "v";
    return std::string(prefix) + kind + std::to_string(variant) + "_" + std::to_string(fileNumber) +
           ".tsk";
}

int TopFirmwareNumber(int variant) {
    return DescribeVariant(variant).topFirmwareNumber;
}

std::vector<std::string> FirmwareCandidates(int variant, int panelTypeCode) {
    std::vector<std::string> names;
    for (int f = TopFirmwareNumber(variant); f >= 0; --f)
        names.push_back(FirmwareFileName(variant, panelTypeCode, f));
    return names;
}

std::filesystem::path FirmwareFolder() {
    std::error_code error;
    return std::filesystem::current_path(error) / "Base";
}

FirmwareUploadCheck CheckFirmwareUpload(std::span<const uint8_t> bytes, int variant) {
    FirmwareUploadCheck check;
    if (bytes.size() > wire::kFirmwareVersionByte &&
        VariantOfVersion(bytes[wire::kFirmwareVersionByte]) != variant) {
        check.fit = FirmwareFit::OtherVariant;
        return check;
    }
    if (bytes.size() < wire::kFirmwareOverhead) return check;
    const size_t size = wire::FirmwareUploadSize(bytes);
    if (bytes.size() < size) return check;
    check.fit = FirmwareFit::Usable;
    check.upload.assign(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
    return check;
}

Result<FirmwareChoice> FindFirmware(int variant, int panelTypeCode,
                                    const std::filesystem::path& folder) {
    for (const std::string& name : FirmwareCandidates(variant, panelTypeCode)) {
        const auto bytes = ReadFirmwareBytes(folder / name);
        if (!bytes) continue;
        FirmwareUploadCheck check = CheckFirmwareUpload(*bytes, variant);
        if (check.fit == FirmwareFit::OtherVariant) continue;
        if (check.fit == FirmwareFit::Damaged) {
            const char* why = bytes->size() < wire::kFirmwareOverhead
                                  ? "в нем нет заголовка"
                                  : "в нем меньше байт, чем указано в заголовке";
            return Fail(DamagedMessage(name, why));
        }
        return FirmwareChoice{name, std::move(check.upload)};
    }
    return Fail(kNoFirmwareMessage);
}

}  // namespace kerma
