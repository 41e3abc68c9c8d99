#pragma once
// What both ends of the line agree on: operations, outcome codes, layouts, versions. No
// threads, no port: the editor model uses these without the link.
#include <cstdint>
#include <string>

namespace kerma {

// What one exchange thread does; the block operations' values are also the command byte.
enum class LinkOperation : int32_t {
    Handshake = 0,
    UploadHandshake = 1,
    FirmwareUpload = 2,
    ReadSettings = 0x91,
    WriteSettings = 0x92,
    ReadCodes = 0x93,
    WriteCodes = 0x94,
};

// Outcome codes an exchange hands to the user interface.
namespace LinkResult {
constexpr int32_t NoAnswer = 1;
constexpr int32_t WrongType = 2;
constexpr int32_t HandshakeCrc = 3;
constexpr int32_t BlockFailed = 4;  // block CRC, not ready, refused write, refused upload
constexpr int32_t TimeOut = 6;
constexpr int32_t Attempt = 7;
constexpr int32_t Written = 10;
constexpr int32_t Read = 11;
constexpr int32_t FirmwareLoaded = 12;
constexpr int32_t Stopped = 13;
// The port refused a write call in a block exchange (adapter pulled, port gone): the link is
// broken as "Разорвать связь" breaks it.
constexpr int32_t PortFailed = 14;
constexpr int32_t Linked = 18;
}  // namespace LinkResult

// LayoutCode values by situation.
namespace Layout {
constexpr int32_t Identify = 85;
constexpr int32_t QnmRegular = 99;
constexpr int32_t Wide = 102;
constexpr int32_t Small = 3;
}  // namespace Layout

constexpr int SettingsLength(int32_t layoutCode) {
    return (((layoutCode >> 5) & 7) + 1) * 256;
}
constexpr int CodesLength(int32_t layoutCode) {
    return ((layoutCode & 31) + 1) * 256;
}

// The variant a firmware version byte stands for (its major number for 11..254).
constexpr int VariantOfVersion(int v) {
    return (v >= 11 && v <= 99) ? v / 10 : v / 100;
}

// Regular LayoutCode of a variant.
constexpr int32_t RegularLayout(int variant) {
    switch (variant) {
        case 1:
        case 3:
            return Layout::QnmRegular;
        case 5:
            return Layout::Wide;
        default:
            return Layout::Small;
    }
}

struct VersionInfo {
    int major = 0;
    int minor = 0;
    std::string text;  // "1.7", "1.25"
};
[[nodiscard]] VersionInfo DecodeVersion(int versionByte);

}  // namespace kerma
