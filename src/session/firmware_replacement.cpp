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
    if (stage == Stage::AwaitingUploadReady) interval = kReadyTickMs;
    if (stage == Stage::AwaitingVerdict) interval = kVerdictTickMs;
    if (interval == interval_) return;
    interval_ = interval;
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
    image_ = std::move(choice->image);
    editor_.setStatus(0, kPreparingStatus);
    polls_ = 0;
    refused_ = false;
    reconnectPending_ = false;
    linkBroken_ = false;
    driver_.state().uploadReady = false;
    enter(Stage::AwaitingUploadReady);
    driver_.start(Step(LinkOperation::UploadHandshake));
}

void FirmwareReplacement::tick() {
    auto& link = driver_.state();
    switch (stage_) {
        case Stage::AwaitingUploadReady:
            ++polls_;
            if (link.uploadReady) {
                beginUpload();
            } else if (polls_ >= kReadyPolls) {
                fail();
            }
            break;
        case Stage::AwaitingVerdict:
            // The flag is looked at before the limit: a ready wait that used up the shared counter
            // must not turn an accepted upload into an error without a single look.
            ++polls_;
            if (link.uploadSucceeded) {
                succeed();
            } else if (refused_ || polls_ >= kVerdictPollLimit) {
                fail();
            }
            break;
        case Stage::Idle:
        case Stage::Uploading:
            break;
    }
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
    driver_.state().uploadSucceeded = false;
    session_.window().setEditorEnabled(false);
    enter(Stage::Uploading);
    view_.showDialog("Идет смена прошивки. Файл прошивки " + fileName_ + ". Ждите...");
    driver_.start(LinkStep{LinkOperation::FirmwareUpload, image_, {}, {}});
}

void FirmwareReplacement::progress(int percent) {
    view_.setProgress(percent);
}

// The panel said no to the upload: nothing will change by waiting out the verdict limit (a
// quarter of an hour), so the next verdict tick reports the failure.
void FirmwareReplacement::uploadRefused() {
    if (stage_ == Stage::Uploading || stage_ == Stage::AwaitingVerdict) refused_ = true;
}

void FirmwareReplacement::uploadFinished() {
    view_.closeDialog();
    session_.window().setEditorEnabled(true);
    if (stage_ == Stage::Uploading) enter(Stage::AwaitingVerdict);
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
    auto& link = driver_.state();
    link.uploadReady = false;
    link.uploadSucceeded = false;
    finish();
    editor_.prompts().notice(kFlashFailedMessage);
}

void FirmwareReplacement::finish() {
    image_.clear();
    enter(Stage::Idle);
}

void FirmwareReplacement::breakLink() {
    session_.breakLink();
    linkBroken_ = true;
}

}  // namespace kerma
