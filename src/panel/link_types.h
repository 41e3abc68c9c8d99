#pragma once
// What both ends of the line agree on: operations, outcome codes, layouts, versions. No
// threads, no port: the editor model uses these without the link.
#include <cstdint>
#include <string>

#include "panel_variant.h"

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
// The port failed under the exchange (adapter pulled, port gone): the link is broken as
// "Разорвать связь" breaks it, and the user is told the port has gone.
constexpr int32_t PortFailed = 14;
constexpr int32_t Linked = 18;
// Before the handshake the panel was still sending (the rest of a frame cut short), and the
// link waits for the line to fall quiet.
constexpr int32_t LineBusy = 19;
}  // namespace LinkResult

// Why an exchange failed, beyond its outcome code: the status bar and the client name it after
// the outcome's own text, so the installer knows what happened to the panel and what to check.
enum class LinkCause : uint8_t {
    None,
    NotReady,       // no ready byte after the command frame
    BlockCrc,       // a read block whose CRC did not match
    Refused,        // the panel answered a written block with a status other than 0x00
    NoStatus,       // no status after a written block
    EchoMismatch,   // an echo differed from the byte sent; the frame was spoiled on purpose
    UploadRefused,  // the panel did not take the firmware
    BrokeOff,       // the panel fell silent in the middle of a frame
    NoEcho,         // handshake: not one echo came back in all the tries
    EchoOnly,       // handshake: the echo came back, the answer never did
};

// One outcome as an exchange hands it to the program.
struct LinkOutcome {
    int32_t code = 0;
    int attempt = 0;  // the handshake try for Attempt
    LinkCause cause = LinkCause::None;
};

struct VersionInfo {
    int major = 0;
    int minor = 0;
    std::string text;  // "1.7", "1.25"
};
[[nodiscard]] VersionInfo DecodeVersion(int versionByte);

}  // namespace kerma
