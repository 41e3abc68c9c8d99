#include "editor_rules.h"

#include "rule_helpers.h"

namespace kerma {

std::shared_ptr<RuleState> InstallRules(K740Editor& editor, CodecMemory& image) {
    auto context = std::make_shared<rules::RuleContext>(editor, image);
    rules::InstallPartitionRules(context);
    rules::InstallDetectorRules(context);
    rules::InstallNameRules(context);
    rules::InstallCodeKeyRules(context);
    rules::InstallObjectRules(context);
    rules::InstallPasswordRules(context);
    return {context, &image.objectCarry};
}

void CheckObjectsAfterDecoding(K740Editor& editor, CodecMemory& image) {
    rules::RuleContext context(editor, image);
    rules::CheckObjectsAfterDecoding(context);
}

void CheckSystemNumbersBeforeEncoding(K740Editor& editor, CodecMemory& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
}

namespace {

// The four-receiver QN block keeps its codes without authorities, and a repeat is dropped.
bool PrunesCodes(const PanelVariant& variant) {
    return variant.codes && !variant.codeAuthorities;
}

}  // namespace

// Everything that can refuse runs before the first block is built, so a refusal leaves the
// panel as it was.
bool ChecksBeforeWrite(K740Editor& editor, CodecMemory& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
    if (!rules::EngineerPasswordBeforeEncoding(context)) return false;
    if (!rules::CheckBindingsBeforeEncoding(context)) return false;
    const PanelVariant& variant = DescribeVariant(ShownVariant(editor.state()));
    if (variant.radio == RadioSystem::QnM) return CheckKeys(editor) && CheckCodes(editor);
    if (PrunesCodes(variant)) PruneCodes(editor);
    return true;
}

bool ChecksBeforeSave(K740Editor& editor, CodecMemory& image) {
    rules::RuleContext context(editor, image);
    rules::CheckSystemNumbersBeforeEncoding(context);
    if (!rules::EngineerPasswordBeforeEncoding(context)) return false;
    if (PrunesCodes(DescribeVariant(ShownVariant(editor.state())))) PruneCodes(editor);
    return true;
}

}  // namespace kerma
