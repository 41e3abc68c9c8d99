#include "editor_rules.h"

#include "rule_helpers.h"

namespace kerma {

std::shared_ptr<RuleState> InstallRules(K740Editor& editor, ImageState& image) {
    auto context = std::make_shared<rules::RuleContext>(editor, image);
    rules::InstallPartitionRules(context);
    rules::InstallDetectorRules(context);
    rules::InstallNameRules(context);
    rules::InstallCodeKeyRules(context);
    rules::InstallObjectRules(context);
    rules::InstallPasswordRules(context);
    return {context, &image.objectCarry};
}

void CheckObjectsAfterDecoding(K740Editor& editor, ImageState& image) {
    rules::RuleContext context(editor, image);
    rules::CheckObjectsAfterDecoding(context);
}

void CheckSystemNumbersBeforeEncoding(K740Editor& editor, ImageState& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
}

// Everything that can refuse runs before the first block is built, so a refusal leaves the
// panel as it was.
bool ChecksBeforeWrite(K740Editor& editor, ImageState& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
    if (!rules::EngineerPasswordBeforeEncoding(context)) return false;
    if (!rules::CheckBindingsBeforeEncoding(context)) return false;
    switch (ShownVariant(editor.state())) {
        case 1:
        case 3:
            return CheckKeys(editor) && CheckCodes(editor);
        case 5:
            PruneCodes(editor);
            return true;
        default:
            return true;
    }
}

bool ChecksBeforeSave(K740Editor& editor, ImageState& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
    if (!rules::EngineerPasswordBeforeEncoding(context)) return false;
    if (ShownVariant(editor.state()) == 5) PruneCodes(editor);
    return true;
}

}  // namespace kerma
