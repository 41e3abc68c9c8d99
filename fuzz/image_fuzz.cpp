// Random settings and codes blocks into the decoders, and the images built from them back again.
// Input: one byte choosing the variant, then settings cells, then codes cells (missing cells 0).
// A find is a crash, a sanitizer report, or a second round that changes an image: what a read
// followed by a write sends must already be in the form the codecs write.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codes_image.h"
#include "editor_snapshot.h"
#include "codec_memory.h"
#include "k740_editor.h"
#include "scripted_prompts.h"
#include "settings_image.h"

namespace {

using namespace kerma;

constexpr int kVersions[] = {18, 25, 33, 41, 53, 0, 255};

struct Images {
    Block settings, codes;
    bool built = false;
};

Images Round(K740Editor& editor, CodecMemory& image, const Block& settings, const Block& codes) {
    editor.state().codesImage = codes;
    DecodeSettingsImage(editor, image, settings);
    Images out;
    out.codes = EncodeCodesImage(editor, image);
    auto built = EncodeSettingsImage(editor, image);
    out.built = built.ok();
    if (built) out.settings = std::move(*built);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One editor for the whole run, put back as built before every input.
    static ScriptedPrompts prompts;
    static K740Editor editor(prompts);
    static CodecMemory image;
    static EditorSnapshot built(editor, image);
    if (size == 0) return 0;
    built.restore();
    prompts.shown.clear();
    Block settings(kSettingsCells, 0), codes(kCodesCells, 0);
    size_t at = 1;
    for (int& cell : settings) cell = at < size ? data[at++] : 0;
    for (int& cell : codes) cell = at < size ? data[at++] : 0;
    settings[1] = kVersions[data[0] % std::size(kVersions)];
    if (data[0] & 0x80) settings[2] = settings[3] = settings[4] = settings[5] = 0x81;

    Images first = Round(editor, image, settings, codes);
    if (!first.built) return 0;  // the engineer password held no four digits
    Images second = Round(editor, image, first.settings, first.codes);
    if (!second.built || second.settings != first.settings || second.codes != first.codes) {
        std::abort();
    }
    return 0;
}
