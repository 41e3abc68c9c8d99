#pragma once
// Loading the firmware of the chosen variant into a panel that runs another variant's firmware.
// The procedure waits for the panel twice (the upload handshake, the verdict on the upload). It
// never sleeps for that: the UI thread must stay free to serve the exchanges' synchronous calls,
// so whoever runs it calls tick() at the interval it asks for (10 ms, then 1 s).
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
        AwaitingUploadReady,  // upload handshake started; tick every 10 ms
        Uploading,            // dialog shown, editor disabled; no ticks
        AwaitingVerdict,      // dialog closed; tick every second
    };
    static constexpr int kReadyTickMs = 10;
    static constexpr int kVerdictTickMs = 1000;
    static constexpr int kReadyPolls = 2000;
    // The verdict wait ends when the poll counter, shared with the ready wait, reaches this.
    static constexpr int kVerdictPollLimit = 1000;

    // The session's window learns how often to call tick() (0 stops the ticks); the session's
    // link is broken and made anew around the upload.
    FirmwareReplacement(EditorSession& session, FlashView& view);

    // Yes to the replacement question. Returns at once; the procedure goes on from tick().
    void start(int variant);
    void tick();
    // The editor is closing: the procedure ends where it stands, without a message.
    void cancel();

    // The upload exchange's steps, as the editor's link hands them on.
    void progress(int percent);
    void uploadFinished();
    // The upload exchange reported a refusal (outcome 4).
    void uploadRefused();
    void reconnectRequested();

    [[nodiscard]] Stage stage() const { return stage_; }
    [[nodiscard]] int tickIntervalMs() const { return interval_; }
    [[nodiscard]] const std::string& fileName() const { return fileName_; }
    [[nodiscard]] int polls() const { return polls_; }

  private:
    void enter(Stage stage);
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
    int polls_ = 0;
    std::string fileName_;  // shown in the dialog
    Block image_;
    // The upload asked for the reconnect before the verdict tick broke the old link.
    bool reconnectPending_ = false;
    bool refused_ = false;
    // The old link is broken and the reconnect not yet made.
    bool linkBroken_ = false;
};

}  // namespace kerma
