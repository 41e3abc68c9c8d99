#pragma once
// Everything that lives as long as one editor window: the image state and rules beside its
// controls, the link as the editor sees it, and the firmware replacement with its dialog. The
// main window creates one for every connect and every demo start.
#include <QString>
#include <functional>
#include <memory>

#include "editor_link.h"
#include "editor_rules.h"
#include "firmware_replacement.h"
#include "image_state.h"
#include "safety_net.h"

class QWidget;

namespace kerma {

class TK740Form;
class TFormFlash;
class FlashTicker;

// What a session needs of the main window.
struct SessionContext {
    std::function<int()> chosenVariant;
    // The main window's open-the-port-and-start-a-handshake routine; false when the port failed.
    std::function<bool()> openAndHandshake;
    std::function<bool()> editorOpen;
    std::function<void()> closeEditor;
    std::function<void(QWidget* over, const QString& file)> showHelp;
};

class EditorSession {
  public:
    EditorSession(TK740Form& form, LinkDriver& driver, SessionContext context);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    [[nodiscard]] EditorLink& link() { return *link_; }
    [[nodiscard]] ImageState& image() { return image_; }
    [[nodiscard]] SafetyNet& safety() { return *safety_; }
    // Demo start: factory defaults of the chosen variant; the LayoutCode they imply.
    void startDemo();
    // The editor is closing: a replacement in progress stops waiting.
    void closing();
    [[nodiscard]] bool replacingFirmware() const {
        return replacement_->stage() != FirmwareReplacement::Stage::Idle;
    }

  private:
    EditorLinkHooks linkHooks();
    FirmwareReplacementHooks firmwareHooks();
    void wireButtons();
    void takeLayout(std::optional<int32_t> layoutCode);
    void decode(const Block& settings, const Block& codes);
    void defaultsAfterReplace(int variant);
    // "Записать в файл"; true when a file was written.
    bool saveToFile();
    bool mayDropEdits();
    // Ctrl+P: the configuration report of what the editor shows, as HTML or PDF.
    void saveReport();

    TK740Form& form_;
    LinkDriver& driver_;
    SessionContext context_;
    ImageState image_;
    std::shared_ptr<RuleState> rules_;
    std::unique_ptr<SafetyNet> safety_;
    std::unique_ptr<EditorLink> link_;
    TFormFlash* flash_ = nullptr;  // owned by the form
    std::unique_ptr<FirmwareReplacement> replacement_;
    std::unique_ptr<FlashTicker> ticker_;
};

}  // namespace kerma
