#pragma once
// The bytes of the panel's line protocol and the header of a firmware upload, as both ends of the
// line (the link and the virtual panel) read and write them.
#include <cstddef>
#include <cstdint>

namespace kerma::wire {

inline constexpr uint8_t kSync = 0x55;             // twice before a handshake, once before a command
inline constexpr uint8_t kHandshake = 0xAA;        // 55 55 AA AA asks for the panel's type
inline constexpr uint8_t kUploadHandshake = 0xA0;  // 55 55 A0 AA asks it to take firmware
inline constexpr uint8_t kDataLead = 0xAA;         // twice before a block's bytes
inline constexpr uint8_t kOk = 0x00;      // ready for a block, block taken, verdict accepted
inline constexpr uint8_t kReject = 0xFF;  // the tool's verdict on a block or answer it refuses
inline constexpr uint8_t kRefused = 0x01;  // the status a panel answers a block it does not take

// A firmware upload: byte 3 the version, bytes 4..5 the big-endian count N of body bytes after
// byte 6; N + 7 bytes in all.
inline constexpr size_t kFirmwareVersionByte = 3;
inline constexpr size_t kFirmwareLengthByte = 4;
inline constexpr size_t kFirmwareOverhead = 7;
inline constexpr size_t kFirmwareMaxUpload = 0xFFFF + kFirmwareOverhead;

// The whole size an upload's header announces; its first six bytes must be there.
template <class Bytes>
constexpr size_t FirmwareUploadSize(const Bytes& bytes) {
    return (static_cast<size_t>(bytes[kFirmwareLengthByte] & 0xFF) << 8) +
           static_cast<size_t>(bytes[kFirmwareLengthByte + 1] & 0xFF) + kFirmwareOverhead;
}

}  // namespace kerma::wire
