#include "firmware_replacement.h"

#include <utility>

#include "editor_session.h"

namespace kerma {
namespace {

constexpr const char* kPreparingStatus = "Идет подготовка к смене прошивки ... .  ";
constexpr const char* kFlashingStatus = "Идет смена прошивки ждите ... .  ";

}  // namespace

FirmwareReplacement::FirmwareReplacement(EditorSession& session, FlashView& view)
    : session_(session), editor_(session.editor()), driver_(session.driver()), view_(view) {}

void FirmwareReplacement::enter(Stage stage) {
    stage_ = stage;
    int interval = 0;
    if (stage == Stage::AwaitingUploadReady) interval = kReadyWaitMs;
    if (stage == Stage::AwaitingVerdict) interval = kVerdictTickMs;
    schedule(interval);
}

void FirmwareReplacement::schedule(int intervalMs) {
    if (intervalMs == interval_) return;
    interval_ = intervalMs;
    session_.window().scheduleFirmwareTicks(interval_);
}

// The UI stays usable while the procedure waits, so the user may break the link and connect
// again meanwhile; the question asked anew then starts over and the old wait is dropped.
void FirmwareReplacement::start(int variant) {
    if (stage_ == Stage::Uploading) return;
    if (stage_ != Stage::Idle) cancel();
    auto choice = FindFirmware(variant, driver_.state().panelTypeCode, session_.firmwareFolder());
    if (!choice) {
        editor_.prompts().notice(choice.error());
        session_.window().closeEditor();
        return;
    }
    fileName_ = std::move(choice->fileName);
    upload_ = std::move(choice->upload);
    editor_.setStatus(0, kPreparingStatus);
    ready_ = false;
    accepted_ = false;
    reconnectPending_ = false;
    linkBroken_ = false;
    enter(Stage::AwaitingUploadReady);
    driver_.start(Step(LinkOperation::UploadHandshake));
}

// A tick of the ready wait is either the step after the panel's yes or the deadline.
void FirmwareReplacement::tick() {
    switch (stage_) {
        case Stage::AwaitingUploadReady:
            if (ready_) {
                beginUpload();
            } else {
                fail();
            }
            break;
        case Stage::AwaitingVerdict:
            if (accepted_) {
                succeed();
            } else {
                fail();
            }
            break;
        case Stage::Idle:
        case Stage::Uploading:
            break;
    }
}

// The upload starts from the next tick, not inside this call: the handshake exchange still
// owns the line until it has returned and purged it.
void FirmwareReplacement::uploadReady() {
    if (stage_ != Stage::AwaitingUploadReady) return;
    ready_ = true;
    schedule(kReadyTickMs);
}

void FirmwareReplacement::cancel() {
    if (stage_ == Stage::Uploading) view_.closeDialog();
    reconnectPending_ = false;
    linkBroken_ = false;
    finish();
}

// The dialog is up and the stage set before the exchange is started, so whatever the upload
// reports finds them in place, however the driver runs it.
void FirmwareReplacement::beginUpload() {
    editor_.setStatus(0, kFlashingStatus);
    session_.window().setEditorEnabled(false);
    enter(Stage::Uploading);
    view_.showDialog("Идет смена прошивки. Файл прошивки " + fileName_ + ". Ждите...");
    driver_.start(LinkStep{LinkOperation::FirmwareUpload, upload_, {}, {}});
}

void FirmwareReplacement::progress(int percent) {
    view_.setProgress(percent);
}

// The verdict is acted on at the next tick, a second after the dialog has closed.
void FirmwareReplacement::uploadFinished(bool accepted) {
    view_.closeDialog();
    session_.window().setEditorEnabled(true);
    if (stage_ != Stage::Uploading) return;
    accepted_ = accepted;
    enter(Stage::AwaitingVerdict);
}

// The upload exchange asks for the reconnect as soon as the panel accepted. The old link has to be
// broken first, and that is the verdict tick's job: until it has run, the request waits.
void FirmwareReplacement::reconnectRequested() {
    if (stage_ == Stage::Uploading || stage_ == Stage::AwaitingVerdict) {
        reconnectPending_ = true;
        return;
    }
    if (!linkBroken_) breakLink();
    linkBroken_ = false;
    session_.link().connectCommand();
}

void FirmwareReplacement::succeed() {
    breakLink();
    finish();
    if (!reconnectPending_) return;
    reconnectPending_ = false;
    linkBroken_ = false;
    session_.link().connectCommand();
}

void FirmwareReplacement::fail() {
    finish();
    editor_.prompts().notice(kFlashFailedMessage);
}

void FirmwareReplacement::finish() {
    upload_.clear();
    enter(Stage::Idle);
}

void FirmwareReplacement::breakLink() {
    session_.breakLink();
    linkBroken_ = true;
}

}  // namespace kerma
