#pragma once
// Loading the firmware of the chosen variant into a panel that runs another variant's firmware.
// The procedure waits for the panel twice (the upload handshake, the verdict on the upload). It
// never sleeps for that: the UI thread must stay free to serve the exchanges' synchronous calls.
// The link hands it the panel's yes to the handshake and the upload's verdict as calls; whoever
// runs it calls tick() when the interval it asks for has passed (a deadline, or the step after a
// call).
#include <string>

#include "exchange.h"
#include "firmware_file.h"
#include "flash_view.h"
#include "k740_editor.h"

namespace kerma {

inline constexpr const char* kFlashFailedMessage =
    "Ошибка при смене прошивки! Повторите процедуру.";

class EditorSession;

class FirmwareReplacement {
  public:
    enum class Stage {
        Idle,
        AwaitingUploadReady,  // upload handshake started; a tick at the deadline
        Uploading,            // dialog shown, editor disabled; no ticks
        AwaitingVerdict,      // dialog closed; the verdict is acted on at the next tick
    };
    // How long the panel has to say yes to the upload handshake.
    static constexpr int kReadyWaitMs = 20'000;
    // From the panel's yes to the start of the upload: the handshake leaves the line first.
    static constexpr int kReadyTickMs = 10;
    // From the end of the upload to the break of the link or the error message.
    static constexpr int kVerdictTickMs = 1000;

    // The session's window learns how often to call tick() (0 stops the ticks); the session's
    // link is broken and made anew around the upload.
    FirmwareReplacement(EditorSession& session, FlashView& view);

    // Yes to the replacement question. Returns at once; the procedure goes on from tick().
    void start(int variant);
    void tick();
    // The editor is closing: the procedure ends where it stands, without a message.
    void cancel();

    // The exchanges' steps, as the editor's link hands them on.
    // The panel said yes to the upload handshake.
    void uploadReady();
    void progress(int percent);
    // The upload is over; accepted: the panel took the firmware.
    void uploadFinished(bool accepted);
    void reconnectRequested();

    [[nodiscard]] Stage stage() const { return stage_; }
    [[nodiscard]] int tickIntervalMs() const { return interval_; }
    [[nodiscard]] const std::string& fileName() const { return fileName_; }

  private:
    void enter(Stage stage);
    void schedule(int intervalMs);
    void beginUpload();
    void succeed();
    void fail();
    void finish();
    void breakLink();

    EditorSession& session_;
    K740Editor& editor_;
    LinkDriver& driver_;
    FlashView& view_;

    Stage stage_ = Stage::Idle;
    int interval_ = 0;
    std::string fileName_;  // shown in the dialog
    Block upload_;
    bool ready_ = false;     // the panel said yes to the upload handshake
    bool accepted_ = false;  // the panel took the firmware
    // The upload asked for the reconnect before the verdict tick broke the old link.
    bool reconnectPending_ = false;
    // The old link is broken and the reconnect not yet made.
    bool linkBroken_ = false;
};

}  // namespace kerma
