#pragma once
// Cell offsets of the settings block. Variants 1 and 3 share one layout (the receiver section
// included); variant 5 has its own; variant 2 uses the first cells of the shared one.
namespace kerma::settings_cell {

inline constexpr int kVersion = 1;
inline constexpr int kEngineerPassword = 2;  // 4 digit cells
inline constexpr int kEngineerDigits = 4;
inline constexpr int kExitTime = 8;
inline constexpr int kKeyCount = 9;
inline constexpr int kRelay1Bindings = 10;  // each partition bit set takes two cells
inline constexpr int kRelay2Bindings = 12;
inline constexpr int kFire = 14;
inline constexpr int kSilentAlarm = 16;
inline constexpr int kAutoArming = 18;
inline constexpr int kAllDay = 20;
inline constexpr int kRelayModes = 22;
inline constexpr int kCodeCount = 23;
inline constexpr int kZoneExclusion = 27;
inline constexpr int kEntryTime = 29;
inline constexpr int kKeySound = 30;
inline constexpr int kKeySoundTime = 31;
inline constexpr int kBacklight = 32;
inline constexpr int kBacklightTime = 33;
inline constexpr int kPollK782 = 34;
inline constexpr int kPasswordReset = 35;
inline constexpr int kStatusBits = 36;
inline constexpr int kStatusSpare = 37;
inline constexpr int kUserPassword = 40;  // 6 digit cells
inline constexpr int kUserDigits = 6;
inline constexpr int kExternalSoundTime = 46;
inline constexpr int kEmergency = 47;
inline constexpr int kBorders = 49;  // 8 cells, first and last partition of receivers 1..4
inline constexpr int kPollK781 = 60;
inline constexpr int kPartitionMemory = 63;
inline constexpr int kBindings = 64;            // 48 cells per receiver
inline constexpr int kNameChoice = 256;         // partition p in kNameChoice + p - 1
inline constexpr int kOwnNames = 272;           // 8 cells per partition
inline constexpr int kSystemNumberCells = 512;  // 192 cells

inline constexpr int kOwnNameChoice = 63;  // the choice stored for a name the user typed
inline constexpr int kPresetNames = 56;    // choices 0..55 name a preset

// Variant 5.
inline constexpr int kQnMarker = 256;
inline constexpr int kQnMarkerValue = 0x55;
inline constexpr int kQnLineSpeed = 257;
inline constexpr int kQnSpeed1200 = 0xFF;
inline constexpr int kQnSpeed4800 = 0x5A;
inline constexpr int kQnStatus = 258;  // 7 cells, 1 = alarm
inline constexpr int kQnStatusCells = 7;
inline constexpr int kQnDetectorBlock = 272;  // 96 cells
inline constexpr int kQnAdminPassword = 384;  // 6 digit cells
inline constexpr int kQnObjectTable = 512;    // 48 objects of two cells
inline constexpr int kQnTableObjects = 48;

}  // namespace kerma::settings_cell
