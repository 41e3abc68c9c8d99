#include "editor_session.h"

#include <QKeySequence>
#include <QShortcut>
#include <algorithm>

#include "codes_image.h"
#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "firmware_file.h"
#include "k740_form.h"
#include "report_file.h"
#include "settings_image.h"
#include "t_form_flash.h"

namespace kerma {
namespace {

constexpr const char* kEditorHelp = "Setka-740-v4_6-help.hlp";
constexpr const char* kReportFilter = "Отчёт HTML (*.html)|*.html|Документ PDF (*.pdf)|*.pdf";

int Percent(int done, int total) {
    return total > 0 ? done * 100 / total : -1;
}

}  // namespace

EditorSession::EditorSession(TK740Form& form, LinkDriver& driver, SessionContext context)
    : form_(form), driver_(driver), context_(std::move(context)) {
    rules_ = InstallRules(form_.editor(), image_);
    safety_ = std::make_unique<SafetyNet>(form_.editor(), image_);
    link_ = std::make_unique<EditorLink>(form_.editor(), driver_, linkHooks());
    flash_ = new TFormFlash(&form_);
    replacement_ =
        std::make_unique<FirmwareReplacement>(form_.editor(), driver_, *flash_, firmwareHooks());
    ticker_ = std::make_unique<FlashTicker>(*replacement_);
    wireButtons();
}

EditorSession::~EditorSession() {
    ticker_.reset();  // before the replacement it drives
}

void EditorSession::closing() {
    replacement_->cancel();
}

void EditorSession::takeLayout(std::optional<int32_t> layoutCode) {
    if (layoutCode) driver_.state().layoutCode = *layoutCode;
}

void EditorSession::startDemo() {
    takeLayout(StartDemo(form_.editor(), image_, context_.chosenVariant()));
    safety_->markClean();
}

bool EditorSession::saveToFile() {
    bool saved = false;
    takeLayout(SaveConfiguration(form_.editor(), image_, context_.chosenVariant(), &saved));
    if (saved) safety_->markClean();
    return saved;
}

bool EditorSession::mayDropEdits() {
    return safety_->mayDropEdits([this] { return saveToFile(); });
}

void EditorSession::saveReport() {
    K740Editor& editor = form_.editor();
    const int variant = EditorVariant(editor, context_.chosenVariant());
    if (editor.state().layoutVariant == 0 || !HasFactoryImage(variant)) {
        editor.prompts().notice("В редакторе нет конфигурации для отчёта.");
        return;
    }
    const auto path = editor.prompts().saveFile(FileDialogSpec{"html", kReportFilter});
    if (!path) return;
    ReportOptions options;
    options.date = FormatLocalTime(LocalTimeNow());
    const std::string error = WriteReport(*path, BuildConfigReport(editor, variant, options));
    if (!error.empty()) {
        editor.prompts().notice(error);
        return;
    }
    editor.setStatus(0, "Отчёт о конфигурации записан в файл");
}

void EditorSession::wireButtons() {
    K740Editor& editor = form_.editor();
    auto& hooks = form_.hooks;
    hooks.onWrite = [this] { link_->writeCommand(); };
    // A read replaces the editor's configuration as a file or the defaults do.
    hooks.onRead = [this] {
        if (mayDropEdits()) link_->readCommand();
    };
    hooks.onCancel = [this] {
        if (!mayDropEdits()) return;
        link_->disconnectCommand();
        safety_->connectionChanged();
    };
    hooks.onConnect = [this] {
        safety_->connectionChanged();
        link_->connectCommand();
    };
    hooks.onDefaults = [this, &editor] {
        if (!mayDropEdits()) return;
        takeLayout(LoadFactoryDefaults(editor, image_, context_.chosenVariant()));
        if (editor.status(0) == kDefaultsLoadedText) safety_->markClean();
    };
    hooks.onLoad = [this, &editor] {
        if (!mayDropEdits()) return;
        if (LoadConfiguration(editor, image_, context_.chosenVariant())) safety_->markClean();
    };
    hooks.onSave = [this] { (void)saveToFile(); };
    hooks.canClose = [this] { return mayDropEdits(); };
    auto* report = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &form_);
    QObject::connect(report, &QShortcut::activated, &form_, [this] { saveReport(); });
    hooks.onHelp = [this] {
        if (context_.showHelp) context_.showHelp(&form_, kEditorHelp);
    };
}

void EditorSession::decode(const Block& settings, const Block& codes) {
    K740Editor& editor = form_.editor();
    Cells& held = editor.state().codesImage;
    held.assign(static_cast<size_t>(kCodesCells), 0);
    std::copy_n(codes.begin(), std::min(codes.size(), held.size()), held.begin());
    DecodeSettingsImage(editor, image_, settings);
    safety_->configurationRead(settings, codes);
}

// New firmware: its factory configuration. Variant 3 takes the defaults twice around the commit
// of the detector system numbers, so the numbers the defaults set are the ones written.
void EditorSession::defaultsAfterReplace(int variant) {
    K740Editor& editor = form_.editor();
    (void)LoadFactoryDefaults(editor, image_, variant);
    if (variant == 3) {
        CheckSystemNumbersBeforeEncoding(editor, image_);
        (void)LoadFactoryDefaults(editor, image_, variant);
    }
}

EditorLinkHooks EditorSession::linkHooks() {
    EditorLinkHooks h;
    h.chosenVariant = [this] { return context_.chosenVariant(); };
    h.openAndHandshake = [this] { return context_.openAndHandshake(); };
    h.closeEditor = [this] { context_.closeEditor(); };
    h.editorOpen = [this] { return context_.editorOpen(); };
    h.replaceFirmware = [this](int variant) { replacement_->start(variant); };
    h.decode = [this](const Block& s, const Block& c) { decode(s, c); };
    h.encodeCodes = [this] { return EncodeCodesImage(form_.editor(), image_); };
    h.encodeSettings = [this](Block& settings) {
        EncodedImage built = EncodeSettingsImage(form_.editor(), image_);
        settings = std::move(built.cells);
        return built.error;
    };
    h.checksBeforeWrite = [this] { return ChecksBeforeWrite(form_.editor(), image_); };
    h.loadDefaultsAfterReplace = [this](int variant) { defaultsAfterReplace(variant); };
    h.chainProgress = [this](int done, int total) {
        form_.setTransferProgress(Percent(done, total));
    };
    h.uploadProgress = [this](int percent) { replacement_->progress(percent); };
    h.uploadFinished = [this] { replacement_->uploadFinished(); };
    h.outcomeSeen = [this](int32_t code) {
        if (code == LinkResult::BlockFailed) replacement_->uploadRefused();
        if (code == LinkResult::Written) safety_->written();
    };
    h.beforeWrite = [this](const Block& s, const Block& c) { safety_->beforeWrite(s, c); };
    // Read the panel first only when the replacement will go ahead: a firmware file is there and
    // the panel's own variant is one whose blocks are known.
    h.readBeforeReplace = [this](int panelVariant, int newVariant) {
        return HasFactoryImage(panelVariant) &&
               FindFirmware(newVariant, driver_.state().panelTypeCode, FirmwareFolder()).ok();
    };
    h.panelBeforeReplace = [this](const Block& s, const Block& c) {
        safety_->beforeFirmware(s, c);
    };
    // The replacement breaks the old link first and reconnects after that.
    h.reconnect = [this] { replacement_->reconnectRequested(); };
    return h;
}

FirmwareReplacementHooks EditorSession::firmwareHooks() {
    FirmwareReplacementHooks h;
    h.breakLink = [this] {
        link_->disconnectCommand();
        safety_->connectionChanged();
    };
    h.reconnect = [this] { link_->connectCommand(); };
    h.closeEditor = [this] { context_.closeEditor(); };
    h.setEditorEnabled = [this](bool on) { form_.setEnabled(on); };
    return h;
}

}  // namespace kerma
