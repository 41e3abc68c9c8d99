#pragma once
// An editor with its rules installed, a panel variant to follow and prompts that record every
// text shown ("caption|text" for questions) and answer from a script.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "k740_controls.h"
#include "ruled_editor.h"
#include "variant_versions.h"

namespace kerma::test {

class RulesTest : public ::testing::Test, protected RuledEditor {
  protected:
    FormModel& m = editor.model();

    // A connected panel of this variant, engineer passwords complete.
    void Variant(int variant) {
        editor.state().versionByte = kVersions[variant];
        editor.state().layoutVariant = variant;
        m.setText("PasswordEdit", "1234");
        m.setText("paswrd1", "1234");
        prompts.shown.clear();
    }

    // The user types into a field and leaves it.
    void Type(const std::string& field, const std::string& text) {
        m.enter(field);
        m.setText(field, text);
        m.exit(field);
    }

    void Answer(std::initializer_list<bool> answers) { prompts.answers.assign(answers); }
    std::vector<std::string> Shown() const { return prompts.shown; }
    const std::string& Text(const std::string& field) const { return m.at(field).text; }
    std::string Page() const { return m.activePage("PageControl"); }
};

}  // namespace kerma::test
