#pragma once
// An editor without a window: the prompts it speaks through, the image it decodes into and its
// field rules, as an editor window puts them together.
#include <memory>

#include "editor_rules.h"
#include "codec_memory.h"
#include "k740_editor.h"
#include "scripted_prompts.h"

namespace kerma::test {

struct RuledEditor {
    ScriptedPrompts prompts;
    K740Editor editor{prompts};
    CodecMemory image;
    std::shared_ptr<RuleState> rules = InstallRules(editor, image);
};

}  // namespace kerma::test
