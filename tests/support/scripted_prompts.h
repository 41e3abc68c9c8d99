#pragma once
// Prompts for headless use: records every text shown, in order, and answers from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "prompts.h"

namespace kerma {

class ScriptedPrompts : public Prompts {
  public:
    // Everything shown: notices as the text, questions as "caption|text".
    std::vector<std::string> shown;
    // Answers to questions in order; when they run out, questions are answered with No.
    std::deque<bool> answers;
    // Answers to Yes/No/Cancel questions in order; when they run out, No.
    std::deque<Answer> choices;
    // Paths the file dialogs hand back; empty means the user cancels.
    std::deque<std::string> files;
    // Runs after each Yes/No question is answered: a test changes the panel at that moment.
    std::function<void()> afterQuestion;

    void notice(const std::string& text) override { shown.push_back(text); }
    bool question(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + "|" + text);
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        if (afterQuestion) afterQuestion();
        return answer;
    }
    Answer questionWithCancel(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + "|" + text);
        if (choices.empty()) return Answer::No;
        Answer answer = choices.front();
        choices.pop_front();
        return answer;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return nextFile(); }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return nextFile(); }

  private:
    std::optional<std::string> nextFile() {
        if (files.empty()) return std::nullopt;
        std::string path = files.front();
        files.pop_front();
        return path;
    }
};

}  // namespace kerma
