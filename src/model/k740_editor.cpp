#include "k740_editor.h"

#include "k740_controls.h"
#include "link_types.h"

namespace kerma {

K740Editor::K740Editor(Prompts& prompts, EditorOptions options) : prompts_(prompts) {
    BuildK740Controls(model_);
    ShowFamilyPanel(model_, options.qnFamily);
    state_.demoMode = options.demoMode;
}

void K740Editor::setStatus(int panel, std::string text) {
    model_.setCaption(panel == 0 ? kStatusPanel0 : kStatusPanel1, std::move(text));
}

const std::string& K740Editor::status(int panel) const {
    return model_.at(panel == 0 ? kStatusPanel0 : kStatusPanel1).caption;
}

void K740Editor::setVersion(int versionByte) {
    VersionInfo version = DecodeVersion(versionByte);
    state_.versionByte = versionByte;
    state_.versionText = version.text;
    state_.deviceCaption = DeviceCaption(version.text);
}

std::string DeviceCaption(const std::string& versionText) {
    return "ППКОП Kerma-740 версия v " + versionText;
}

}  // namespace kerma
