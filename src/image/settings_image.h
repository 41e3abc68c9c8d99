#pragma once
// The settings block <-> the editor, for the variant the editor shows. Decoding sets every control the variant binds to the block
// and ends with the codes block; encoding builds a new block from the controls, starting from the
// last block decoded so that every cell no field covers goes back as it was read.
#include <string>

#include "codec_memory.h"
#include "k740_editor.h"
#include "result.h"

namespace kerma {

// Decodes a settings block (256 or 1024 cells; shorter blocks read as zeros beyond their end)
// into the editor, then the held codes block. Outside demo mode cell 1 becomes the held
// VersionByte. Repeated detector system numbers are cleared (one notice) in the copy kept.
void DecodeSettingsImage(K740Editor& editor, CodecMemory& image, const Block& settings);

// Builds a 1024-cell settings image of the current variant. Fails, building nothing, when the
// engineer password of variants 1, 2 and 3 does not hold four digits.
[[nodiscard]] Result<Block> EncodeSettingsImage(K740Editor& editor, CodecMemory& image);

}  // namespace kerma
