#pragma once
// The rules of the editor's fields: what each control does when it changes, is clicked, entered
// or left, and the checks that run over whole lists before a write to the panel or a file save.
#include <memory>
#include <string_view>

#include "codec_memory.h"
#include "k740_editor.h"

namespace kerma {

// What the object rules carry from one object field to the next (kept in the image state).
using RuleState = ObjectCarry;

// Attaches every field rule to the editor's controls. The rules keep the detector system numbers,
// the object assignments and the changed-loop blocks in `image`, which must live as long as the
// editor. The returned state is the image state's object carry-over; install the rules once per
// editor.
std::shared_ptr<RuleState> InstallRules(K740Editor& editor, CodecMemory& image);

// Checks before the configuration goes to the panel: true lets the write start, false refuses it
// (the user has been told why, nothing may be sent).
[[nodiscard]] bool ChecksBeforeWrite(K740Editor& editor, CodecMemory& image);
// Checks before the save dialog opens: false refuses the save.
[[nodiscard]] bool ChecksBeforeSave(K740Editor& editor, CodecMemory& image);

// The system-number check with RPDI11 as the edited field: repairs repeated and out-of-range
// numbers and refreshes RpdiNumbers. Runs before every encoding of the settings block, also
// after the factory defaults that follow a firmware replacement.
void CheckSystemNumbersBeforeEncoding(K740Editor& editor, CodecMemory& image);


// The code and key counts: entries 1..count in use, the others emptied and disabled with their
// 16 authority boxes unchecked and disabled. The key count also shows the key sub-pages it
// needs. The field rules, the decodings and the defaults all set the counts through these.
void ApplyCodeCount(FormModel& model, K740State& state, int count);
void ApplyKeyCount(FormModel& model, K740State& state, int count);
// One code or key in use or out of use, as a count sets it.
void SetCodeInUse(FormModel& model, int n, bool inUse);
void SetKeyInUse(FormModel& model, int n, bool inUse);

// A duration edit is enabled only where its mode uses it (sound not off, backlight automatic).
void ApplyDurationEnableRules(FormModel& model);

// The list checks; true lets the list go to the panel, false refuses it (the user has been told).
[[nodiscard]] bool CheckKeys(K740Editor& editor);
[[nodiscard]] bool CheckCodes(K740Editor& editor);
// Variant 5: empties repeated codes and trims CodeCount to the last code in use. Never refuses.
void PruneCodes(K740Editor& editor);

// The object rule a decoding of the four-receiver QN block ends with, as if Object11 had just
// been left: empty object fields become "0 ", repeated objects are reported and the
// assignments follow the fields. Nothing is marked as changed.
void CheckObjectsAfterDecoding(K740Editor& editor, CodecMemory& image);

}  // namespace kerma
