#pragma once
// Everything that lives as long as one editor window, put together in one place: the image state
// and rules beside the editor's controls, the link as the editor sees it, files and defaults, the
// firmware replacement and the safety net. The program and the tests build the same object; the
// window layer only answers what needs widgets (SessionWindow). No widgets here.
#include <filesystem>
#include <memory>
#include <optional>

#include "editor_link.h"
#include "editor_rules.h"
#include "factory_passwords.h"
#include "firmware_replacement.h"
#include "codec_memory.h"
#include "report_file.h"
#include "safety_net.h"

namespace kerma {

// What a session needs of the windows. Every member must be given: a window that leaves one
// out does not compile, so no link step is silently dropped.
class SessionWindow {
  public:
    virtual ~SessionWindow() = default;
    // The variant chosen on the main window's radio buttons.
    virtual int chosenVariant() = 0;
    // The main window's open-the-port-and-handshake routine; false when the port did not open.
    virtual bool openAndHandshake() = 0;
    // The port the link was opened on, as messages name it ("COM5", "ttyUSB0").
    virtual std::string portName() = 0;
    // The editor window exists; link buttons switch only then.
    virtual bool editorOpen() = 0;
    virtual void closeEditor() = 0;
    // The whole editor window on or off (off while the firmware goes in).
    virtual void setEditorEnabled(bool enabled) = 0;
    // The status bar's progress of a chain in percent; -1 hides it.
    virtual void showTransferProgress(int percent) = 0;
    // The firmware replacement wants FirmwareReplacement::tick() once intervalMs have passed, and
    // every intervalMs after while it asks for nothing else; 0 stops. A new interval starts anew.
    virtual void scheduleFirmwareTicks(int intervalMs) = 0;
};

// Ctrl+P's dialog: "Отчёт Kerma-740 v1.8 2026-12-09" offered, the version of the configuration
// shown and the date (YYYY-MM-DD) of the report.
[[nodiscard]] FileDialogRequest ReportDialog(const K740Editor& editor, const std::string& date);
// Ctrl+D's dialog.
[[nodiscard]] FileDialogRequest CompareDialog();

class EditorSession {
  public:
    // flash: the upload's progress dialog. firmwareFolder: where firmware files are looked for.
    // pdf: renders Ctrl+P's PDF reports (none: only HTML reports are written).
    EditorSession(K740Editor& editor, LinkDriver& driver, SessionWindow& window, FlashView& flash,
                  std::filesystem::path firmwareFolder, PdfRenderer pdf = nullptr);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    [[nodiscard]] K740Editor& editor() { return editor_; }
    [[nodiscard]] LinkDriver& driver() { return driver_; }
    [[nodiscard]] SessionWindow& window() { return window_; }
    [[nodiscard]] const std::filesystem::path& firmwareFolder() const { return firmwareFolder_; }
    [[nodiscard]] EditorLink& link() { return *link_; }
    [[nodiscard]] CodecMemory& image() { return image_; }
    [[nodiscard]] SafetyNet& safety() { return *safety_; }
    [[nodiscard]] FirmwareReplacement& firmware() { return *replacement_; }

    // The editor's buttons.
    void readCommand();
    void writeCommand();
    void cancelCommand();
    void connectCommand();
    void defaultsCommand();
    void loadCommand();
    // "Записать в файл"; true when a file was written.
    bool saveCommand();
    // The window is about to close: false keeps it open (a write the user lets run, unsaved
    // edits the user keeps).
    bool canClose();
    // Ctrl+P: the configuration report of what the editor shows, as HTML or PDF.
    void saveReport();
    // Ctrl+D: the fields whose values differ between the editor and a file the user chooses, as
    // the text of the window that lists them; nullopt when nothing is to be shown.
    std::optional<std::string> compareWithFile();

    // Demo start: factory defaults of the chosen variant; the LayoutCode they imply.
    void startDemo();
    // The editor is closing: a replacement in progress stops waiting.
    void closing();
    // New firmware: its factory configuration, as the write after the replacement sends it.
    void defaultsAfterReplace(int variant);
    // The link broken as "Разорвать связь" breaks it, without a question (the replacement's own
    // break around the upload).
    void breakLink();
    [[nodiscard]] bool replacingFirmware() const {
        return replacement_->stage() != FirmwareReplacement::Stage::Idle;
    }

  private:
    void takeLayout(std::optional<int32_t> layoutCode);
    bool mayDropEdits();
    bool mayBreakExchange();
    [[nodiscard]] bool exchangeRunning() const;

    K740Editor& editor_;
    LinkDriver& driver_;
    SessionWindow& window_;
    std::filesystem::path firmwareFolder_;
    PdfRenderer pdf_;
    CodecMemory image_;
    std::shared_ptr<RuleState> rules_;
    std::unique_ptr<SafetyNet> safety_;
    std::unique_ptr<EditorLink> link_;
    std::unique_ptr<FirmwareReplacement> replacement_;
    FactoryPasswordMarks factoryPasswords_{editor_};
};

}  // namespace kerma
