#pragma once
// The editor without its window: the named controls, the state beside them and the way to talk to
// the user. Rules, codecs, files and defaults take a K740Editor; TK740Form shows one.
#include <string>
#include <string_view>

#include "fields/window_fields.h"
#include "form_model.h"
#include "k740_state.h"
#include "prompts.h"

namespace kerma {

// Names of the two status bar panels, kept as labels under StatusBar1.
inline constexpr std::string_view kStatusPanel0 = fields::StatusPanel0;
inline constexpr std::string_view kStatusPanel1 = fields::StatusPanel1;

struct EditorOptions {
    // The main window's family switch: the QN family shows PanelQN over the partition page.
    bool qnFamily = false;
    bool demoMode = false;
};

// "ППКОП Kerma-740 версия v " + version text.
[[nodiscard]] std::string DeviceCaption(const std::string& versionText);

class K740Editor {
  public:
    // Builds every control in its designed state and runs the creation steps.
    K740Editor(Prompts& prompts, EditorOptions options = {});
    K740Editor(const K740Editor&) = delete;
    K740Editor& operator=(const K740Editor&) = delete;

    FormModel& model() { return model_; }
    const FormModel& model() const { return model_; }
    K740State& state() { return state_; }
    const K740State& state() const { return state_; }
    Prompts& prompts() { return prompts_; }

    // Status bar texts: panel 0 carries the link, panel 1 the mode.
    void setStatus(int panel, std::string text);
    [[nodiscard]] const std::string& status(int panel) const;

    // Remembers the version byte and derives the version text and device caption from it.
    void setVersion(int versionByte);

  private:
    FormModel model_;
    K740State state_;
    Prompts& prompts_;
};

}  // namespace kerma
