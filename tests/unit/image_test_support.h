#pragma once
// An editor without a window for the image tests, and small builders of images.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "codec_memory.h"
#ifdef KERMA_IMAGE_WITH_RULES
#include "editor_rules.h"
#endif
#include "k740_editor.h"
#include "scripted_prompts.h"
#include "settings_image.h"
#include "variant_versions.h"

namespace kerma::testing {

struct ImageEditor {
    ScriptedPrompts prompts;
    K740Editor editor{prompts};
    CodecMemory image;
#ifdef KERMA_IMAGE_WITH_RULES
    std::shared_ptr<RuleState> rules = InstallRules(editor, image);
#endif

    FormModel& model() {
        return editor.model();
    }
    K740State& state() {
        return editor.state();
    }

    // Decodes a settings block with the given codes block held, as a read does.
    void read(const Block& settings, const Block& codes = Block(kCodesCells, 0xFF)) {
        state().codesImage = codes;
        DecodeSettingsImage(editor, image, settings);
    }
    Block write() {
        auto built = EncodeSettingsImage(editor, image);
        return built ? *built : Block{};
    }

    // A field as a case says it: "checked", "unchecked", "item 3", "text 16", "visible",
    // "hidden", "enabled" or "disabled".
    [[nodiscard]] std::string seen(const std::string& name, const std::string& as) {
        const Control& c = model().at(name);
        if (as.starts_with("item ")) return "item " + std::to_string(c.itemIndex);
        if (as.starts_with("text ")) return "text " + c.text;
        if (as.ends_with("checked")) return c.checked ? "checked" : "unchecked";
        if (as == "visible" || as == "hidden") return c.visible ? "visible" : "hidden";
        return c.enabled ? "enabled" : "disabled";
    }
    // The user sets a field: "checked", "item 2" or "text 5".
    void set(const std::string& name, const std::string& to) {
        if (to.starts_with("item "))
            model().setItemIndex(name, std::stoi(to.substr(5)));
        else if (to.starts_with("text "))
            model().setText(name, to.substr(5));
        else
            model().setChecked(name, to == "checked");
    }
};

using CellValues = std::vector<std::pair<int, int>>;
using FieldSays = std::vector<std::pair<std::string, std::string>>;

// A settings block of the variant with valid engineer digits 1234 and the given cells set.
inline Block SettingsOf(int version, const CellValues& cells = {}) {
    Block image(kSettingsCells, 0);
    image[1] = version;
    for (int i = 0; i < 4; ++i) image[2 + i] = 0x81 + i;
    for (auto [cell, value] : cells) image[cell] = value;
    return image;
}

using test::kV1;
using test::kV2;
using test::kV3;
using test::kV4;
using test::kV5;
using test::kVersions;

}  // namespace kerma::testing
