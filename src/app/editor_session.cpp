#include "editor_session.h"

#include <algorithm>

#include "codes_image.h"
#include "editor_files.h"
#include "k740_form.h"
#include "settings_image.h"
#include "t_form_flash.h"

namespace kerma {
namespace {

constexpr const char* kEditorHelp = "Setka-740-v4_6-help.hlp";

int Percent(int done, int total) {
    return total > 0 ? done * 100 / total : -1;
}

}  // namespace

EditorSession::EditorSession(TK740Form& form, LinkDriver& driver, SessionContext context)
    : form_(form), driver_(driver), context_(std::move(context)) {
    rules_ = InstallRules(form_.editor(), image_);
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
    takeLayout(LoadFactoryDefaults(form_.editor(), image_, context_.chosenVariant()));
}

void EditorSession::wireButtons() {
    K740Editor& editor = form_.editor();
    auto& hooks = form_.hooks;
    hooks.onWrite = [this] { link_->writeCommand(); };
    hooks.onRead = [this] { link_->readCommand(); };
    hooks.onCancel = [this] { link_->disconnectCommand(); };
    hooks.onConnect = [this] { link_->connectCommand(); };
    hooks.onDefaults = [this, &editor] {
        takeLayout(LoadFactoryDefaults(editor, image_, context_.chosenVariant()));
    };
    hooks.onLoad = [this, &editor] {
        (void)LoadConfiguration(editor, image_, context_.chosenVariant());
    };
    hooks.onSave = [this, &editor] {
        takeLayout(SaveConfiguration(editor, image_, context_.chosenVariant()));
    };
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
    };
    // The replacement breaks the old link first and reconnects after that.
    h.reconnect = [this] { replacement_->reconnectRequested(); };
    return h;
}

FirmwareReplacementHooks EditorSession::firmwareHooks() {
    FirmwareReplacementHooks h;
    h.breakLink = [this] { link_->disconnectCommand(); };
    h.reconnect = [this] { link_->connectCommand(); };
    h.closeEditor = [this] { context_.closeEditor(); };
    h.setEditorEnabled = [this](bool on) { form_.setEnabled(on); };
    return h;
}

}  // namespace kerma
