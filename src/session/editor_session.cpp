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

}  // namespace

FileDialogRequest ReportDialog(const K740Editor& editor, const std::string& date) {
    FileDialogRequest request = CommandDialog(FileDialogKind::Report, "Отчёт о конфигурации");
    request.defaultExtension = "html";
    request.filter = kReportFilter;
    request.typeGivesExtension = true;
    request.suggestedName = "Отчёт Kerma-740 v" + editor.state().versionText + " " + date;
    return request;
}

FileDialogRequest CompareDialog() {
    return CommandDialog(FileDialogKind::Compare, "Сравнить с файлом");
}

EditorSession::EditorSession(K740Editor& editor, LinkDriver& driver, SessionWindow& window,
                             FlashView& flash, std::filesystem::path firmwareFolder,
                             PdfRenderer pdf)
    : editor_(editor),
      driver_(driver),
      window_(window),
      firmwareFolder_(std::move(firmwareFolder)),
      pdf_(pdf) {
    rules_ = InstallRules(editor_, image_);
    safety_ = std::make_unique<SafetyNet>(editor_, image_);
    link_ = std::make_unique<EditorLink>(*this);
    replacement_ = std::make_unique<FirmwareReplacement>(*this, flash);
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
    const SaveCommandEnd end = SaveConfiguration(editor_, image_, window_.chosenVariant());
    takeLayout(end.layoutCode);
    if (end.written) safety_->markClean();
    return end.written;
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
    const int variant = ShownVariant(editor_.state(), window_.chosenVariant());
    if (editor_.state().layoutVariant == 0 || !HasFactoryConfiguration(variant)) {
        editor_.prompts().notice("В редакторе нет конфигурации для отчёта.");
        return;
    }
    ReportOptions options;
    options.date = FormatLocalTime(LocalTimeNow());
    const auto path = editor_.prompts().saveFile(ReportDialog(editor_, options.date.substr(0, 10)));
    if (!path) return;
    const auto written = WriteReport(*path, BuildConfigReport(editor_, variant, options), pdf_);
    if (!written) {
        editor_.setStatus(0, "Отчёт о конфигурации не записан");
        editor_.prompts().notice(written.error());
        return;
    }
    editor_.setStatus(0, "Отчёт о конфигурации записан в файл");
}

std::optional<std::string> EditorSession::compareWithFile() {
    const int variant = ShownVariant(editor_.state(), window_.chosenVariant());
    if (editor_.state().layoutVariant == 0 || !HasFactoryConfiguration(variant)) {
        editor_.prompts().notice("В редакторе нет конфигурации для сравнения.");
        return std::nullopt;
    }
    const auto path = editor_.prompts().openFile(CompareDialog());
    if (!path) return std::nullopt;
    const auto differences = CompareWithFile(editor_, variant, *path);
    if (!differences) {
        editor_.prompts().notice(differences.error());
        return std::nullopt;
    }
    return ComparisonText(*differences, *path);
}

void EditorSession::writeCommand() {
    link_->writeCommand();
}

// A read replaces the editor's configuration as a file or the defaults do.
void EditorSession::readCommand() {
    if (mayDropEdits()) link_->readCommand();
}

void EditorSession::cancelCommand() {
    if (mayBreakExchange() && mayDropEdits()) breakLink();
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
    const DefaultsCommandEnd end = LoadFactoryDefaults(editor_, image_, window_.chosenVariant());
    takeLayout(end.layoutCode);
    if (end.loaded) safety_->markClean();
}

void EditorSession::loadCommand() {
    if (exchangeRunning() || !mayDropEdits()) return;
    if (LoadConfiguration(editor_, image_, window_.chosenVariant())) safety_->markClean();
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

void EditorSession::breakLink() {
    link_->disconnectCommand();
    safety_->connectionChanged();
}

}  // namespace kerma
