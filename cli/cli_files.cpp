#include "cli_files.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "codes_image.h"
#include "editor_files.h"
#include "editor_rules.h"
#include "factory_defaults.h"
#include "factory_passwords.h"
#include "field_compare.h"
#include "headless_editor.h"
#include "link_types.h"
#include "settings_image.h"
#include "state_dump.h"

namespace kerma::cli {
namespace {

// Notices go to the error stream; a question is answered No, as nobody is there to answer it,
// and a question about a key or a code names the entry and what is wrong with it instead.
class StreamPrompts : public Prompts {
  public:
    explicit StreamPrompts(std::ostream& err) : err_(err) {}
    void notice(const std::string& text) override { err_ << text << "\n"; }
    bool question(const std::string& text, const std::string& caption) override {
        err_ << caption << ": " << text << "\n";
        return false;
    }
    bool entryQuestion(const EntryQuestion& q) override {
        err_ << q.subject << ": " << q.problem << ".\n";
        return false;
    }
    std::optional<std::string> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }

  private:
    std::ostream& err_;
};

// An editor connected, as it were, to a panel with this version byte, telling on err.
struct Session {
    StreamPrompts prompts;
    HeadlessEditor headless;
    K740Editor& editor;
    CodecMemory& image;
    int variant;

    Session(std::ostream& err, int versionByte)
        : prompts(err),
          headless(versionByte, prompts),
          editor(*headless.editor),
          image(headless.image),
          variant(headless.variant) {}
};

// The version line of a file, read through the editor's own file check.
Result<int> FileVersion(const std::string& path) {
    auto parsed = ReadConfigFile(path);
    if (!parsed) return Fail(path + ": " + parsed.error());
    const int version = parsed->settings[1];
    if (!HasFactoryConfiguration(VariantOfVersion(version))) {
        return Fail(path + ": версия ПО " + std::to_string(version) +
                    " не относится ни к одному типу системы.");
    }
    return version;
}

// A session holding the file, or nothing (the reason already on err): the file cannot be read or
// is no configuration file.
std::unique_ptr<Session> OpenFile(const std::string& path, std::ostream& err) {
    const auto version = FileVersion(path);
    if (!version) {
        err << version.error() << "\n";
        return nullptr;
    }
    auto session = std::make_unique<Session>(err, *version);
    if (!LoadConfigurationFrom(session->editor, session->image, session->variant, path))
        return nullptr;
    return session;
}

// "name=value" lines of the editor dump, in their order.
FieldValues Fields(const Session& s) {
    return EditorFieldValues(s.editor, s.variant, true);
}

int Usage(std::ostream& err, const char* line) {
    err << "Использование: kerma740-cli " << line << "\n";
    return kUnusable;
}

// What the program runs on "Записать в файл": the checks before a save (system numbers, the
// engineer password, in variant 5 the pruning of repeated codes), then the file.
bool SaveAsTheProgramDoes(Session& s, const std::string& path) {
    if (!ChecksBeforeSave(s.editor, s.image)) return false;
    return SaveConfigurationTo(s.editor, s.image, s.variant, path);
}

}  // namespace

int Resave(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() != 2) return Usage(err, "resave ВХОД.cfg ВЫХОД.cfg");
    auto session = OpenFile(args[0], err);
    if (!session) return kUnusable;
    if (!SaveAsTheProgramDoes(*session, args[1])) return kFailed;
    err << kFileSavedText << "\n";
    return kDone;
}

std::optional<ConfigBlocks> BlocksToWrite(const std::string& path, std::ostream& err) {
    auto session = OpenFile(path, err);
    if (!session) return std::nullopt;
    K740Editor& editor = session->editor;
    if (!ChecksBeforeWrite(editor, session->image)) return std::nullopt;
    Block codes = EncodeCodesImage(editor, session->image);
    auto settings = EncodeSettingsImage(editor, session->image);
    if (!settings) {
        err << settings.error() << "\n";
        return std::nullopt;
    }
    return ConfigBlocks{std::move(*settings), std::move(codes)};
}

bool SaveReadBlocks(const Block& settings, const Block& codes, const std::string& path,
                    std::ostream& err) {
    const int version = settings.size() > 1 ? settings[1] : 0;
    if (!HasFactoryConfiguration(VariantOfVersion(version))) {
        err << "Версия ПО прибора v " << DecodeVersion(version).text
            << " не относится ни к одному типу системы.\n";
        return false;
    }
    Session session(err, version);
    session.headless.decode(settings, codes);
    return SaveAsTheProgramDoes(session, path);
}

void WarnOfFactoryPasswords(const ConfigBlocks& blocks, std::ostream& err) {
    const int version = blocks.settings.size() > 1 ? blocks.settings[1] : 0;
    if (!HasFactoryConfiguration(VariantOfVersion(version))) return;
    HeadlessEditor headless(version);
    headless.decode(blocks.settings, blocks.codes);
    const std::string warning = FactoryPasswordWarning(*headless.editor, headless.variant);
    if (!warning.empty()) err << warning << "\n";
}

int Show(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return Usage(err, "show ФАЙЛ.cfg");
    auto session = OpenFile(args[0], err);
    if (!session) return kUnusable;
    out << DumpEditorState(session->editor, session->variant);
    const std::string warning = FactoryPasswordWarning(session->editor, session->variant);
    if (!warning.empty()) err << warning << "\n";
    return kDone;
}

int Diff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool secrets = false;
    for (const std::string& arg : args) {
        if (arg == "--secrets") {
            secrets = true;
        } else if (arg.rfind("--", 0) != 0) {
            files.push_back(arg);
        } else {
            files.clear();
            break;
        }
    }
    if (files.size() != 2) return Usage(err, kDiffUsage);
    auto a = OpenFile(files[0], err);
    auto b = a ? OpenFile(files[1], err) : nullptr;
    if (!a || !b) return kUnusable;
    const auto differences = CompareFields(Fields(*a), Fields(*b));
    for (const std::string& line : DifferenceLines(differences, secrets)) out << line << "\n";
    return differences.empty() ? kDone : kFailed;
}

int Defaults(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    const char* usage = "defaults --variant N --out ФАЙЛ.cfg   (N: 1..5)";
    std::map<std::string, std::string> options;
    for (size_t i = 0; i + 1 < args.size(); i += 2) options[args[i]] = args[i + 1];
    if (args.size() != 4 || options.size() != 2 || !options.count("--variant") ||
        !options.count("--out")) {
        return Usage(err, usage);
    }
    const std::string& text = options["--variant"];
    if (text.size() != 1 || !HasFactoryConfiguration(text[0] - '0')) return Usage(err, usage);
    Session session(err, FactoryVersionByte(text[0] - '0'));
    if (!LoadFactoryDefaults(session.editor, session.image, session.variant).loaded) return kFailed;
    if (!SaveAsTheProgramDoes(session, options["--out"])) return kFailed;
    err << kFileSavedText << "\n";
    return kDone;
}

}  // namespace kerma::cli
