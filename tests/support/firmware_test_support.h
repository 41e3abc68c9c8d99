#pragma once
// Firmware files made up by the tests: a header with the version byte and the length, and a body
// of counting bytes. Never a real firmware.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_folder.h"

namespace kerma {

using Bytes = std::vector<uint8_t>;

// Bytes 0..2 and 6 are the panel's own; they get values a test can recognise on the line.
inline Bytes MakeFirmware(uint8_t version, uint16_t n, size_t extra = 0) {
    Bytes bytes{0xE1, 0xE2, 0xE3, version, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n),
                0xE6};
    for (size_t i = 0; i < n + extra; ++i) bytes.push_back(static_cast<uint8_t>(i * 7 + 1));
    return bytes;
}

// The file with its last count bytes cut off.
inline Bytes CutFirmware(Bytes bytes, size_t count) {
    bytes.resize(bytes.size() - count);
    return bytes;
}

// A fresh "Base" folder per test, removed afterwards.
class FirmwareBase {
  public:
    FirmwareBase() { std::filesystem::create_directories(folder_); }

    void put(const std::string& name, const Bytes& bytes) const {
        std::ofstream out(folder_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    [[nodiscard]] const std::filesystem::path& folder() const { return folder_; }

  private:
    test::TempDir dir_{"kerma_fw"};
    std::filesystem::path folder_ = dir_.path() / "Base";
};

}  // namespace kerma
