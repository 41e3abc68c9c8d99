#pragma once
// The editor state as plain text lines, for `kerma740-cli show` and for comparing editors in tests.
#include <string>
#include <vector>

#include "k740_editor.h"

namespace kerma {

// Controls the variant binds to its images, in a stable order.
[[nodiscard]] std::vector<std::string> VariantControlNames(int variant);

// One "name=value" line per control of the variant: texts as shown with their blanks, check
// boxes and radio buttons 0 or 1, lists as item index and item text, up-downs their position.
// "name.enabled=" and "name.visible=" lines follow a control whose flags differ from the designed
// window. The first lines give VersionByte, CodeCount and KeyCount.
[[nodiscard]] std::string DumpEditorState(const K740Editor& editor, int variant);

}  // namespace kerma
