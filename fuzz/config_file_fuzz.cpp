// Random configuration files into the editor's loader. Input: one byte choosing the variant and
// the mode, then either the raw file text, or (high bit set) edits of a well-formed file of that
// variant, three bytes each: a line number (two bytes) and the token that replaces the line.
// A find is a crash, a sanitizer report, a refused file that changed the editor or the held codes,
// or a loaded file whose saved form does not load back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "editor_files.h"
#include "editor_snapshot.h"
#include "factory_defaults.h"
#include "scripted_prompts.h"

namespace {

using namespace kerma;

constexpr int kVariants[] = {1, 3, 5};
const char* const kTokens[] = {"-1",   "",   " 1", "x",  "256", "-2", "99999999999", "\r",
                               "0x10", "18", "33", "53", "+1",  "1 ", "\t0",         "255"};

K740Editor& InDemo(K740Editor& editor, CodecMemory& image, int variant) {
    (void)StartDemo(editor, image, variant);
    return editor;
}

struct Session {
    ScriptedPrompts prompts;
    K740Editor editor;
    CodecMemory image;
    int variant;
    std::string good;  // a file of the variant as the editor writes it
    EditorSnapshot demo;

    explicit Session(int v)
        : editor(prompts, EditorOptions{v == 5, true}),
          variant(v),
          demo(InDemo(editor, image, v), image) {
        good = FormatConfigFile(FactoryConfiguration(variant));
    }
};

// One demo editor per variant for the whole run, put back as started before every input.
Session& SessionOf(int variant) {
    static Session one(1), three(3), five(5);
    return variant == 1 ? one : variant == 3 ? three : five;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Edited(const std::string& good, const uint8_t* data, size_t size) {
    std::vector<std::string> lines = SplitLines(good);
    for (size_t at = 0; at + 3 <= size; at += 3) {
        const size_t line = ((size_t{data[at]} << 8) | data[at + 1]) % lines.size();
        const uint8_t token = data[at + 2];
        lines[line] = token < 128 ? std::to_string(token * 2) : kTokens[token % std::size(kTokens)];
    }
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Session& s = SessionOf(kVariants[data[0] % std::size(kVariants)]);
    const std::string text = (data[0] & 0x80)
                                 ? Edited(s.good, data + 1, size - 1)
                                 : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
    s.demo.restore();
    const Block codesBefore = s.editor.state().codesImage;
    const Block settingsBefore = s.image.settingsCopy;
    s.prompts.shown.clear();
    if (!LoadConfigurationText(s.editor, s.image, s.variant, text)) {
        if (s.editor.state().codesImage != codesBefore || s.image.settingsCopy != settingsBefore)
            std::abort();
        return 0;
    }
    // One file per process: parallel fuzzing jobs must not save over each other.
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("kerma_config_fuzz_" + std::to_string(getpid()) + ".cfg"))
                                        .string();
    if (!SaveConfigurationTo(s.editor, s.image, s.variant, path)) return 0;  // no 4-digit password
    if (!LoadConfigurationFrom(s.editor, s.image, s.variant, path)) std::abort();
    return 0;
}
