#include "headless_editor.h"

#include <algorithm>

#include "editor_files.h"
#include "settings_image.h"
#include "state_dump.h"
#include "variant_layout.h"

namespace kerma {
namespace {


bool IsFlagLine(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot != std::string::npos && (name.compare(dot, std::string::npos, ".enabled") == 0 ||
                                        name.compare(dot, std::string::npos, ".visible") == 0);
}

}  // namespace

FieldValues EditorFieldValues(const K740Editor& editor, int variant, bool withFlags) {
    FieldValues fields;
    const std::string dump = DumpEditorState(editor, variant);
    size_t start = 0;
    while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        const std::string line = dump.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos && (withFlags || !IsFlagLine(line.substr(0, eq))))
            fields.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        start = end + 1;
    }
    return fields;
}

HeadlessEditor::HeadlessEditor(int versionByte) : HeadlessEditor(versionByte, prompts) {}

HeadlessEditor::HeadlessEditor(int versionByte, Prompts& answer) {
    variant = VariantOfVersion(versionByte);
    EditorOptions options;
    options.qnFamily = DescribeVariant(variant).radio == RadioSystem::Qn;
    editor = std::make_unique<K740Editor>(answer, options);
    // The field rules run as in the program: decoding a file raises their events too.
    rules = InstallRules(*editor, image);
    editor->setVersion(versionByte);
    (void)ApplyVariantLayout(*editor, variant, DecodeVersion(versionByte).minor, false);
}

void HeadlessEditor::decode(const Block& settings, const Block& codes) {
    Block& held = editor->state().codesImage;
    held.assign(static_cast<size_t>(kCodesCells), 0);
    std::copy_n(codes.begin(), std::min(codes.size(), held.size()), held.begin());
    DecodeSettingsImage(*editor, image, settings);
}

Result<ConfigBlocks> SavedFileOfBlocks(const Block& settings, const Block& codes) {
    const int version = VersionOfBlock(settings);
    HeadlessEditor headless(version);
    headless.decode(settings, codes);
    return BuildConfigImage(*headless.editor, headless.image, headless.variant);
}

}  // namespace kerma
