#pragma once
// What the image codecs remember between a decoding and the next encoding, beside the controls:
// the last settings image, the arrays the detector and object rules keep, the factory copies.
// Zero when the editor is created.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "panel_variant.h"

namespace kerma {

inline constexpr int kSettingsCells = 1024;      // buffer of every settings image
inline constexpr int kSmallSettingsCells = 256;  // variants 2 and 4 on the line
inline constexpr int kCodesCells = 2048;         // buffer of every codes image
inline constexpr int kQnCodesCells = 1792;       // variant 5 on the line
inline constexpr int kQnmCodesCells = 1024;      // variants 1 to 4 on the line

inline constexpr int kOwnNameLength = 8;

// An own partition name as the last decoding found it. Encoding writes the stored bytes back
// while the text is unchanged, so bytes that no text encodes to survive a read and a write.
struct OwnNameMemo {
    bool valid = false;
    std::string text;
    std::array<uint8_t, kOwnNameLength> codes{};
};

// What the object rules carry from one object field to the next, for the life of the editor.
// Kept here because a decoding runs the object rule too.
struct ObjectCarry {
    int objectValueOnEntry = 0;  // ObjectValueOnEntry
    int lastObjectValue = 0;     // LastObjectValue
    int lastObjectTag = 0;       // LastObjectTag
};

struct CodecMemory {
    // The last settings image decoded (after its repairs); the starting point of every encoding,
    // so cells no field covers go back as read. Variant 5 calls it QnImageCopy.
    Block settingsCopy = Block(kSettingsCells, 0);

    // System numbers of the 192 QN-M detectors, receiver-major (variant 3).
    std::array<int, kSystemNumbers> rpdiNumbers{};
    // Object number per alarm loop, index 192 (r-1) + 8 (t-1) + (s-1) (variant 5).
    std::array<int, kObjectLoops> objectAssignments{};
    // Per QN transmitter the loops whose object number changed (variant 5).
    std::array<int, kQnTransmitters> qnDetectorBlock{};
    ObjectCarry objectCarry;

    // The settings part of the factory image last taken, and the codes of variant 5's; a write
    // after a firmware replacement sends them (DefaultsAfterReplace). Empty until defaults.
    Block factorySettings;
    Block factoryCodesCopy;

    std::array<OwnNameMemo, kPartitions> ownNames{};
};

}  // namespace kerma
