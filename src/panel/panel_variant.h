#pragma once
// What a Kerma-740 is, whatever its variant: the counts of its memory, the version cell, and one
// record per radio system variant. Everything that differs between variants is asked of the
// record; a variant number compared by hand is left only where a rule of that one variant stands.
#include <cstdint>
#include <vector>

namespace kerma {

// A memory block as it travels and as the codecs hold it: one element per block byte, 0..255.
using Block = std::vector<int32_t>;

inline constexpr int kVersionCell = 1;  // the firmware version byte, cell 1 of every settings block

// The version byte a settings block holds; 0 for a block too short to hold one.
[[nodiscard]] inline int VersionOfBlock(const Block& settings) {
    return settings.size() > kVersionCell ? settings[kVersionCell] & 0xFF : 0;
}

inline constexpr int kPartitions = 16;
inline constexpr int kReceivers = 4;              // the most receivers any variant has
inline constexpr int kDetectorsPerReceiver = 48;  // QN-M radio detectors
inline constexpr int kSystemNumbers = kReceivers * kDetectorsPerReceiver;
inline constexpr int kQnRows = 24;  // QN transmitters per receiver
inline constexpr int kQnLoops = 8;  // alarm loops per QN transmitter
inline constexpr int kQnTransmitters = kReceivers * kQnRows;
inline constexpr int kObjectLoops = kQnTransmitters * kQnLoops;
inline constexpr int kMaxCodes = 32;
inline constexpr int kMaxKeys = 96;

// LayoutCode values by situation; the code's bits size both blocks.
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

enum class RadioSystem : uint8_t {
    None,       // no variant: a version byte that names none
    QnM,        // QN-M receivers: partitions, detector bindings, keys
    Qn,         // QN receivers: transmitters with eight loops grouped into objects
    Expanders,  // Kerma-731/732 expanders: only the version cell is known
};

struct PanelVariant {
    int number = 0;
    RadioSystem radio = RadioSystem::None;
    // Variant 2 is decoded, encoded and defaulted in reduced form; variant 4 keeps only its
    // version cell.
    bool reduced = false;
    int receivers = 0;
    int detectorsPerReceiver = 0;  // QN-M detectors, or QN transmitters
    int keySlots = 0;              // Touch Memory keys the codes block holds
    bool codes = false;            // the codes block holds confirmation codes
    bool codeAuthorities = false;  // each code carries its partitions
    // The write after a firmware replacement sends the factory codes block whole.
    bool factoryCodesAfterReplace = false;
    int32_t layoutCode = Layout::Identify;  // the regular LayoutCode
    // The LayoutCode the factory defaults are prepared in after a firmware replacement.
    int32_t layoutAfterReplace = Layout::Identify;
    // The blocks on the line, which are also a configuration file's (a file of no known variant
    // keeps 1024 cells of each).
    int settingsCells = 0;
    int codesCells = 0;
    int demoVersion = 0;       // the version byte a demo of it shows; 0: no demo of its own
    int demoShows = 0;         // the variant a demo started for this choice shows
    const char* title = "";    // the system in the report's words
    const char* demoName = "";  // the system in the demo's status line
    const char* firmwarePrefix = "";  // of its firmware files' names
    int topFirmwareNumber = 0;        // the search for its firmware starts at this file number

    [[nodiscard]] bool known() const { return number != 0; }
};

// The record of a variant; for a number that is no variant, one whose known() is false.
[[nodiscard]] const PanelVariant& DescribeVariant(int number);

// The variant a firmware version byte stands for (its major number for 11..254).
constexpr int VariantOfVersion(int v) {
    return (v >= 11 && v <= 99) ? v / 10 : v / 100;
}

}  // namespace kerma
