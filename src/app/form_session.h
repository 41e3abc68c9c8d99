#pragma once
// The editor window's side of an EditorSession: the main window's choices and port, the
// window's enabled state and progress bar, the upload dialog and its timer, Ctrl+P and help.
// The main window creates one for every connect and every demo start.
#include <memory>

#include "editor_session.h"
#include "t_form_flash.h"

class QWidget;

namespace kerma {

class TK740Form;
class TMainForm;

class FormSession final : public SessionWindow {
  public:
    FormSession(TK740Form& form, TMainForm& main, LinkDriver& driver);
    ~FormSession() override;
    FormSession(const FormSession&) = delete;
    FormSession& operator=(const FormSession&) = delete;

    [[nodiscard]] EditorLink& link() { return session_->link(); }
    void startDemo() { session_->startDemo(); }
    void closing() { session_->closing(); }
    [[nodiscard]] bool replacingFirmware() const { return session_->replacingFirmware(); }

    // SessionWindow
    int chosenVariant() override;
    bool openAndHandshake() override;
    std::string portName() override;
    bool editorOpen() override;
    void closeEditor() override;
    void setEditorEnabled(bool enabled) override;
    void showTransferProgress(int percent) override;
    void scheduleFirmwareTicks(int intervalMs) override;

  private:
    void wireButtons();

    TK740Form& form_;
    TMainForm& main_;
    TFormFlash* flash_;  // owned by the form
    FlashTicker ticker_;
    std::unique_ptr<EditorSession> session_;
};

}  // namespace kerma
