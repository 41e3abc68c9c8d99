#pragma once
// How the core talks to the user. The window layer shows dialogs; tests script the answers and
// record every text in order.
#include <optional>
#include <string>
#include <utility>

namespace kerma {

// The file dialogs of the editor's commands. A dialog opens where the last one of its kind was
// left in this run, the first one in the user's documents; a report opens beside the
// configuration file last saved or loaded.
enum class FileDialogKind { Other, SaveConfiguration, LoadConfiguration, Report, Compare };

struct FileDialogRequest {
    std::string defaultExtension = "cfg";
    std::string filter = "Файлы конфигурации (*.cfg)|*.cfg|Все файлы|*.*";
    // A save dialog whose types are formats (the report): the name gets the extension of the type
    // chosen, whatever the user typed.
    bool typeGivesExtension = false;
    FileDialogKind kind = FileDialogKind::Other;
    std::string caption;        // the command the dialog serves; "" for the toolkit's own title
    std::string suggestedName;  // the name offered, without the type's extension
};

// The dialog of a command that opens or saves a configuration file.
[[nodiscard]] inline FileDialogRequest CommandDialog(FileDialogKind kind, std::string caption) {
    FileDialogRequest request;
    request.kind = kind;
    request.caption = std::move(caption);
    return request;
}

// A question about one entry of a list (a key, a code) in the checks before a write.
struct EntryQuestion {
    std::string subject;  // the entry: "Ключ ТМ 5"
    std::string problem;  // what is wrong with it: "идентификатор без полномочий"
    std::string text;     // the question as the window asks it, and its caption
    std::string caption;
};

// The three answers of a question that may also be withdrawn.
enum class Answer { Yes, No, Cancel };

class Prompts {
  public:
    virtual ~Prompts() = default;
    // A modal notice with one OK button.
    virtual void notice(const std::string& text) = 0;
    // A Yes/No question with its own window caption. True for Yes.
    virtual bool question(const std::string& text, const std::string& caption) = 0;
    // A Yes/No/Cancel question with its own caption. Where nobody can withdraw a command, it is
    // the Yes/No question.
    virtual Answer questionWithCancel(const std::string& text, const std::string& caption) {
        return question(text, caption) ? Answer::Yes : Answer::No;
    }
    // The window asks it as it asks any question; where nobody is there to answer, the entry is
    // named with its problem and the answer is No.
    virtual bool entryQuestion(const EntryQuestion& q) { return question(q.text, q.caption); }
    // File dialogs; nullopt when the user cancels.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
};

}  // namespace kerma
