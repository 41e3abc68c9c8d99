#pragma once
// An editor with no window, shaped for a panel's version byte: how the checks and the
// command-line client see blocks and files as the editor would show them.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config_file.h"
#include "editor_rules.h"
#include "exchange.h"

namespace kerma {

// Notices are kept for whoever wants them; questions are answered No; no file is chosen.
class SilentPrompts : public Prompts {
  public:
    std::vector<std::string> notices;
    void notice(const std::string& text) override { notices.push_back(text); }
    bool question(const std::string&, const std::string&) override { return false; }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
};

using FieldValues = std::vector<std::pair<std::string, std::string>>;

// Every field the variant binds to its blocks as "name", "value" in a stable order, with the
// version byte and the code and key counts first; the enabled and visible flags only on request.
[[nodiscard]] FieldValues EditorFieldValues(const K740Editor& editor, int variant,
                                            bool withFlags = false);

struct HeadlessEditor {
    SilentPrompts prompts;
    std::unique_ptr<K740Editor> editor;
    CodecMemory image;
    std::shared_ptr<RuleState> rules;
    int variant = 0;

    // Shaped as identification shapes it for a panel of this version, with the field rules on.
    explicit HeadlessEditor(int versionByte);
    // The same, with the editor's notices and questions going to answer instead of prompts.
    HeadlessEditor(int versionByte, Prompts& answer);
    // The blocks as a read leaves them in the editor.
    void decode(const Block& settings, const Block& codes);
    [[nodiscard]] FieldValues fields() const { return EditorFieldValues(*editor, variant); }
};

// The file a save right after reading these blocks from a panel would write, or why there is none.
[[nodiscard]] Result<ConfigBlocks> SavedFileOfBlocks(const Block& settings, const Block& codes);

}  // namespace kerma
