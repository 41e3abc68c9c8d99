#include "editor_session.h"

#include <algorithm>

#include "codes_image.h"
#include "config_report.h"
#include "editor_files.h"
#include "factory_defaults.h"
#include "field_compare.h"
#include "firmware_file.h"
#include "report_file.h"
#include "settings_image.h"

namespace kerma {
namespace {

constexpr const char* kBreakWriteQuestion =
    "Идёт запись в прибор. Если прервать её, в приборе может остаться неполная конфигурация. "
    "Прервать запись?";
constexpr const char* kBreakWriteCaption = "Подтверждение";
constexpr const char* kReportFilter = "Отчёт HTML (*.html)|*.html|Документ PDF (*.pdf)|*.pdf";

int Percent(int done, int total) {
    return total > 0 ? done * 100 / total : -1;
}

}  // namespace

EditorSession::EditorSession(K740Editor& editor, LinkDriver& driver, SessionWindow& window,
                             FlashView& flash, std::filesystem::path firmwareFolder)
    : editor_(editor),
      driver_(driver),
      window_(window),
      firmwareFolder_(std::move(firmwareFolder)) {
    rules_ = InstallRules(editor_, image_);
    safety_ = std::make_unique<SafetyNet>(editor_, image_);
    link_ = std::make_unique<EditorLink>(editor_, driver_, linkHooks());
    replacement_ = std::make_unique<FirmwareReplacement>(editor_, driver_, flash, firmwareHooks());
    replacement_->setTickScheduler([this](int ms) { window_.scheduleFirmwareTicks(ms); });
}

EditorSession::~EditorSession() {
    window_.scheduleFirmwareTicks(0);
}

void EditorSession::closing() {
    replacement_->cancel();
}

void EditorSession::takeLayout(std::optional<int32_t> layoutCode) {
    if (layoutCode) driver_.state().layoutCode = *layoutCode;
}

void EditorSession::startDemo() {
    takeLayout(StartDemo(editor_, image_, window_.chosenVariant()));
    safety_->markClean();
}

bool EditorSession::saveCommand() {
    bool saved = false;
    takeLayout(SaveConfiguration(editor_, image_, window_.chosenVariant(), &saved));
    if (saved) safety_->markClean();
    return saved;
}

bool EditorSession::mayDropEdits() {
    return safety_->mayDropEdits([this] { return saveCommand(); });
}

// A write or an upload belongs to the panel: it ends early only when the user says so. A read
// changes nothing in the panel and ends without a question.
bool EditorSession::mayBreakExchange() {
    using Stage = FirmwareReplacement::Stage;
    const Stage stage = replacement_->stage();
    const bool uploading = stage == Stage::Uploading || stage == Stage::AwaitingVerdict;
    if (!link_->writing() && !uploading) return true;
    return editor_.prompts().question(kBreakWriteQuestion, kBreakWriteCaption);
}

bool EditorSession::canClose() {
    if (!mayBreakExchange() || !mayDropEdits()) return false;
    // The question may have outlasted the write; what still runs stops before the window goes.
    if (link_->writing()) link_->breakOffWrite();
    return true;
}

void EditorSession::saveReport() {
    const int variant = EditorVariant(editor_, window_.chosenVariant());
    if (editor_.state().layoutVariant == 0 || !HasFactoryImage(variant)) {
        editor_.prompts().notice("В редакторе нет конфигурации для отчёта.");
        return;
    }
    const auto path = editor_.prompts().saveFile(FileDialogRequest{"html", kReportFilter, true});
    if (!path) return;
    ReportOptions options;
    options.date = FormatLocalTime(LocalTimeNow());
    const std::string error = WriteReport(*path, BuildConfigReport(editor_, variant, options));
    if (!error.empty()) {
        editor_.setStatus(0, "Отчёт о конфигурации не записан");
        editor_.prompts().notice(error);
        return;
    }
    editor_.setStatus(0, "Отчёт о конфигурации записан в файл");
}

std::optional<std::string> EditorSession::compareWithFile() {
    const int variant = EditorVariant(editor_, window_.chosenVariant());
    if (editor_.state().layoutVariant == 0 || !HasFactoryImage(variant)) {
        editor_.prompts().notice("В редакторе нет конфигурации для сравнения.");
        return std::nullopt;
    }
    const auto path = editor_.prompts().openFile(FileDialogRequest{});
    if (!path) return std::nullopt;
    const FileComparison comparison = CompareWithFile(editor_, variant, *path);
    if (!comparison.error.empty()) {
        editor_.prompts().notice(comparison.error);
        return std::nullopt;
    }
    return ComparisonText(comparison);
}

void EditorSession::writeCommand() {
    link_->writeCommand();
}

// A read replaces the editor's configuration as a file or the defaults do.
void EditorSession::readCommand() {
    if (mayDropEdits()) link_->readCommand();
}

void EditorSession::cancelCommand() {
    if (!mayBreakExchange() || !mayDropEdits()) return;
    link_->disconnectCommand();
    safety_->connectionChanged();
}

void EditorSession::connectCommand() {
    safety_->connectionChanged();
    link_->connectCommand();
}

// Nothing replaces what the editor shows while an exchange is working on it.
bool EditorSession::exchangeRunning() const {
    return link_->chainRunning() || replacingFirmware();
}

void EditorSession::defaultsCommand() {
    if (exchangeRunning() || !mayDropEdits()) return;
    takeLayout(LoadFactoryDefaults(editor_, image_, window_.chosenVariant()));
    if (editor_.status(0) == kDefaultsLoadedText) safety_->markClean();
}

void EditorSession::loadCommand() {
    if (exchangeRunning() || !mayDropEdits()) return;
    if (LoadConfiguration(editor_, image_, window_.chosenVariant())) safety_->markClean();
}

void EditorSession::decode(const Block& settings, const Block& codes) {
    Cells& held = editor_.state().codesImage;
    held.assign(static_cast<size_t>(kCodesCells), 0);
    std::copy_n(codes.begin(), std::min(codes.size(), held.size()), held.begin());
    DecodeSettingsImage(editor_, image_, settings);
    safety_->configurationRead(settings, codes);
}

// New firmware: its factory configuration. Variant 3 takes the defaults twice around the commit
// of the detector system numbers, so the numbers the defaults set are the ones written.
void EditorSession::defaultsAfterReplace(int variant) {
    (void)LoadFactoryDefaults(editor_, image_, variant);
    if (variant == 3) {
        CheckSystemNumbersBeforeEncoding(editor_, image_);
        (void)LoadFactoryDefaults(editor_, image_, variant);
    }
}

EditorLinkHooks EditorSession::linkHooks() {
    EditorLinkHooks h;
    h.chosenVariant = [this] { return window_.chosenVariant(); };
    h.openAndHandshake = [this] { return window_.openAndHandshake(); };
    h.closeEditor = [this] { window_.closeEditor(); };
    h.editorOpen = [this] { return window_.editorOpen(); };
    h.replaceFirmware = [this](int variant) { replacement_->start(variant); };
    h.decode = [this](const Block& s, const Block& c) { decode(s, c); };
    h.encodeCodes = [this] { return EncodeCodesImage(editor_, image_); };
    h.encodeSettings = [this](Block& settings) {
        EncodedImage built = EncodeSettingsImage(editor_, image_);
        settings = std::move(built.cells);
        return built.error;
    };
    h.checksBeforeWrite = [this] { return ChecksBeforeWrite(editor_, image_); };
    h.loadDefaultsAfterReplace = [this](int variant) { defaultsAfterReplace(variant); };
    h.chainProgress = [this](int done, int total) {
        window_.showTransferProgress(Percent(done, total));
    };
    h.uploadProgress = [this](int percent) { replacement_->progress(percent); };
    h.uploadFinished = [this] { replacement_->uploadFinished(); };
    h.outcomeSeen = [this](int32_t code) {
        if (code == LinkResult::BlockFailed) replacement_->uploadRefused();
        if (code == LinkResult::Written) safety_->written();
    };
    h.formerConfigBackup = [this] { return safety_->beforeWriteBackup(); };
    h.beforeWrite = [this](const Block& s, const Block& c) { safety_->beforeWrite(s, c); };
    // Read the panel first only when the replacement will go ahead: a firmware file is there and
    // the panel's own variant is one whose blocks are known.
    h.readBeforeReplace = [this](int panelVariant, int newVariant) {
        return HasFactoryImage(panelVariant) &&
               FindFirmware(newVariant, driver_.state().panelTypeCode, firmwareFolder_).ok();
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
    h.closeEditor = [this] { window_.closeEditor(); };
    h.setEditorEnabled = [this](bool on) { window_.setEditorEnabled(on); };
    h.folder = [this] { return firmwareFolder_; };
    return h;
}

}  // namespace kerma
