#pragma once
// What the window tests wait for.
#include <string>

namespace kerma::test {

// Whether the editor's first status panel ends with the text (a read or write has finished).
template <typename Form>
bool StatusEnds(Form& form, const std::string& end) {
    return form.editor().status(0).ends_with(end);
}

}  // namespace kerma::test
