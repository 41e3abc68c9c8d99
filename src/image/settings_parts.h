#pragma once
// The sections of the settings codec, one unit each: the receiver section of variants 1 and 3,
// and the layout of variant 5.
#include <string_view>

#include "codec_memory.h"
#include "k740_editor.h"

namespace kerma::image_detail {

// Clears every later repeat of a non-zero system number in cells 512..703; true when any was.
bool RepairSystemNumbers(Block& cells);
// RPDI fields, RpdiNumbers and the borders from a (repaired) variant 3 image.
void DecodeSystemNumbersAndBorders(FormModel& model, CodecMemory& image, const Block& cells);
// RPD fields of receivers 1..receivers; a binding above 16 shows as "0".
void DecodeBindings(FormModel& model, const Block& cells, int receivers);
// Bindings of receivers 1..receivers, and for four receivers the borders and system numbers.
void EncodeReceiverSection(const FormModel& model, const CodecMemory& image, Block& cells,
                           int receivers);
// Value of a two-place binding field: both digits, else the one digit there is, else 0.
[[nodiscard]] int BindingValue(std::string_view text);

void DecodeQnSettings(K740Editor& editor, CodecMemory& image, const Block& cells);
void EncodeQnSettings(K740Editor& editor, CodecMemory& image, Block& cells);

// The keyboard sound and the display backlight: a duration up-down and three mode buttons each
// (on, the second mode, off). The QN and QN-M pages name them differently.
struct DurationMode {
    const char* upDown;
    const char* on;
    const char* second;
    const char* off;
};
struct SoundAndBacklight {
    DurationMode sound, backlight;
};
void DecodeSoundAndBacklight(FormModel& model, const Block& cells, const SoundAndBacklight& c);
void EncodeSoundAndBacklight(const FormModel& model, Block& cells, const SoundAndBacklight& c);

// Sets CodeCount or KeyCount through its up-down and runs the count rule.
void ShowCodeCount(K740Editor& editor, int count);
void ShowKeyCount(K740Editor& editor, int count);

}  // namespace kerma::image_detail
