#pragma once
// The editor as it stood once, put back before every fuzzer input. Building an editor costs far
// more than one input, but an editor kept from input to input would carry state over, and a find
// would then only show after the inputs that came before it. Putting every control and the state
// beside the controls back (without events, as no user could) makes each input start alike.
#include <cstdlib>
#include <string>
#include <vector>

#include "codec_memory.h"
#include "k740_editor.h"

namespace kerma {

class EditorSnapshot {
  public:
    EditorSnapshot(K740Editor& editor, CodecMemory& image)
        : editor_(editor),
          image_(image),
          state_(editor.state()),
          imageCopy_(image),
          focus_(editor.model().focus()) {
        for (const auto& control : editor.model().controls()) controls_.push_back(*control);
    }

    void restore() {
        const auto& controls = editor_.model().controls();
        if (controls.size() != controls_.size()) std::abort();  // controls added on the way
        for (size_t i = 0; i < controls.size(); ++i) *controls[i] = controls_[i];
        editor_.state() = state_;
        image_ = imageCopy_;
        // The codecs never move the focus; a focus that was nowhere has no name to go back to.
        if (!focus_.empty()) editor_.model().setFocus(focus_);
    }

  private:
    K740Editor& editor_;
    CodecMemory& image_;
    std::vector<Control> controls_;
    K740State state_;
    CodecMemory imageCopy_;
    std::string focus_;
};

}  // namespace kerma
